#pragma once

#include "ZQFramework/Controls/Menus/DropDownControl.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Utilities/Graphics/Point.h"

namespace ZQ
{
class LPopupMenu;

// One title of a menu bar ("Framework.ComboMenu"): a label such as "File" that drops its menu, the popup
// menu child "popupMenu" (required), below itself. A press opens or closes it; with one menu of the bar
// open, the pointer entering another title moves the open menu there; activating an item closes it. The
// popup never closes itself: the title does. Looks: 0 closed, 1 pointer over it, 2 open, 3 disabled.
// A press on the title, a drag into the menu and a release over an item activate the item (the popup
// takes the press's capture). UI thread only.
class LComboMenu : public LDropDownControl
{
public:
    static constexpr int32_t kLookClosed = 0, kLookHover = 1, kLookOpen = 2, kLookDisabled = 3;

    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LComboMenu(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LComboMenu() override;

    [[nodiscard]] RCPtr<LPopupMenu> GetPopup() const;
    // A focus request made by a press inside the title goes no further than the title.
    void SetFocusBoundary(bool boundary) { mFocusScope = boundary; }

    // --- Drop-down control operations ---

    [[nodiscard]] bool IsDropDownOpen() const override;
    ZQRESULT ShowDropDown(bool open) override;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    ZQRESULT Initialize() override;
    ZQRESULT OnCreated() override;

private:
    ZQRESULT OnPopupVisibilityChanged(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification);
    ZQRESULT OnPopupItemActivated(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    [[nodiscard]] bool IsHovered() const { return (GetConditions() & kConditionHover) != 0; }
    void SelectClosedLook() { SelectLook(IsHovered() ? kLookHover : kLookClosed); }

    RCPtr<LNotificationHandler<LComboMenu>> mComboHandler;
    // The absolute part of the popup's X position as the skin gave it.
    double mPopupOffsetX = 0;
    // The last left press, relative to the popup's top-left corner.
    PointT<double> mPressOffset{0, 0};
};
} // namespace ZQ
