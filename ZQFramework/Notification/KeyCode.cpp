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
    VKey key;
    const char16_t* name;
    const char16_t* display; // null: no display name
};

// Every virtual-key name with its display name. Where several names share a key, the first one listed
// gives the key's display name.
constexpr KeyName kKeyNames[] = {
    {VKey::Back, u"VKEY_BACK", nullptr},
    {VKey::Tab, u"VKEY_TAB", nullptr},
    {VKey::Clear, u"VKEY_CLEAR", u"Clear"},
    {VKey::Return, u"VKEY_RETURN", u"Return"},
    {VKey::Shift, u"VKEY_SHIFT", u"Shift"},
    {VKey::Control, u"VKEY_CONTROL", u"Control"},
    {VKey::Menu, u"VKEY_MENU", u"Menu"},
    {VKey::Pause, u"VKEY_PAUSE", u"Pause"},
    {VKey::Capital, u"VKEY_CAPITAL", u"Capital"},
    {VKey::Kana, u"VKEY_KANA", u"Kana"},
    {VKey::Hangeul, u"VKEY_HANGEUL", u"Hangeul"},
    {VKey::Hangul, u"VKEY_HANGUL", u"Hangul"},
    {VKey::Junja, u"VKEY_JUNJA", u"Junja"},
    {VKey::Final, u"VKEY_FINAL", u"Final"},
    {VKey::Hanja, u"VKEY_HANJA", u"Hanja"},
    {VKey::Kanji, u"VKEY_KANJI", u"Kanji"},
    {VKey::Escape, u"VKEY_ESCAPE", u"Escape"},
    {VKey::Convert, u"VKEY_CONVERT", u"Convert"},
    {VKey::NonConvert, u"VKEY_NONCONVERT", u"Non-convert"},
    {VKey::Accept, u"VKEY_ACCEPT", u"Accept"},
    {VKey::ModeChange, u"VKEY_MODECHANGE", u"Mode Change"},
    {VKey::Space, u"VKEY_SPACE", u"Space"},
    {VKey::PageUp, u"VKEY_PAGEUP", u"Page Up"},
    {VKey::PageDown, u"VKEY_PAGEDN", u"Page Down"},
    {VKey::End, u"VKEY_END", u"End"},
    {VKey::Home, u"VKEY_HOME", u"Home"},
    {VKey::Left, u"VKEY_LEFT", u"Left Arrow"},
    {VKey::Up, u"VKEY_UP", u"Up Arrow"},
    {VKey::Right, u"VKEY_RIGHT", u"Right Arrow"},
    {VKey::Down, u"VKEY_DOWN", u"Down Arrow"},
    {VKey::Select, u"VKEY_SELECT", u"Select"},
    {VKey::Print, u"VKEY_PRINT", u"Print"},
    {VKey::Execute, u"VKEY_EXECUTE", u"Execute"},
    {VKey::Snapshot, u"VKEY_SNAPSHOT", u"Snapshot"},
    {VKey::Insert, u"VKEY_INSERT", u"Insert"},
    {VKey::Delete, u"VKEY_DELETE", u"Del"},
    {VKey::Help, u"VKEY_HELP", u"Help"},
    {VKey::Digit0, u"VKEY_0", u"0"},
    {VKey::Digit1, u"VKEY_1", u"1"},
    {VKey::Digit2, u"VKEY_2", u"2"},
    {VKey::Digit3, u"VKEY_3", u"3"},
    {VKey::Digit4, u"VKEY_4", u"4"},
    {VKey::Digit5, u"VKEY_5", u"5"},
    {VKey::Digit6, u"VKEY_6", u"6"},
    {VKey::Digit7, u"VKEY_7", u"7"},
    {VKey::Digit8, u"VKEY_8", u"8"},
    {VKey::Digit9, u"VKEY_9", u"9"},
    {VKey::A, u"VKEY_A", u"A"},
    {VKey::B, u"VKEY_B", u"B"},
    {VKey::C, u"VKEY_C", u"C"},
    {VKey::D, u"VKEY_D", u"D"},
    {VKey::E, u"VKEY_E", u"E"},
    {VKey::F, u"VKEY_F", u"F"},
    {VKey::G, u"VKEY_G", u"G"},
    {VKey::H, u"VKEY_H", u"H"},
    {VKey::I, u"VKEY_I", u"I"},
    {VKey::J, u"VKEY_J", u"J"},
    {VKey::K, u"VKEY_K", u"K"},
    {VKey::L, u"VKEY_L", u"L"},
    {VKey::M, u"VKEY_M", u"M"},
    {VKey::N, u"VKEY_N", u"N"},
    {VKey::O, u"VKEY_O", u"O"},
    {VKey::P, u"VKEY_P", u"P"},
    {VKey::Q, u"VKEY_Q", u"Q"},
    {VKey::R, u"VKEY_R", u"R"},
    {VKey::S, u"VKEY_S", u"S"},
    {VKey::T, u"VKEY_T", u"T"},
    {VKey::U, u"VKEY_U", u"U"},
    {VKey::V, u"VKEY_V", u"V"},
    {VKey::W, u"VKEY_W", u"W"},
    {VKey::X, u"VKEY_X", u"X"},
    {VKey::Y, u"VKEY_Y", u"Y"},
    {VKey::Z, u"VKEY_Z", u"Z"},
    {VKey::LWin, u"VKEY_LWIN", u"Left Win"},
    {VKey::RWin, u"VKEY_RWIN", u"Right Win"},
    {VKey::Apps, u"VKEY_APPS", u"Apps"},
    {VKey::Sleep, u"VKEY_SLEEP", u"Sleep"},
    {VKey::Numpad0, u"VKEY_NUMPAD0", u"Numpad 0"},
    {VKey::Numpad1, u"VKEY_NUMPAD1", u"Numpad 1"},
    {VKey::Numpad2, u"VKEY_NUMPAD2", u"Numpad 2"},
    {VKey::Numpad3, u"VKEY_NUMPAD3", u"Numpad 3"},
    {VKey::Numpad4, u"VKEY_NUMPAD4", u"Numpad 4"},
    {VKey::Numpad5, u"VKEY_NUMPAD5", u"Numpad 5"},
    {VKey::Numpad6, u"VKEY_NUMPAD6", u"Numpad 6"},
    {VKey::Numpad7, u"VKEY_NUMPAD7", u"Numpad 7"},
    {VKey::Numpad8, u"VKEY_NUMPAD8", u"Numpad 8"},
    {VKey::Numpad9, u"VKEY_NUMPAD9", u"Numpad 9"},
    {VKey::Multiply, u"VKEY_MULTIPLY", u"*"},
    {VKey::Add, u"VKEY_ADD", u"+"},
    {VKey::Separator, u"VKEY_SEPARATOR", u"Separator"},
    {VKey::Subtract, u"VKEY_SUBTRACT", u"-"},
    {VKey::Decimal, u"VKEY_DECIMAL", u"."},
    {VKey::Divide, u"VKEY_DIVIDE", u"/"},
    {VKey::F1, u"VKEY_F1", u"F1"},
    {VKey::F2, u"VKEY_F2", u"F2"},
    {VKey::F3, u"VKEY_F3", u"F3"},
    {VKey::F4, u"VKEY_F4", u"F4"},
    {VKey::F5, u"VKEY_F5", u"F5"},
    {VKey::F6, u"VKEY_F6", u"F6"},
    {VKey::F7, u"VKEY_F7", u"F7"},
    {VKey::F8, u"VKEY_F8", u"F8"},
    {VKey::F9, u"VKEY_F9", u"F9"},
    {VKey::F10, u"VKEY_F10", u"F10"},
    {VKey::F11, u"VKEY_F11", u"F11"},
    {VKey::F12, u"VKEY_F12", u"F12"},
    {VKey::F13, u"VKEY_F13", u"F13"},
    {VKey::F14, u"VKEY_F14", u"F14"},
    {VKey::F15, u"VKEY_F15", u"F15"},
    {VKey::F16, u"VKEY_F16", u"F16"},
    {VKey::F17, u"VKEY_F17", u"F17"},
    {VKey::F18, u"VKEY_F18", u"F18"},
    {VKey::F19, u"VKEY_F19", u"F19"},
    {VKey::F20, u"VKEY_F20", u"F20"},
    {VKey::F21, u"VKEY_F21", u"F21"},
    {VKey::F22, u"VKEY_F22", u"F22"},
    {VKey::F23, u"VKEY_F23", u"F23"},
    {VKey::F24, u"VKEY_F24", u"F24"},
    {VKey::NumLock, u"VKEY_NUMLOCK", u"Numlock"},
    {VKey::Scroll, u"VKEY_SCROLL", u"Scroll"},
    {VKey::OemNecEqual, u"VKEY_OEM_NEC_EQUAL", u"NEC Equal"},
    {VKey::OemFjJisho, u"VKEY_OEM_FJ_JISHO", u"Jisho"},
    {VKey::OemFjMasshou, u"VKEY_OEM_FJ_MASSHOU", u"Masshou"},
    {VKey::OemFjTouroku, u"VKEY_OEM_FJ_TOUROKU", u"Touroku"},
    {VKey::OemFjLoya, u"VKEY_OEM_FJ_LOYA", u"Loya"},
    {VKey::OemFjRoya, u"VKEY_OEM_FJ_ROYA", u"Roya"},
    {VKey::LShift, u"VKEY_LSHIFT", u"Left Shift"},
    {VKey::RShift, u"VKEY_RSHIFT", u"Right Shift"},
    {VKey::LControl, u"VKEY_LCONTROL", u"Left Control"},
    {VKey::RControl, u"VKEY_RCONTROL", u"Right Control"},
    {VKey::LMenu, u"VKEY_LMENU", u"Left Menu"},
    {VKey::RMenu, u"VKEY_RMENU", u"Right Menu"},
    {VKey::BrowserBack, u"VKEY_BROWSER_BACK", u"Browser Back"},
    {VKey::BrowserForward, u"VKEY_BROWSER_FORWARD", u"Browser Forward"},
    {VKey::BrowserRefresh, u"VKEY_BROWSER_REFRESH", u"Browser Refresh"},
    {VKey::BrowserStop, u"VKEY_BROWSER_STOP", u"Browser Stop"},
    {VKey::BrowserSearch, u"VKEY_BROWSER_SEARCH", u"Browser Search"},
    {VKey::BrowserFavorites, u"VKEY_BROWSER_FAVORITES", u"Browser Favorites"},
    {VKey::BrowserHome, u"VKEY_BROWSER_HOME", u"Browser Home"},
    {VKey::VolumeMute, u"VKEY_VOLUME_MUTE", u"Volume Mute"},
    {VKey::VolumeDown, u"VKEY_VOLUME_DOWN", u"Volume Down"},
    {VKey::VolumeUp, u"VKEY_VOLUME_UP", u"Volume Up"},
    {VKey::MediaNextTrack, u"VKEY_MEDIA_NEXT_TRACK", u"Media Next Track"},
    {VKey::MediaPrevTrack, u"VKEY_MEDIA_PREV_TRACK", u"Media Prev Track"},
    {VKey::MediaStop, u"VKEY_MEDIA_STOP", u"Media Stop"},
    {VKey::MediaPlayPause, u"VKEY_MEDIA_PLAY_PAUSE", u"Media Play Pause"},
    {VKey::LaunchMail, u"VKEY_LAUNCH_MAIL", u"Launch Mail"},
    {VKey::LaunchMediaSelect, u"VKEY_LAUNCH_MEDIA_SELECT", u"Launch Media Select"},
    {VKey::LaunchApp1, u"VKEY_LAUNCH_APP1", u"Launch App 1"},
    {VKey::LaunchApp2, u"VKEY_LAUNCH_APP2", u"Launch App 2"},
};

// The two lookup tables, built together on the first lookup of either kind; read-only afterwards.
struct KeyTables
{
    std::map<std::u16string, VKey> byName; // ordered by UTF-16 code units
    std::map<VKey, const char16_t*> displayByKey;

    KeyTables()
    {
        for (const KeyName& entry : kKeyNames)
        {
            byName.emplace(entry.name, entry.key);
            if (entry.display != nullptr)
                displayByKey.emplace(entry.key, entry.display); // the first entry of a key stays
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
    return found == byName.end() ? 0 : static_cast<uint8_t>(found->second);
}

WString KeyCode::GetVirtualKeyName(uint32_t virtualKey)
{
    for (const auto& [name, key] : Tables().byName)
        if (static_cast<uint32_t>(key) == virtualKey)
            return WString(name.c_str());
    return WString();
}

WString KeyCode::GetVirtualKeyDisplayName(uint32_t virtualKey)
{
    const auto& displayByKey = Tables().displayByKey;
    const auto found =
        virtualKey <= 0xFF ? displayByKey.find(static_cast<VKey>(virtualKey)) : displayByKey.end();
    return found == displayByKey.end() ? WString() : WString(found->second);
}
} // namespace ZQ
