#include "PartBuilders.h"
#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using namespace ZQ;
using namespace PartBuilders;

namespace
{
constexpr int32_t kStretch = LVisualPartDescriptor::kStretch;
constexpr int32_t kTile = LVisualPartDescriptor::kTile;
constexpr int32_t kCenter = LVisualPartDescriptor::kCenter;

// The recorded calls without the state that follows " | ".
std::vector<std::string> Calls(const TestSupport::RecordingRenderer& renderer)
{
    std::vector<std::string> calls;
    for (const std::string& line : renderer.GetLines())
        calls.push_back(line.substr(0, line.find(" | ")));
    return calls;
}

TEST(VisualPartTest, SpriteColorAtPointFollowsResizeType)
{
    struct Case
    {
        const char* name;
        int32_t resizeType;
        PointT<float> size;
        PointT<float> point;
        uint32_t expected;
    };
    const Case cases[] = {
        {"natural size: the point rounded", kTile, {4, 2}, {1.4f, 0.4f}, kRed},
        {"natural size: rounded outside", kStretch, {4, 2}, {3.6f, 0}, kNothing},
        {"tile: 5.4 is column 1", kTile, {10, 10}, {5.4f, 1}, kWhite},
        {"tile: 5.6 is column 2", kTile, {10, 10}, {5.6f, 1}, kYellow},
        {"tile: rows repeat too", kTile, {10, 10}, {3, 4.2f}, kBlue},
        {"center: inside the picture", kCenter, {8, 6}, {3, 2}, kRed},
        {"center: source rounded", kCenter, {8, 6}, {2.6f, 3.4f}, kWhite},
        {"center: beside the picture", kCenter, {8, 6}, {1.4f, 2}, kNothing},
        {"stretch enlarged", kStretch, {8, 4}, {3, 1}, kRed},
        {"stretch enlarged, last pixel", kStretch, {8, 4}, {7.9f, 3.9f}, kClear},
        // Shown 2 x 1: each target pixel covers two columns and both rows, read column by column.
        {"stretch shrunk: column 0 from its top", kStretch, {2, 1}, {0, 0}, kGreen},
        {"stretch shrunk: column 2 from its top", kStretch, {2, 1}, {1, 0}, kYellow},
        // Shown 2 x 2: two columns of one row; the first opaque one answers.
        {"stretch shrunk in x only", kStretch, {2, 2}, {0, 0}, kRed},
        {"stretch shrunk in x only, second block", kStretch, {2, 2}, {1, 0}, kBlue},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const ConstRCPtr<LVisualPart> part = ImagePart(kSprite, c.resizeType)->GetVisualPart();
        ASSERT_TRUE(part);
        EXPECT_EQ(part->GetColorAtPoint(c.point, c.size), c.expected);
    }
}

TEST(VisualPartTest, NothingOutsideTheRectangleForEveryResizeType)
{
    for (const int32_t resizeType : {kStretch, kTile, kCenter})
    {
        SCOPED_TRACE(resizeType);
        const ConstRCPtr<LVisualPart> sprite = ImagePart(kSprite, resizeType)->GetVisualPart();
        const ConstRCPtr<LVisualPart> fill = FillPart(Solid(kRed), 4, 3, resizeType)->GetVisualPart();
        for (const PointT<float> point : {PointT<float>(-0.1f, 0), PointT<float>(8, 0), PointT<float>(0, 6)})
        {
            EXPECT_EQ(sprite->GetColorAtPoint(point, {8, 6}), kNothing);
            EXPECT_EQ(fill->GetColorAtPoint(point, {8, 6}), kNothing);
        }
        EXPECT_EQ(sprite->GetColorAtPoint(PointT<int32_t>(4, 0)), kNothing);
        EXPECT_EQ(sprite->GetColorAtPoint(PointT<int32_t>(0, -1)), kNothing);
    }
}

TEST(VisualPartTest, TiledPartWithoutWholeTileIsTransparentEverywhere)
{
    for (const PointT<int32_t> natural : {PointT<int32_t>(0, 5), PointT<int32_t>(5, 0)})
    {
        const ConstRCPtr<LVisualPart> part =
            FillPart(Solid(kRed), natural.x, natural.y, kTile)->GetVisualPart();
        EXPECT_EQ(part->GetColorAtPoint(PointT<float>(1, 1), {10, 10}), kNothing);
    }
}

TEST(VisualPartTest, FillDrawsByResizeTypeAndAlpha)
{
    struct Case
    {
        const char* name;
        uint32_t color;
        int32_t resizeType;
        float alphaMod;
        PointT<float> size;
        std::vector<std::string> calls;
        uint32_t colorInside;
    };
    const Case cases[] = {
        {"stretch fills the rectangle",
         0xFF336699,
         kStretch,
         1,
         {15, 15},
         {"FillRect (0,0,15,15) #FF336699 blend=1"},
         0xFF336699},
        {"tile fills the rectangle, size rounded",
         0xFF336699,
         kTile,
         1,
         {14.5f, 15.4f},
         {"FillRect (0,0,15,15) #FF336699 blend=1"},
         0xFF336699},
        {"center keeps the natural size",
         0xFF336699,
         kCenter,
         1,
         {15, 15},
         {"FillRect (2,2,10,10) #FF336699 blend=1"},
         0xFF336699},
        {"alpha times ColorizerAlphaMod",
         0xFF336699,
         kStretch,
         0.5f,
         {15, 15},
         {"FillRect (0,0,15,15) #80336699 blend=1"},
         0x80336699},
        {"transparent colour draws nothing", 0x00FFFFFF, kStretch, 1, {15, 15}, {}, kNothing},
        {"alpha mod 0 draws nothing", 0xFF336699, kStretch, 0, {15, 15}, {}, 0x00336699},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RecordingFrame frame;
        const ConstRCPtr<LVisualPart> part =
            FillPart(Solid(c.color), 10, 10, c.resizeType, c.alphaMod)->GetVisualPart();
        EXPECT_EQ(part->Draw(frame.Renderer(), c.size), 0);
        EXPECT_EQ(Calls(*frame.renderer), c.calls);
        EXPECT_EQ(part->GetColorAtPoint(PointT<int32_t>(5, 5)), c.colorInside);
        EXPECT_EQ(part->GetColorAtPoint(PointT<float>(7, 7), {15, 15}), c.colorInside);
    }
}

TEST(VisualPartTest, PictureDrawsAsBitmapAtRoundedSize)
{
    const RecordingFrame frame;
    const ConstRCPtr<LVisualPart> part = ImagePart(kSprite, kTile)->GetVisualPart();
    EXPECT_EQ(part->GetNaturalWidth(), 4);
    EXPECT_EQ(part->GetNaturalHeight(), 2);
    EXPECT_EQ(part->Draw(frame.Renderer(), {7.5f, 3}), 0);
    EXPECT_EQ(Calls(*frame.renderer), std::vector<std::string>{"DrawBitmap bitmap (0,0,8,3) resize=1"});
}

TEST(VisualPartTest, SubRectangleOfTheImageIsThePicture)
{
    // Columns 2 and 3 of the sprite: clear and blue over yellow and clear.
    const ConstRCPtr<LVisualPart> part = ImagePart(kSprite, kStretch, 2, 0, 2, 2)->GetVisualPart();
    EXPECT_EQ(part->GetNaturalWidth(), 2);
    EXPECT_EQ(part->GetColorAtPoint(PointT<int32_t>(1, 0)), kBlue);
    EXPECT_EQ(part->GetColorAtPoint(PointT<int32_t>(0, 1)), kYellow);
}

TEST(VisualPartTest, ColorizerTintsACopyOfThePictureOrMask)
{
    // Full alpha and intensity: every colour channel becomes the colorizer's, alpha stays the pixel's.
    const ConstRCPtr<LVisualPart> tinted =
        ImagePart(kSprite, kStretch, 0, 0, 0, 0, Solid(kBlue))->GetVisualPart();
    EXPECT_EQ(tinted->GetColorAtPoint(PointT<int32_t>(1, 0)), kBlue);
    EXPECT_EQ(tinted->GetColorAtPoint(PointT<int32_t>(0, 1)), kBlue);
    EXPECT_EQ(tinted->GetColorAtPoint(PointT<int32_t>(0, 0)), 0x000000FFu);
    EXPECT_EQ(LBitmap::GetNamedBitmap(kSprite)->GetPixelColor(1, 0).ToARGB(), kRed);

    // A fill with a mask takes the mask's alpha.
    LVisualPartDescriptor::Shape shape;
    shape.Width = 4;
    shape.Height = 2;
    shape.Mask = {kSprite, 0, 0, 4, 2};
    const ConstRCPtr<LVisualPart> masked =
        LVisualPartDescriptor::CreateColorPart(u"masked", Solid(kGreen), shape)->GetVisualPart();
    ASSERT_TRUE(masked->GetPicture());
    EXPECT_EQ(masked->GetColorAtPoint(PointT<int32_t>(3, 0)), kGreen);
    EXPECT_EQ(masked->GetColorAtPoint(PointT<int32_t>(2, 0)), 0x0000FF00u);
}

TEST(VisualPartTest, DescriptorCachesThePartWhileItIsUsed)
{
    const RCPtr<LVisualPartDescriptor> descriptor = FillPart(Solid(kRed), 4, 4);
    ConstRCPtr<LVisualPart> first = descriptor->GetVisualPart();
    ConstRCPtr<LVisualPart> second = Docked(descriptor)->GetVisualPart();
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(descriptor->mVisualPart.Get(), first.Get());

    first = nullptr;
    EXPECT_EQ(descriptor->mVisualPart.Get(), second.Get());
    second = nullptr;
    EXPECT_FALSE(descriptor->mVisualPart);

    // The next request builds the part again.
    const ConstRCPtr<LVisualPart> rebuilt = descriptor->GetVisualPart();
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(descriptor->mVisualPart.Get(), rebuilt.Get());
    EXPECT_EQ(rebuilt->GetColorAtPoint(PointT<int32_t>(0, 0)), kRed);
}

TEST(VisualPartTest, ImageThatDoesNotLoadYieldsNoPart)
{
    const RCPtr<LVisualPartDescriptor> missing =
        ImagePart(u"::No Such Sprite.png", kStretch, 0, 0, 0, 0, Solid(kRed));
    EXPECT_FALSE(missing->GetVisualPart());
    EXPECT_FALSE(missing->mVisualPart);
    EXPECT_FALSE(Docked(missing)->GetVisualPart());
    EXPECT_FALSE(Docked(nullptr)->GetVisualPart());
}

// Error texts of visual parts and of the label drawing that uses them. A part without a picture keeps a
// solid colorizer only (other kinds become a picture when the part is built), so the gradient answers
// are reached by changing the shared colorizer after the part exists.
TEST(VisualPartTest, ErrorTexts)
{
    const RCPtr<TestSupport::FakeMeasurer> measurer(new TestSupport::FakeMeasurer);
    const TestSupport::MeasurementRendererScope scope(measurer);

    const auto bare = [] {
        return RCPtr<LVisualPart>(new LVisualPart(u"", nullptr, {4, 4}, kStretch, nullptr, 1, nullptr));
    };
    const auto fillWithKind = [](int32_t kind)
    {
        const RCPtr<LColorizer> colorizer = Solid(kRed);
        RCPtr<LVisualPart> part(new LVisualPart(u"", nullptr, {4, 4}, kStretch, colorizer, 1, nullptr));
        colorizer->mColorType = kind;
        return part;
    };
    // A look with a label whose foreground part is the given one, drawn over the whole window.
    const auto drawLabel = [](const ConstRCPtr<LVisualPartDescriptor>& foreground,
                              const RCPtr<LColorizer>& colorizer, int32_t kind)
    {
        const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"labelled");
        descriptor->SetClientPart(Docked(FillPart(Solid(kRed), 1, 1)));
        LLookDescriptor::TextProperties text;
        text.RightRel = 1;
        text.BottomRel = 1;
        descriptor->SetTextProperties(text, foreground);
        const RCPtr<LLook> look = LLook::Create(descriptor, false);
        look->SetSize(50, 20);
        look->SetText(u"label");
        if (colorizer)
            colorizer->mColorType = kind;
        const RecordingFrame frame;
        Region region;
        region.AddRect(0, 0, 400, 300);
        (void)look->DrawLabelText(frame.Renderer(), region, {0, 0});
    };

    struct Case
    {
        const char* name;
        std::function<void()> action;
        const char* text;
        bool domainError;
    };
    const RCPtr<LColorizer> gradient = Solid(0xFF101010);
    const Case cases[] = {
        {"draw without picture or colorizer",
         [&]
         {
             const RecordingFrame frame;
             (void)bare()->Draw(frame.Renderer(), {4, 4});
         },
         "Runtime Error : ZQ::LVisualPart::Draw : ControlBase\\VisualPart : Line 218", false},
        {"colour without picture or colorizer", [&] { (void)bare()->GetColorAtPoint(PointT<int32_t>(1, 1)); },
         "Runtime Error : ZQ::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line 91", false},
        {"colour of a linear gradient fill",
         [&] { (void)fillWithKind(LColorizer::kLinearGradient)->GetColorAtPoint(PointT<int32_t>(1, 1)); },
         "Runtime Error : ZQ::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line 76", false},
        {"colour of a radial gradient fill",
         [&] { (void)fillWithKind(LColorizer::kRadialGradient)->GetColorAtPoint(PointT<int32_t>(1, 1)); },
         "Runtime Error : ZQ::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line 81", false},
        {"colour of an unknown resize type",
         [&] {
             (void)FillPart(Solid(kRed), 4, 4, 3)
                 ->GetVisualPart()
                 ->GetColorAtPoint(PointT<float>(1, 1), {8, 8});
         },
         "Runtime Error : ZQ::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line 165", false},
        {"label in a picture", [&] { drawLabel(ImagePart(kSprite), nullptr, 0); },
         "Domain Error : Bitmap fill for text foreground part not yet implemented. : "
         "ZQ::LLook::DrawLabelText : "
         "ControlBase\\Look : Line 293",
         true},
        {"label in a gradient",
         [&] { drawLabel(FillPart(gradient, 1, 1), gradient, LColorizer::kLinearGradient); },
         "Domain Error : Gradient fill for text foreground part not yet implemented. : "
         "ZQ::LLook::DrawLabelText "
         ": ControlBase\\Look : Line 302",
         true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        try
        {
            c.action();
            ADD_FAILURE() << "no exception";
        }
        catch (const std::exception& e)
        {
            EXPECT_STREQ(e.what(), c.text);
            EXPECT_NE(dynamic_cast<const ExceptionBase*>(&e), nullptr);
            EXPECT_EQ(dynamic_cast<const std::domain_error*>(&e) != nullptr, c.domainError);
            EXPECT_EQ(dynamic_cast<const std::runtime_error*>(&e) != nullptr, !c.domainError);
        }
    }
}
} // namespace
