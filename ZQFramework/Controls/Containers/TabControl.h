#pragma once

#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace ZQ
{
// The parameter of "NID_TAB_BECOMING_UNSELECTED": the tab being left and the tab asked for, both as
// storage positions among the tab buttons. A receiver may write another position into mNewIndex to hand
// the selection elsewhere; writing mCurrentIndex keeps the current tab.
class LTabBecomingUnselectedParams : public LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LTabBecomingUnselectedParams> Create(int32_t currentIndex, int32_t newIndex);

    int32_t mCurrentIndex;
    int32_t mNewIndex;

private:
    LTabBecomingUnselectedParams(int32_t currentIndex, int32_t newIndex);
};

// A panel that shows one page out of several, chosen by a row of tab buttons ("Framework.TabControl").
// The skin gives it two children: "buttonHolder", whose children are the tab buttons, and "pageHolder",
// whose children are the pages. Tab i and page i belong together by their storage position in the two
// holders; a tab is known by its button's name, and the selection is kept as that name. Tab indexes are
// storage positions, except in SelectTabAt, which counts in the button holder's tab order.
//
// Selecting a tab first asks the receivers of "NID_TAB_BECOMING_UNSELECTED", which may keep the current
// tab or redirect the selection, then hides the other pages, shows the tab's page and sends
// "NID_TAB_SELECTED" with it (null when the tab has no page). A click on a tab button sends
// "NID_TAB_BUTTON_CLICKED" with the button and selects its tab. Held by its parent; UI thread only.
class LTabControl : public LPanel
{
public:
    // Hand-overs of one change by "NID_TAB_BECOMING_UNSELECTED" receivers, far more than any real chain.
    static constexpr int32_t kMaxRedirects = 16;

    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LTabControl(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LTabControl() override;

    // --- Operations appended after the panel's, in slot order ---

    // The number of tab buttons (0 without a button holder).
    [[nodiscard]] virtual int32_t GetTabCount();
    // The storage position of the last tab button called name; -1 when none or without a button holder.
    [[nodiscard]] virtual int32_t FindTabIndex(const WString& name);
    [[nodiscard]] virtual int32_t GetSelectedIndex();
    // The selected tab's page; null when the tab has none or nothing is selected.
    [[nodiscard]] virtual RCPtr<LControl> GetSelectedPage();
    [[nodiscard]] virtual const WString& GetSelectedTabName();
    // The page of the tab called name; null when no tab or no page goes by it.
    [[nodiscard]] virtual RCPtr<LControl> GetPage(const WString& name);
    // The page at a tab's storage position; null for a position past the tabs or the pages.
    [[nodiscard]] virtual RCPtr<LControl> GetPageAt(int32_t index);
    [[nodiscard]] virtual RCPtr<LControl> GetButton(const WString& name);
    [[nodiscard]] virtual RCPtr<LControl> GetButtonAt(int32_t index);
    // Selects the tab called name, also a name that matches no tab (every page is then hidden). A
    // receiver of "NID_TAB_BECOMING_UNSELECTED" that writes another position selects the tab there
    // instead. A change handed over more than kMaxRedirects times in a row is refused: the current tab
    // stays, E_FAIL. E_FAIL also without both holders, or when the position handed over holds no tab
    // button; else 0.
    virtual ZQRESULT SelectTab(const WString& name);
    // Selects the tab whose button is at index in the button holder's tab order. E_FAIL without a button
    // holder, for an index past the buttons or a control there that is no button.
    virtual ZQRESULT SelectTabAt(int32_t index);
    // Called by SelectTab with the new tab's position before its page is shown; empty.
    virtual void OnTabSelected(int32_t index);

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // A tab control shown as the top control of its window gives the focus to the selected page.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // Applied again after creation, the stored selection is selected again.
    ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    // Finds the holders, selects the first tab in tab order and listens to the tab buttons' clicks. The
    // panel's negative result, else SelectTabAt's (E_FAIL without a tab).
    ZQRESULT Initialize() override;

private:
    // "NID_LEFT_CLICK" from a tab button: selects its tab; a refused or redirected change presses the
    // selected tab's button again, and the selected page takes the focus. 1.
    ZQRESULT OnTabButtonClick(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    // The tab button at a storage position, as SelectTab hands the selection over: E_FAIL when there is
    // no button there.
    ZQRESULT SelectTabAtStoragePosition(int32_t index);
    void SendNotification(const char16_t* name, const RCPtr<LRefCountedObject>& param);

    RCPtr<LNotificationHandler<LTabControl>> mTabHandler;
    RCPtr<LControl> mButtonHolder;
    RCPtr<LControl> mPageHolder;
    WString mSelectedTabName;
    // Hand-overs of the change under way; SelectTab runs again for each.
    int32_t mRedirects = 0;
};
} // namespace ZQ
