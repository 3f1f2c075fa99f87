#pragma once

#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <cstdint>

namespace ZQ
{
// Starting other programs. The program is named by its path (not searched for); each element of arguments
// reaches it as one argument, spaces included. It gets the caller's environment and current folder and
// none of the caller's open files besides the standard streams.

// Starts the program and returns at once: 0 when it was started, else E_FAIL.
[[nodiscard]] ZQRESULT LaunchProcess(WString path, WStringArray arguments);

// Starts the program and waits (without time-out) until it has ended. exitCode is -1 first; 0 when the
// program was started, has ended and its exit code was read (then stored; a program ended by a signal
// gives 128 plus the signal number, as a shell reports it), else E_FAIL.
[[nodiscard]] ZQRESULT LaunchProcessAndWait(WString path, WStringArray arguments, int32_t& exitCode);
} // namespace ZQ
