#pragma once

#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/SkinFragment.h"
#include "Support/StringPrinting.h"

#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/Buttons/Label.h"
#include "ZQFramework/Controls/Sliders/ProgressBar.h"
#include "ZQFramework/Controls/Text/StatusBar.h"
#include "ZQFramework/Controls/Text/ToolTip.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationReceiver.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The library's controls on the headless bench: a factory with a skin fragment (and optional string
// tables), the library's classes registered under their skin names beside "Test.Panel" (a plain control),
// a fake application whose clock the test steps, and a root window over fake services that shows the
// control named "main". Idle passes and pointer input are run by hand.
namespace ZQTest
{
// A plain look; "looks14", a look list that names it at all 14 button indexes, so that the selected
// index shows as the first visible look; and "one", which panels use so that the pointer finds their
// children.
inline constexpr const char* kPlainLooks = R"(
<Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="0xFF808080"/></Colorizers>
<Parts><Part Name="fill" Width="4" Height="4" ResizeType="Stretch" ColorizerName="grey"/></Parts>
<Looks><Look Name="plain"><ClientPart Name="fill" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
<LookLists><LookList Name="looks14" NumLooks="14">
  <Look Index="0" Name="plain"/><Look Index="1" Name="plain"/><Look Index="2" Name="plain"/>
  <Look Index="3" Name="plain"/><Look Index="4" Name="plain"/><Look Index="5" Name="plain"/>
  <Look Index="6" Name="plain"/><Look Index="7" Name="plain"/><Look Index="8" Name="plain"/>
  <Look Index="9" Name="plain"/><Look Index="10" Name="plain"/><Look Index="11" Name="plain"/>
  <Look Index="12" Name="plain"/><Look Index="13" Name="plain"/>
</LookList>
<LookList Name="one" NumLooks="1"><Look Index="0" Name="plain"/></LookList></LookLists>)";

// The skin fragment's controls inside one skin named "default".
inline std::string SkinOf(std::string_view controls)
{
    return std::string(kPlainLooks) + "<Skins><Skin Name=\"default\">" + std::string(controls) +
           "</Skin></Skins>";
}

// Records the names of the notifications it receives with the application clock's seconds at receipt.
class NotificationLog : public ZQ::LNotificationReceiver
{
public:
    explicit NotificationLog(const FakeControlApplication& application) : mApplication(application) {}

    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>& /*source*/,
                                 const ZQ::RCPtr<ZQ::LNotification>& notification) override
    {
        Entries.emplace_back(TestSupport::Utf8(ZQ::WString(notification->GetID())), mApplication.Seconds);
        return 0;
    }
    ZQRESULT RemoveNotificationCallback(const ZQ::RCPtr<ZQ::LNotificationDistributor>& /*source*/,
                                        ZQ::NotificationID /*id*/) override
    {
        return 0;
    }

    // The seconds of every entry named name.
    [[nodiscard]] std::vector<double> TimesOf(const std::string& name) const
    {
        std::vector<double> times;
        for (const auto& [entry, seconds] : Entries)
        {
            if (entry == name)
                times.push_back(seconds);
        }
        return times;
    }

    std::vector<std::pair<std::string, double>> Entries;

private:
    const FakeControlApplication& mApplication;
};

class ControlsBench
{
public:
    // skin: SubControl elements of the skin "default"; strings and framework: StringTable elements of
    // the application's and the framework's documents (either may be empty).
    explicit ControlsBench(std::string_view skin, std::string_view strings = {},
                           std::string_view framework = {})
    {
        if (!strings.empty() || !framework.empty())
        {
            const TempDocument table(Encode(StringTableDocument(strings), Encoding::Utf8));
            const TempDocument frameworkTable(Encode(StringTableDocument(framework), Encoding::Utf8));
            (void)Factory->LoadStringTables(table.Path(), frameworkTable.Path(), 0x0009);
        }
        const TempDocument document(SkinDocument(SkinOf(skin)));
        (void)Factory->LoadSkins(document.Path());
        Register(u"Test.Panel", &ZQ::LControl::CreateFromDescriptor<ZQ::LControl>);
        Register(u"Framework.Button", &ZQ::LControl::CreateFromDescriptor<ZQ::LButton>);
        Register(u"Framework.Label", &ZQ::LControl::CreateFromDescriptor<ZQ::LLabel>);
        Register(u"Framework.ProgressBar", &ZQ::LControl::CreateFromDescriptor<ZQ::LProgressBar>);
        Register(u"Framework.ToolTip", &ZQ::LControl::CreateFromDescriptor<ZQ::LToolTip>);
        Register(u"Framework.StatusBar", &ZQ::LControl::CreateFromDescriptor<ZQ::LStatusBar>);
    }
    ~ControlsBench() { (void)Window->ReleaseInternalReferences(); }
    ControlsBench(const ControlsBench&) = delete;
    ControlsBench& operator=(const ControlsBench&) = delete;

    // Makes the control named name and shows it in the window.
    ZQ::RCPtr<ZQ::LControl> Show(const char16_t* name = u"main")
    {
        const ZQ::RCPtr<ZQ::LControl> control = Factory->CreateControlByName(name, Window);
        (void)Window->SetRootControl(control);
        return control;
    }

    // The descendant at a '/'-separated path below the root control, as a T (null when missing).
    template <class T = ZQ::LControl>
    ZQ::RCPtr<T> Find(const std::u16string& path) const
    {
        ZQ::RCPtr<ZQ::LControl> control = Window->GetRootControl();
        size_t start = 0;
        while (control != nullptr && start <= path.size())
        {
            const size_t end = std::min(path.find(u'/', start), path.size());
            control = control->FindChild(ZQ::WString(path.substr(start, end - start).c_str()));
            start = end + 1;
        }
        return ZQ::RCPtr<T>(control);
    }

    // One idle pass after the clock moved on by seconds (and as many milliseconds).
    void IdleAfter(double seconds)
    {
        Application.Seconds += seconds;
        Application.Milliseconds += static_cast<uint32_t>(seconds * 1000 + 0.5);
        (void)Window->ProcessIdle(true);
    }

    // One idle pass at the millisecond tick ms.
    void IdleAtTick(uint32_t ms)
    {
        Application.Milliseconds = ms;
        (void)Window->ProcessIdle(true);
    }

    // Pointer input at point (window coordinates); the services report the left button as held between
    // Press and Release.
    void MoveTo(const ZQ::PointT<int32_t>& point)
    {
        Services.CursorPos = point;
        Window->OnMouseMove(point, 0, 0);
    }
    void Press()
    {
        Services.MouseButtons = 1;
        Window->OnMouseButton(0, 1, 0, Services.CursorPos, 0);
    }
    void Release()
    {
        Services.MouseButtons = 0;
        Window->OnMouseButton(1, 1, 0, Services.CursorPos, 0);
    }

    // A log of what control sends under the names given.
    ZQ::RCPtr<NotificationLog> Listen(const ZQ::RCPtr<ZQ::LControl>& control,
                                      std::initializer_list<const char16_t*> names)
    {
        const ZQ::RCPtr<NotificationLog> log(new NotificationLog(Application));
        for (const char16_t* name : names)
        {
            (void)control->RegisterClient(ZQ::RCPtr<ZQ::LNotificationReceiver>(log), name, 0);
        }
        return log;
    }

    void Register(const char16_t* className, ZQ::LControlDescriptor::CreateFunction create)
    {
        (void)Factory->RegisterControlCreateFunction(className, create);
    }

    ZQ::RCPtr<ZQ::LControlFactory> Factory = ZQ::LControlFactory::Create(kTestApplication);
    FakeControlApplication Application{Factory};
    FakeWindowServices Services;
    ZQ::RCPtr<ZQ::LRootWindow> Window = ZQ::LRootWindow::Create(nullptr, &Services);
};
} // namespace ZQTest
