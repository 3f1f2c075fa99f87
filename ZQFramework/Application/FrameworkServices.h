#pragma once

#include "ZQFramework/Utilities/Storage/String.h"

#include <atomic>
#include <cstdint>

namespace ZQ
{
// The services of the application object that the engine and the update processor rely on, kept small
// until the application framework proper owns them: the program's folders and the process exit value.
class MFCFrameworkApp
{
public:
    static constexpr int32_t kProgramFolder = 0;
    static constexpr int32_t kResourceFolder = 1;

    // kProgramFolder: the folder of the program file (its path up to, not including, the last separator);
    // kResourceFolder: "::", the program's own resources. Any other id gives an empty text.
    [[nodiscard]] static WString GetFolder(int32_t id);
};

// The value the program entry returns; 0 at start, set by the update processor. Any thread may set it.
extern std::atomic<int32_t> ProcessExitValue;
} // namespace ZQ
