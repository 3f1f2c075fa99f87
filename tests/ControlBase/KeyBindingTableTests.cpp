#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Services/KeyBindingTable.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"

#include <gtest/gtest.h>

using namespace ZQ;
using TestSupport::Utf8;

namespace
{
const KeyCode kAltF4 = KeyCode::FromString(u"Alt+VKEY_F4");
const KeyCode kCharA(u'a', 0);
const KeyCode kCtrlA(u'a', KeyCode::kInputCtrl);
} // namespace

TEST(KeyBindingTable, AKeyIsBoundToOneActionOnly)
{
    KeyBindingTable table;
    EXPECT_EQ(table.AddBinding(kAltF4, u"NID_APP_EXIT_REQ"), S_OK);
    EXPECT_EQ(table.AddBinding(kAltF4, u"NID_OTHER"), E_INVALIDARG);
    EXPECT_EQ(table.AddBinding(kAltF4, u"NID_APP_EXIT_REQ"), E_INVALIDARG);
    EXPECT_EQ(table.GetKeysForAction(u"NID_APP_EXIT_REQ").GetCount(), 1u);
    EXPECT_FALSE(table.HasBinding(u"NID_OTHER"));
    EXPECT_EQ(Utf8(table.GetActionForKey(kAltF4)), "NID_APP_EXIT_REQ");

    // A character with Ctrl equals the character without it.
    EXPECT_EQ(table.AddBinding(kCtrlA, u"NID_SELECT_ALL"), S_OK);
    EXPECT_EQ(table.AddBinding(kCharA, u"NID_TYPE_A"), E_INVALIDARG);
    EXPECT_EQ(Utf8(table.GetActionForKey(kCharA)), "NID_SELECT_ALL");

    EXPECT_EQ(table.AddBinding(KeyCode::FromString(u"VKEY_F5"), u""), E_INVALIDARG);
    EXPECT_EQ(Utf8(table.GetActionForKey(KeyCode::FromString(u"VKEY_F6"))), "");
}

TEST(KeyBindingTable, KeysOfAnActionKeepBindingOrder)
{
    KeyBindingTable table;
    const KeyCode f5 = KeyCode::FromString(u"VKEY_F5");
    const KeyCode ctrlR = KeyCode::FromString(u"Ctrl+VKEY_R");
    ASSERT_EQ(table.AddBinding(f5, u"NID_REFRESH"), S_OK);
    ASSERT_EQ(table.AddBinding(ctrlR, u"NID_REFRESH"), S_OK);
    const Array<KeyCode> keys = table.GetKeysForAction(u"NID_REFRESH");
    ASSERT_EQ(keys.GetCount(), 2u);
    EXPECT_EQ(keys.GetAt(0), f5);
    EXPECT_EQ(keys.GetAt(1), ctrlR);
    EXPECT_EQ(table.GetFirstKeyForAction(u"NID_REFRESH"), f5);

    EXPECT_FALSE(table.HasBinding(u"NID_UNBOUND"));
    EXPECT_FALSE(table.HasBinding(u""));
    EXPECT_EQ(table.GetKeysForAction(u"").GetCount(), 0u);
    const KeyCode none = table.GetFirstKeyForAction(u"NID_UNBOUND");
    EXPECT_EQ(none.GetCode(), 0x80000000u);
    EXPECT_EQ(none.GetSides(), 0u);
    EXPECT_EQ(none.GetWasDown(), 0);
}

TEST(KeyBindingTable, LoadBindingsTakesPrefixedEntriesInKeyOrder)
{
    KeyBindingTable table;
    EXPECT_EQ(table.LoadBindings(nullptr, u"GHK"), E_INVALIDARG);

    const RCPtr<LStringTable> strings = LStringTable::Create({
        {u"GHK.NID_B_SECOND", u"Alt+VKEY_F4"}, // sorts after NID_A_FIRST: refused
        {u"GHK.NID_A_FIRST", u"Alt+VKEY_F4"},
        {u"GHKx.NID_SKIPPED", u"VKEY_F7"},
        {u"ghk.NID_LOWER", u"VKEY_F8"},
        {u"GHK.menu.NID_NESTED", u"VKEY_F9"},
        {u"GHK.NID_UNREADABLE", u"VKEY_NO_SUCH_KEY"},
        {u"LABEL", u"Exit"},
    });
    EXPECT_EQ(table.LoadBindings(strings, u"GHK"), S_OK);
    EXPECT_EQ(Utf8(table.GetActionForKey(kAltF4)), "NID_A_FIRST");
    EXPECT_FALSE(table.HasBinding(u"NID_B_SECOND"));
    EXPECT_FALSE(table.HasBinding(u"NID_SKIPPED"));
    EXPECT_FALSE(table.HasBinding(u"NID_LOWER"));
    EXPECT_EQ(Utf8(table.GetActionForKey(KeyCode::FromString(u"VKEY_F9"))), "NID_NESTED");
    // Text that is no key binds the no-key code, which no key message produces.
    EXPECT_EQ(table.GetFirstKeyForAction(u"NID_UNREADABLE").GetCode(), KeyCode::kNoKey);
}
