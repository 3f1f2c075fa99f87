#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Skin/StringTable.h"

#include <gtest/gtest.h>

using namespace ZQ;
using TestSupport::Utf8;

TEST(StringTable, SetStringAddsReplacesAndRefusesAnEmptyKey)
{
    const RCPtr<LStringTable> table = LStringTable::Create();
    EXPECT_EQ(table->SetString(u"LABEL", u"Exit"), S_OK);
    EXPECT_EQ(table->SetString(u"LABEL", u"Quit"), S_FALSE);
    EXPECT_EQ(table->SetString(u"", u"x"), E_INVALIDARG);
    EXPECT_FALSE(table->HasString(u""));

    WString text = u"kept";
    EXPECT_FALSE(table->GetString(u"TOOLTIP", text));
    EXPECT_EQ(Utf8(text), "kept");
    EXPECT_TRUE(table->GetString(u"LABEL", text));
    EXPECT_EQ(Utf8(text), "Quit");
}

TEST(StringTable, PairsComeSortedByKeyAndFilteredByCaseSensitivePrefix)
{
    const RCPtr<LStringTable> table = LStringTable::Create({{u"MENU_LABEL.01", u"b"},
                                                            {u"CONTEXT_MENU", u"c"},
                                                            {u"MENU_LABEL.00", u"a"},
                                                            {u"menu_label.02", u"d"},
                                                            {u"MENU", u"e"}});
    LStringTable::PairArray pairs;
    pairs.Add({u"stale", u"stale"});
    EXPECT_EQ(table->GetAllPairs(pairs), S_OK);
    ASSERT_EQ(pairs.GetCount(), 5u);
    EXPECT_EQ(Utf8(pairs.GetAt(0).first), "CONTEXT_MENU");
    EXPECT_EQ(Utf8(pairs.GetAt(4).first), "menu_label.02"); // code-unit order: lower case after upper

    EXPECT_EQ(table->GetPairsWithPrefix(u"MENU_LABEL.", pairs), S_OK);
    ASSERT_EQ(pairs.GetCount(), 2u);
    EXPECT_EQ(Utf8(pairs.GetAt(0).second), "a");
    EXPECT_EQ(Utf8(pairs.GetAt(1).second), "b");
}
