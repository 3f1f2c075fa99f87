#include "UpdaterBench.h"

#include "ZQFramework/Controls/Menus/ComboMenu.h"
#include "ZQFramework/Controls/Menus/MainMenu.h"
#include "ZQFramework/Controls/Menus/MenuDescriptor.h"
#include "ZQFramework/Controls/Menus/PopupMenu.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace UpdaterTest
{
namespace
{
// The commands of a title's menu, in order.
std::vector<std::string> Commands(const ZQ::RCPtr<ZQ::LComboMenu>& title)
{
    std::vector<std::string> commands;
    const ZQ::RCPtr<ZQ::LMenuDescriptor> menu =
        ZQ::LMainMenu::GetMenuDescriptor(ZQ::RCPtr<ZQ::LControl>(title));
    for (uint32_t i = 0; menu != nullptr && i < menu->GetItemCount(); ++i)
    {
        commands.push_back(TestSupport::Utf8(menu->GetItemAt(i)->mCommand));
    }
    return commands;
}

struct UpdaterMenuTest : ::testing::Test
{
    UpdaterMenuTest()
    {
        bench.Prepare(Engine::kStateNormalMode, Engine::kFileValid);
        bench.Show();
        bar = ZQ::RCPtr<ZQ::LMainMenu>(bench.Child(u"mainMenu"));
    }

    // A left click at point of the window.
    void ClickAt(const ZQ::PointT<int32_t>& point)
    {
        bench.Services.CursorPos = point;
        bench.Window->OnMouseMove(point, 0, 0);
        bench.Services.MouseButtons = 1;
        bench.Window->OnMouseButton(0, 1, 0, point, 0);
        bench.Services.MouseButtons = 0;
        bench.Window->OnMouseButton(1, 1, 0, point, 0);
    }

    UpdaterBench bench;
    ZQ::RCPtr<ZQ::LMainMenu> bar;
};

TEST_F(UpdaterMenuTest, TheWindowHasAFileAndAnOptionsMenu)
{
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->GetMenuCount(), 2);
    EXPECT_EQ(TestSupport::Utf8(bar->GetMenuLabel(0)), "File");
    EXPECT_EQ(TestSupport::Utf8(bar->GetMenuLabel(1)), "Options");
    EXPECT_EQ(Commands(bar->GetMenuAt(0)),
              (std::vector<std::string>{"NID_MENU_FILE_SELECT", "NID_MENU_FILE_EXIT_REQ"}));
    EXPECT_EQ(Commands(bar->GetMenuAt(1)), (std::vector<std::string>{"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"}));
}

TEST_F(UpdaterMenuTest, AllowDowngradeShowsAndTogglesTheProcessorsFlag)
{
    ASSERT_NE(bar, nullptr);
    bench.Processor->SetAlwaysUpdate(true);
    ClickAt({90, 8});
    const ZQ::RCPtr<ZQ::LPopupMenu> options = bar->GetMenuAt(1)->GetPopup();
    ASSERT_TRUE(bar->GetMenuAt(1)->IsDropDownOpen());
    EXPECT_TRUE(options->IsItemChecked(0));
    ClickAt({90, 26});
    bench.Deliver();
    EXPECT_FALSE(bench.Processor->GetAlwaysUpdate());
    ClickAt({90, 8});
    EXPECT_FALSE(options->IsItemChecked(0));
}

TEST_F(UpdaterMenuTest, SelectFirmwareFileOpensTheChooser)
{
    ASSERT_NE(bar, nullptr);
    Platform::Window::DialogScript::AnswerNextOpenFile({});
    ClickAt({20, 8});
    ClickAt({20, 26});
    bench.Deliver();
    EXPECT_TRUE(Platform::Window::DialogScript::LastOpenFile().has_value());
}
} // namespace
} // namespace UpdaterTest
