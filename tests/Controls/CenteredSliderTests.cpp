#include "ContainerBench.h"

#include "ZQFramework/Controls/Sliders/CenteredSlider.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <utility>

namespace ZQ
{
namespace
{
using ZQTest::ControlsBench;

// A centered slider named name at (x, y), size w x h, markers of mw x mh at the two places given, and two
// bounds of bw x bh, each with a fill covering it (no markers without end); extra goes into the slider.
std::string CenteredSkin(const std::string& name, const std::string& place, int w, int h, int mw, int mh,
                         const std::string& start, const std::string& end, int bw, int bh,
                         const std::string& extra = "")
{
    const auto sized = [](int width, int height)
    { return "XSizeAbs=\"" + std::to_string(width) + "\" YSizeAbs=\"" + std::to_string(height) + "\""; };
    const auto bounds = [&](const std::string& boundsName)
    {
        return "<SubControl Class=\"Framework.CenteredSliderBounds\" Name=\"" + boundsName + "\" " +
               sized(bw, bh) +
               R"(><Skin Name="bounds" LookList="one"/>
                 <SubControl Class="Framework.Panel" Name="fill" XSizeToControl="Parent" XSizeRel="1" YSizeToControl="Parent" YSizeRel="1">
                   <Skin Name="fill" LookList="one"/></SubControl></SubControl>)";
    };
    const auto marker = [&](const std::string& markerName, const std::string& at)
    {
        return "<SubControl Class=\"Framework.Button\" Name=\"" + markerName + "\" " + at + " " +
               sized(mw, mh) + R"(><Skin Name="thumb" LookList="looks14"/></SubControl>)";
    };
    return "<SubControl Class=\"Framework.CenteredSlider\" Name=\"" + name + "\" " + place + " " +
           sized(w, h) + R"(><Skin Name="slider" LookList="one"/>)" + extra + bounds("lowRangeBounds") +
           bounds("highRangeBounds") + (end.empty() ? "" : marker("thumbStart", start)) +
           (end.empty() ? "" : marker("thumbEnd", end)) + "</SubControl>";
}

// "h": horizontal, markers 10 x 20 at x 0 and 100, bounds 50 x 20; "v": vertical at (200, 0), markers
// 20 x 10 at y 0 and 100; "s": slanted at (0, 150); "primed": horizontal at (0, 50) starting at 0.5 from
// the skin; "lonely" (a top control of its own) has no markers and so no thumb.
const std::string kCentered =
    R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>)" +
    CenteredSkin("h", "", 120, 20, 10, 20, "", "XPositionAbs=\"100\"", 50, 20) +
    CenteredSkin("v", "XPositionAbs=\"200\"", 20, 120, 20, 10, "", "YPositionAbs=\"100\"", 20, 50) +
    CenteredSkin("s", "YPositionAbs=\"150\"", 120, 70, 10, 10, "", "XPositionAbs=\"100\" YPositionAbs=\"50\"",
                 30, 30) +
    CenteredSkin("primed", "YPositionAbs=\"50\"", 120, 20, 10, 20, "", "XPositionAbs=\"100\"", 50, 20,
                 R"(<CreateParamList><CreateParam ID="INITIAL_VALUE">0.5</CreateParam></CreateParamList>)") +
    "</SubControl>" + CenteredSkin("lonely", "", 50, 20, 10, 20, "", "", 10, 10);

struct CenteredSliderTest : ::testing::Test
{
    CenteredSliderTest()
    {
        bench.Register(u"Framework.CenteredSlider", &LControl::CreateFromDescriptor<LCenteredSlider>);
        bench.Register(u"Framework.CenteredSliderBounds", &LControl::CreateFromDescriptor<LPanel>);
        (void)ZQTest::ShowContainers(bench);
    }

    // The place of both bounds on axis: their edge on the thumb's centre.
    [[nodiscard]] std::pair<double, double> Bounds(const LCenteredSlider& slider, int32_t axis) const
    {
        const RectT<double>& low = slider.GetLowRangeBounds()->GetRect();
        const RectT<double>& high = slider.GetHighRangeBounds()->GetRect();
        return axis == 0 ? std::make_pair(low.x, high.x) : std::make_pair(low.y, high.y);
    }

    ControlsBench bench{kCentered};
};

TEST_F(CenteredSliderTest, SetValuesMoveTheBoundsToTheThumbsCentreAtOnce)
{
    struct Case
    {
        const char16_t* slider;
        int32_t axis;
        double value;
        double centre;
    };
    for (const Case& c :
         {Case{u"h", 0, 0, 5}, Case{u"h", 0, 0.5, 55}, Case{u"v", 1, 0.25, 30}, Case{u"v", 1, 1, 105}})
    {
        const RCPtr<LCenteredSlider> slider = bench.Find<LCenteredSlider>(c.slider);
        (void)slider->SetValue(c.value);
        EXPECT_EQ(Bounds(*slider, c.axis), std::make_pair(c.centre, c.centre)) << c.value;
    }
    const RCPtr<LCenteredSlider> primed = bench.Find<LCenteredSlider>(u"primed");
    ASSERT_NE(primed, nullptr) << "a value from the skin comes before the thumb exists";
    EXPECT_EQ(primed->GetValue(), 0.5);
    EXPECT_EQ(Bounds(*primed, 0), std::make_pair(55.0, 55.0));
}

TEST_F(CenteredSliderTest, TheBoundsFollowEveryDragMoveAndLetThePointerThrough)
{
    const RCPtr<LCenteredSlider> h = bench.Find<LCenteredSlider>(u"h");
    bench.MoveTo({5, 10});
    bench.Press();
    for (const int x : {25, 45, 30})
    {
        bench.MoveTo({x, 10});
        EXPECT_EQ(Bounds(*h, 0), std::make_pair(x + 0.0, x + 0.0)) << x;
    }
    bench.Release();

    // The bounds and their fills cover the track from the thumb's centre on; a press there is the track's.
    (void)h->SetValue(0);
    bench.MoveTo({40, 10});
    bench.Press();
    bench.Release();
    EXPECT_NEAR(h->GetValue(), 0.1, 1e-9);
    EXPECT_EQ(Bounds(*h, 0), std::make_pair(15.0, 15.0));
}

TEST_F(CenteredSliderTest, OnASlantedTrackTheBoundsStayWhereTheSkinPutThem)
{
    const RCPtr<LCenteredSlider> s = bench.Find<LCenteredSlider>(u"s");
    (void)s->SetValue(0.5);
    EXPECT_EQ(Bounds(*s, 0), std::make_pair(0.0, 0.0));
    EXPECT_EQ(Bounds(*s, 1), std::make_pair(0.0, 0.0));
}

TEST_F(CenteredSliderTest, WithoutAThumbCreationFails)
{
    try
    {
        (void)bench.Factory->CreateControlByName(u"lonely", bench.Window);
        FAIL() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(),
                     "Runtime Error : Null Pointer : Thumb Child was not created. : "
                     "ZQ::LCenteredSlider::SetBoundsPosFromThumbPos : Controls\\CenteredSlider : Line 67");
    }
}
} // namespace
} // namespace ZQ
