#pragma once

#include "ZQFramework/Utilities/Storage/String.h"

#include <atomic>
#include <cstdint>

namespace ZQ
{
// The part of the program's host object (MFCFrameworkApp<T>) that needs no window: the program's folders.
// The engine and the update processor rely on it and on the process exit value below, so the engine links
// this library alone.
class MFCFrameworkAppBase
{
public:
    static constexpr int32_t kProgramFolder = 0;
    static constexpr int32_t kResourceFolder = 1;
    static constexpr int32_t kApplicationDataFolder = 2;
    static constexpr int32_t kLocalApplicationDataFolder = 3;
    static constexpr int32_t kDocumentsFolder = 4;

    // The folder of an id, never with a trailing separator:
    //  kProgramFolder: the folder of the program file (its path up to the last separator);
    //  kResourceFolder: "::", the program's own resources;
    //  kApplicationDataFolder: the user's data folder (XDG_DATA_HOME) + "/" + company + "/" + product;
    //  kLocalApplicationDataFolder: the user's configuration folder (XDG_CONFIG_HOME) + "/" + company + "/" +
    //    product;
    //  kDocumentsFolder: the user's documents folder, else the home folder.
    // Company and product are the version resource's names made valid as file names; both levels are made
    // when missing. The folders are looked up afresh at each call; one that cannot be had gives an empty
    // text. Any other id throws Exception<std::out_of_range>.
    [[nodiscard]] static WString GetFolder(int32_t id);
};

// The value the program entry returns; 0 at start, set by the update processor. Any thread may set it.
extern std::atomic<int32_t> ProcessExitValue;
} // namespace ZQ
