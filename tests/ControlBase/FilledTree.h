#pragma once

#include "ControlBase/PartBuilders.h"
#include "Support/FakeControlApplication.h"
#include "Support/FakeWindowServices.h"
#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"

#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

// Trees of test controls shown in a 400 x 300 root window whose looks are solid fills, drawn into a
// recording renderer. Every fill has a colour of its own, so that a recorded fill names the look it came
// from: "name" for a client part, "name.frame" for the left frame strip.
namespace FilledTree
{
using ZQ::LLayoutDescriptor;
using ZQ::RCPtr;
using ZQ::RectT;
using ZQTest::TestControl;

class TreeTest : public ::testing::Test
{
protected:
    using Setup = std::function<void(LLayoutDescriptor&)>;

    ~TreeTest() override { (void)window->ReleaseInternalReferences(); }

    // The top control, filling the window, with an opaque look "top".
    RCPtr<TestControl> MakeTop()
    {
        RCPtr<TestControl> control = TestControl::Create(nullptr, u"top");
        AddLook(control, "top", 1);
        (void)window->SetRootControl(control);
        services.Calls.clear();
        return control;
    }

    // A child at rect in its parent's client area (the layout places it there), setup changing the layout
    // first. Without looks it shows nothing and is never hit.
    static RCPtr<TestControl> Add(const RCPtr<ZQ::LControl>& parent, const ZQ::WString& name,
                                  const RectT<double>& rect, const Setup& setup = {})
    {
        RCPtr<TestControl> control = TestControl::Create(parent, name,
                                                         [&](LLayoutDescriptor& layout)
                                                         {
                                                             layout.mXPosition.Abs = rect.x;
                                                             layout.mYPosition.Abs = rect.y;
                                                             layout.mXSize.Abs = rect.width;
                                                             layout.mYSize.Abs = rect.height;
                                                             if (setup)
                                                                 setup(layout);
                                                         });
        (void)control->UpdateLayout();
        return control;
    }

    // A look at opacity whose client part is inset on every side and filled with the colour of name
    // (alpha as given); with an inset, a frame strip "name.frame" as wide as the inset covers the left
    // edge. The look's index.
    int32_t AddLook(const RCPtr<ZQ::LControl>& control, const std::string& name, float opacity,
                    int32_t inset = 0, uint32_t alpha = 0xFF)
    {
        using ZQ::LDockedPart;
        const RCPtr<ZQ::LLookDescriptor> descriptor = ZQ::LLookDescriptor::Create(u"fill");
        LDockedPart::Placement client;
        client.Anchors = 15;
        client.OffsetLeft = inset;
        client.OffsetTop = inset;
        client.OffsetRight = -inset;
        client.OffsetBottom = -inset;
        descriptor->SetClientPart(PartBuilders::Docked(
            PartBuilders::FillPart(PartBuilders::Solid((ColorOf(name) & 0x00FFFFFFu) | (alpha << 24)), 1, 1),
            client));
        if (inset > 0)
        {
            LDockedPart::Placement strip;
            strip.Anchors = LDockedPart::kOffsetLeft | LDockedPart::kOffsetTop | LDockedPart::kOffsetBottom;
            descriptor->AddNonClientPart(PartBuilders::Docked(
                PartBuilders::FillPart(PartBuilders::Solid(ColorOf(name + ".frame")), inset, 1), strip));
        }
        const RCPtr<ZQ::LLook> look = ZQ::LLook::Create(descriptor, false);
        (void)look->SetSize(ZQ::RoundToLong(control->GetRect().width),
                            ZQ::RoundToLong(control->GetRect().height));
        const int32_t index = control->AddLook(look);
        (void)control->SetLookOpacity(index, opacity, false);
        return index;
    }

    // Paints region (the whole window by default) in a fresh frame state; each recorded fill as
    // "name | origin=(x,y) clip=(x,y,w,h) opacity=o", any other recorded call as its operation followed by
    // the same state.
    std::vector<std::string> Paint(const ZQ::Region& region = Whole())
    {
        frame.renderer->ClearLines();
        window->PaintRegion(region);
        std::vector<std::string> lines;
        for (const std::string& line : frame.renderer->GetLines())
            lines.push_back(Summary(line));
        return lines;
    }

    static ZQ::Region Whole()
    {
        ZQ::Region region;
        region.AddRect(0, 0, 400, 300);
        return region;
    }

    // The control hit at a point of the top control, and the point in its coordinates.
    struct Hit
    {
        ZQ::WString name;
        ZQ::PointT<int32_t> local;
    };
    static Hit HitAt(const RCPtr<ZQ::LControl>& topControl, int32_t x, int32_t y)
    {
        ZQ::PointT<int32_t> local;
        int32_t z = INT_MIN;
        const RCPtr<ZQ::LControl> control = topControl->GetControlAtPoint({x, y}, true, local, z);
        return {control != nullptr ? control->GetName() : ZQ::WString(u"(none)"), local};
    }

    ZQTest::FakeControlApplication application;
    ZQTest::FakeWindowServices services;
    PartBuilders::RecordingFrame frame;
    RCPtr<ZQ::LRootWindow> window = ZQ::LRootWindow::Create(frame.renderer, &services);

private:
    uint32_t ColorOf(const std::string& name)
    {
        for (const auto& [color, known] : mNames)
            if (known == name)
                return color;
        const uint32_t color = 0xFF000001u + static_cast<uint32_t>(mNames.size());
        mNames[color] = name;
        return color;
    }

    std::string Summary(const std::string& line) const
    {
        if (line.rfind("FillRect", 0) != 0)
            return line.substr(0, line.find(' ')) + line.substr(line.find(" | "));
        const std::size_t hash = line.find('#');
        const uint32_t color = 0xFF000000u | (std::stoul(line.substr(hash + 1, 8), nullptr, 16) & 0x00FFFFFF);
        const auto found = mNames.find(color);
        const std::string name = found != mNames.end() ? found->second : line.substr(hash, 9);
        return name + line.substr(line.find(" | "));
    }

    std::map<uint32_t, std::string> mNames;
};
} // namespace FilledTree
