#pragma once

#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The text shown for an error ID. The application framework installs a hook that reads its string
// table; until it does, the start-up text with the ID is given.
using ErrorIdTextHook = WString (*)(int32_t errorId);

[[nodiscard]] WString FormatErrorIdText(int32_t errorId);

// The start-up text with the ID, the text given while no hook is installed.
[[nodiscard]] WString FormatDefaultErrorIdText(int32_t errorId);

// Installs the hook (null removes it) and gives the one installed before.
ErrorIdTextHook SetErrorIdTextHook(ErrorIdTextHook hook);
} // namespace ZQ
