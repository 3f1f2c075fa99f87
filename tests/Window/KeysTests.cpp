#include "Platform/Window/Keys.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace
{
using namespace Platform::Window;

TEST(WindowKeys, KeysymTableGivesVirtualKeysWithSides)
{
    struct Case
    {
        uint32_t keysym;
        VirtualKey key;
    };
    const Case cases[] = {
        {XK_a, {'A', KeySide::Neither, false}},
        {XK_Z, {'Z', KeySide::Neither, false}},
        {XK_7, {'7', KeySide::Neither, false}},
        {XK_F1, {kVkF1, KeySide::Neither, false}},
        {XK_F12, {0x7B, KeySide::Neither, false}},
        {XK_KP_3, {0x63, KeySide::Neither, false}},
        {XK_KP_Enter, {kVkReturn, KeySide::Neither, true}},
        {XK_Return, {kVkReturn, KeySide::Neither, false}},
        {XK_Left, {kVkLeft, KeySide::Neither, true}},
        {XK_KP_Left, {kVkLeft, KeySide::Neither, false}},
        {XK_Delete, {kVkDelete, KeySide::Neither, true}},
        {XK_Shift_L, {kVkShift, KeySide::Left, false}},
        {XK_Shift_R, {kVkShift, KeySide::Right, false}},
        {XK_Control_R, {kVkControl, KeySide::Right, true}},
        {XK_Alt_L, {kVkMenu, KeySide::Left, false}},
        {XK_ISO_Level3_Shift, {kVkMenu, KeySide::Right, true}},
        {XK_Super_R, {kVkRWin, KeySide::Neither, true}},
        {XK_semicolon, {kVkOem1, KeySide::Neither, false}},
        {XK_bracketleft, {kVkOem4, KeySide::Neither, false}},
        {XK_space, {kVkSpace, KeySide::Neither, false}},
        {XK_dead_acute, {}},
        {XK_eacute, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VirtualKeyFromKeysym(c.keysym), c.key) << std::hex << c.keysym;
}

TEST(WindowKeys, LockKeysAreReadFromTheirIndicators)
{
    EXPECT_EQ(LockIndicatorName(kVkCapital), "Caps Lock");
    EXPECT_EQ(LockIndicatorName(kVkNumLock), "Num Lock");
    EXPECT_EQ(LockIndicatorName(kVkScroll), "Scroll Lock");
    for (uint8_t other : {kVkShift, kVkInsert, uint8_t{'A'}, uint8_t{0}})
        EXPECT_TRUE(LockIndicatorName(other).empty()) << int{other};
}

TEST(WindowKeys, StateTracksSidesAndGenericCodes)
{
    KeyboardState state;
    EXPECT_FALSE(state.Update(kVkShift, KeySide::Right, true));
    EXPECT_TRUE(state.IsDown(kVkShift));
    EXPECT_TRUE(state.IsDown(kVkRShift));
    EXPECT_FALSE(state.IsDown(kVkLShift));
    EXPECT_TRUE(state.Update(kVkShift, KeySide::Right, true));
    state.Update(kVkShift, KeySide::Left, true);
    state.Update(kVkShift, KeySide::Right, false);
    EXPECT_TRUE(state.IsDown(kVkShift)) << "the left side is still held";
    state.Clear();
    EXPECT_FALSE(state.IsDown(kVkShift));
}

TEST(WindowKeys, TranslatorMakesKeyAndCharMessages)
{
    KeyTranslator keys;
    const LParam scan = LParam{38} << 16;

    auto down = keys.Translate(XK_a, 38, true, "a");
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[0], (KeyMessage{kWmKeyDown, 'A', 1 | scan}));
    EXPECT_EQ(down[1], (KeyMessage{kWmChar, u'a', 1 | scan}));

    auto repeat = keys.Translate(XK_a, 38, true, "a");
    EXPECT_EQ(repeat[0].lParam & kKeyPreviousBit, kKeyPreviousBit) << "auto-repeat";

    auto up = keys.Translate(XK_a, 38, false, "");
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0], (KeyMessage{kWmKeyUp, 'A', 1 | scan | kKeyPreviousBit | kKeyTransitionBit}));
}

TEST(WindowKeys, AltGivesSysMessagesCtrlLettersGiveControlCodes)
{
    KeyTranslator keys;
    EXPECT_EQ(keys.Translate(XK_Alt_L, 64, true, "")[0].message, kWmSysKeyDown);
    auto altF = keys.Translate(XK_f, 41, true, "f");
    ASSERT_EQ(altF.size(), 2u);
    EXPECT_EQ(altF[0].message, kWmSysKeyDown);
    EXPECT_NE(altF[0].lParam & kKeyContextBit, 0);
    EXPECT_EQ(altF[1].message, kWmSysChar);
    keys.Translate(XK_f, 41, false, "");
    EXPECT_EQ(keys.Translate(XK_Alt_L, 64, false, "")[0].message, kWmSysKeyUp);

    EXPECT_EQ(keys.Translate(XK_F10, 76, true, "")[0].message, kWmSysKeyDown);
    keys.Translate(XK_F10, 76, false, "");

    keys.Translate(XK_Control_L, 37, true, "");
    auto ctrlC = keys.Translate(XK_c, 54, true, "\x03");
    ASSERT_EQ(ctrlC.size(), 2u);
    EXPECT_EQ(ctrlC[0].message, kWmKeyDown);
    EXPECT_EQ(ctrlC[1], (KeyMessage{kWmChar, 3, ctrlC[0].lParam}));
    auto ctrlZ = keys.Translate(XK_Z, 52, true, "");
    EXPECT_EQ(ctrlZ.back().wParam, 26u);
}

TEST(WindowKeys, AltGrIsLeftCtrlWithRightAltAndTypesItsText)
{
    KeyTranslator keys;
    auto press = keys.Translate(kKeysymAltGr, 108, true, "");
    ASSERT_EQ(press.size(), 2u);
    EXPECT_EQ(press[0].message, kWmKeyDown);
    EXPECT_EQ(press[0].wParam, kVkControl);
    EXPECT_EQ(press[1].message, kWmKeyDown) << "Ctrl with Alt is no system key";
    EXPECT_EQ(press[1].wParam, kVkMenu);
    EXPECT_TRUE(keys.State().IsDown(kVkLControl));
    EXPECT_TRUE(keys.State().IsDown(kVkRMenu));

    auto at = keys.Translate(XK_at, 24, true, "@");
    ASSERT_EQ(at.size(), 1u) << "no virtual key, but the text still types";
    EXPECT_EQ(at[0].message, kWmChar);
    EXPECT_EQ(at[0].wParam, u'@');

    keys.Translate(kKeysymAltGr, 108, false, "");
    EXPECT_FALSE(keys.State().IsDown(kVkControl));
    EXPECT_FALSE(keys.State().IsDown(kVkMenu));
}

TEST(WindowKeys, TextBeyondTheBasicPlaneIsTwoUtf16Units)
{
    EXPECT_EQ(CharUnitsFor(0, "\xF0\x9F\x8E\xB5", false, false), u"\U0001F3B5");
    EXPECT_EQ(CharUnitsFor(0, "\xC3\xA9", false, false), u"\u00E9");
    EXPECT_EQ(CharUnitsFor(XK_q, "q", true, true), u"q") << "Ctrl with Alt keeps the text";
}
} // namespace
