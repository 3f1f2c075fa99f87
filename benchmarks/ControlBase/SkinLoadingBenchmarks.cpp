#include "Support/SkinFragment.h"

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"

#include <benchmark/benchmark.h>
#include <string>

using namespace ZQ;

namespace
{
// A skin of about 150 controls: 15 panels of 9 buttons, each with a skin, a layout and create
// parameters, over a few colorizers, parts, looks and one look list.
std::string LargeSkin()
{
    std::string text = R"(<Colorizers>
<Colorizer Name="green" ColorType="SolidFill" Color="0xFF43E346"/>
<Colorizer Name="glow" ColorType="LinearGradient" Color="0x80FFFFFF" GradientEndColor="0x00FFFFFF"
           GradientStartX="0" GradientStartY="0" GradientEndX="1" GradientEndY="1"/>
</Colorizers>
<Parts>
<Part Name="fill" Width="4" Height="4" ResizeType="Stretch" ColorizerName="green"/>
<Part Name="frame" ImageFile="Frame.png" ImageLocX="0" ImageLocY="0" Width="20" Height="20" ResizeType="Tile"
      ColorizerName="glow"/>
</Parts>
<Looks>
<Look Name="normal">
  <ClientPart Name="fill" OffsetLeft="2" OffsetTop="2" OffsetRight="-2" OffsetBottom="-2"/>
  <NonClientParts><NonClientPart Name="frame" OffsetLeft="0" OffsetTop="0" Width="2" Height="2"/></NonClientParts>
  <TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign="0.5" TextTopRel="0"
                  TextTopAbs="2" TextBottomRel="1" TextBottomAbs="-2" TextVAlign="0.5" TextForegroundPart="fill"/>
</Look>
</Looks>
<LookLists><LookList Name="buttonLooks" NumLooks="1"><Look Index="0" Name="normal"/></LookList></LookLists>
<Skins><Skin Name="default" FontName="Arial" FontSize="9">
<SubControl Class="FirmwareUpdater.MainControl" Name="mainControl"><Skin Name="mainSkin"/>
)";
    for (int panel = 0; panel < 15; ++panel)
    {
        const std::string p = std::to_string(panel);
        text +=
            "<SubControl Class=\"Framework.Panel\" Name=\"panel" + p + "\" LayoutOrder=\"" +
            std::to_string(15 - panel) +
            "\" XPositionRel=\"0.5\" XSizeToControl=\"Parent\" XSizeRel=\"1\"><Skin Name=\"panelSkin\"/>\n";
        for (int button = 0; button < 9; ++button)
        {
            const std::string b = std::to_string(button);
            text += "  <SubControl Class=\"Framework.Button\" Name=\"button" + b + "\" LayoutOrder=\"0x" + b +
                    "\" TabStop=\"" + b +
                    "\" XPositionToControl=\"button\" XPositionAbs=\"4\" YSizeAbs=\"22\"" +
                    " FontSize=\"1.5\" FontSizeIsRelative=\"True\">\n    <Skin Name=\"buttonSkin\" "
                    "LookList=\"buttonLooks\"/>\n" +
                    "    <CreateParamList><CreateParam ID=\"LABEL\">Button &amp; " + b +
                    "</CreateParam><CreateParam ID=\"TOOLTIP\">Press it</CreateParam></CreateParamList>\n  "
                    "</SubControl>\n";
        }
        text += "</SubControl>\n";
    }
    return text + "</SubControl></Skin></Skins>";
}

// 300 keys, each in English, German and Traditional Chinese; read for Japan, so three passes.
std::string LargeStringTable()
{
    std::string text = "<StringTable ID=\"|Brandole\">\n";
    for (int key = 0; key < 300; ++key)
    {
        const std::string k = std::to_string(key);
        text += "<String ID=\"KEY_" + k + "\"><Locale LCID=\"0x0009\">Text number " + k +
                "</Locale><Locale LCID=\"0x0007\">Text Nummer " + k +
                "</Locale><Locale LCID=\"0x7c04\">文字 " + k + "</Locale></String>\n";
    }
    return text + "</StringTable>";
}

void BM_LoadSkin(benchmark::State& state)
{
    const ZQTest::TempDocument document(ZQTest::SkinDocument(LargeSkin()));
    for (auto _ : state)
    {
        const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");
        if (factory->LoadSkins(document.Path()) != S_OK)
            state.SkipWithError("the skin did not load");
        benchmark::DoNotOptimize(factory->FindSkinDescriptor(u"mainControl"));
    }
}
BENCHMARK(BM_LoadSkin)->Unit(benchmark::kMillisecond);

void BM_LoadStringTablesThreePasses(benchmark::State& state)
{
    const ZQTest::TempDocument document(
        ZQTest::Encode(ZQTest::StringTableDocument(LargeStringTable()), ZQTest::Encoding::Utf16WithBom));
    for (auto _ : state)
    {
        const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Brandole");
        factory->LoadStringTables(document.Path(), u"::NO_FRAMEWORK_STRINGS", 0x0411);
        if (factory->GetCurrentLCID() != 0x0009)
            state.SkipWithError("the English pass was not reached");
        benchmark::DoNotOptimize(factory->GetApplicationStringTable());
    }
}
BENCHMARK(BM_LoadStringTablesThreePasses)->Unit(benchmark::kMillisecond);
} // namespace
