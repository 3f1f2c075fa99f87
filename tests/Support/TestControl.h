#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <functional>
#include <utility>
#include <vector>

// A plain control for tests of the control base: built in code, given a layout copy directly (as a
// descriptor would give it), marked created by hand, and recording the hooks the tree calls.
namespace ZQTest
{
class TestControl : public ZQ::LControl
{
public:
    using LayoutSetup = std::function<void(ZQ::LLayoutDescriptor&)>;

    // A control under parent (null for a top control) with a default layout that setup may change first;
    // without setup and withLayout false the control has no layout at all.
    [[nodiscard]] static ZQ::RCPtr<TestControl> Create(const ZQ::RCPtr<ZQ::LControl>& parent,
                                                       const ZQ::WString& name, const LayoutSetup& setup = {},
                                                       bool withLayout = true);
    // The create function that the control factory calls for the test classes: the control base's
    // creation sequence for a TestControl.
    static ZQ::RCPtr<ZQ::LControl> CreateFromDescriptor(const ZQ::RCPtr<ZQ::LControl>& parent,
                                                        const ZQ::RCPtr<ZQ::LControlDescriptor>& descriptor);

    // Replaces the layout copy with setup applied to a copy of the current one (or of a default layout).
    void ChangeLayout(const LayoutSetup& setup);
    void MarkCreated(bool created = true) { SetCreated(created); }
    // The handler table of received notifications, created on first use.
    ZQ::RCPtr<ZQ::LNotificationHandler<ZQ::LControl>> Handler();

    void OnChildrenChanged(const ZQ::RCPtr<ZQ::LControl>& child, int32_t index) override;
    // Counts the received notification; bound through Handler().
    ZQRESULT CountNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>& source,
                               const ZQ::RCPtr<ZQ::LNotification>& notification);

    // What the control base's creation sequence constructs (CreateFromDescriptor); Create builds one
    // without it.
    TestControl(ZQ::LControl::CreateKey /*key*/, const ZQ::RCPtr<ZQ::LControl>& parent,
                const ZQ::WString& name)
        : TestControl(parent, name)
    {
    }
    ~TestControl() override;

    // State that only derived classes see.
    [[nodiscard]] bool WantsTab() const { return mWantsTab; }
    [[nodiscard]] bool UsesParentToolTip() const { return mUseParentToolTip; }
    [[nodiscard]] bool InheritsFont() const { return mFontInherited; }
    [[nodiscard]] const ZQ::RCPtr<ZQ::LNotificationCenter>& GetNotificationCenter() const
    {
        return mNotificationCenter;
    }
    [[nodiscard]] const ZQ::Array<float>& GetLookOpacities() const { return mLookOpacity; }

    // (child's name, former index) of every OnChildrenChanged call.
    std::vector<std::pair<ZQ::WString, int32_t>> ChildrenChanged;
    int32_t NotificationsReceived = 0;
    // When set, the control's name is appended on destruction.
    std::vector<ZQ::WString>* DestroyedLog = nullptr;

protected:
    TestControl(const ZQ::RCPtr<ZQ::LControl>& parent, const ZQ::WString& name) : ZQ::LControl(parent, name)
    {
    }
};
// Adds count children named "c0", "c1", ... to parent in storage order; setup (when given) shapes the
// layout of child i.
std::vector<ZQ::RCPtr<TestControl>>
AddChildren(const ZQ::RCPtr<ZQ::LControl>& parent, int32_t count,
            const std::function<void(int32_t, ZQ::LLayoutDescriptor&)>& setup = {});
} // namespace ZQTest
