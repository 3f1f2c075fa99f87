#pragma once

#include "ZQFramework/Utilities/Storage/Forward.h"

#include <cstdint>

namespace ZQ
{
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
    [[nodiscard]] uint8_t GetVirtualKey() const
    {
        return static_cast<uint8_t>((mCode & kVirtualKeyMask) >> 16);
    }
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
} // namespace ZQ
