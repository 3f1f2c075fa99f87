#include "ListBoxBench.h"

#include "ZQFramework/Controls/Lists/ListBoxItem.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;

// A plain control that records the captures started on it.
class CaptureBox : public LControl
{
public:
    ZQRESULT BeginMouseCapture(int32_t button, int32_t x, int32_t y) override
    {
        Captures.push_back({button, x, y});
        return LControl::BeginMouseCapture(button, x, y);
    }
    std::vector<std::vector<int32_t>> Captures;

    CaptureBox(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name)
    {
    }
};

// "row" (50 x 20 at (10, 20)) inside "box", a plain control at (100, 100) that can be disabled.
constexpr const char* kRowSkin = R"(
<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
  <SubControl Class="Test.CaptureBox" Name="box" XPositionAbs="100" YPositionAbs="100" XSizeAbs="200" YSizeAbs="100"><Skin Name="box" LookList="one"/>
    <SubControl Class="Framework.ListBoxItem" Name="row" XPositionAbs="10" YPositionAbs="20" XSizeAbs="50" YSizeAbs="20">
      <Skin Name="row" LookList="looks14"/>
    </SubControl>
  </SubControl>
</SubControl>)";

// The row's window position is (110, 120): a point well inside it and one outside.
constexpr PointT<int32_t> kOnRow{120, 130};
constexpr PointT<int32_t> kOffRow{300, 280};

struct ListBoxItemTest : ::testing::Test
{
    ListBoxItemTest()
    {
        ZQTest::RegisterListBoxes(bench);
        bench.Register(u"Test.CaptureBox", &LControl::CreateFromDescriptor<CaptureBox>);
        (void)bench.Show();
        row = bench.Find<LListBoxItem>(u"box/row");
    }

    [[nodiscard]] int32_t Shown() const { return row->GetFirstVisibleLookIndex(); }

    ControlsBench bench{
        kRowSkin,
        R"(<StringTable ID="Test.CaptureBox|row"><String ID="TOOLTIP"><Locale LCID="0x0009">Row tip</Locale></String></StringTable>)"};
    RCPtr<LListBoxItem> row;
};

TEST_F(ListBoxItemTest, LooksFollowSelectionPointerFlagsAndEnabledState)
{
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->IsNotFocusable());
    struct Case
    {
        const char* what;
        bool selected;
        bool hover;
        bool altLook;
        bool blank;
        bool enabled;
        bool parentEnabled;
        int32_t look;
    };
    const std::vector<Case> cases{
        {"idle", false, false, false, false, true, true, 0},
        {"selected", true, false, false, false, true, true, 7},
        {"hover", false, true, false, false, true, true, 1},
        {"selected hover", true, true, false, false, true, true, 8},
        {"alternative hover", false, true, true, false, true, true, 4},
        {"alternative selected hover", true, true, true, false, true, true, 11},
        {"alternative idle", false, false, true, false, true, true, 3},
        {"disabled", false, false, false, false, false, true, 6},
        {"disabled selected", true, false, false, false, false, true, 13},
        {"inside a disabled parent", false, false, false, false, true, false, 6},
        {"blank whatever else", true, true, true, true, false, true, 13},
    };
    for (const Case& c : cases)
    {
        (void)row->SetBlank(false);
        (void)bench.Find(u"box")->SetEnabled(c.parentEnabled);
        (void)row->SetEnabled(c.enabled);
        row->SetAltLook(c.altLook);
        row->SetHighlight(c.hover);
        (void)row->SetValue(c.selected ? 1.0 : 0.0);
        row->SetBlank(c.blank);
        row->RefreshLook();
        EXPECT_EQ(Shown(), c.look) << c.what;
    }
}

TEST_F(ListBoxItemTest, PressedLooksNeedTheLeftDragWithThePointerOver)
{
    (void)row->SetDragThreshold(0); // the capture goes straight into its left-drag state
    for (const bool selected : {false, true})
    {
        (void)row->SetValue(selected ? 1.0 : 0.0);
        bench.MoveTo(kOnRow);
        bench.Press();
        EXPECT_EQ(Shown(), selected ? 9 : 2);
        bench.MoveTo(kOffRow);
        EXPECT_EQ(Shown(), selected ? 8 : 1) << "dragged off while captured: the hover look";
        bench.Release();
        EXPECT_EQ(Shown(), selected ? 7 : 0);
    }
    // Without the drag state a captured row keeps its idle look under the pointer.
    (void)row->SetDragThreshold(5);
    (void)row->SetValue(0);
    bench.MoveTo(kOnRow);
    bench.Press();
    EXPECT_EQ(Shown(), 0);
    bench.Release();
}

TEST_F(ListBoxItemTest, BlankClearsTheLabelAndClearingItRestoresNothing)
{
    (void)row->SetLabel(u"Text");
    row->SetBlank(true);
    EXPECT_EQ(row->GetLabel(), WString());
    row->SetBlank(false);
    EXPECT_EQ(row->GetLabel(), WString());
    EXPECT_EQ(Shown(), 0);
}

TEST_F(ListBoxItemTest, ForwardedCaptureStartsOnTheParentAtThePointMovedByTheRoundedPosition)
{
    const RCPtr<CaptureBox> box = bench.Find<CaptureBox>(u"box");
    // A fractional place (the layout gives whole pixels; a rectangle may be set directly).
    (void)row->SetRect({10.5, 20.4, 50, 20});
    ASSERT_EQ(row->GetRect().x, 10.5);
    ASSERT_EQ(row->GetRect().y, 20.4);
    row->SetForwardCapture(true);
    bench.Services.MouseButtons = 1;
    EXPECT_EQ(row->BeginMouseCapture(1, 3, 4), 0);
    EXPECT_EQ(bench.Window->GetCaptureControl(), RCPtr<LControl>(box));
    EXPECT_EQ(box->Captures, (std::vector<std::vector<int32_t>>{{1, 14, 24}}));
    (void)box->EndMouseCapture();
    row->SetForwardCapture(false);
    EXPECT_EQ(row->BeginMouseCapture(1, 3, 4), 0);
    EXPECT_EQ(bench.Window->GetCaptureControl(), RCPtr<LControl>(row));
    (void)row->EndMouseCapture();
}

TEST_F(ListBoxItemTest, ToolTipIsTheSkinsTextUntilTheLabelIsTruncated)
{
    EXPECT_EQ(row->GetToolTipText(), WString(u"Row tip"));
    // The looks give no text area, so any label counts as truncated.
    (void)row->SetLabel(u"a label");
    EXPECT_EQ(row->GetToolTipText(), WString(u"a label"));
}
} // namespace
} // namespace ZQ
