#pragma once

#include "ContainerBench.h"
#include "ListBoxBench.h"

#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/Lists/CheckedListBox.h"
#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"
#include "ZQFramework/Controls/Menus/ComboMenu.h"
#include "ZQFramework/Controls/Menus/MainMenu.h"
#include "ZQFramework/Controls/Menus/MenuListBoxItem.h"
#include "ZQFramework/Controls/Menus/PopupMenu.h"
#include "ZQFramework/Notification/MenuActivationParam.h"

#include <string>
#include <vector>

// Menus on the headless bench: the menu classes registered, a popup skin whose rows are 20 pixels high
// with a check box and a hot-key label, and a window with a menu bar.
namespace ZQTest
{
// Menu rows: 20 high, the check box 10 x 10 at (2, 5), the hot-key label 30 wide at the right edge.
inline std::string MenuRow()
{
    return RowTemplate(
        20, "Framework.MenuItem",
        R"(<SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="2" YPositionAbs="5" XSizeAbs="10" YSizeAbs="10"><Skin Name="box" LookList="looks14"/></SubControl>)"
        R"(<SubControl Class="Framework.Label" Name="hotKeyLabel" XPlacementAnchor="1" XPositionRel="1" XSizeAbs="30" YSizeAbs="20"><Skin Name="hot" LookList="one"/></SubControl>)");
}

// A popup named name, width wide, below its parent (extra: more attributes or create parameters).
inline std::string PopupSkin(const std::string& name = "popupMenu", int width = 120,
                             const std::string& inner = "")
{
    return R"(<SubControl Class="Framework.PopupMenu" Name=")" + name + R"(" YPositionRel="1" XSizeAbs=")" +
           std::to_string(width) + R"(" YSizeAbs="20"><Skin Name="popup" LookList="one"/>)" + inner +
           MenuRow() + "</SubControl>";
}

// "main" (400 x 300) with the bar "bar" (400 x 20) at the top holding the template title (60 x 20), and a
// focusable panel "other" at (10, 200).
inline std::string MenuBarSkin(int popupWidth = 120, const std::string& otherClass = "Test.Panel")
{
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
      <SubControl Class="Framework.MainMenu" Name="bar" XSizeAbs="400" YSizeAbs="20"><Skin Name="bar" LookList="one"/>
        <SubControl Class="Framework.ComboMenu" Name="templateMenu" XSizeAbs="60" YSizeAbs="20"><Skin Name="title" LookList="looks14"/>)" +
           PopupSkin("popupMenu", popupWidth) + R"(</SubControl></SubControl>
      <SubControl Class=")" +
           otherClass +
           R"(" Name="other" XPositionAbs="10" YPositionAbs="200" XSizeAbs="50" YSizeAbs="20"><Skin Name="other" LookList="one"/></SubControl>
    </SubControl>)";
}

inline std::string Entry(const std::string& id, const std::string& text)
{
    return R"(<String ID=")" + id + R"("><Locale LCID="0x0009">)" + text + "</Locale></String>";
}

// The bar's string table: File (select, separator, exit) and Options (allow downgrade).
inline std::string MenuBarStrings(const std::string& extra = "")
{
    return R"(<StringTable ID="Test.Panel|bar">)" + Entry("MENU_LABEL.00", "File") +
           Entry("MENU_LABEL.01", "Options") +
           Entry("CONTEXT_MENU0.00.NID_MENU_FILE_SELECT", "Select Firmware File|Pick an image") +
           Entry("CONTEXT_MENU0.01.-", "") + Entry("CONTEXT_MENU0.02.NID_MENU_FILE_EXIT", "Exit") +
           Entry("CONTEXT_MENU1.00.NID_MENU_OPTIONS_ALLOW_DOWNGRADE", "Allow downgrade") + extra +
           "</StringTable>";
}

inline void RegisterMenus(ControlsBench& bench)
{
    RegisterListBoxes(bench);
    bench.Register(u"Framework.PopupMenu", &ZQ::LControl::CreateFromDescriptor<ZQ::LPopupMenu>);
    bench.Register(u"Framework.MenuItem", &ZQ::LControl::CreateFromDescriptor<ZQ::LMenuListBoxItem>);
    bench.Register(u"Framework.ComboMenu", &ZQ::LControl::CreateFromDescriptor<ZQ::LComboMenu>);
    bench.Register(u"Framework.MainMenu", &ZQ::LControl::CreateFromDescriptor<ZQ::LMainMenu>);
}

// Logs what reaches a distributor (the root window's, say) under the names given.
inline ZQ::RCPtr<NotificationLog> ListenTo(ControlsBench& bench, ZQ::LNotificationDistributor& source,
                                           std::initializer_list<const char16_t*> names)
{
    const ZQ::RCPtr<NotificationLog> log(new NotificationLog(bench.Application));
    for (const char16_t* name : names)
    {
        (void)source.RegisterClient(ZQ::RCPtr<ZQ::LNotificationReceiver>(log), name, 0);
    }
    return log;
}

// A bench showing a skin with the menu classes and the measurement renderer (glyphs 6 pixels wide).
struct MenuBench
{
    explicit MenuBench(
        const std::string& skin, const std::string& strings = {},
        std::initializer_list<std::pair<const char16_t*, ZQ::LControlDescriptor::CreateFunction>> extra = {})
        : bench(skin, strings)
    {
        RegisterMenus(bench);
        for (const auto& [name, create] : extra)
        {
            bench.Register(name, create);
        }
        main = ShowContainers(bench);
        (void)bench.Window->ProcessIdle(true);
    }

    [[nodiscard]] ZQ::RCPtr<ZQ::LMainMenu> Bar() const { return bench.Find<ZQ::LMainMenu>(u"bar"); }
    [[nodiscard]] ZQ::RCPtr<ZQ::LComboMenu> Title(int32_t index) const { return Bar()->GetMenuAt(index); }
    [[nodiscard]] ZQ::RCPtr<ZQ::LPopupMenu> PopupOf(int32_t index) const { return Title(index)->GetPopup(); }

    void ClickAt(const ZQ::PointT<int32_t>& point)
    {
        bench.MoveTo(point);
        bench.Press();
        bench.Release();
    }

    ZQ::RCPtr<TestSupport::FakeMeasurer> measurer{new TestSupport::FakeMeasurer()};
    TestSupport::MeasurementRendererScope measuring{ZQ::RCPtr<ZQ::LMeasurementRenderer>(measurer)};
    ControlsBench bench;
    ZQ::RCPtr<ZQ::LControl> main;
};
} // namespace ZQTest
