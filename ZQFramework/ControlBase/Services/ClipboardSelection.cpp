#include "ZQFramework/ControlBase/Services/ClipboardSelection.h"

#include "Platform/Window/Display.h"

#include <chrono>

namespace ZQ
{
namespace
{
// How long a read waits for another program to hand its text over.
constexpr std::chrono::milliseconds kReadTimeout{1000};

class SystemClipboardSelection : public IClipboardSelection
{
public:
    bool Set(uintptr_t owner, const std::optional<std::string>& text) override
    {
        Platform::Window::Display* const display = Platform::Window::Display::Current();
        if (display == nullptr)
            return mLocal.Set(owner, text);
        mOwnObject = !text.has_value();
        return display->SetClipboard(owner, text);
    }

    [[nodiscard]] bool HoldsOwnObject() const override
    {
        const Platform::Window::Display* const display = Platform::Window::Display::Current();
        if (display == nullptr)
            return mLocal.HoldsOwnObject();
        return mOwnObject && display->OwnsClipboard();
    }

    [[nodiscard]] std::optional<std::string> GetText() override
    {
        Platform::Window::Display* const display = Platform::Window::Display::Current();
        if (display == nullptr)
            return mLocal.GetText();
        return display->GetClipboardText(kReadTimeout);
    }

    [[nodiscard]] uint32_t GetSequenceNumber() const override
    {
        const Platform::Window::Display* const display = Platform::Window::Display::Current();
        if (display == nullptr)
            return mLocal.GetSequenceNumber();
        return display->ClipboardSequenceNumber();
    }

private:
    MemoryClipboardSelection mLocal;
    bool mOwnObject = false;
};
} // namespace

bool MemoryClipboardSelection::Set(uintptr_t owner, const std::optional<std::string>& text)
{
    ++SetCount;
    LastOwner = owner;
    mText = text;
    mOwnObject = !text.has_value();
    ++mSequenceNumber;
    return true;
}

void MemoryClipboardSelection::SetFromOutside(const std::optional<std::string>& text)
{
    mText = text;
    mOwnObject = false;
    ++mSequenceNumber;
}

std::unique_ptr<IClipboardSelection> CreateSystemClipboardSelection()
{
    return std::make_unique<SystemClipboardSelection>();
}
} // namespace ZQ
