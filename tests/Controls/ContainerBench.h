#pragma once

#include "ControlsBench.h"

#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Controls/Containers/ScrollView.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"

#include <string>

// The containers on the headless bench: the scroll bar and the panel registered under their skin names,
// and skin pieces that build them.
namespace ZQTest
{
// Registers "Framework.ScrollBar", "Framework.ScrollChannel" and "Framework.Panel"; returns bench.
inline ControlsBench& RegisterContainers(ControlsBench& bench)
{
    bench.Register(u"Framework.ScrollBar", &ZQ::LControl::CreateFromDescriptor<ZQ::LScrollbar>);
    bench.Register(u"Framework.ScrollChannel", &ZQ::LControl::CreateFromDescriptor<ZQ::LPanel>);
    bench.Register(u"Framework.Panel", &ZQ::LControl::CreateFromDescriptor<ZQ::LPanel>);
    return bench;
}

// Registers the containers and shows the control named name. As in the program, the window is known while
// the tree is made, so the top control has its size from the start and the bars are laid out (and
// oriented) in it when they initialise.
inline ZQ::RCPtr<ZQ::LControl> ShowContainers(ControlsBench& bench, const char16_t* name = u"main")
{
    (void)RegisterContainers(bench);
    bench.Application.FirstRootWindow = ZQ::RCPtr<ZQ::LRefCountedObject>(bench.Window);
    ZQ::RCPtr<ZQ::LControl> control = bench.Show(name);
    bench.Application.FirstRootWindow = nullptr;
    return control;
}
// A scroll bar named name, docked along the right edge of its parent's client area (vertical) or along
// its bottom edge (horizontal), 10 pixels thick, with step buttons of 10 x 10 at both ends, the channel
// between them (looks 0 and 1 from "looks14") and a thumb of 10 x 10 in the channel. Every part has a
// look, so that the pointer finds it. placement, when given, replaces the bar's own placement attributes.
inline std::string ScrollBarSkin(const std::string& name, bool vertical, const std::string& placement = {})
{
    const std::string a = vertical ? "Y" : "X"; // along the bar
    const std::string c = vertical ? "X" : "Y"; // across it
    const std::string ownPlacement = placement.empty()
                                         ? c + R"(PlacementAnchor="1" )" + c + R"(PositionRel="1" )" + c +
                                               R"(SizeAbs="10" )" + a + R"(SizeToControl="Client" )" + a +
                                               R"(SizeRel="1" )" + a + R"(SizeAbs="0")"
                                         : placement;
    const std::string button =
        R"(XSizeAbs="10" YSizeAbs="10"><Skin Name="button" LookList="looks14"/></SubControl>)";
    return R"(<SubControl Class="Framework.ScrollBar" Name=")" + name + R"(" )" + ownPlacement +
           R"( XIsDocked="True" YIsDocked="True">)" + R"(<Skin Name="bar" LookList="one"/>)" +
           R"(<SubControl Class="Framework.Button" Name="dec" )" + button +
           R"(<SubControl Class="Framework.Button" Name="inc" )" + a + R"(PlacementAnchor="1" )" + a +
           R"(PositionRel="1" )" + button + R"(<SubControl Class="Framework.ScrollChannel" Name="channel" )" +
           a + R"(PositionAbs="10" )" + a + R"(SizeToControl="Client" )" + a + R"(SizeRel="1" )" + a +
           R"(SizeAbs="-10" )" + c + R"(SizeToControl="Client" )" + c + R"(SizeRel="1" )" + c +
           R"(SizeAbs="0"><Skin Name="channel" LookList="looks14"/>)" +
           R"(<SubControl Class="Framework.Button" Name="thumb" )" + button + "</SubControl></SubControl>";
}
} // namespace ZQTest
