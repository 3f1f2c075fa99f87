#include "ControlBase/PartBuilders.h"
#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/Renderer/Font.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace ZQ;
using ZQTest::TestControl;
using Layout = LLayoutDescriptor;

namespace
{
constexpr int kPanels = 10;
constexpr int kLabelsPerPanel = 19; // with the panels and the top control, 201 controls

// A top control of 800 x 600 with panels stacked one below the other, each as wide as the client area and
// as high as its children; in each panel a row of labels, each placed right of the one before and as wide
// as its text (measured at 6 pixels per character).
class LayoutTree
{
public:
    LayoutTree()
    {
        LLookDescriptor::TextProperties text;
        text.LeftAbs = 4;
        text.RightRel = 1;
        text.RightAbs = -4;
        text.BottomRel = 1;
        mLabelLook->SetTextProperties(text, PartBuilders::FillPart(PartBuilders::Solid(0xFFFFFFFF), 1, 1));

        for (int p = 0; p < kPanels; ++p)
        {
            const std::u16string previousPanel = u"panel" + Number(p - 1);
            const RCPtr<TestControl> panel = TestControl::Create(
                mTop, (u"panel" + Number(p)).c_str(),
                [&](Layout& l)
                {
                    if (p > 0)
                        l.mYPosition = {0, Layout::kPositionSibling, previousPanel.c_str(), 1, 2};
                    l.mXSize = {Layout::kSizeClient, u"", 1, 0};
                    l.mYSize.Abs = 0;
                    l.mYMinimum = {true, u"Children", 1, 0};
                });
            if (p == 0)
                mFirstPanel = panel;
            for (int i = 0; i < kLabelsPerPanel; ++i)
                AddLabel(panel, i);
        }
        Resize(800);
    }

    void Resize(double width) { (void)mTop->SetRect({0, 0, width, 600}); }

    // The first label of the first panel becomes at least minimum wide.
    void WidenFirstLabel(double minimum)
    {
        (void)mFirstLabel->SetAxisLimits(0, {false, u"", 0, minimum}, {});
    }

    [[nodiscard]] double LastPanelBottom() const
    {
        const RectT<double>& rect = mTop->GetChildren().GetAt(kPanels - 1, 0)->GetRect();
        return rect.y + rect.height;
    }

private:
    static std::u16string Number(int n)
    {
        const std::string digits = std::to_string(n);
        return {digits.begin(), digits.end()};
    }

    void AddLabel(const RCPtr<TestControl>& panel, int index)
    {
        const std::u16string previous = u"label" + Number(index - 1);
        const RCPtr<TestControl> label =
            TestControl::Create(panel, (u"label" + Number(index)).c_str(),
                                [&](Layout& l)
                                {
                                    if (index > 0)
                                        l.mXPosition = {0, Layout::kPositionSibling, previous.c_str(), 1, 4};
                                    l.mTextOverflowX = Layout::kOverflowExpand;
                                    l.mYSize.Abs = 20;
                                });
        const RCPtr<LLook> look = LLook::Create(mLabelLook, false);
        (void)label->AddLook(look);
        (void)look->SetFont(mFont);
        (void)look->SetText((u"Label " + Number(index)).c_str());
        if (mFirstLabel == nullptr)
            mFirstLabel = label;
    }

    RCPtr<TestSupport::FakeMeasurer> mMeasurer{new TestSupport::FakeMeasurer};
    TestSupport::MeasurementRendererScope mScope{mMeasurer};
    ConstRCPtr<LFont> mFont = LFont::GetFont(u"LayoutBenchmark", 9, 0);
    RCPtr<LLookDescriptor> mLabelLook = LLookDescriptor::Create(u"label");
    RCPtr<TestControl> mTop = TestControl::Create(nullptr, u"top", {}, false);
    RCPtr<TestControl> mFirstPanel;
    RCPtr<TestControl> mFirstLabel;
};

// The whole tree laid out again: the top control's width changes, every panel follows it and lays out
// its labels.
void BM_LayoutFullTree(benchmark::State& state)
{
    LayoutTree tree;
    double width = 800;
    for (auto _ : state)
    {
        width = width == 800 ? 801 : 800;
        tree.Resize(width);
    }
    benchmark::DoNotOptimize(tree.LastPanelBottom());
}
BENCHMARK(BM_LayoutFullTree)->Unit(benchmark::kMicrosecond);

// The first label of the first panel changes width: its 18 later siblings move one after another.
void BM_LayoutSiblingCascade(benchmark::State& state)
{
    LayoutTree tree;
    double minimum = 0;
    for (auto _ : state)
    {
        minimum = minimum == 0 ? 90 : 0;
        tree.WidenFirstLabel(minimum);
    }
    benchmark::DoNotOptimize(tree.LastPanelBottom());
}
BENCHMARK(BM_LayoutSiblingCascade)->Unit(benchmark::kMicrosecond);
} // namespace
