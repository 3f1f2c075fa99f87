#pragma once

#include "ContainerBench.h"
#include "Support/FakeMeasurer.h"
#include "Support/MeasurementRendererScope.h"

#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"

#include <string>
#include <vector>

// The list boxes on the headless bench: their classes registered beside the containers, a measurement
// renderer whose glyphs are 6 pixels wide, and skin pieces that build a list.
namespace ZQTest
{
inline void RegisterListBoxes(ControlsBench& bench)
{
    bench.Register(u"Framework.ListBox", &ZQ::LControl::CreateFromDescriptor<ZQ::LListBox>);
    bench.Register(u"Framework.ListBoxItem", &ZQ::LControl::CreateFromDescriptor<ZQ::LListBoxItem>);
}

// A row template rowHeight pixels high, as wide as the list's client area; its looks follow looks14.
inline std::string RowTemplate(int rowHeight, const std::string& className = "Framework.ListBoxItem",
                               const std::string& children = "")
{
    return R"(<SubControl Class=")" + className +
           R"(" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs=")" +
           std::to_string(rowHeight) + R"("><Skin Name="row" LookList="looks14"/>)" + children +
           "</SubControl>";
}

// "main" (400 x 300) holding "list", width x height at (10, 20), with the given children.
inline std::string ListSkin(const std::string& children, int width = 100, int height = 100,
                            const std::string& className = "Framework.ListBox")
{
    return R"(<SubControl Class="Test.Panel" Name="main" XSizeAbs="400" YSizeAbs="300"><Skin Name="main" LookList="one"/>
      <SubControl Class=")" +
           className + R"(" Name="list" XPositionAbs="10" YPositionAbs="20" XSizeAbs=")" +
           std::to_string(width) + R"(" YSizeAbs=")" + std::to_string(height) +
           R"("><Skin Name="list" LookList="one"/>)" + children + "</SubControl></SubControl>";
}

// A bench showing a list skin, with the measurement renderer installed for its whole life.
struct ListBoxBench
{
    // extra: classes of the test's own, registered before the skin is shown; skinIndex: the skin of the
    // document that is current while it is shown.
    explicit ListBoxBench(
        const std::string& skin, std::string_view strings = {},
        std::initializer_list<std::pair<const char16_t*, ZQ::LControlDescriptor::CreateFunction>> extra = {},
        int32_t skinIndex = 0)
        : bench(skin, strings)
    {
        bench.Factory->SetCurrentSkinIndex(skinIndex);
        RegisterListBoxes(bench);
        for (const auto& [name, create] : extra)
        {
            bench.Register(name, create);
        }
        (void)ShowContainers(bench);
        list = bench.Find<ZQ::LListBox>(u"list");
    }

    // The texts the pool's rows show, slot 0 first.
    [[nodiscard]] std::vector<std::string> RowTexts() const
    {
        std::vector<std::string> texts;
        for (uint32_t slot = 0; slot < list->GetItemControlCount(); ++slot)
        {
            texts.push_back(TestSupport::Utf8(list->GetItemControl(static_cast<int32_t>(slot))->GetLabel()));
        }
        return texts;
    }

    // count items "0", "1", ...
    void Fill(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            (void)list->InsertItem(i, ZQ::LListBox::MakeTextItem(ZQ::WString::Format(u"%d", i)));
        }
    }

    void Fill(const std::vector<const char16_t*>& texts)
    {
        for (const char16_t* text : texts)
        {
            (void)list->InsertItem(static_cast<int32_t>(list->GetItemCount()),
                                   ZQ::LListBox::MakeTextItem(text));
        }
    }

    ZQRESULT Key(uint32_t code)
    {
        return list->HandleKeyPress(ZQ::LKeyParam::Create(ZQ::KeyCode(code, 0, 0), 0));
    }

    ZQ::RCPtr<TestSupport::FakeMeasurer> measurer{new TestSupport::FakeMeasurer()};
    TestSupport::MeasurementRendererScope measuring{ZQ::RCPtr<ZQ::LMeasurementRenderer>(measurer)};
    ControlsBench bench;
    ZQ::RCPtr<ZQ::LListBox> list;
};
} // namespace ZQTest
