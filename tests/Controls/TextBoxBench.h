#pragma once

#include "ControlsBench.h"
#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/ControlBase/Services/Clipboard.h"
#include "ZQFramework/ControlBase/Services/ClipboardSelection.h"
#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/NotificationReceiver.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The text fields on the headless bench: texts measured by a fake measurer (every unit 6 pixels wide
// unless a test says otherwise, font height 12), a clipboard service over an in-memory clipboard, and
// skin definitions whose looks lay out a label.
namespace ZQTest
{
// "textLooks": twelve entries of a look that lays its text out 2 pixels in from the left edge, at the
// top; "darkText" (index 3, focused) is the same look on a near-black fill. "caption" is the same look
// list with look 9 laying its text (the caption) out as well.
inline constexpr const char* kTextLookDefinitions = R"(
<Colorizers><Colorizer Name="light" ColorType="SolidFill" Color="0xFFE0E0E0"/>
  <Colorizer Name="dark" ColorType="SolidFill" Color="0xFF202020"/></Colorizers>
<Parts><Part Name="lightFill" Width="4" Height="4" ResizeType="Stretch" ColorizerName="light"/>
  <Part Name="darkFill" Width="4" Height="4" ResizeType="Stretch" ColorizerName="dark"/></Parts>
<Looks>
  <Look Name="text"><ClientPart Name="lightFill" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
    <TextProperties TextLeftRel="0" TextLeftAbs="2" TextRightRel="1" TextRightAbs="-2" TextHAlign="0"
      TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0" TextForegroundPart="darkFill"/></Look>
  <Look Name="darkText"><ClientPart Name="darkFill" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
    <TextProperties TextLeftRel="0" TextLeftAbs="2" TextRightRel="1" TextRightAbs="-2" TextHAlign="0"
      TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0" TextForegroundPart="lightFill"/></Look>
</Looks>
<LookLists><LookList Name="textLooks" NumLooks="12">
  <Look Index="0" Name="text"/><Look Index="1" Name="text"/><Look Index="2" Name="text"/>
  <Look Index="3" Name="text"/><Look Index="4" Name="text"/><Look Index="6" Name="text"/>
  <Look Index="10" Name="text"/><Look Index="11" Name="text"/></LookList>
<LookList Name="captionLooks" NumLooks="12">
  <Look Index="0" Name="text"/><Look Index="1" Name="text"/><Look Index="2" Name="text"/>
  <Look Index="3" Name="darkText"/><Look Index="4" Name="text"/><Look Index="6" Name="text"/>
  <Look Index="9" Name="text"/><Look Index="10" Name="text"/><Look Index="11" Name="text"/></LookList>
</LookLists>)";

// The skin "default" of the bench stays empty; the controls go into the second skin, after the text
// looks are defined. Select it with UseTextSkin.
inline std::string TextSkinOf(const std::string& controls)
{
    return std::string("</Skin></Skins>") + kTextLookDefinitions + "<Skins><Skin Name=\"text\">" + controls;
}

// The framework string table of the context menu's labels, "EDIT_PASTE" left out.
inline constexpr const char* kEditStrings = R"(
<StringTable ID="Framework">
  <String ID="EDIT_CUT"><Locale LCID="0x0009">Cut</Locale></String>
  <String ID="EDIT_COPY"><Locale LCID="0x0009">Copy</Locale></String>
  <String ID="EDIT_DELETE"><Locale LCID="0x0009">Delete</Locale></String>
</StringTable>)";

// Calls a function on every notification it receives and logs the names.
class NotificationProbe : public ZQ::LNotificationReceiver
{
public:
    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>& /*source*/,
                                 const ZQ::RCPtr<ZQ::LNotification>& notification) override
    {
        const std::string name = TestSupport::Utf8(ZQ::WString(notification->GetID()));
        Names.push_back(name);
        if (OnValidating && name == "NID_TEXTBOX_VALIDATING")
        {
            const ZQ::RCPtr<ZQ::LTextValidationParams> params(notification->GetParam());
            if (params != nullptr)
                OnValidating(*params);
        }
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const ZQ::RCPtr<ZQ::LNotificationDistributor>& /*source*/,
                                        ZQ::NotificationID /*id*/) override
    {
        return 0;
    }

    std::function<void(ZQ::LTextValidationParams&)> OnValidating;
    std::vector<std::string> Names;
};

// A bench whose measurer, clipboard and active window are those of a running program.
class TextBench
{
public:
    explicit TextBench(const std::string& controls, std::string_view framework = kEditStrings)
        : Bench(TextSkinOf(controls), {}, framework)
    {
        Bench.Factory->SetCurrentSkinIndex(1);
        Bench.Register(u"Framework.TextBox", &ZQ::LControl::CreateFromDescriptor<ZQ::LTextBox>);
        auto selection = std::make_unique<ZQ::MemoryClipboardSelection>();
        Selection = selection.get();
        Bench.Application.Clipboard = ZQ::LClipboard::Create(std::move(selection));
        Bench.Application.ActiveRootWindow = ZQ::RCPtr<ZQ::LRefCountedObject>(Bench.Window);
    }

    // A pressed key with modifiers (KeyCode::kCtrl, kShift), a released one, and a typed character.
    static ZQ::RCPtr<ZQ::LKeyParam> Key(uint8_t virtualKey, uint32_t modifiers = 0)
    {
        return ZQ::LKeyParam::Create(
            ZQ::KeyCode(ZQ::KeyCode::kKeyDown | (uint32_t{virtualKey} << 16) | modifiers, 0, 0), 0);
    }
    static ZQ::RCPtr<ZQ::LKeyParam> Release(uint8_t virtualKey)
    {
        return ZQ::LKeyParam::Create(ZQ::KeyCode(uint32_t{virtualKey} << 16, 0, 0), 0);
    }
    static ZQ::RCPtr<ZQ::LKeyParam> Char(char16_t character)
    {
        return ZQ::LKeyParam::Create(ZQ::KeyCode(character, 0), 0);
    }

    // Types text into the focused control through the window, one character event per unit.
    void Type(const std::u16string& text)
    {
        for (char16_t unit : text)
            Bench.Window->DeliverKey(Char(unit));
    }

    ZQ::RCPtr<NotificationProbe> Probe(const ZQ::RCPtr<ZQ::LControl>& control,
                                       std::initializer_list<const char16_t*> names)
    {
        const ZQ::RCPtr<NotificationProbe> probe(new NotificationProbe);
        for (const char16_t* name : names)
            (void)control->RegisterClient(ZQ::RCPtr<ZQ::LNotificationReceiver>(probe), name, 0);
        return probe;
    }

    // Declared first: fonts and layouts measure through it from the moment the controls are made.
    ZQ::RCPtr<TestSupport::FakeMeasurer> Measurer{new TestSupport::FakeMeasurer};
    TestSupport::MeasurementRendererScope MeasuringScope{ZQ::RCPtr<ZQ::LMeasurementRenderer>(Measurer)};
    ControlsBench Bench;
    ZQ::MemoryClipboardSelection* Selection = nullptr;
};
} // namespace ZQTest
