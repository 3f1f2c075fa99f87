#pragma once

#include "Platform/Window/Messages.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Keyboard input as the original saw it: X keysyms become Windows virtual-key codes through a table, the
// keys held are tracked with their sides, and each press or release becomes the key messages (and the
// character messages, in UTF-16 units) that the original would have queued. Pure functions and plain
// state: the display feeds them, tests feed them tables.
namespace Platform::Window
{
// Windows virtual-key codes under their Windows names, the numbers that key messages carry. The framework
// names the same numbers in its own key vocabulary (ZQ::VKey); its tests check that the two agree.
inline constexpr uint8_t kVkLButton = 0x01;
inline constexpr uint8_t kVkRButton = 0x02;
inline constexpr uint8_t kVkMButton = 0x04;
inline constexpr uint8_t kVkBack = 0x08;
inline constexpr uint8_t kVkTab = 0x09;
inline constexpr uint8_t kVkClear = 0x0C;
inline constexpr uint8_t kVkReturn = 0x0D;
inline constexpr uint8_t kVkShift = 0x10;
inline constexpr uint8_t kVkControl = 0x11;
inline constexpr uint8_t kVkMenu = 0x12;
inline constexpr uint8_t kVkPause = 0x13;
inline constexpr uint8_t kVkCapital = 0x14;
inline constexpr uint8_t kVkEscape = 0x1B;
inline constexpr uint8_t kVkSpace = 0x20;
inline constexpr uint8_t kVkPrior = 0x21;
inline constexpr uint8_t kVkNext = 0x22;
inline constexpr uint8_t kVkEnd = 0x23;
inline constexpr uint8_t kVkHome = 0x24;
inline constexpr uint8_t kVkLeft = 0x25;
inline constexpr uint8_t kVkUp = 0x26;
inline constexpr uint8_t kVkRight = 0x27;
inline constexpr uint8_t kVkDown = 0x28;
inline constexpr uint8_t kVkSnapshot = 0x2C;
inline constexpr uint8_t kVkInsert = 0x2D;
inline constexpr uint8_t kVkDelete = 0x2E;
inline constexpr uint8_t kVk0 = 0x30; // '0' to '9' are 0x30 to 0x39
inline constexpr uint8_t kVkA = 0x41; // 'A' to 'Z' are 0x41 to 0x5A
inline constexpr uint8_t kVkLWin = 0x5B;
inline constexpr uint8_t kVkRWin = 0x5C;
inline constexpr uint8_t kVkApps = 0x5D;
inline constexpr uint8_t kVkNumpad0 = 0x60; // keypad 0 to 9 are 0x60 to 0x69
inline constexpr uint8_t kVkMultiply = 0x6A;
inline constexpr uint8_t kVkAdd = 0x6B;
inline constexpr uint8_t kVkSeparator = 0x6C;
inline constexpr uint8_t kVkSubtract = 0x6D;
inline constexpr uint8_t kVkDecimal = 0x6E;
inline constexpr uint8_t kVkDivide = 0x6F;
inline constexpr uint8_t kVkF1 = 0x70; // F1 to F24 are 0x70 to 0x87
inline constexpr uint8_t kVkF10 = 0x79;
inline constexpr uint8_t kVkNumLock = 0x90;
inline constexpr uint8_t kVkScroll = 0x91;
inline constexpr uint8_t kVkLShift = 0xA0;
inline constexpr uint8_t kVkRShift = 0xA1;
inline constexpr uint8_t kVkLControl = 0xA2;
inline constexpr uint8_t kVkRControl = 0xA3;
inline constexpr uint8_t kVkLMenu = 0xA4;
inline constexpr uint8_t kVkRMenu = 0xA5;
inline constexpr uint8_t kVkOem1 = 0xBA;
inline constexpr uint8_t kVkOemPlus = 0xBB;
inline constexpr uint8_t kVkOemComma = 0xBC;
inline constexpr uint8_t kVkOemMinus = 0xBD;
inline constexpr uint8_t kVkOemPeriod = 0xBE;
inline constexpr uint8_t kVkOem2 = 0xBF;
inline constexpr uint8_t kVkOem3 = 0xC0;
inline constexpr uint8_t kVkOem4 = 0xDB;
inline constexpr uint8_t kVkOem5 = 0xDC;
inline constexpr uint8_t kVkOem6 = 0xDD;
inline constexpr uint8_t kVkOem7 = 0xDE;
inline constexpr uint8_t kVkOem102 = 0xE2;

// Bits of a key message's lParam.
inline constexpr LParam kKeyExtendedBit = LParam{1} << 24;
inline constexpr LParam kKeyContextBit = LParam{1} << 29;    // Alt was held
inline constexpr LParam kKeyPreviousBit = LParam{1} << 30;   // the key was down before (repeat, or a release)
inline constexpr LParam kKeyTransitionBit = LParam{1} << 31; // a release

enum class KeySide : uint8_t
{
    Neither,
    Left,
    Right,
};

// A key as the original names it: the virtual key the messages carry (Shift, Ctrl and Alt as their
// generic codes), which side of a doubled key it is, and whether the original calls it extended.
// code 0 when the keysym has no virtual key.
struct VirtualKey
{
    uint8_t code = 0;
    KeySide side = KeySide::Neither;
    bool extended = false;
    friend bool operator==(const VirtualKey&, const VirtualKey&) = default;
};

// The virtual key for an X keysym; letters in either case give 'A'..'Z', the keypad keeps its own codes.
[[nodiscard]] VirtualKey VirtualKeyFromKeysym(uint32_t keysym);

// The keyboard indicator that shows whether a lock key is on ("Caps Lock", "Num Lock", "Scroll Lock"); empty
// for any other key, which the program never sees toggled.
[[nodiscard]] std::string_view LockIndicatorName(uint8_t virtualKey);

// The keysym X uses for AltGr, which the original sees as left Ctrl together with right Alt.
inline constexpr uint32_t kKeysymAltGr = 0xFE03;

// The keys held, with sides. A generic code (Shift, Ctrl, Alt) is down while either side is.
class KeyboardState
{
public:
    // Records a press or a release of code on side; returns whether the key was down before.
    bool Update(uint8_t code, KeySide side, bool down);
    [[nodiscard]] bool IsDown(uint8_t code) const;
    // Forgets every key, e.g. before re-reading the keyboard when the focus comes back.
    void Clear() { mDown.fill(false); }

private:
    [[nodiscard]] static uint8_t SidedCode(uint8_t code, KeySide side);

    std::array<bool, 256> mDown{};
};

// A message of a key event, without a window yet.
struct KeyMessage
{
    uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    friend bool operator==(const KeyMessage&, const KeyMessage&) = default;
};

// The characters a key press types, in UTF-16 units: Ctrl (without Alt) with a letter gives 1..26,
// otherwise the text the keyboard layout produced (UTF-8) converted.
[[nodiscard]] std::u16string CharUnitsFor(uint32_t keysym, std::string_view text, bool ctrl, bool alt);

// Turns key events into the original's messages and keeps the keyboard state they imply.
class KeyTranslator
{
public:
    // The messages for one X key event: the key message (WM_SYSKEY... while Alt is held without Ctrl, or
    // for F10), then for a press its characters (WM_CHAR, WM_SYSCHAR beside a WM_SYSKEYDOWN). A press of
    // a key already down is an auto-repeat: the previous-state bit is set. AltGr gives left Ctrl and
    // right Alt.
    std::vector<KeyMessage> Translate(uint32_t keysym, uint8_t scanCode, bool down, std::string_view text);

    [[nodiscard]] KeyboardState& State() { return mState; }
    [[nodiscard]] const KeyboardState& State() const { return mState; }

private:
    void AddKeyMessage(std::vector<KeyMessage>& out, const VirtualKey& key, uint8_t scanCode, bool down,
                       bool wasDown, bool alt, bool ctrl) const;

    KeyboardState mState;
};
} // namespace Platform::Window
