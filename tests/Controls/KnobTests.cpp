#include "ControlBase/LocaleScope.h"
#include "ControlsBench.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/Controls/Sliders/Knob.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/ObjectBase/Holder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace ZQ
{
namespace
{
using TestSupport::Utf8;
using ZQTest::ControlsBench;

// A look list of frames plain looks; with images, index frames stays empty and the two after it exist
// (focus and disabled images).
std::string FrameList(const std::string& name, int32_t frames, bool images)
{
    const int32_t count = images ? frames + 3 : frames;
    std::string list = "<LookList Name=\"" + name + "\" NumLooks=\"" + std::to_string(count) + "\">";
    for (int32_t i = 0; i < count; ++i)
    {
        if (i != frames)
            list += "<Look Index=\"" + std::to_string(i) + "\" Name=\"plain\"/>";
    }
    return list + "</LookList>";
}

// The list with its two image looks (after the empty one) showing the picture look "shot".
std::string ReplaceImageLooks(std::string list, int32_t frames)
{
    for (const int32_t index : {frames + 1, frames + 2})
    {
        const std::string plain = "<Look Index=\"" + std::to_string(index) + "\" Name=\"plain\"/>";
        list.replace(list.find(plain), plain.size(),
                     "<Look Index=\"" + std::to_string(index) + "\" Name=\"shot\"/>");
    }
    return list;
}

// A 2 x 2 red picture, for the focus and disabled images.
constexpr unsigned char kRedPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72,
    0xB6, 0x0D, 0x24, 0x00, 0x00, 0x00, 0x11, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8,
    0xCF, 0xC0, 0xF0, 0x1F, 0x84, 0x19, 0x60, 0x0C, 0x00, 0x47, 0xCA, 0x07, 0xF9, 0x67, 0x59,
    0x6E, 0xB7, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// The picture as a temporary file, for as long as the object lives.
class PictureFile
{
public:
    PictureFile()
        : mPath(std::filesystem::temp_directory_path() /
                ("zq-knob-image-" + std::to_string(getpid()) + ".png"))
    {
        std::ofstream(mPath, std::ios::binary).write(reinterpret_cast<const char*>(kRedPng), sizeof kRedPng);
    }
    ~PictureFile() { std::filesystem::remove(mPath); }
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    // The skin reader lower-cases picture paths: a temporary folder with capitals cannot be used.
    [[nodiscard]] std::string Path() const { return mPath.string(); }
    [[nodiscard]] bool Usable() const
    {
        const std::string path = Path();
        return std::none_of(path.begin(), path.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    }

private:
    std::filesystem::path mPath;
};

// A knob 101 pixels square (its centre at (50, 50) in the window) under "main", with the frames and
// create parameters given.
std::string KnobSkin(int32_t frames, const std::string& params, bool images = false,
                     const std::string& picture = "")
{
    std::string imageLook;
    if (!picture.empty())
    {
        imageLook = "<Parts><Part Name=\"shot\" ImageFile=\"" + picture +
                    R"(" ImageLocX="0" ImageLocY="0" Width="2" Height="2" ResizeType="Stretch"/></Parts>
  <Looks><Look Name="shot"><ClientPart Name="shot" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>)";
    }
    const std::string list = FrameList("frames", frames, images);
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>)" +
           imageLook + R"(
  <SubControl Class="Framework.Knob" Name="knob" XSizeAbs="101" YSizeAbs="101"><Skin Name="knob"/>)" +
           (picture.empty() ? list : ReplaceImageLooks(list, frames)) + "<CreateParamList>" + params +
           R"(</CreateParamList></SubControl>
  <SubControl Class="Test.Panel" Name="other" XPositionAbs="200" XSizeAbs="10" YSizeAbs="10"/>
</SubControl>)";
}

std::string Param(const std::string& id, const std::string& value)
{
    return "<CreateParam ID=\"" + id + "\">" + value + "</CreateParam>";
}

const std::string kRadial =
    Param("RADIAL_GESTURE_START_ANGLE", "225") + Param("RADIAL_GESTURE_END_ANGLE", "135");

// Records the knob's gesture notifications, with the capture flag where there is one.
class GestureLog : public LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                 const RCPtr<LNotification>& notification) override
    {
        std::string entry = Utf8(WString(notification->GetID()));
        if (const RCPtr<LHolder<bool>> flag(notification->GetParam()); flag != nullptr)
            entry += *flag->mValue ? " true" : " false";
        Entries.push_back(entry);
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& /*source*/,
                                        NotificationID /*id*/) override
    {
        return 0;
    }

    std::vector<std::string> Entries;
};

struct KnobBench
{
    explicit KnobBench(const std::string& skin) : bench(skin)
    {
        bench.Register(u"Framework.Knob", &LControl::CreateFromDescriptor<LKnob>);
        (void)bench.Show();
        knob = bench.Find<LKnob>(u"knob");
        for (const char16_t* name :
             {u"NID_VALUE_CHANGE_CAPTURE", u"NID_VALUE_CHANGE_KEY_DOWN", u"NID_VALUE_CHANGE_KEY_UP"})
            (void)knob->RegisterClient(RCPtr<LNotificationReceiver>(log), name, 0);
    }

    // A left drag from press through the points, released at the end unless hold.
    void Drag(const PointT<int32_t>& press, const std::vector<PointT<int32_t>>& points, bool hold = false)
    {
        bench.MoveTo(press);
        bench.Press();
        for (const PointT<int32_t>& point : points)
            bench.MoveTo(point);
        if (!hold)
            bench.Release();
    }
    void Key(uint32_t code, uint8_t wasDown = 0)
    {
        bench.Window->DeliverKey(LKeyParam::Create(KeyCode(code, 0, wasDown), 0));
    }
    [[nodiscard]] double Units() const { return knob->ScaleValue(knob->GetValue()); }

    ControlsBench bench;
    RCPtr<LKnob> knob;
    RCPtr<GestureLog> log{new GestureLog};
};

TEST(Knob, TheRadialGestureFollowsThePointersAngleAndTheGapSnapsToTheNearerEnd)
{
    KnobBench k(KnobSkin(10, kRadial));
    ASSERT_TRUE(k.knob->IsRadial());
    EXPECT_EQ(k.knob->GetCenter(), (PointT<int32_t>{50, 50}));
    struct Case
    {
        PointT<int32_t> point;
        double value;
        const char* where;
    };
    const std::vector<Case> cases{{{50, 0}, 0.5, "straight up"},
                                  {{100, 50}, 225.0 / 270, "3 o'clock"},
                                  {{0, 50}, 45.0 / 270, "9 o'clock"},
                                  {{51, 100}, 1, "just right of 6 o'clock"},
                                  {{49, 100}, 0, "just left of 6 o'clock"}};
    for (const Case& c : cases)
    {
        k.Drag({50, 30}, {c.point});
        EXPECT_NEAR(k.knob->GetValue(), c.value, 1e-9) << c.where;
    }
}

TEST(Knob, TheRadialGestureJumpsToThePressPointWhenTheDragBegins)
{
    KnobBench k(KnobSkin(10, kRadial));
    k.Drag({100, 50}, {{50, 50}}, true); // the pointer at the centre changes nothing
    EXPECT_DOUBLE_EQ(k.knob->GetValue(), 225.0 / 270) << "3 o'clock, where the press was";
    k.bench.Release();
}

TEST(Knob, ALinearDragCoversTheWholeRangeInTheFullRangeOfPixels)
{
    KnobBench k(KnobSkin(10, ""));
    ASSERT_FALSE(k.knob->IsRadial());
    EXPECT_EQ(k.knob->GetLinearFullRange(), 130) << "round(128 / 10) x 10";
    k.Drag({50, 50}, {{51, 50}}, true);
    EXPECT_DOUBLE_EQ(k.knob->GetValue(), 1.0 / 129);
    k.bench.MoveTo({179, 50});
    EXPECT_DOUBLE_EQ(k.knob->GetValue(), 1);
    k.bench.MoveTo({179, 10});
    EXPECT_DOUBLE_EQ(k.knob->GetValue(), 1) << "held at the top";
    k.bench.MoveTo({179, 50});
    EXPECT_DOUBLE_EQ(k.knob->GetValue(), 1 - 40.0 / 129) << "down lowers it";
    k.bench.Release();
}

TEST(Knob, CtrlMakesTheDragFineByTheMultiplier)
{
    struct Case
    {
        std::string params;
        double multiplier;
    };
    for (const Case& c : {Case{"", 0.25}, Case{Param("FINE_ADJUST_MULTIPLIER", "0.5"), 0.5}})
    {
        KnobBench k(KnobSkin(10, c.params));
        EXPECT_EQ(k.knob->GetFineAdjustMultiplier(), c.multiplier);
        k.bench.Application.KeysDown = {17};
        k.Drag({50, 50}, {{51, 50}}, true);
        const double steps = 130 / c.multiplier - 1;
        EXPECT_DOUBLE_EQ(k.knob->GetValue(), 1 / steps) << c.multiplier;
        k.bench.MoveTo({179, 50}); // the full range of pixels covers the multiplier's share
        EXPECT_NEAR(k.knob->GetValue(), c.multiplier, 1 / steps) << c.multiplier;
        k.bench.Release();
    }
}

TEST(Knob, TheFrameFollowsTheValueAndAValueFromTheSkinShowsItsFrame)
{
    KnobBench k(KnobSkin(11, Param("INITIAL_VALUE", "0.5"), true));
    EXPECT_EQ(k.knob->GetFrameCount(), 11) << "the frames end at the empty look before the images";
    EXPECT_EQ(k.knob->GetFirstVisibleLookIndex(), 5);
    (void)k.knob->SetValue(1);
    EXPECT_EQ(k.knob->GetFirstVisibleLookIndex(), 10);
    (void)k.knob->SetValue(0.04);
    EXPECT_EQ(k.knob->GetFirstVisibleLookIndex(), 0);
    EXPECT_EQ(k.knob->ScaleValue(1), 127) << "range 0..127";
}

TEST(Knob, TheFocusAndDisabledImagesLieOverEveryFrameWhileTheyApply)
{
    const PictureFile picture;
    if (!picture.Usable())
        GTEST_SKIP() << "the temporary folder's path has capitals";
    KnobBench k(KnobSkin(3, "", true, picture.Path()));
    ASSERT_EQ(k.knob->GetFrameCount(), 3);
    ASSERT_NE(k.knob->GetLook(4)->GetClientPart(), nullptr);
    ASSERT_NE(k.knob->GetLook(4)->GetClientPart()->GetPicture(), nullptr) << "the picture loads";
    const auto overlaid = [&k]
    {
        int32_t count = 0;
        for (int32_t frame = 0; frame < 3; ++frame)
            count += k.knob->GetLook(frame)->GetOverlay() != nullptr ? 1 : 0;
        return count;
    };
    EXPECT_EQ(overlaid(), 3) << "the window gave the knob the first focus";
    (void)k.bench.Find(u"other")->SetFocus(true);
    EXPECT_EQ(overlaid(), 0);
    (void)k.knob->SetFocus(true);
    EXPECT_EQ(overlaid(), 3) << "focused";
    (void)k.bench.Find(u"other")->SetFocus(true);
    EXPECT_EQ(overlaid(), 0);
    (void)k.knob->SetEnabled(false);
    EXPECT_EQ(overlaid(), 3) << "disabled";
    (void)k.knob->SetEnabled(true);
    EXPECT_EQ(overlaid(), 0);
}

TEST(Knob, AValueSetDuringADragIsHeldBackUntilTheDrop)
{
    KnobBench k(KnobSkin(10, ""));
    EXPECT_EQ(k.knob->SetValue(0.3), 0.3);
    k.Drag({50, 50}, {{51, 50}}, true);
    EXPECT_DOUBLE_EQ(k.knob->GetValue(), std::round(129 * (0.3 + 1.0 / 129)) / 129) << "starts from 0.3";
    const double dragged = k.knob->GetValue();
    EXPECT_EQ(k.knob->SetValue(0.9), dragged);
    EXPECT_EQ(k.knob->GetValue(), dragged);
    k.bench.Release();
    EXPECT_EQ(k.knob->GetValue(), 0.9);
    EXPECT_EQ(k.log->Entries,
              (std::vector<std::string>{"NID_VALUE_CHANGE_CAPTURE true", "NID_VALUE_CHANGE_CAPTURE false"}));
}

TEST(Knob, HeldArrowsStepOneUnitPerPressBetweenOneKeyDownAndOneKeyUp)
{
    KnobBench k(KnobSkin(10, ""));
    ASSERT_EQ(k.knob->SetFocus(true), 0);
    k.Key(0x20270000);
    k.Key(0x20270000, 1);
    k.Key(0x20270000, 1);
    EXPECT_DOUBLE_EQ(k.Units(), 3);
    k.Key(0x00270000);
    EXPECT_EQ(k.log->Entries,
              (std::vector<std::string>{"NID_VALUE_CHANGE_KEY_DOWN", "NID_VALUE_CHANGE_KEY_UP"}));

    k.log->Entries.clear();
    k.Key(0x20260000); // up
    k.Key(0x20250000); // left
    k.Key(0x20280000); // down
    EXPECT_DOUBLE_EQ(k.Units(), 2);
    (void)k.bench.Find(u"other")->SetFocus(true); // losing the focus ends the run
    EXPECT_EQ(k.log->Entries,
              (std::vector<std::string>{"NID_VALUE_CHANGE_KEY_DOWN", "NID_VALUE_CHANGE_KEY_UP"}));
    EXPECT_EQ(k.knob->HandleKeyPress(LKeyParam::Create(KeyCode(0x20410000, 0, 0), 0)), 1) << "A is not ours";
}

TEST(Knob, TheWheelStepsOneUnitAwayOrRightUpAndTowardOrLeftDown)
{
    KnobBench k(KnobSkin(10, ""));
    (void)k.knob->SetValue(k.knob->UnscaleValue(10));
    struct Case
    {
        uint32_t direction;
        double units;
    };
    for (const Case& c : {Case{1, 11}, Case{0, 10}, Case{3, 11}, Case{2, 10}})
    {
        k.bench.Window->OnMouseWheel({50, 50}, 0, c.direction);
        EXPECT_DOUBLE_EQ(k.Units(), c.units) << c.direction;
    }
}

TEST(Knob, OutOfRangeSettingsStillGiveAWorkingKnob)
{
    {
        KnobBench k(KnobSkin(10, Param("RADIAL_GESTURE_START_ANGLE", "1e300") +
                                     Param("RADIAL_GESTURE_END_ANGLE", "-90")));
        EXPECT_TRUE(k.knob->IsRadial());
        EXPECT_GE(k.knob->GetRadialStartAngle(), 0);
        EXPECT_LT(k.knob->GetRadialStartAngle(), 360);
        EXPECT_EQ(k.knob->GetRadialEndAngle(), 270);
    }
    {
        // Angles that are no number count as 0: with both, the gesture is linear.
        KnobBench k(KnobSkin(10, Param("RADIAL_GESTURE_START_ANGLE", "inf") +
                                     Param("RADIAL_GESTURE_END_ANGLE", "-inf")));
        EXPECT_FALSE(k.knob->IsRadial());
        EXPECT_EQ(k.knob->GetRadialStartAngle(), 0);
    }
    {
        // A full range of one pixel, and the 0 that 300 frames would give, count as 2: one pixel is
        // the whole range.
        KnobBench k(KnobSkin(10, Param("LINEAR_GESTURE_FULL_RANGE", "1")));
        EXPECT_EQ(k.knob->GetLinearFullRange(), 2);
        KnobBench many(KnobSkin(300, ""));
        EXPECT_EQ(many.knob->GetLinearFullRange(), 2);
        many.Drag({50, 50}, {{51, 50}});
        EXPECT_EQ(many.knob->GetValue(), 1);
    }
}

class KnobParams : public LocaleTest
{
};

TEST_P(KnobParams, NumbersAreReadAsInTheCLocaleEachIntoItsOwnSetting)
{
    KnobBench k(KnobSkin(
        10, Param("RADIAL_GESTURE_START_ANGLE", "-22.5") + Param("RADIAL_GESTURE_END_ANGLE", "135.5") +
                Param("FINE_ADJUST_MULTIPLIER", "0.5") + Param("LINEAR_GESTURE_FULL_RANGE", "64.9")));
    EXPECT_EQ(k.knob->GetRadialStartAngle(), 337.5);
    EXPECT_EQ(k.knob->GetRadialEndAngle(), 135.5);
    EXPECT_EQ(k.knob->GetFineAdjustMultiplier(), 0.5);
    EXPECT_EQ(k.knob->GetLinearFullRange(), 64);
}

ZQ_INSTANTIATE_LOCALES(KnobParams);
} // namespace
} // namespace ZQ
