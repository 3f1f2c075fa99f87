#include "LocaleScope.h"
#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace ZQ;
using TestSupport::Utf8;
using ZQTest::LoadSkinFragment;

namespace
{
constexpr const char* kDefinitions = R"(
<Colorizers>
  <Colorizer Name="green" ColorType="SolidFill" Color="0xFF43E346"/>
  <Colorizer Name="green" ColorType="SolidFill" Color="0xFF0000FF"/>
  <Colorizer Name="glow" ColorType="RadialGradient" Color="0x80FFFFFF" GradientEndColor="0x00FFFFFF"
             GradientStartX="0.5" GradientStartY="0.25" GradientEndX="1e2" GradientEndY="0.75"/>
  <Colorizer Name="flat" ColorType="RadialGradient" Color="0x80FFFFFF" GradientEndColor="0x00FFFFFF"
             GradientStartX="0.5" GradientStartY="0.25" GradientEndX="1"/>
  <Colorizer Name="incomplete" ColorType="SolidFill"/>
</Colorizers>
<Parts>
  <Part Name="frame" ImageFile="Images/Frame.PNG" ImageLocX="3" ImageLocY="4" Width="20" Height="10"
        ResizeType="Tile" ColorizerName="green" ColorizerMaskFile="Masks/Frame.PNG" MaskLocX="1" MaskLocY="2"/>
  <Part Name="fill" Width="5" Height="6" ResizeType="Whatever" ColorizerName="green" ColorizerAlphaMod="0.5"/>
  <Part Name="ghost" Width="5" Height="6" ResizeType="Center" ColorizerName="nothing"/>
  <Part Name="halfImage" ImageFile="a.png" ImageLocX="1" Width="5" Height="6" ResizeType="Center"
        ColorizerName="glow"/>
</Parts>
<Looks>
  <Look Name="normal">
    <ClientPart Name="fill" OffsetLeft="1" OffsetTop="2" OffsetRight="3" OffsetBottom="4" Width="9" Height="9"/>
    <NonClientParts>
      <NonClientPart Name="frame" OffsetLeft="0" OffsetTop="0" Width="0" Height="7"/>
      <NonClientPart Name="frame" OffsetRight="2" OffsetBottom="0x10" Width="7"/>
      <NonClientPart Name="ghost" OffsetLeft="0"/>
    </NonClientParts>
    <TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign="0.5"
                    TextTopRel="0" TextTopAbs="2" TextBottomRel="1" TextBottomAbs="-2" TextVAlign="0.5"
                    TextForegroundPart="fill"/>
  </Look>
  <Look Name="pressed">
    <ClientPart Name="ghost" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
    <TextProperties TextLeftRel="0" TextLeftAbs="4"/>
  </Look>
</Looks>
<LookLists>
  <LookList Name="buttonLooks" NumLooks="2">
    <Look Index="0" Name="normal"/>
    <Look Index="1" Name="unknown"/>
    <Look Index="5" Name="pressed"/>
  </LookList>
  <LookList Name="buttonLooks" NumLooks="3">
    <Look Index="1" Name="pressed"/>
  </LookList>
</LookLists>
)";

std::string Skin(const std::string& controls, const std::string& skinAttributes = "")
{
    return std::string(kDefinitions) + "<Skins><Skin Name=\"default\"" + skinAttributes + ">" + controls +
           "</Skin></Skins>";
}

const LControlDescriptor& Child(const LControlDescriptor& parent, uint32_t index)
{
    return *parent.mChildren.GetAt(index);
}

class SkinReader : public LocaleTest
{
};
} // namespace

TEST_P(SkinReader, ColorizersFirstDefinitionWinsAndIncompleteGradientsAreSolid)
{
    ZQRESULT result = E_FAIL;
    const RCPtr<LControlFactory> factory = LoadSkinFragment(Skin(""), &result);
    ASSERT_EQ(result, S_OK);

    const ConstRCPtr<LColorizer> green = factory->FindColorizer(u"green");
    ASSERT_TRUE(green);
    EXPECT_EQ(green->mColorType, LColorizer::kSolid);
    EXPECT_EQ(green->mColor.ToARGB(), 0xFF43E346u);
    EXPECT_EQ(green->mGradientEndColor.ToARGB(), 0u);

    const ConstRCPtr<LColorizer> glow = factory->FindColorizer(u"glow");
    ASSERT_TRUE(glow);
    EXPECT_EQ(glow->mColorType, LColorizer::kRadialGradient);
    EXPECT_EQ(glow->mGradientEndColor.ToARGB(), 0x00FFFFFFu);
    EXPECT_EQ(glow->mGradientStartX, 0.5f);
    EXPECT_EQ(glow->mGradientStartY, 0.25f);
    EXPECT_EQ(glow->mGradientEndX, 100.0f);
    EXPECT_EQ(glow->mGradientEndY, 0.75f);

    const ConstRCPtr<LColorizer> flat = factory->FindColorizer(u"flat"); // lacks GradientEndY
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->mColorType, LColorizer::kSolid);
    EXPECT_EQ(flat->mGradientEndColor, Color());
    EXPECT_FALSE(factory->FindColorizer(u"incomplete"));
}

TEST_P(SkinReader, PartsTakeTheirPictureColorizerAndMask)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(ZQTest::kTestApplication);
    factory->SetBaseFolder(u"::");
    const ZQTest::TempDocument document(ZQTest::SkinDocument(Skin("")));
    ASSERT_EQ(factory->LoadSkins(document.Path()), S_OK);

    const ConstRCPtr<LVisualPartDescriptor> frame = factory->FindPart(u"frame");
    ASSERT_TRUE(frame);
    EXPECT_EQ(Utf8(frame->mImage.Path), "::images/frame.png");
    EXPECT_EQ(frame->mImage.X, 3);
    EXPECT_EQ(frame->mImage.Y, 4);
    EXPECT_EQ(frame->mImage.Width, 20);
    EXPECT_EQ(frame->mHeight, 10);
    EXPECT_EQ(frame->mResizeType, LVisualPartDescriptor::kTile);
    EXPECT_EQ(frame->mColorizer, factory->FindColorizer(u"green")); // the first "green"
    EXPECT_EQ(frame->mColorizerAlphaMod, 1.0f);
    EXPECT_EQ(Utf8(frame->mMask.Path), "::Masks/Frame.PNG");
    EXPECT_EQ(frame->mMask.X, 1);
    EXPECT_EQ(frame->mMask.Width, 20);

    const ConstRCPtr<LVisualPartDescriptor> fill = factory->FindPart(u"fill");
    ASSERT_TRUE(fill);
    EXPECT_TRUE(fill->mImage.Path.IsEmpty());
    EXPECT_EQ(fill->mWidth, 5);
    EXPECT_EQ(fill->mResizeType, LVisualPartDescriptor::kStretch);
    EXPECT_EQ(fill->mColorizerAlphaMod, 0.5f);
    EXPECT_TRUE(fill->mMask.Path.IsEmpty());

    EXPECT_FALSE(factory->FindPart(u"ghost")); // neither picture nor colorizer
    const ConstRCPtr<LVisualPartDescriptor> halfImage = factory->FindPart(u"halfImage"); // no ImageLocY
    ASSERT_TRUE(halfImage);
    EXPECT_TRUE(halfImage->mImage.Path.IsEmpty());
    EXPECT_EQ(halfImage->mResizeType, LVisualPartDescriptor::kCenter);
}

TEST_P(SkinReader, PictureAndMaskFilesAreFoundAsWrittenElseWithoutRegardToCaseInTheirFolder)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zq-skin-images-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "Images");
    for (const char* name : {"Knob Sprite.PNG", "Knob[1].Png", "Mask.png"})
        std::ofstream(folder / "Images" / name) << "picture";
    struct Case
    {
        const char* written;
        const char* found; // below the folder
    };
    const Case cases[] = {
        {"Images/Knob Sprite.PNG", "Images/Knob Sprite.PNG"},
        {"Images/KNOB sprite.png", "Images/Knob Sprite.PNG"},
        {"Images\\knob sprite.png", "Images/Knob Sprite.PNG"},
        {"Images/knob[1].png", "Images/Knob[1].Png"},
        {"Images/Missing.PNG", "Images/Missing.PNG"},
        {"images/Mask.png", "images/Mask.png"}, // only the file's name is matched without regard to case
    };
    for (const Case& c : cases)
    {
        const RCPtr<LControlFactory> factory = LControlFactory::Create(ZQTest::kTestApplication);
        factory->SetBaseFolder(WString((folder.string() + "/").c_str()));
        const std::string part =
            std::string(R"(<Parts><Part Name="p" Width="4" Height="4" ResizeType="Stretch" )") +
            R"(ImageFile=")" + c.written + R"(" ImageLocX="0" ImageLocY="0" )" +
            R"(ColorizerMaskFile="Images/MASK.PNG" MaskLocX="0" MaskLocY="0"/></Parts>)";
        const ZQTest::TempDocument document(ZQTest::SkinDocument(part));
        ASSERT_EQ(factory->LoadSkins(document.Path()), S_OK);
        const ConstRCPtr<LVisualPartDescriptor> found = factory->FindPart(u"p");
        ASSERT_TRUE(found) << c.written;
        EXPECT_EQ(Utf8(found->mImage.Path), folder.string() + "/" + c.found) << c.written;
        EXPECT_EQ(Utf8(found->mMask.Path), folder.string() + "/Images/Mask.png");
    }
    std::filesystem::remove_all(folder);
}

TEST_P(SkinReader, LooksDockTheirPartsAndLookListsFillByIndex)
{
    const RCPtr<LControlFactory> factory = LoadSkinFragment(Skin(""));
    const ConstRCPtr<LLookDescriptor> normal = factory->FindLook(u"normal");
    ASSERT_TRUE(normal);
    ASSERT_TRUE(normal->mClientPart);
    const LDockedPart::Placement& client = normal->mClientPart->mPlacement;
    EXPECT_EQ(client.Anchors, 15);
    EXPECT_EQ(client.OffsetLeft, 1);
    EXPECT_EQ(client.OffsetBottom, 4);
    EXPECT_FALSE(client.HasWidth);
    EXPECT_FALSE(client.HasHeight);

    ASSERT_EQ(normal->mNonClientParts.GetCount(), 2u); // the part "ghost" does not exist
    const LDockedPart::Placement& corner = normal->mNonClientParts.GetAt(0)->mPlacement;
    EXPECT_EQ(corner.Anchors, LDockedPart::kOffsetLeft | LDockedPart::kOffsetTop);
    EXPECT_FALSE(corner.HasWidth);
    EXPECT_TRUE(corner.HasHeight);
    EXPECT_EQ(corner.Height, 7);
    const LDockedPart::Placement& edge = normal->mNonClientParts.GetAt(1)->mPlacement;
    EXPECT_EQ(edge.Anchors, LDockedPart::kOffsetRight | LDockedPart::kOffsetBottom);
    EXPECT_EQ(edge.OffsetBottom, 16);
    EXPECT_TRUE(edge.HasWidth);
    EXPECT_EQ(edge.Width, 7);

    ASSERT_TRUE(normal->mHasTextProperties);
    EXPECT_EQ(normal->mText.RightAbs, -4);
    EXPECT_EQ(normal->mText.HAlign, 0.5f);
    EXPECT_EQ(normal->mText.BottomRel, 1.0f);
    EXPECT_EQ(normal->mTextForegroundPart, factory->FindPart(u"fill"));

    const ConstRCPtr<LLookDescriptor> pressed = factory->FindLook(u"pressed");
    ASSERT_TRUE(pressed);
    EXPECT_FALSE(pressed->mClientPart);        // names the dropped part
    EXPECT_FALSE(pressed->mHasTextProperties); // incomplete

    const ConstRCPtr<LLookList> looks = factory->FindLookList(u"buttonLooks");
    ASSERT_TRUE(looks);
    ASSERT_EQ(looks->GetCount(), 2u); // the second list of that name was not made
    EXPECT_EQ(looks->GetAt(0), normal);
    EXPECT_FALSE(looks->GetAt(1)); // unknown look; Index 5 and the second list's Look are ignored
}

TEST_P(SkinReader, SubControlsBuildTheTreeWithLayoutSkinAndParameters)
{
    const std::string controls = R"(
<SubControl Class="FirmwareUpdater.MainControl" Name="mainControl" IsVisible="false" TabStop="3"
            XSizeToControl="Parent" XSizeRel="0.5" XSizeAbs="-10" YPositionToControl="Screen">
  <Skin Name="mainSkin" LookList="buttonLooks"/>
  <SubControl Class="Framework.Button" Name="late" LayoutOrder="0x10" Z_Order="0x10" IsVisible="true"
              TabStop="2" ClipToParent="false" XIsDocked="True" XPlacementAnchor="0.5" XPositionRel="0.25"
              XPositionAbs="12" XPositionToControl="title" YSizeToControl="Self" YSizeAbs="22"
              XMinSizeToControl="Children" XMinSizeRel="1" XMinSizeAbs="4" YMaxSizeToControl="Self"
              YMaxSizeAbs="80" TextDecoration="underline" TextOverflowXType="Expand" TextOverflowYType="Wrap"
              FontName="Arial" FontSize="9.5" FontStyle="0x1" FontSizeIsRelative="True"
              FontInheritsFromParent="True">
    <Skin Name="lateSkin"/>
    <CreateParamList>
      <CreateParam ID="LABEL">A &amp; B</CreateParam>
      <CreateParam ID="TOOLTIP">first line
second line</CreateParam>
      <CreateParam ID="EMPTY"></CreateParam>
      <CreateParam>no ID</CreateParam>
    </CreateParamList>
  </SubControl>
  <SubControl Class="Framework.Label" Name="first" LayoutOrder="1" IsVisible="false" FontSizeIsRelative="True">
    <Skin Name="labelSkin" LookList="noSuchList"/>
  </SubControl>
  <SubControl Class="Framework.Label" Name="second" LayoutOrder="1"/>
</SubControl>
<SubControl Class="Framework.Dialog" Name="aboutDialog" LayoutOrder="-5"/>
)";
    ZQRESULT result = E_FAIL;
    const RCPtr<LControlFactory> factory = LoadSkinFragment(Skin(controls, " FontSize=\"0.5\""), &result);
    ASSERT_EQ(result, S_OK);
    ASSERT_EQ(factory->GetSkins().GetCount(), 1u);
    const LControlDescriptor& root = *factory->GetSkins().GetAt(0);
    EXPECT_EQ(Utf8(root.mClass), "Application");
    EXPECT_EQ(Utf8(root.mName), "Brandole");
    EXPECT_FALSE(root.mParent);
    EXPECT_FALSE(root.mLayout);
    ASSERT_EQ(root.mChildren.GetCount(), 2u); // a root's children stay in document order
    const LControlDescriptor& main = Child(root, 0);
    EXPECT_EQ(Utf8(Child(root, 1).mName), "aboutDialog");

    // Top level: IsVisible and TabStop are not read.
    EXPECT_EQ(main.mParent.Get(), &root);
    EXPECT_TRUE(main.mLayout->mVisible);
    EXPECT_EQ(main.mLayout->mTabStop, 0);
    EXPECT_EQ(main.mLayout->mXSize.ToControl, LLayoutDescriptor::kSizeParent);
    EXPECT_EQ(main.mLayout->mXSize.Rel, 0.5f);
    EXPECT_EQ(main.mLayout->mXSize.Abs, -10.0);
    EXPECT_EQ(main.mLayout->mYPosition.ToControl, LLayoutDescriptor::kPositionParent);
    ASSERT_TRUE(main.mSkin);
    EXPECT_EQ(main.mSkin->mLookList, factory->FindLookList(u"buttonLooks"));
    EXPECT_TRUE(main.mSkin->mFontName.IsEmpty());
    EXPECT_EQ(main.mSkin->mFontSize, 0.0f);
    EXPECT_EQ(main.mSkin->mFontStyle, -1);
    EXPECT_FALSE(main.mSkin->mFontInheritsFromParent);
    EXPECT_FALSE(main.mSkin->mFontSizeIsRelative);

    // Sorted by LayoutOrder, equal orders in document order.
    ASSERT_EQ(main.mChildren.GetCount(), 3u);
    EXPECT_EQ(Utf8(Child(main, 0).mName), "first");
    EXPECT_EQ(Utf8(Child(main, 1).mName), "second");
    const LControlDescriptor& late = Child(main, 2);
    EXPECT_EQ(Utf8(late.mName), "late");
    EXPECT_EQ(late.mParent.Get(), &main);

    const LLayoutDescriptor& layout = *late.mLayout;
    EXPECT_EQ(layout.mLayoutOrder, 16);
    EXPECT_EQ(layout.mZOrder, 0);
    EXPECT_EQ(layout.mTabStop, 2);
    EXPECT_FALSE(layout.mClipToParent);
    EXPECT_TRUE(layout.mXDocked);
    EXPECT_EQ(layout.mXPosition.Anchor, 0.5f);
    EXPECT_EQ(layout.mXPosition.Rel, 0.25f);
    EXPECT_EQ(layout.mXPosition.Abs, 12.0);
    EXPECT_EQ(layout.mXPosition.ToControl, LLayoutDescriptor::kPositionSibling);
    EXPECT_EQ(Utf8(layout.mXPosition.ReferenceName), "title");
    EXPECT_EQ(layout.mYSize.ToControl, LLayoutDescriptor::kSizeSelf);
    EXPECT_EQ(layout.mYSize.Abs, 22.0);
    EXPECT_TRUE(layout.mXMinimum.ToOther);
    EXPECT_EQ(Utf8(layout.mXMinimum.ReferenceName), "Children");
    EXPECT_EQ(layout.mXMinimum.Abs, 4.0);
    EXPECT_FALSE(layout.mYMaximum.ToOther);
    EXPECT_EQ(layout.mYMaximum.Abs, 80.0);
    EXPECT_EQ(Utf8(layout.mTextDecoration), "underline");
    EXPECT_EQ(layout.mTextOverflowX, LLayoutDescriptor::kOverflowExpand);
    EXPECT_EQ(layout.mTextOverflowY, LLayoutDescriptor::kOverflowClip); // "Wrap" is no Y overflow

    ASSERT_TRUE(late.mSkin);
    EXPECT_EQ(Utf8(late.mSkin->mFontName), "Arial");
    EXPECT_EQ(late.mSkin->mFontSize, 9.5f);
    EXPECT_EQ(late.mSkin->mFontStyle, 1);
    EXPECT_TRUE(late.mSkin->mFontSizeIsRelative);
    EXPECT_TRUE(late.mSkin->mFontInheritsFromParent);
    EXPECT_FALSE(late.mSkin->mLookList);

    ASSERT_TRUE(late.mCreateParams);
    WString text;
    EXPECT_TRUE(late.mCreateParams->GetString(u"LABEL", text));
    EXPECT_EQ(Utf8(text), "A & B");
    EXPECT_TRUE(late.mCreateParams->GetString(u"TOOLTIP", text));
    EXPECT_EQ(Utf8(text), "first line\nsecond line");
    EXPECT_FALSE(late.mCreateParams->HasString(u"EMPTY"));
    EXPECT_EQ(late.mCreateParams->GetEntries().size(), 2u);

    const LControlDescriptor& first = Child(main, 0);
    EXPECT_FALSE(first.mLayout->mVisible);          // nested: read
    EXPECT_FALSE(first.mSkin->mFontSizeIsRelative); // no FontSize clears it
    EXPECT_FALSE(first.mSkin->mLookList);
    EXPECT_FALSE(Child(main, 1).mSkin);

    // Skin-wide font: 0.5 is below 1 and nothing else is set.
    WString fontName = u"kept";
    float fontSize = 7;
    int32_t fontStyle = 3;
    EXPECT_EQ(factory->GetSkinFont(fontName, fontSize, fontStyle), S_FALSE);
    EXPECT_EQ(Utf8(fontName), "kept");
    EXPECT_EQ(fontSize, 7.0f);
    EXPECT_EQ(fontStyle, 3);
    const RCPtr<LSkinDescriptor>& rootSkin = root.mSkin;
    ASSERT_TRUE(rootSkin);
    EXPECT_EQ(rootSkin->mFontSize, 0.5f);
}

TEST_P(SkinReader, SkinFontAndItsSubstitutionForTheCurrentLocale)
{
    const std::string document = R"(
<Skins>
  <Skin Name="default" FontName="Tahoma" FontSize="8.25" FontStyle="2">
    <FontLocale LCID="0x0000"/>
    <FontXLat Name="Arial" XLat="Liberation Sans"/>
    <FontXLat Name="Tahoma" XLat="DejaVu Sans"/>
    <FontXLat Name="Arial" XLat="Second"/>
    <SubControl Class="Framework.Label" Name="label" FontName="Arial"><Skin Name="labelSkin"/></SubControl>
    <FontLocale LCID="0x0011"/>
    <FontXLat Name="Verdana" XLat="Japanese"/>
    <SubControl Class="Framework.Label" Name="other" FontName="Verdana"><Skin Name="otherSkin"/></SubControl>
  </Skin>
</Skins>)";
    const RCPtr<LControlFactory> factory = LoadSkinFragment(document);
    WString name;
    float size = 0;
    int32_t style = 0;
    EXPECT_EQ(factory->GetSkinFont(name, size, style), S_OK);
    EXPECT_EQ(Utf8(name), "DejaVu Sans");
    EXPECT_EQ(size, 8.25f);
    EXPECT_EQ(style, 2);
    const RCPtr<LControlDescriptor> label = factory->FindSkinDescriptor(u"label");
    ASSERT_TRUE(label);
    EXPECT_EQ(Utf8(label->mSkin->mFontName), "Liberation Sans");
    EXPECT_EQ(Utf8(factory->FindSkinDescriptor(u"other")->mSkin->mFontName),
              "Verdana"); // locale 0x11 is not 0
}

TEST_P(SkinReader, TheFirstElementIsSkippedWhateverItsName)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");
    const char* document = R"(<Application Name="Other"><Skins><Skin Name="s"/></Skins></Application>)";
    ASSERT_EQ(factory->Parse(document, 0), S_OK);
    EXPECT_EQ(Utf8(factory->GetApplicationName()), "Brandole");
    ASSERT_EQ(factory->GetSkins().GetCount(), 1u);
    EXPECT_EQ(Utf8(factory->GetSkins().GetAt(0)->mName), "Brandole");
}

TEST_P(SkinReader, OpenCasesAreIgnored)
{
    const std::string document = R"(
<LookLists><LookList Name="negative" NumLooks="-1"/><LookList Name="huge" NumLooks="99999999"/></LookLists>
<FontXLat Name="Arial" XLat="Other"/>
<ClientPart Name="x" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
<SubControl Class="Framework.Label" Name="orphan"/>
<Skins>
  <Skin FontName="no name"/>
  <Skin Name="default">
    <SubControl Class="Framework.Label" Name="bare">
      <LookList Name="underBareControl" NumLooks="1"/>
    </SubControl>
  </Skin>
</Skins>)";
    ZQRESULT result = E_FAIL;
    const RCPtr<LControlFactory> factory = LoadSkinFragment(document, &result);
    EXPECT_EQ(result, S_OK);
    EXPECT_FALSE(factory->FindLookList(u"negative"));
    EXPECT_FALSE(factory->FindLookList(u"huge"));
    EXPECT_FALSE(factory->FindLookList(u"underBareControl"));
    ASSERT_EQ(factory->GetSkins().GetCount(), 1u);
    EXPECT_FALSE(factory->FindSkinDescriptor(u"orphan"));
    EXPECT_TRUE(factory->FindSkinDescriptor(u"bare"));
}

TEST_P(SkinReader, Utf16DocumentsReadAlike)
{
    ZQRESULT result = E_FAIL;
    const RCPtr<LControlFactory> factory =
        LoadSkinFragment(Skin(R"(<SubControl Class="Framework.Label" Name="étiquette" XPositionRel="0.5"/>)"),
                         &result, ZQTest::Encoding::Utf16WithBom);
    ASSERT_EQ(result, S_OK);
    const RCPtr<LControlDescriptor> label = factory->FindSkinDescriptor(u"étiquette");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->mLayout->mXPosition.Rel, 0.5f);
    EXPECT_TRUE(factory->FindLook(u"normal"));
}

ZQ_INSTANTIATE_LOCALES(SkinReader);
