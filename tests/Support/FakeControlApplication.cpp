#include "Support/FakeControlApplication.h"

#include <algorithm>
#include <utility>

namespace ZQTest
{
FakeControlApplication::FakeControlApplication(ZQ::RCPtr<ZQ::LControlFactory> factory)
    : Factory(std::move(factory))
{
    ZQ::IControlApplication::SetCurrent(this);
}

FakeControlApplication::~FakeControlApplication()
{
    ZQ::IControlApplication::SetCurrent(nullptr);
}

intptr_t FakeControlApplication::GetCursor(const ZQ::WString& name) const
{
    const char16_t* const names[] = {u"UI_CURSOR_ARROW", u"UI_CURSOR_DROP_MOVE", u"UI_CURSOR_NO_DROP"};
    for (intptr_t i = 0; i < 3; ++i)
    {
        if (name == names[i])
        {
            return i + 1;
        }
    }
    return 0;
}

ZQRESULT FakeControlApplication::GetKeyState(uint32_t virtualKey, bool& down, bool& toggled) const
{
    down = std::find(KeysDown.begin(), KeysDown.end(), virtualKey) != KeysDown.end();
    toggled = false;
    return 0;
}

void FakeControlApplication::RegisterRootWindow(const ZQ::RCPtr<ZQ::LRootWindow>& rootWindow)
{
    RootWindows.emplace_back(rootWindow);
}

void FakeControlApplication::UnregisterRootWindow(const ZQ::LRootWindow* rootWindow)
{
    std::erase_if(RootWindows, [&](const ZQ::RCPtr<ZQ::LRefCountedObject>& registered)
                  { return dynamic_cast<const ZQ::LRootWindow*>(registered.Get()) == rootWindow; });
}

bool FakeControlApplication::ProcessPendingNotifications(bool firstPass)
{
    ++IdlePasses;
    if (firstPass)
        ++FirstIdlePasses;
    return PendingWork;
}

ZQRESULT FakeControlApplication::GetDefaultFont(ZQ::WString& name, float& size, int32_t& style) const
{
    name = DefaultFontName;
    size = DefaultFontSize;
    style = DefaultFontStyle;
    return 0;
}
} // namespace ZQTest
