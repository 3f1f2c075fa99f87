#pragma once

#include "ZQFramework/Utilities/Storage/Forward.h"

#include <cstdint>

namespace ZQ
{
// The virtual keys the framework names, with the Windows virtual-key numbers that key messages carry
// (bits 16 to 23 of a key code). Each key of the text form has one: VKey::PageUp is "VKEY_PAGEUP",
// VKey::Digit0 is "VKEY_0". The mouse buttons have key numbers too, for reading the key state, but no text
// form. Any other number a key message brings is still a key; it just has no name here.
enum class VKey : uint8_t
{
    LButton = 0x01,
    RButton = 0x02,
    MButton = 0x04,
    Back = 0x08,
    Tab = 0x09,
    Clear = 0x0C,
    Return = 0x0D,
    Shift = 0x10,
    Control = 0x11,
    Menu = 0x12, // Alt
    Pause = 0x13,
    Capital = 0x14,
    Kana = 0x15,
    Hangeul = 0x15,
    Hangul = 0x15,
    Junja = 0x17,
    Final = 0x18,
    Hanja = 0x19,
    Kanji = 0x19,
    Escape = 0x1B,
    Convert = 0x1C,
    NonConvert = 0x1D,
    Accept = 0x1E,
    ModeChange = 0x1F,
    Space = 0x20,
    PageUp = 0x21,
    PageDown = 0x22, // "VKEY_PAGEDN"
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Select = 0x29,
    Print = 0x2A,
    Execute = 0x2B,
    Snapshot = 0x2C,
    Insert = 0x2D,
    Delete = 0x2E,
    Help = 0x2F,
    Digit0 = 0x30,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit9,
    A = 0x41,
    B,
    C,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K,
    L,
    M,
    N,
    O,
    P,
    Q,
    R,
    S,
    T,
    U,
    V,
    W,
    X,
    Y,
    Z,
    LWin = 0x5B,
    RWin = 0x5C,
    Apps = 0x5D,
    Sleep = 0x5F,
    Numpad0 = 0x60,
    Numpad1,
    Numpad2,
    Numpad3,
    Numpad4,
    Numpad5,
    Numpad6,
    Numpad7,
    Numpad8,
    Numpad9,
    Multiply = 0x6A,
    Add = 0x6B,
    Separator = 0x6C,
    Subtract = 0x6D,
    Decimal = 0x6E,
    Divide = 0x6F,
    F1 = 0x70,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    F13,
    F14,
    F15,
    F16,
    F17,
    F18,
    F19,
    F20,
    F21,
    F22,
    F23,
    F24,
    NumLock = 0x90,
    Scroll = 0x91,
    OemNecEqual = 0x92,
    OemFjJisho = 0x92,
    OemFjMasshou = 0x93,
    OemFjTouroku = 0x94,
    OemFjLoya = 0x95,
    OemFjRoya = 0x96,
    LShift = 0xA0,
    RShift = 0xA1,
    LControl = 0xA2,
    RControl = 0xA3,
    LMenu = 0xA4,
    RMenu = 0xA5,
    BrowserBack = 0xA6,
    BrowserForward = 0xA7,
    BrowserRefresh = 0xA8,
    BrowserStop = 0xA9,
    BrowserSearch = 0xAA,
    BrowserFavorites = 0xAB,
    BrowserHome = 0xAC,
    VolumeMute = 0xAD,
    VolumeDown = 0xAE,
    VolumeUp = 0xAF,
    MediaNextTrack = 0xB0,
    MediaPrevTrack = 0xB1,
    MediaStop = 0xB2,
    MediaPlayPause = 0xB3,
    LaunchMail = 0xB4,
    LaunchMediaSelect = 0xB5,
    LaunchApp1 = 0xB6,
    LaunchApp2 = 0xB7,
};

// One key stroke: a typed character (low 16 bits of the code) or a Windows virtual key (bits 16 to 23),
// with the modifier bits, the sides of the held modifier keys and an auto-repeat flag. A plain value.
// Text forms: a parseable one used in string tables ("Alt+VKEY_F4") and a display one for menus. It
// lives with the notifications because key parameter records carry it; the controls use the same type.
class KeyCode
{
public:
    static constexpr uint32_t kCharacterMask = 0x0000FFFFu;
    static constexpr uint32_t kVirtualKeyMask = 0x00FF0000u;
    static constexpr uint32_t kCtrl = 0x01000000u;
    static constexpr uint32_t kShift = 0x02000000u;
    static constexpr uint32_t kAlt = 0x04000000u;
    static constexpr uint32_t kWin = 0x08000000u;
    static constexpr uint32_t kExtra = 0x10000000u; // from input flag 0x1000; carried and compared only
    static constexpr uint32_t kKeyDown = 0x20000000u;
    static constexpr uint32_t kNoBinding = 0x80000000u;
    // Key down, no key, no modifier: what parsing starts from and gives for text it cannot read.
    static constexpr uint32_t kNoKey = kKeyDown;

    // Input modifier flags, as the native window builds them.
    static constexpr uint32_t kInputCtrl = 0x1, kInputLeftCtrl = 0x2, kInputRightCtrl = 0x4;
    static constexpr uint32_t kInputShift = 0x8, kInputLeftShift = 0x10, kInputRightShift = 0x20;
    static constexpr uint32_t kInputAlt = 0x40, kInputLeftAlt = 0x80, kInputRightAlt = 0x100;
    static constexpr uint32_t kInputWin = 0x200, kInputLeftWin = 0x400, kInputRightWin = 0x800;
    static constexpr uint32_t kInputExtra = 0x1000;

    // The no-key value.
    constexpr KeyCode() = default;
    constexpr KeyCode(uint32_t code, uint32_t sides, uint8_t wasDown)
        : mCode(code), mSides(sides), mWasDown(wasDown)
    {
    }
    // A typed character with the modifiers of inputFlags.
    KeyCode(char16_t character, uint32_t inputFlags);
    // A key message: the virtual key with the key-down bit when keyDown and the modifiers of inputFlags.
    KeyCode(uint8_t virtualKey, bool keyDown, uint8_t wasDown, uint32_t inputFlags);

    // The parseable text form, e.g. "Ctrl+VKEY_A" or "Alt+[97]"; the no-key value for unreadable text.
    // Modifier words count wherever they stand and in any case ("Ctrl", "Alt", "Shift", "Command" or
    // "Cmd"); a key name runs from "VKEY_" to the end. A character keeps only Alt.
    [[nodiscard]] static KeyCode FromString(const StringT<char16_t, char>& text);
    [[nodiscard]] StringT<char16_t, char> ToString() const;
    [[nodiscard]] StringT<char16_t, char> ToDisplayString() const;

    // Two character codes compare without Ctrl and Shift; any other codes compare exactly. Sides and
    // WasDown never take part.
    [[nodiscard]] bool operator==(const KeyCode& other) const;
    [[nodiscard]] bool operator!=(const KeyCode& other) const { return !(*this == other); }

    [[nodiscard]] uint32_t GetCode() const { return mCode; }
    [[nodiscard]] uint32_t GetSides() const { return mSides; }
    [[nodiscard]] uint8_t GetWasDown() const { return mWasDown; }
    // The virtual key (0 for a character code), as its number and as a VKey.
    [[nodiscard]] uint8_t GetVirtualKey() const
    {
        return static_cast<uint8_t>((mCode & kVirtualKeyMask) >> 16);
    }
    [[nodiscard]] VKey GetVKey() const { return static_cast<VKey>(GetVirtualKey()); }
    [[nodiscard]] char16_t GetCharacter() const { return static_cast<char16_t>(mCode & kCharacterMask); }

    // The virtual key of a "VKEY_" name (matched exactly; FromString capitalises first), 0 when unknown.
    [[nodiscard]] static uint8_t GetVirtualKeyFromName(const StringT<char16_t, char>& name);
    // The first name in name order with that value; empty when none.
    [[nodiscard]] static StringT<char16_t, char> GetVirtualKeyName(uint32_t virtualKey);
    // The display name; empty when none.
    [[nodiscard]] static StringT<char16_t, char> GetVirtualKeyDisplayName(uint32_t virtualKey);

    uint32_t mCode = kNoKey;
    uint32_t mSides = 0; // bit 0 left Shift, 1 right Shift, 2 left Ctrl, 3 right Ctrl, 4/5 Alt, 6/7 Win
    uint8_t mWasDown = 0;
};

// The code of a key going down with exactly the modifier bits given (KeyCode::kCtrl, kShift, kAlt, kWin), as
// the controls' key tables and switches match a key code.
[[nodiscard]] constexpr uint32_t Pressed(VKey key, uint32_t modifiers = 0)
{
    return KeyCode::kKeyDown | (static_cast<uint32_t>(key) << 16) | modifiers;
}
} // namespace ZQ
