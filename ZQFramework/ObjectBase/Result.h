#pragma once

#include <cstdint>
#include <string>

// Result codes in the Windows convention: 0 and other non-negative values succeed, negative values fail.
using ZQRESULT = int32_t;

inline constexpr ZQRESULT S_OK = 0;
inline constexpr ZQRESULT S_FALSE = 1;
inline constexpr ZQRESULT E_NOTIMPL = static_cast<ZQRESULT>(0x80004001u);
inline constexpr ZQRESULT E_ABORT = static_cast<ZQRESULT>(0x80004004u);
inline constexpr ZQRESULT E_FAIL = static_cast<ZQRESULT>(0x80004005u);
inline constexpr ZQRESULT E_OUTOFMEMORY = static_cast<ZQRESULT>(0x8007000Eu);
inline constexpr ZQRESULT E_INVALIDARG = static_cast<ZQRESULT>(0x80070057u);

// The framework's own codes: the work is done and the application is to close. Only
// ZQ_E_APP_WORK_DONE is produced; start-up treats all of them as an orderly end.
inline constexpr ZQRESULT ZQ_E_APP_CLOSE_0 = static_cast<ZQRESULT>(0x8000A000u);
inline constexpr ZQRESULT ZQ_E_APP_CLOSE_1 = static_cast<ZQRESULT>(0x8000A001u);
inline constexpr ZQRESULT ZQ_E_APP_CLOSE_2 = static_cast<ZQRESULT>(0x8000A002u);
inline constexpr ZQRESULT ZQ_E_APP_CLOSE_3 = static_cast<ZQRESULT>(0x8000A003u);
inline constexpr ZQRESULT ZQ_E_APP_CLOSE_10 = static_cast<ZQRESULT>(0x8000A010u);
inline constexpr ZQRESULT ZQ_E_APP_WORK_DONE = static_cast<ZQRESULT>(0x8000A020u);

namespace ZQ
{
[[nodiscard]] constexpr bool Succeeded(ZQRESULT result)
{
    return result >= 0;
}

[[nodiscard]] constexpr bool Failed(ZQRESULT result)
{
    return result < 0;
}

// True for the codes that ask the application to close because its work is done.
[[nodiscard]] constexpr bool IsApplicationCloseResult(ZQRESULT result)
{
    return (result >= ZQ_E_APP_CLOSE_0 && result <= ZQ_E_APP_CLOSE_3) || result == ZQ_E_APP_CLOSE_10 ||
           result == ZQ_E_APP_WORK_DONE;
}

// "ZQRESULT = " followed by the code in upper-case hexadecimal, no prefix, no leading zeros.
[[nodiscard]] std::string ResultToString(ZQRESULT result);
} // namespace ZQ
