#include "ListBoxBench.h"

#include "ZQFramework/Controls/ListBox.h"
#include "ZQFramework/Controls/ListBoxItem.h"
#include "ZQFramework/Controls/ScrollBar.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using Texts = std::vector<std::string>;
using ZQTest::ListBoxBench;
using ZQTest::ListSkin;
using ZQTest::RowTemplate;

TEST(ListBoxTest, ATemplateOfTwentyPixelsInAHundredGivesFiveRowsWhateverTheItemCount)
{
    for (const int items : {0, 3, 10000})
    {
        ListBoxBench b(ListSkin(RowTemplate(20)));
        ASSERT_NE(b.list, nullptr);
        b.Fill(items);
        (void)b.list->FillItemControls();
        EXPECT_EQ(b.list->GetItemControlCount(), 5u) << items;
        EXPECT_EQ(b.list->GetRowHeight(), 20);
        EXPECT_EQ(b.list->FindChild(u"templateItem"), nullptr);
        for (int n = 1; n <= 5; ++n)
        {
            const RCPtr<LListBoxItem> row =
                b.bench.Find<LListBoxItem>(u"list/ItemControl" + std::u16string(1, u'0' + n));
            ASSERT_NE(row, nullptr) << n;
            EXPECT_EQ(row->GetRect().y, (n - 1) * 20.0) << n;
            EXPECT_EQ(row->IsEnabled(false), n <= items) << n;
        }
        EXPECT_EQ(b.list->FindChild(u"ItemControl6"), nullptr);
        if (items == 3)
        {
            EXPECT_EQ(b.RowTexts(), (Texts{"0", "1", "2", "", ""}));
        }
    }
}
} // namespace
} // namespace ZQ
