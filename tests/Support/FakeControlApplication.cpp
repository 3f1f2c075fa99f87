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

ZQRESULT FakeControlApplication::GetDefaultFont(ZQ::WString& name, float& size, int32_t& style) const
{
    name = DefaultFontName;
    size = DefaultFontSize;
    style = DefaultFontStyle;
    return 0;
}
} // namespace ZQTest
