#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <gtest/gtest.h>

using namespace ZQ;

namespace
{
std::u16string Str(const WString& text)
{
    return text.GetBuffer();
}
} // namespace

// Runs first in this file on purpose: reverse lookups build the tables themselves.
TEST(KeyCode, ReverseLookupsWorkBeforeAnyParse)
{
    EXPECT_EQ(Str(KeyCode::GetVirtualKeyName(0x15)), u"VKEY_HANGEUL");
    EXPECT_EQ(Str(KeyCode::GetVirtualKeyName(0x19)), u"VKEY_HANJA");
    EXPECT_EQ(Str(KeyCode::GetVirtualKeyName(0x92)), u"VKEY_OEM_FJ_JISHO");
    EXPECT_EQ(Str(KeyCode::GetVirtualKeyName(0x07)), u"");
    EXPECT_EQ(Str(KeyCode::GetVirtualKeyDisplayName(0x15)), u"Kana");
    EXPECT_EQ(Str(KeyCode::GetVirtualKeyDisplayName(0x92)), u"NEC Equal");
    EXPECT_EQ(Str(KeyCode::GetVirtualKeyDisplayName(0x22)), u"Page Down");
    EXPECT_EQ(KeyCode::GetVirtualKeyFromName(u"VKEY_PAGEDN"), 0x22);
    EXPECT_EQ(KeyCode::GetVirtualKeyFromName(u"VKEY_LAUNCH_APP2"), 0xB7);
    EXPECT_EQ(KeyCode::GetVirtualKeyFromName(u"vkey_f4"), 0); // exact names; FromString capitalises
}

TEST(KeyCode, EveryVirtualKeyNameRoundTrips)
{
    int named = 0, displayed = 0;
    for (uint32_t vk = 1; vk <= 0xFF; ++vk)
    {
        const WString name = KeyCode::GetVirtualKeyName(vk);
        displayed += KeyCode::GetVirtualKeyDisplayName(vk).IsEmpty() ? 0 : 1;
        if (name.IsEmpty())
            continue;
        ++named;
        EXPECT_EQ(KeyCode::GetVirtualKeyFromName(name), vk);
        const KeyCode parsed = KeyCode::FromString(name);
        EXPECT_EQ(parsed.GetVirtualKey(), vk) << name.ToNarrow().GetBuffer();
    }
    EXPECT_EQ(named, 145);     // 149 names, four of them sharing a key with another
    EXPECT_EQ(displayed, 143); // BACK and TAB have none
}

TEST(KeyCode, ParsesTextForms)
{
    struct Case
    {
        const char16_t* text;
        uint32_t code;
    };
    const Case cases[] = {
        {u"Alt+VKEY_F4", 0x24730000},
        {u"alt+vkey_f4", 0x24730000},
        {u"Alt VKEY_F4", 0x24730000},
        {u"VKEY_F4+Alt", 0x24000000}, // the key name runs to the end and is not found
        {u"VKEY_NOSUCHKEY", 0x20000000},
        {u"VKEY_SHIFT", 0x22100000}, // the name itself says Shift
        {u"Ctrl+Shift+Command+VKEY_A", 0x2B410000},
        {u"Cmd+VKEY_A", 0x28410000},
        {u"Ctrl+Shift+[65]", 65}, // characters keep only Alt
        {u"Alt+[97]", 0x04000061},
        {u"Ctrl+[3", 0x20000000}, // "[" without "]"
        {u"[70000]", 70000 & 0xFFFF},
        {u"Ctrl+a", 0x61},
        {u"", 0x20000000},
    };
    for (const Case& c : cases)
    {
        const KeyCode key = KeyCode::FromString(c.text);
        EXPECT_EQ(key.GetCode(), c.code)
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_EQ(key.GetSides(), 0u);
        EXPECT_EQ(key.GetWasDown(), 0);
    }
}

TEST(KeyCode, PrintsParseableAndDisplayTexts)
{
    struct Case
    {
        uint32_t code;
        const char16_t* text;
        const char16_t* display;
    };
    const Case cases[] = {
        {0x24730000, u"Alt+VKEY_F4", u"Alt+F4"},
        {0x2F730000, u"Ctrl+Alt+Shift+Cmd+VKEY_F4", u"Ctrl+Alt+Shift+Cmd+F4"},
        {65, u"[65]", u"A"},
        {32, u"[32]", u""},
        {3, u"[3]", u"Ctrl+C"},
        {0x20080000, u"VKEY_BACK", u""},
        {0x80000000, u"", u""},
        {0x81000000, u"Ctrl+", u"Ctrl+"},
        {0x30150000, u"VKEY_HANGEUL", u"Kana"}, // bit 28 is not shown
    };
    for (const Case& c : cases)
    {
        const KeyCode key(c.code, 0, 0);
        EXPECT_EQ(Str(key.ToString()), c.text);
        EXPECT_EQ(Str(key.ToDisplayString()), c.display);
    }
}

TEST(KeyCode, PrintedTextParsesBackToTheSameKey)
{
    // Key-down virtual-key codes keep key and modifiers; character codes keep the character and Alt.
    const uint32_t codes[] = {0x24730000, 0x2F730000, 0x28410000, 0x21080000, 0x04000061, 65, 0xFFFF};
    for (const uint32_t code : codes)
    {
        const KeyCode key(code, 0, 0);
        EXPECT_EQ(KeyCode::FromString(key.ToString()).GetCode(), code) << std::hex << code;
    }
    // Bit 28 is not printed, and a typed character already reflects Ctrl and Shift.
    EXPECT_EQ(KeyCode::FromString(KeyCode(0x30730000u, 0, 0).ToString()).GetCode(), 0x20730000u);
    EXPECT_EQ(KeyCode::FromString(KeyCode(0x03000041u, 0, 0).ToString()).GetCode(), 0x41u);
}

TEST(KeyCode, EqualityIgnoresCtrlAndShiftOfCharactersOnly)
{
    const KeyCode a(u'a', 0), ctrlA(u'a', KeyCode::kInputCtrl | KeyCode::kInputLeftCtrl),
        altA(u'a', KeyCode::kInputAlt);
    EXPECT_EQ(a, ctrlA);
    EXPECT_NE(a, altA);
    EXPECT_EQ(ctrlA.GetSides(), 0x4u);

    const KeyCode f4(0x73, true, 0, 0),
        shiftF4(0x73, true, 1, KeyCode::kInputShift | KeyCode::kInputRightShift);
    EXPECT_NE(f4, shiftF4);
    EXPECT_EQ(shiftF4.GetCode(), 0x22730000u);
    EXPECT_EQ(shiftF4.GetSides(), 0x2u);
    EXPECT_EQ(f4, KeyCode(0x73, true, 1, 0)); // WasDown does not count
    EXPECT_NE(KeyCode(0x80000000u, 0, 0), KeyCode(0, 0, 0));
}

TEST(KeyCode, InputFlagsGiveModifierAndSideBits)
{
    struct Case
    {
        uint32_t flags;
        uint32_t modifiers;
        uint32_t sides;
    };
    const Case cases[] = {
        {0x18, KeyCode::kShift, 0x01}, {0x28, KeyCode::kShift, 0x02}, {0x10, 0, 0},
        {0x03, KeyCode::kCtrl, 0x04},  {0x05, KeyCode::kCtrl, 0x08},  {0xC0, KeyCode::kAlt, 0x10},
        {0x140, KeyCode::kAlt, 0x20},  {0x600, KeyCode::kWin, 0x40},  {0xA00, KeyCode::kWin, 0x80},
        {0x1000, KeyCode::kExtra, 0},
    };
    for (const Case& c : cases)
    {
        const KeyCode typed(u'x', c.flags);
        EXPECT_EQ(typed.GetCode(), u'x' | c.modifiers) << std::hex << c.flags;
        EXPECT_EQ(typed.GetSides(), c.sides) << std::hex << c.flags;
        const KeyCode key(0x41, false, 1, c.flags);
        EXPECT_EQ(key.GetCode(), 0x00410000u | c.modifiers);
    }
}
