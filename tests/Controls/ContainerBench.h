#pragma once

#include "ControlsBench.h"

#include "ZQFramework/Controls/Panel.h"
#include "ZQFramework/Controls/ScrollBar.h"
#include "ZQFramework/Controls/ScrollView.h"

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
} // namespace ZQTest

namespace ZQTest
{
// A scroll bar named name, docked along the right edge of its parent's client area (vertical) or along
// its bottom edge (horizontal), 10 pixels thick, with step buttons of 10 x 10 at both ends, the channel
// between them (looks 0 and 1 from "looks14") and a thumb of 10 x 10 in the channel.
inline std::string ScrollBarSkin(const std::string& name, bool vertical)
{
    const std::string a = vertical ? "Y" : "X"; // along the bar
    const std::string c = vertical ? "X" : "Y"; // across it
    return "<SubControl Class=\"Framework.ScrollBar\" Name=\"" + name + "\" " + c + "PlacementAnchor=\"1\" " +
           c + "PositionRel=\"1\" " + c + "SizeAbs=\"10\" " + a + "SizeToControl=\"Client\" " + a +
           "SizeRel=\"1\" XIsDocked=\"True\" YIsDocked=\"True\">"
           "<SubControl Class=\"Framework.Button\" Name=\"dec\" XSizeAbs=\"10\" YSizeAbs=\"10\"/>"
           "<SubControl Class=\"Framework.Button\" Name=\"inc\" " +
           a + "PlacementAnchor=\"1\" " + a +
           "PositionRel=\"1\" XSizeAbs=\"10\" YSizeAbs=\"10\"/>"
           "<SubControl Class=\"Framework.ScrollChannel\" Name=\"channel\" " +
           a + "PositionAbs=\"10\" " + a + "SizeToControl=\"Client\" " + a + "SizeRel=\"1\" " + a +
           "SizeAbs=\"-10\" " + c + "SizeToControl=\"Client\" " + c +
           "SizeRel=\"1\"><Skin Name=\"channel\" LookList=\"looks14\"/>"
           "<SubControl Class=\"Framework.Button\" Name=\"thumb\" XSizeAbs=\"10\" YSizeAbs=\"10\"/>"
           "</SubControl></SubControl>";
}
} // namespace ZQTest
