#include "PartBuilders.h"
#include "Renderer/GeometryPrinting.h"
#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace ZQ;
using namespace PartBuilders;

namespace
{
using Placement = LDockedPart::Placement;
constexpr int32_t kLeft = LDockedPart::kOffsetLeft, kTop = LDockedPart::kOffsetTop,
                  kRight = LDockedPart::kOffsetRight, kBottom = LDockedPart::kOffsetBottom;

Placement Offsets(int32_t anchors, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Placement placement;
    placement.Anchors = anchors;
    placement.OffsetLeft = left;
    placement.OffsetTop = top;
    placement.OffsetRight = right;
    placement.OffsetBottom = bottom;
    return placement;
}

// Looks are drawn at (10, 20) of the window, as a control there pushes its clip.
class LookTest : public ::testing::Test
{
protected:
    RCPtr<TestSupport::FakeMeasurer> mMeasurer{new TestSupport::FakeMeasurer};
    TestSupport::MeasurementRendererScope mScope{mMeasurer};
    // A font of its own: its metrics come from this test's measurer.
    ConstRCPtr<LFont> mFont = LFont::GetFont(u"LookTest", 9, 0);
    RecordingFrame mFrame;

    LookTest() { mFrame.renderer->PushClipRect({10, 20, 100, 32}, {10, 20, 100, 32}, nullptr, true); }

    static Region Rects(std::initializer_list<Region::Edges> edges)
    {
        Region region;
        for (const Region::Edges& e : edges)
            region.AddRect(e.left, e.top, e.right, e.bottom);
        return region;
    }
    static Region Window() { return Rects({{0, 0, 400, 300}}); }

    // A client fill of kRed with the placement, and a 4-wide kBlue left border over the whole height.
    static RCPtr<LLookDescriptor> FramedLook(const Placement& client = Offsets(15, 0, 0, 0, 0))
    {
        const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"framed");
        descriptor->SetClientPart(Docked(FillPart(Solid(kRed), 1, 1), client));
        descriptor->AddNonClientPart(
            Docked(FillPart(Solid(kBlue), 4, 1), Offsets(kLeft | kTop | kBottom, 0, 0, 0, 0)));
        return descriptor;
    }

    std::vector<std::string> TakeLines()
    {
        std::vector<std::string> lines = mFrame.renderer->GetLines();
        mFrame.renderer->ClearLines();
        return lines;
    }
};

TEST_F(LookTest, ClientRectangleFromOffsets)
{
    struct Case
    {
        Placement placement;
        PointT<int32_t> size;
        RectT<int32_t> expected;
    };
    const Case cases[] = {
        {Offsets(15, 10, 0, -10, 0), {100, 32}, {10, 0, 80, 32}},
        {Offsets(15, 120, 0, -10, 0), {100, 32}, {100, 0, 0, 32}},
        {Offsets(15, 0, 5, 0, -40), {100, 32}, {0, 5, 100, 0}},
        {Offsets(15, -5, -5, 20, 20), {100, 32}, {0, 0, 100, 32}},
    };
    for (const Case& c : cases)
    {
        const RCPtr<LLook> look = LLook::Create(FramedLook(c.placement), false);
        look->SetSize(c.size.x, c.size.y);
        EXPECT_EQ(look->GetClientRect(), c.expected);
    }
}

TEST_F(LookTest, NonClientPartPlacement)
{
    struct Case
    {
        const char* name;
        Placement placement;
        PointT<int32_t> partSize;
        int32_t lookWidth;
        RectT<int32_t> expected;
    };
    Placement wider = Offsets(kLeft, 0, 0, 0, 0);
    wider.HasWidth = true;
    wider.Width = 20;
    Placement topStrip = Offsets(kLeft | kRight | kTop, 0, 0, 0, 0);
    topStrip.HasHeight = true;
    topStrip.Height = 4;
    const Case cases[] = {
        {"left offset only", Offsets(kLeft, 7, 0, 0, 0), {10, 6}, 100, {7, 13, 10, 6}},
        {"right offset only", Offsets(kRight, 0, 0, -5, 0), {10, 6}, 100, {85, 13, 10, 6}},
        {"neither: centred", Offsets(0, 0, 0, 0, 0), {5, 6}, 10, {2, 13, 5, 6}},
        {"wider than the look: centred toward zero", Offsets(0, 0, 0, 0, 0), {15, 6}, 10, {-2, 13, 15, 6}},
        {"bottom offset only", Offsets(kBottom, 0, 0, 0, -2), {10, 6}, 100, {45, 24, 10, 6}},
        {"both sides stretch", Offsets(15, 3, 2, -3, -2), {10, 6}, 100, {3, 2, 94, 28}},
        {"placement width wins", wider, {10, 6}, 100, {0, 13, 20, 6}},
        {"placement height wins", topStrip, {10, 6}, 100, {0, 0, 100, 4}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"placed");
        descriptor->AddNonClientPart(Docked(FillPart(Solid(kBlue), c.partSize.x, c.partSize.y), c.placement));
        const RCPtr<LLook> look = LLook::Create(descriptor, false);
        look->SetSize(c.lookWidth, 32);
        ASSERT_EQ(look->GetNonClientRects().GetCount(), 1u);
        EXPECT_EQ(look->GetNonClientRects().GetAt(0), c.expected);
    }
}

TEST_F(LookTest, TextBoxFromRelativeAndAbsoluteEdges)
{
    const RCPtr<LLookDescriptor> descriptor = FramedLook();
    LLookDescriptor::TextProperties text;
    text.LeftAbs = 3;
    text.RightRel = 1;
    text.RightAbs = -3;
    text.TopRel = 0.15f;
    text.BottomRel = 0.85f;
    text.HAlign = 0.5f;
    text.VAlign = 1;
    descriptor->SetTextProperties(text, FillPart(Solid(kWhite), 1, 1));
    const RCPtr<LLook> look = LLook::Create(descriptor, true);
    look->SetSize(100, 32);

    // 4.8 to 27.2: the origin truncated, the height of 22.4 rounded.
    EXPECT_EQ(look->GetTextOrigin(), PointT<int32_t>(3, 4));
    const RCPtr<LFontText>& layout = look->GetTextLayout();
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->GetBoxWidth(), 94);
    EXPECT_EQ(layout->GetBoxHeight(), 22);
    EXPECT_TRUE(layout->GetWordWrap());
    EXPECT_EQ(layout->GetHorizontalAlignment(), 0.5f);
    EXPECT_EQ(layout->GetVerticalAlignment(), 1.0f);
}

TEST_F(LookTest, InitializeWithNewDescriptorLaysOutAgainAtItsSize)
{
    const RCPtr<LLook> look = LLook::Create(FramedLook(), false);
    EXPECT_EQ(look->GetClientRect(), RectT<int32_t>());
    look->SetSize(100, 32);
    EXPECT_EQ(look->GetClientRect(), RectT<int32_t>(0, 0, 100, 32));

    const RCPtr<LLookDescriptor> inset = LLookDescriptor::Create(u"inset");
    inset->SetClientPart(Docked(FillPart(Solid(kGreen), 1, 1), Offsets(15, 10, 0, -10, 0)));
    look->Initialize(inset, false);
    EXPECT_EQ(look->GetClientRect(), RectT<int32_t>(10, 0, 80, 32));
    EXPECT_EQ(look->GetNonClientRects().GetCount(), 0u);
    EXPECT_EQ(look->GetColorAtPoint({50, 5}), kGreen);
}

TEST_F(LookTest, LookWithoutTextPropertiesDrawsNoLabel)
{
    const RCPtr<LLook> look = LLook::Create(FramedLook(), false);
    look->SetSize(100, 32);
    EXPECT_FALSE(look->GetTextLayout());
    EXPECT_TRUE(look->SetText(u"ignored"));
    EXPECT_TRUE(look->SetFont(mFont));
    EXPECT_EQ(look->DrawLabelText(mFrame.Renderer(), Window(), {0, 0}), 1);
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(LookTest, PartsDrawnInsideTheirRectanglesThePaintRegionAndTheLookRegion)
{
    struct Case
    {
        const char* name;
        Region paint;
        Region lookRegion;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"whole window",
         Window(),
         {},
         {"FillRect (0,0,4,32) #FF0000FF blend=1 | origin=(10,20) clip=(0,0,4,32) opacity=1",
          "FillRect (0,0,80,32) #FFFF0000 blend=1 | origin=(20,20) clip=(0,0,80,32) opacity=1"}},
        {"paint region over the border and part of the client",
         Rects({{12, 25, 30, 35}}),
         {},
         {"FillRect (0,0,4,32) #FF0000FF blend=1 | origin=(10,20) clip=(2,5,2,10) opacity=1",
          "FillRect (0,0,80,32) #FFFF0000 blend=1 | origin=(20,20) clip=(0,5,10,10) opacity=1"}},
        {"paint region beside the look", Rects({{200, 0, 400, 300}}), {}, {}},
        // The region hands out its rectangles newest first.
        {"two paint rectangles in the client",
         Rects({{30, 20, 40, 30}, {60, 40, 70, 52}}),
         {},
         {"FillRect (0,0,80,32) #FFFF0000 blend=1 | origin=(20,20) clip=(40,20,10,12) opacity=1",
          "FillRect (0,0,80,32) #FFFF0000 blend=1 | origin=(20,20) clip=(10,0,10,10) opacity=1"}},
        {"look region limits the drawing",
         Window(),
         Rects({{0, 0, 12, 10}}),
         {"FillRect (0,0,4,32) #FF0000FF blend=1 | origin=(10,20) clip=(0,0,4,10) opacity=1",
          "FillRect (0,0,80,32) #FFFF0000 blend=1 | origin=(20,20) clip=(0,0,2,10) opacity=1"}},
    };
    const RCPtr<LLook> look = LLook::Create(FramedLook(Offsets(15, 10, 0, -10, 0)), false);
    look->SetSize(100, 32);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        look->SetRegion(c.lookRegion);
        EXPECT_EQ(look->DrawNonClientParts(mFrame.Renderer(), c.paint), 0);
        EXPECT_EQ(look->DrawClientPart(mFrame.Renderer(), c.paint), 0);
        EXPECT_EQ(TakeLines(), c.lines);
    }
}

TEST_F(LookTest, OverlayDrawsOverOrInsteadOfTheClientPart)
{
    const RCPtr<LLook> look = LLook::Create(FramedLook(Offsets(15, 10, 0, -10, 0)), false);
    look->SetSize(100, 32);
    const RCPtr<LBitmap> sprite = LBitmap::GetNamedBitmap(kSprite);

    look->SetOverlay(sprite, LVisualPartDescriptor::kTile, false);
    EXPECT_EQ(look->DrawClientPart(mFrame.Renderer(), Window()), 0);
    EXPECT_EQ(TakeLines(),
              (std::vector<std::string>{
                  "FillRect (0,0,80,32) #FFFF0000 blend=1 | origin=(20,20) clip=(0,0,80,32) opacity=1",
                  "DrawBitmap bitmap (0,0,80,32) resize=1 | origin=(20,20) clip=(0,0,80,32) opacity=1"}));

    look->SetOverlay(sprite, LVisualPartDescriptor::kStretch, true);
    EXPECT_EQ(look->DrawClientPart(mFrame.Renderer(), Window()), 0);
    EXPECT_EQ(TakeLines(),
              std::vector<std::string>{
                  "DrawBitmap bitmap (0,0,80,32) resize=0 | origin=(20,20) clip=(0,0,80,32) opacity=1"});

    look->SetOverlay(nullptr, 0, true);
    EXPECT_FALSE(look->GetOverlay());
    EXPECT_EQ(look->DrawClientPart(mFrame.Renderer(), Window()), 0);
    EXPECT_EQ(TakeLines().size(), 1u);
}

TEST_F(LookTest, LabelLinesDrawnInTheForegroundColour)
{
    const RCPtr<LLookDescriptor> descriptor = FramedLook();
    LLookDescriptor::TextProperties text;
    text.LeftAbs = 5;
    text.RightRel = 1;
    text.RightAbs = -5;
    text.TopAbs = 4;
    text.BottomRel = 1;
    descriptor->SetTextProperties(text, FillPart(Solid(0xFF112233), 1, 1));
    const RCPtr<LLook> look = LLook::Create(descriptor, false);
    look->SetSize(100, 32);
    EXPECT_TRUE(look->SetFont(mFont));
    EXPECT_TRUE(look->SetText(u"Hi\nYou"));
    EXPECT_FALSE(look->SetText(u"Hi\nYou"));

    // The box is (5, 4) 90 x 28; the offset moves the lines, rounded half away from zero.
    EXPECT_EQ(look->DrawLabelText(mFrame.Renderer(), Window(), {0.5, -2}), 0);
    EXPECT_EQ(
        TakeLines(),
        (std::vector<std::string>{
            R"(DrawText "Hi" "LookTest"/9/0 (-1,2) #FF112233 | origin=(15,24) clip=(0,0,90,28) opacity=1)",
            R"(DrawText "You" "LookTest"/9/0 (-1,14) #FF112233 | origin=(15,24) clip=(0,0,90,28) opacity=1)"}));

    // Only the painted part of the box is drawn into.
    EXPECT_EQ(look->DrawLabelText(mFrame.Renderer(), Rects({{0, 0, 40, 30}}), {0, 0}), 0);
    EXPECT_EQ(
        TakeLines(),
        (std::vector<std::string>{
            R"(DrawText "Hi" "LookTest"/9/0 (0,0) #FF112233 | origin=(15,24) clip=(0,0,25,6) opacity=1)",
            R"(DrawText "You" "LookTest"/9/0 (0,12) #FF112233 | origin=(15,24) clip=(0,0,25,6) opacity=1)"}));
}

TEST_F(LookTest, ColorAtPoint)
{
    const RCPtr<LLookDescriptor> descriptor = FramedLook();
    // A clear border part over the right edge is looked through.
    descriptor->AddNonClientPart(
        Docked(FillPart(Solid(0x00FFFFFF), 4, 1), Offsets(kRight | kTop | kBottom, 0, 0, 0, 0)));
    const RCPtr<LLook> look = LLook::Create(descriptor, false);
    look->SetSize(100, 32);
    EXPECT_EQ(look->GetColorAtPoint({1, 5}), kBlue);
    EXPECT_EQ(look->GetColorAtPoint({50, 5}), kRed);
    EXPECT_EQ(look->GetColorAtPoint({98, 5}), kRed);
    EXPECT_EQ(look->GetColorAtPoint({100, 5}), kNothing);
    EXPECT_EQ(look->GetColorAtPoint({-1, 5}), kNothing);

    // The sprite stretched over the client: its opaque pixels win over the client part, its clear ones
    // show the client part; the replace flag does not matter here.
    look->SetOverlay(LBitmap::GetNamedBitmap(kSprite), LVisualPartDescriptor::kStretch, true);
    EXPECT_EQ(look->GetColorAtPoint({60, 20}), kYellow);
    EXPECT_EQ(look->GetColorAtPoint({80, 5}), kBlue);
    EXPECT_EQ(look->GetColorAtPoint({10, 5}), kRed);
    EXPECT_EQ(look->GetColorAtPoint({10, 20}), kGreen);
    EXPECT_EQ(look->GetColorAtPoint({1, 20}), kBlue);
}

TEST_F(LookTest, PartsThatYieldNothingAreSkippedAndTransparent)
{
    const RCPtr<LVisualPartDescriptor> missing = ImagePart(u"::No Such Sprite.png");
    const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(u"missing");
    descriptor->SetClientPart(Docked(missing, Offsets(15, 0, 0, 0, 0)));
    descriptor->AddNonClientPart(Docked(missing, Offsets(kLeft, 0, 0, 0, 0)));
    LLookDescriptor::TextProperties text;
    text.RightRel = 1;
    text.BottomRel = 1;
    descriptor->SetTextProperties(text, missing);
    const RCPtr<LLook> look = LLook::Create(descriptor, false);
    look->SetSize(100, 32);
    look->SetFont(mFont);
    look->SetText(u"unseen");

    EXPECT_EQ(look->DrawNonClientParts(mFrame.Renderer(), Window()), 0);
    EXPECT_EQ(look->DrawClientPart(mFrame.Renderer(), Window()), 0);
    EXPECT_EQ(look->DrawLabelText(mFrame.Renderer(), Window(), {0, 0}), 0);
    EXPECT_TRUE(TakeLines().empty());
    EXPECT_EQ(look->GetColorAtPoint({0, 0}), kNothing);
    EXPECT_EQ(look->GetColorAtPoint({50, 16}), kNothing);
}

TEST_F(LookTest, LooksOverOneSkinPartShareItsVisualPart)
{
    const RCPtr<LLookDescriptor> descriptor = FramedLook();
    const ConstRCPtr<LVisualPartDescriptor> client = descriptor->mClientPart->mPart;
    const ConstRCPtr<LVisualPartDescriptor> border = descriptor->mNonClientParts.GetAt(0)->mPart;
    {
        const RCPtr<LLook> first = LLook::Create(descriptor, false);
        const RCPtr<LLook> second = LLook::Create(descriptor, true);
        first->SetSize(100, 32);
        second->SetSize(40, 40);
        ASSERT_TRUE(first->GetClientPart());
        EXPECT_EQ(first->GetClientPart().Get(), second->GetClientPart().Get());
        EXPECT_EQ(first->GetNonClientParts().GetAt(0).Get(), second->GetNonClientParts().GetAt(0).Get());
        EXPECT_EQ(client->mVisualPart.Get(), first->GetClientPart().Get());
    }
    EXPECT_FALSE(client->mVisualPart);
    EXPECT_FALSE(border->mVisualPart);
}
} // namespace
