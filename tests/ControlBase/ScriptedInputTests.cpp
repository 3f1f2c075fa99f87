#include "FilledTree.h"

#include "ZQFramework/Notification/NotificationHandler.h"

#include <gtest/gtest.h>

// Pointer and key input scripted at the root window of a drawn tree: the window finds the control under
// the pointer, the control takes the capture and the click, and Tab moves the focus.
namespace
{
using ZQ::RCPtr;
using ZQTest::TestControl;

class ScriptedInput : public FilledTree::TreeTest
{
protected:
    // A left press and release at point, the services reporting the button held in between.
    void Click(const ZQ::PointT<int32_t>& down, const ZQ::PointT<int32_t>& up)
    {
        services.MouseButtons = 1;
        window->OnMouseButton(0, 1, 0, down, 0);
        services.MouseButtons = 0;
        window->OnMouseButton(1, 1, 0, up, 0);
    }

    // Counts "NID_LEFT_CLICK" sent by control.
    static void CountClicks(const RCPtr<TestControl>& control)
    {
        control->MarkCreated();
        (void)control->Handler()->AddCallback(
            static_cast<ZQ::LNotificationHandler<ZQ::LControl>::Callback>(&TestControl::CountNotification),
            RCPtr<ZQ::LNotificationDistributor>(control), u"NID_LEFT_CLICK");
    }
};

TEST_F(ScriptedInput, APressAndReleaseAtTheWindowClickTheControlUnderThePointer)
{
    const auto top = MakeTop();
    const auto left = Add(top, u"left", {10, 10, 50, 30});
    AddLook(left, "left", 1);
    const auto right = Add(top, u"right", {100, 10, 50, 30});
    AddLook(right, "right", 1);
    CountClicks(left);
    CountClicks(right);

    services.CursorPos = {120, 20};
    window->OnMouseMove({120, 20}, 0, 0);
    EXPECT_EQ(window->GetHoverControl(), right);
    services.MouseButtons = 1;
    window->OnMouseButton(0, 1, 0, {120, 20}, 0);
    EXPECT_EQ(window->GetCaptureControl(), right);
    services.MouseButtons = 0;
    window->OnMouseButton(1, 1, 0, {120, 20}, 0);
    EXPECT_EQ(window->GetCaptureControl(), nullptr);
    EXPECT_EQ(right->NotificationsReceived, 1);
    EXPECT_EQ(left->NotificationsReceived, 0);

    // Pressed on "left", released over "right": the capture keeps the up at "left", which is not hovered.
    services.CursorPos = {20, 20};
    Click({20, 20}, {120, 20});
    EXPECT_EQ(left->NotificationsReceived, 0);
    EXPECT_EQ(right->NotificationsReceived, 1);
}
} // namespace
