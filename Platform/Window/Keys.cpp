#include "Platform/Window/Keys.h"

#include "Platform/Text/Utf.h"

#include <X11/keysym.h>

namespace Platform::Window
{
namespace
{
struct KeysymEntry
{
    uint32_t keysym;
    VirtualKey key;
};

constexpr VirtualKey Plain(uint8_t code)
{
    return {code, KeySide::Neither, false};
}
constexpr VirtualKey Extended(uint8_t code)
{
    return {code, KeySide::Neither, true};
}

// Keysyms that are neither letters, digits, function keys nor keypad digits.
constexpr KeysymEntry kKeysyms[] = {
    {XK_BackSpace, Plain(kVkBack)},
    {XK_Tab, Plain(kVkTab)},
    {XK_ISO_Left_Tab, Plain(kVkTab)},
    {XK_Clear, Plain(kVkClear)},
    {XK_Return, Plain(kVkReturn)},
    {XK_Pause, Plain(kVkPause)},
    {XK_Scroll_Lock, Plain(kVkScroll)},
    {XK_Escape, Plain(kVkEscape)},
    {XK_Home, Extended(kVkHome)},
    {XK_Left, Extended(kVkLeft)},
    {XK_Up, Extended(kVkUp)},
    {XK_Right, Extended(kVkRight)},
    {XK_Down, Extended(kVkDown)},
    {XK_Prior, Extended(kVkPrior)},
    {XK_Next, Extended(kVkNext)},
    {XK_End, Extended(kVkEnd)},
    {XK_Print, Extended(kVkSnapshot)},
    {XK_Insert, Extended(kVkInsert)},
    {XK_Delete, Extended(kVkDelete)},
    {XK_Menu, Extended(kVkApps)},
    {XK_Num_Lock, Extended(kVkNumLock)},
    {XK_Caps_Lock, Plain(kVkCapital)},
    {XK_KP_Enter, Extended(kVkReturn)},
    {XK_KP_Home, Plain(kVkHome)},
    {XK_KP_Left, Plain(kVkLeft)},
    {XK_KP_Up, Plain(kVkUp)},
    {XK_KP_Right, Plain(kVkRight)},
    {XK_KP_Down, Plain(kVkDown)},
    {XK_KP_Prior, Plain(kVkPrior)},
    {XK_KP_Next, Plain(kVkNext)},
    {XK_KP_End, Plain(kVkEnd)},
    {XK_KP_Begin, Plain(kVkClear)},
    {XK_KP_Insert, Plain(kVkInsert)},
    {XK_KP_Delete, Plain(kVkDelete)},
    {XK_KP_Multiply, Plain(kVkMultiply)},
    {XK_KP_Add, Plain(kVkAdd)},
    {XK_KP_Separator, Plain(kVkSeparator)},
    {XK_KP_Subtract, Plain(kVkSubtract)},
    {XK_KP_Decimal, Plain(kVkDecimal)},
    {XK_KP_Divide, Extended(kVkDivide)},
    {XK_Shift_L, {kVkShift, KeySide::Left, false}},
    {XK_Shift_R, {kVkShift, KeySide::Right, false}},
    {XK_Control_L, {kVkControl, KeySide::Left, false}},
    {XK_Control_R, {kVkControl, KeySide::Right, true}},
    {XK_Alt_L, {kVkMenu, KeySide::Left, false}},
    {XK_Meta_L, {kVkMenu, KeySide::Left, false}},
    {XK_Alt_R, {kVkMenu, KeySide::Right, true}},
    {XK_Meta_R, {kVkMenu, KeySide::Right, true}},
    {XK_ISO_Level3_Shift, {kVkMenu, KeySide::Right, true}},
    {XK_Super_L, Extended(kVkLWin)},
    {XK_Super_R, Extended(kVkRWin)},
    {XK_space, Plain(kVkSpace)},
    {XK_semicolon, Plain(kVkOem1)},
    {XK_colon, Plain(kVkOem1)},
    {XK_equal, Plain(kVkOemPlus)},
    {XK_plus, Plain(kVkOemPlus)},
    {XK_comma, Plain(kVkOemComma)},
    {XK_minus, Plain(kVkOemMinus)},
    {XK_period, Plain(kVkOemPeriod)},
    {XK_slash, Plain(kVkOem2)},
    {XK_grave, Plain(kVkOem3)},
    {XK_bracketleft, Plain(kVkOem4)},
    {XK_backslash, Plain(kVkOem5)},
    {XK_bracketright, Plain(kVkOem6)},
    {XK_apostrophe, Plain(kVkOem7)},
    {XK_less, Plain(kVkOem102)},
};
} // namespace

VirtualKey VirtualKeyFromKeysym(uint32_t keysym)
{
    if (keysym >= XK_a && keysym <= XK_z)
        return Plain(static_cast<uint8_t>(kVkA + (keysym - XK_a)));
    if (keysym >= XK_A && keysym <= XK_Z)
        return Plain(static_cast<uint8_t>(kVkA + (keysym - XK_A)));
    if (keysym >= XK_0 && keysym <= XK_9)
        return Plain(static_cast<uint8_t>(kVk0 + (keysym - XK_0)));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return Plain(static_cast<uint8_t>(kVkNumpad0 + (keysym - XK_KP_0)));
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return Plain(static_cast<uint8_t>(kVkF1 + (keysym - XK_F1)));
    for (const auto& entry : kKeysyms)
        if (entry.keysym == keysym)
            return entry.key;
    return {};
}

std::string_view LockIndicatorName(uint8_t virtualKey)
{
    switch (virtualKey)
    {
    case kVkCapital:
        return "Caps Lock";
    case kVkNumLock:
        return "Num Lock";
    case kVkScroll:
        return "Scroll Lock";
    default:
        return {};
    }
}

uint8_t KeyboardState::SidedCode(uint8_t code, KeySide side)
{
    const bool right = side == KeySide::Right;
    switch (code)
    {
    case kVkShift:
        return right ? kVkRShift : kVkLShift;
    case kVkControl:
        return right ? kVkRControl : kVkLControl;
    case kVkMenu:
        return right ? kVkRMenu : kVkLMenu;
    default:
        return code;
    }
}

bool KeyboardState::Update(uint8_t code, KeySide side, bool down)
{
    const uint8_t sided = SidedCode(code, side);
    const bool wasDown = mDown[sided];
    mDown[sided] = down;
    return wasDown;
}

bool KeyboardState::IsDown(uint8_t code) const
{
    switch (code)
    {
    case kVkShift:
        return mDown[kVkLShift] || mDown[kVkRShift];
    case kVkControl:
        return mDown[kVkLControl] || mDown[kVkRControl];
    case kVkMenu:
        return mDown[kVkLMenu] || mDown[kVkRMenu];
    default:
        return mDown[code];
    }
}

std::u16string CharUnitsFor(uint32_t keysym, std::string_view text, bool ctrl, bool alt)
{
    if (ctrl && !alt)
    {
        if (keysym >= XK_a && keysym <= XK_z)
            return std::u16string(1, static_cast<char16_t>(keysym - XK_a + 1));
        if (keysym >= XK_A && keysym <= XK_Z)
            return std::u16string(1, static_cast<char16_t>(keysym - XK_A + 1));
    }
    return Platform::Utf8ToUtf16(text);
}

void KeyTranslator::AddKeyMessage(std::vector<KeyMessage>& out, const VirtualKey& key, uint8_t scanCode,
                                  bool down, bool wasDown, bool alt, bool ctrl) const
{
    const bool sys = (alt && !ctrl) || key.code == kVkF10;
    KeyMessage message;
    if (down)
        message.message = sys ? kWmSysKeyDown : kWmKeyDown;
    else
        message.message = sys ? kWmSysKeyUp : kWmKeyUp;
    message.wParam = key.code;
    message.lParam = 1 | LParam{scanCode} << 16 | (key.extended ? kKeyExtendedBit : 0) |
                     (alt ? kKeyContextBit : 0) | (wasDown || !down ? kKeyPreviousBit : 0) |
                     (down ? 0 : kKeyTransitionBit);
    out.push_back(message);
}

std::vector<KeyMessage> KeyTranslator::Translate(uint32_t keysym, uint8_t scanCode, bool down,
                                                 std::string_view text)
{
    std::vector<KeyMessage> out;
    const VirtualKey key = VirtualKeyFromKeysym(keysym);
    // Alt and Ctrl as they stand during the event: a pressed modifier counts, a released one still does.
    const auto heldDuring = [&](uint8_t code) { return mState.IsDown(code) || (down && key.code == code); };
    if (keysym == kKeysymAltGr)
    {
        const VirtualKey leftCtrl{kVkControl, KeySide::Left, false};
        const bool ctrlWasDown = mState.Update(leftCtrl.code, leftCtrl.side, down);
        AddKeyMessage(out, leftCtrl, scanCode, down, ctrlWasDown, mState.IsDown(kVkMenu), true);
    }
    if (key.code == 0)
    {
        // Text without a virtual key (a dead key's result, a symbol of another layout) still types.
        if (down)
            for (char16_t unit :
                 CharUnitsFor(keysym, text, mState.IsDown(kVkControl), mState.IsDown(kVkMenu)))
                out.push_back({kWmChar, unit, 1 | LParam{scanCode} << 16});
        return out;
    }
    const bool alt = heldDuring(kVkMenu);
    const bool ctrl = heldDuring(kVkControl);
    const bool wasDown = mState.Update(key.code, key.side, down);
    AddKeyMessage(out, key, scanCode, down, wasDown, alt, ctrl);
    if (!down || key.code == kVkShift || key.code == kVkControl || key.code == kVkMenu)
        return out;
    const KeyMessage keyMessage = out.back();
    const bool sys = keyMessage.message == kWmSysKeyDown;
    for (char16_t unit : CharUnitsFor(keysym, text, ctrl, alt))
        out.push_back({sys ? kWmSysChar : kWmChar, unit, keyMessage.lParam});
    return out;
}
} // namespace Platform::Window
