#include "ZQFramework/Notification/KeyCode.h"

#include "ZQFramework/Utilities/Storage/String.h"

#include <map>
#include <string>

namespace ZQ
{
namespace
{
struct KeyName
{
    uint8_t virtualKey;
    const char16_t* name;
    const char16_t* display; // null: no display name
};

// Every virtual-key name with its display name. Where several names share a key, the first one listed
// gives the key's display name.
constexpr KeyName kKeyNames[] = {
    {0x08, u"VKEY_BACK", nullptr},
    {0x09, u"VKEY_TAB", nullptr},
    {0x0C, u"VKEY_CLEAR", u"Clear"},
    {0x0D, u"VKEY_RETURN", u"Return"},
    {0x10, u"VKEY_SHIFT", u"Shift"},
    {0x11, u"VKEY_CONTROL", u"Control"},
    {0x12, u"VKEY_MENU", u"Menu"},
    {0x13, u"VKEY_PAUSE", u"Pause"},
    {0x14, u"VKEY_CAPITAL", u"Capital"},
    {0x15, u"VKEY_KANA", u"Kana"},
    {0x15, u"VKEY_HANGEUL", u"Hangeul"},
    {0x15, u"VKEY_HANGUL", u"Hangul"},
    {0x17, u"VKEY_JUNJA", u"Junja"},
    {0x18, u"VKEY_FINAL", u"Final"},
    {0x19, u"VKEY_HANJA", u"Hanja"},
    {0x19, u"VKEY_KANJI", u"Kanji"},
    {0x1B, u"VKEY_ESCAPE", u"Escape"},
    {0x1C, u"VKEY_CONVERT", u"Convert"},
    {0x1D, u"VKEY_NONCONVERT", u"Non-convert"},
    {0x1E, u"VKEY_ACCEPT", u"Accept"},
    {0x1F, u"VKEY_MODECHANGE", u"Mode Change"},
    {0x20, u"VKEY_SPACE", u"Space"},
    {0x21, u"VKEY_PAGEUP", u"Page Up"},
    {0x22, u"VKEY_PAGEDN", u"Page Down"},
    {0x23, u"VKEY_END", u"End"},
    {0x24, u"VKEY_HOME", u"Home"},
    {0x25, u"VKEY_LEFT", u"Left Arrow"},
    {0x26, u"VKEY_UP", u"Up Arrow"},
    {0x27, u"VKEY_RIGHT", u"Right Arrow"},
    {0x28, u"VKEY_DOWN", u"Down Arrow"},
    {0x29, u"VKEY_SELECT", u"Select"},
    {0x2A, u"VKEY_PRINT", u"Print"},
    {0x2B, u"VKEY_EXECUTE", u"Execute"},
    {0x2C, u"VKEY_SNAPSHOT", u"Snapshot"},
    {0x2D, u"VKEY_INSERT", u"Insert"},
    {0x2E, u"VKEY_DELETE", u"Del"},
    {0x2F, u"VKEY_HELP", u"Help"},
    {0x30, u"VKEY_0", u"0"},
    {0x31, u"VKEY_1", u"1"},
    {0x32, u"VKEY_2", u"2"},
    {0x33, u"VKEY_3", u"3"},
    {0x34, u"VKEY_4", u"4"},
    {0x35, u"VKEY_5", u"5"},
    {0x36, u"VKEY_6", u"6"},
    {0x37, u"VKEY_7", u"7"},
    {0x38, u"VKEY_8", u"8"},
    {0x39, u"VKEY_9", u"9"},
    {0x41, u"VKEY_A", u"A"},
    {0x42, u"VKEY_B", u"B"},
    {0x43, u"VKEY_C", u"C"},
    {0x44, u"VKEY_D", u"D"},
    {0x45, u"VKEY_E", u"E"},
    {0x46, u"VKEY_F", u"F"},
    {0x47, u"VKEY_G", u"G"},
    {0x48, u"VKEY_H", u"H"},
    {0x49, u"VKEY_I", u"I"},
    {0x4A, u"VKEY_J", u"J"},
    {0x4B, u"VKEY_K", u"K"},
    {0x4C, u"VKEY_L", u"L"},
    {0x4D, u"VKEY_M", u"M"},
    {0x4E, u"VKEY_N", u"N"},
    {0x4F, u"VKEY_O", u"O"},
    {0x50, u"VKEY_P", u"P"},
    {0x51, u"VKEY_Q", u"Q"},
    {0x52, u"VKEY_R", u"R"},
    {0x53, u"VKEY_S", u"S"},
    {0x54, u"VKEY_T", u"T"},
    {0x55, u"VKEY_U", u"U"},
    {0x56, u"VKEY_V", u"V"},
    {0x57, u"VKEY_W", u"W"},
    {0x58, u"VKEY_X", u"X"},
    {0x59, u"VKEY_Y", u"Y"},
    {0x5A, u"VKEY_Z", u"Z"},
    {0x5B, u"VKEY_LWIN", u"Left Win"},
    {0x5C, u"VKEY_RWIN", u"Right Win"},
    {0x5D, u"VKEY_APPS", u"Apps"},
    {0x5F, u"VKEY_SLEEP", u"Sleep"},
    {0x60, u"VKEY_NUMPAD0", u"Numpad 0"},
    {0x61, u"VKEY_NUMPAD1", u"Numpad 1"},
    {0x62, u"VKEY_NUMPAD2", u"Numpad 2"},
    {0x63, u"VKEY_NUMPAD3", u"Numpad 3"},
    {0x64, u"VKEY_NUMPAD4", u"Numpad 4"},
    {0x65, u"VKEY_NUMPAD5", u"Numpad 5"},
    {0x66, u"VKEY_NUMPAD6", u"Numpad 6"},
    {0x67, u"VKEY_NUMPAD7", u"Numpad 7"},
    {0x68, u"VKEY_NUMPAD8", u"Numpad 8"},
    {0x69, u"VKEY_NUMPAD9", u"Numpad 9"},
    {0x6A, u"VKEY_MULTIPLY", u"*"},
    {0x6B, u"VKEY_ADD", u"+"},
    {0x6C, u"VKEY_SEPARATOR", u"Separator"},
    {0x6D, u"VKEY_SUBTRACT", u"-"},
    {0x6E, u"VKEY_DECIMAL", u"."},
    {0x6F, u"VKEY_DIVIDE", u"/"},
    {0x70, u"VKEY_F1", u"F1"},
    {0x71, u"VKEY_F2", u"F2"},
    {0x72, u"VKEY_F3", u"F3"},
    {0x73, u"VKEY_F4", u"F4"},
    {0x74, u"VKEY_F5", u"F5"},
    {0x75, u"VKEY_F6", u"F6"},
    {0x76, u"VKEY_F7", u"F7"},
    {0x77, u"VKEY_F8", u"F8"},
    {0x78, u"VKEY_F9", u"F9"},
    {0x79, u"VKEY_F10", u"F10"},
    {0x7A, u"VKEY_F11", u"F11"},
    {0x7B, u"VKEY_F12", u"F12"},
    {0x7C, u"VKEY_F13", u"F13"},
    {0x7D, u"VKEY_F14", u"F14"},
    {0x7E, u"VKEY_F15", u"F15"},
    {0x7F, u"VKEY_F16", u"F16"},
    {0x80, u"VKEY_F17", u"F17"},
    {0x81, u"VKEY_F18", u"F18"},
    {0x82, u"VKEY_F19", u"F19"},
    {0x83, u"VKEY_F20", u"F20"},
    {0x84, u"VKEY_F21", u"F21"},
    {0x85, u"VKEY_F22", u"F22"},
    {0x86, u"VKEY_F23", u"F23"},
    {0x87, u"VKEY_F24", u"F24"},
    {0x90, u"VKEY_NUMLOCK", u"Numlock"},
    {0x91, u"VKEY_SCROLL", u"Scroll"},
    {0x92, u"VKEY_OEM_NEC_EQUAL", u"NEC Equal"},
    {0x92, u"VKEY_OEM_FJ_JISHO", u"Jisho"},
    {0x93, u"VKEY_OEM_FJ_MASSHOU", u"Masshou"},
    {0x94, u"VKEY_OEM_FJ_TOUROKU", u"Touroku"},
    {0x95, u"VKEY_OEM_FJ_LOYA", u"Loya"},
    {0x96, u"VKEY_OEM_FJ_ROYA", u"Roya"},
    {0xA0, u"VKEY_LSHIFT", u"Left Shift"},
    {0xA1, u"VKEY_RSHIFT", u"Right Shift"},
    {0xA2, u"VKEY_LCONTROL", u"Left Control"},
    {0xA3, u"VKEY_RCONTROL", u"Right Control"},
    {0xA4, u"VKEY_LMENU", u"Left Menu"},
    {0xA5, u"VKEY_RMENU", u"Right Menu"},
    {0xA6, u"VKEY_BROWSER_BACK", u"Browser Back"},
    {0xA7, u"VKEY_BROWSER_FORWARD", u"Browser Forward"},
    {0xA8, u"VKEY_BROWSER_REFRESH", u"Browser Refresh"},
    {0xA9, u"VKEY_BROWSER_STOP", u"Browser Stop"},
    {0xAA, u"VKEY_BROWSER_SEARCH", u"Browser Search"},
    {0xAB, u"VKEY_BROWSER_FAVORITES", u"Browser Favorites"},
    {0xAC, u"VKEY_BROWSER_HOME", u"Browser Home"},
    {0xAD, u"VKEY_VOLUME_MUTE", u"Volume Mute"},
    {0xAE, u"VKEY_VOLUME_DOWN", u"Volume Down"},
    {0xAF, u"VKEY_VOLUME_UP", u"Volume Up"},
    {0xB0, u"VKEY_MEDIA_NEXT_TRACK", u"Media Next Track"},
    {0xB1, u"VKEY_MEDIA_PREV_TRACK", u"Media Prev Track"},
    {0xB2, u"VKEY_MEDIA_STOP", u"Media Stop"},
    {0xB3, u"VKEY_MEDIA_PLAY_PAUSE", u"Media Play Pause"},
    {0xB4, u"VKEY_LAUNCH_MAIL", u"Launch Mail"},
    {0xB5, u"VKEY_LAUNCH_MEDIA_SELECT", u"Launch Media Select"},
    {0xB6, u"VKEY_LAUNCH_APP1", u"Launch App 1"},
    {0xB7, u"VKEY_LAUNCH_APP2", u"Launch App 2"},
};

// The two lookup tables, built together on the first lookup of either kind; read-only afterwards.
struct KeyTables
{
    std::map<std::u16string, uint8_t> byName; // ordered by UTF-16 code units
    std::map<uint8_t, const char16_t*> displayByKey;

    KeyTables()
    {
        for (const KeyName& entry : kKeyNames)
        {
            byName.emplace(entry.name, entry.virtualKey);
            if (entry.display != nullptr)
                displayByKey.emplace(entry.virtualKey, entry.display); // the first entry of a key stays
        }
    }
};

const KeyTables& Tables()
{
    static const KeyTables tables;
    return tables;
}

uint32_t ModifierBits(uint32_t flags)
{
    uint32_t bits = 0;
    if ((flags & KeyCode::kInputCtrl) != 0)
        bits |= KeyCode::kCtrl;
    if ((flags & KeyCode::kInputShift) != 0)
        bits |= KeyCode::kShift;
    if ((flags & KeyCode::kInputAlt) != 0)
        bits |= KeyCode::kAlt;
    if ((flags & KeyCode::kInputWin) != 0)
        bits |= KeyCode::kWin;
    if ((flags & KeyCode::kInputExtra) != 0)
        bits |= KeyCode::kExtra;
    return bits;
}

// A side bit needs both the side's flag and the general flag of its modifier.
uint32_t SideBits(uint32_t flags)
{
    static constexpr uint32_t kMasks[8] = {0x18, 0x28, 0x3, 0x5, 0xC0, 0x140, 0x600, 0xA00};
    uint32_t sides = 0;
    for (uint32_t bit = 0; bit < 8; ++bit)
        if ((flags & kMasks[bit]) == kMasks[bit])
            sides |= 1u << bit;
    return sides;
}

WString ModifierPrefix(uint32_t code)
{
    WString text;
    if ((code & KeyCode::kCtrl) != 0)
        text.Append(WString(u"Ctrl+"));
    if ((code & KeyCode::kAlt) != 0)
        text.Append(WString(u"Alt+"));
    if ((code & KeyCode::kShift) != 0)
        text.Append(WString(u"Shift+"));
    if ((code & KeyCode::kWin) != 0)
        text.Append(WString(u"Cmd+"));
    return text;
}
} // namespace

KeyCode::KeyCode(char16_t character, uint32_t inputFlags)
    : mCode(static_cast<uint32_t>(character) | ModifierBits(inputFlags)), mSides(SideBits(inputFlags)),
      mWasDown(0)
{
}

KeyCode::KeyCode(uint8_t virtualKey, bool keyDown, uint8_t wasDown, uint32_t inputFlags)
    : mCode((static_cast<uint32_t>(virtualKey) << 16) | (keyDown ? kKeyDown : 0) | ModifierBits(inputFlags)),
      mSides(SideBits(inputFlags)), mWasDown(wasDown)
{
}

KeyCode KeyCode::FromString(const WString& text)
{
    KeyCode result;
    if (text.IsEmpty())
        return result;
    const WString upper = text.ToUpper();
    const bool alt = upper.Find(WString(u"ALT")) >= 0;

    const int keyName = upper.Find(WString(u"VKEY_"));
    if (keyName >= 0)
    {
        // Plain substring tests: order and separators do not matter.
        uint32_t modifiers = alt ? kAlt : 0;
        if (upper.Find(WString(u"CTRL")) >= 0)
            modifiers |= kCtrl;
        if (upper.Find(WString(u"SHIFT")) >= 0)
            modifiers |= kShift;
        // "Cmd" is how ToString writes Win, so it reads back too.
        if (upper.Find(WString(u"COMMAND")) >= 0 || upper.Find(WString(u"CMD")) >= 0)
            modifiers |= kWin;
        const uint32_t virtualKey = GetVirtualKeyFromName(upper.Mid(keyName));
        result.mCode = (virtualKey << 16) | kKeyDown | modifiers;
        return result;
    }

    // A character: a typed character already reflects Ctrl and Shift, so only Alt counts.
    const uint32_t altBit = alt ? kAlt : 0;
    const int open = upper.Find(u'[', 0);
    if (open >= 0)
    {
        const int close = upper.Find(u']', 0);
        if (close >= 0)
        {
            const WString number = close > open ? upper.Mid(open + 1, close - open - 1) : WString();
            result.mCode = (static_cast<uint32_t>(number.ToInt()) & kCharacterMask) | altBit;
        }
        return result;
    }
    result.mCode = static_cast<uint32_t>(text.GetAt(text.GetLength() - 1)) | altBit;
    return result;
}

WString KeyCode::ToString() const
{
    WString text = ModifierPrefix(mCode);
    if ((mCode & kNoBinding) == 0)
    {
        const uint8_t virtualKey = GetVirtualKey();
        if (virtualKey != 0)
            text.Append(GetVirtualKeyName(virtualKey));
        else
            text.Append(WString::Format(u"[%d]", static_cast<int>(mCode & kCharacterMask)));
    }
    return text;
}

WString KeyCode::ToDisplayString() const
{
    WString text = ModifierPrefix(mCode);
    if ((mCode & kNoBinding) == 0)
    {
        const uint8_t virtualKey = GetVirtualKey();
        const uint32_t character = mCode & kCharacterMask;
        if (virtualKey != 0)
            text.Append(GetVirtualKeyDisplayName(virtualKey));
        else if (character >= 1 && character <= 26)
            text.Append(WString(u"Ctrl+") + WString(static_cast<char16_t>(u'A' + character - 1)));
        else if (character >= 33 && character <= 126)
            text.Append(WString(static_cast<char16_t>(character)));
    }
    return text;
}

bool KeyCode::operator==(const KeyCode& other) const
{
    constexpr uint32_t kKeyOrNoBinding = kNoBinding | kVirtualKeyMask;
    if (((mCode | other.mCode) & kKeyOrNoBinding) == 0)
        return ((mCode ^ other.mCode) & ~(kCtrl | kShift)) == 0;
    return mCode == other.mCode;
}

uint8_t KeyCode::GetVirtualKeyFromName(const WString& name)
{
    const auto& byName = Tables().byName;
    const auto found = byName.find(std::u16string(name.GetBuffer()));
    return found == byName.end() ? 0 : found->second;
}

WString KeyCode::GetVirtualKeyName(uint32_t virtualKey)
{
    for (const auto& [name, key] : Tables().byName)
        if (key == virtualKey)
            return WString(name.c_str());
    return WString();
}

WString KeyCode::GetVirtualKeyDisplayName(uint32_t virtualKey)
{
    const auto& displayByKey = Tables().displayByKey;
    const auto found =
        virtualKey <= 0xFF ? displayByKey.find(static_cast<uint8_t>(virtualKey)) : displayByKey.end();
    return found == displayByKey.end() ? WString() : WString(found->second);
}
} // namespace ZQ
