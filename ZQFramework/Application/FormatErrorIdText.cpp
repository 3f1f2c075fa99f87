#include "ZQFramework/Application/FormatErrorIdText.h"

#include <atomic>
#include <string>

namespace ZQ
{
namespace
{
std::atomic<ErrorIdTextHook> gHook{nullptr};
}

WString FormatErrorIdText(int32_t errorId)
{
    if (const ErrorIdTextHook hook = gHook.load(std::memory_order_acquire))
        return hook(errorId);
    return FormatDefaultErrorIdText(errorId);
}

WString FormatDefaultErrorIdText(int32_t errorId)
{
    std::u16string text =
        u"The application encountered problems during startup and will now close.  (Error code = ";
    for (char c : std::to_string(errorId))
        text += static_cast<char16_t>(c);
    text += u")";
    return WString(text.c_str());
}

ErrorIdTextHook SetErrorIdTextHook(ErrorIdTextHook hook)
{
    return gHook.exchange(hook, std::memory_order_acq_rel);
}
} // namespace ZQ
