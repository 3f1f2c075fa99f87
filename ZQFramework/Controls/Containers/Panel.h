#pragma once

#include "ZQFramework/Controls/Containers/ScrollView.h"
#include "ZQFramework/Notification/NotificationHandler.h"

namespace ZQ
{
// The general container ("Framework.Panel", and the same class for "Framework.ScrollChannel",
// "Framework.ComboSlider.DropDownPanel" and "Framework.CenteredSliderBounds"): a scroll view that makes
// keyboard navigation work across nested containers. Keys that a sibling of the panel leaves unused are
// offered to the panel's own children, so that, say, a scroll bar deep inside answers arrow keys pressed
// while a sibling of the container has the focus; Tab navigation and hot keys leave a nested panel
// towards its parent instead of cycling inside it. A panel without a parent cycles as any control does.
// The base of the tab control, the sliders, the multi-column list box and the numeric up-down. UI thread
// only.
class LPanel : public LScrollView
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LPanel(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LPanel() override;

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The control base's answer, except that a panel with a parent never wraps round: a stop that is not
    // past from in the direction of travel gives null.
    [[nodiscard]] RCPtr<LControl> GetNextTabStop(const RCPtr<LControl>& from, bool backward) override;
    // 1: a panel takes no key itself.
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param) override;
    // The children first; then up the chain of containers (the panel added to the visited controls), or
    // at the top to the application's hot keys. 0 when someone took the key, else 1.
    ZQRESULT ProcessHotKey(const RCPtr<LKeyParam>& param) override;
    // Tab (Shift+Tab backward) to the next focusable stop after the last visited control; past the last
    // one, or with Ctrl, the key goes to the parent with the panel visited. 0 when the focus moved here,
    // else the parent's answer (1 without a parent).
    ZQRESULT OnTabKey(const RCPtr<LKeyParam>& param) override;
    // The scroll view's Initialize; a panel with a parent then answers the keys that parent offers its
    // children. The scroll view's negative result, E_FAIL when listening to the parent fails, else 0.
    ZQRESULT Initialize() override;

private:
    // "NID_SIBLING_KEY" from the parent: the key is offered to this panel's children, and whether one took
    // it goes back in the parameter. 1, so that the control base's own key bindings do not see it again.
    ZQRESULT OnSiblingKeyFromParent(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LPanel>> mPanelHandler;
};
} // namespace ZQ
