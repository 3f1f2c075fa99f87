#pragma once

#include "ZQFramework/Controls/Containers/ScrollView.h"
#include "ZQFramework/Controls/Lists/ItemRecordStore.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
class LListBoxItem;
class LControlDescriptor;

// The list control of the library ("Framework.ListBox", "Framework.listboxNoScroll"), a scroll view that
// keeps its items as records and shows them through a small pool of row controls (LListBoxItem) stacked
// from the top of the visible client area. The base of the checked list box, and so of the popup menu and
// the tree view; the combo boxes use one as their drop-down.
//
// Template mode: the skin gives a child "templateItem", which leaves the tree; rows "ItemControl1", ...
// are made from its descriptor, docked one below the other, as many as the visible height needs. The
// pool only grows, scrolling is by whole rows, and a scroll re-labels the rows instead of moving them.
// Fixed mode: the skin's children "item1", "item2", ... are both the items (their labels) and the rows.
//
// Every access to a record goes through the virtual record operations, so that a derived class may keep
// records of its own (in an LItemRecordStore of its record type, which it names with UseRecordStore; the
// steps over the hidden flags read that store). Selection: the list box's own input selects one item at a
// time; the caret is the current item, the anchor the start of the last range. Drop-down mode (the combo
// boxes' lists): the capture of a press goes to the list box, hover selects, a release activates and hides
// the list, and no "NID_SELECTION_CHANGE" is sent.
//
// Notifications sent: "NID_SELECTION_CHANGE", "NID_ITEM_ACTIVATED", "NID_ITEM_DOUBLE_CLICKED",
// "NID_ITEM_RIGHT_CLICK" (LHolder<int> with the index), "NID_ITEM_HOVER_CONDITION_CHANGE" and
// "NID_ITEM_LEFT_DRAG_CONDITION_CHANGE" (LItemConditionsParam). UI thread only.
class LListBox : public LScrollView
{
public:
    // Whether a control is a list box's drop-down owner (a combo box or combo menu), for which a release
    // outside both closes the list; the owning classes add their test at start-up.
    using DropDownOwnerTest = bool (*)(const LControl& control);
    static void AddDropDownOwnerTest(DropDownOwnerTest test);
    // Moves the system pointer to a screen point; the application installs it (null: the pointer stays).
    using CursorPositioner = ZQRESULT (*)(int32_t x, int32_t y);
    static CursorPositioner SetCursorPositioner(CursorPositioner positioner);

    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LListBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LListBox() override;

    // --- Operations appended after the scroll view's, in slot order ---

    [[nodiscard]] virtual uint32_t GetItemCount() const;
    // n when the count is n afterwards, else minus the count reached.
    virtual int32_t SetItemCount(int32_t n);
    // The new count; E_INVALIDARG past the end.
    virtual int32_t RemoveItem(int32_t index);
    // 0; 1 for an empty list.
    virtual ZQRESULT RemoveAllItems();
    virtual bool SortItems();
    // Measures the row height and the label-free width from t (the template, or the first fixed row).
    virtual ZQRESULT ApplyItemTemplate(const RCPtr<LListBoxItem>& t);
    virtual void OnSelectionChanged();
    virtual void OnItemActivated();
    // The index a pool row shows (possibly past the end), counted in shown items from the first shown item
    // at or after the top; -1 for a control outside the pool.
    [[nodiscard]] virtual int32_t GetItemIndexOfControl(const LControl* control) const;
    // E_INVALIDARG past the end, 1 when unchanged, else 0.
    virtual ZQRESULT SetItemHidden(int32_t index, bool hidden);
    virtual ZQRESULT CreateItemControl();
    // Shows the index in its slot (out: the slot, -1 when none shows it). 1 for a hidden or unplaceable
    // index, else 0.
    virtual ZQRESULT UpdateItemControl(int32_t index, int32_t& slot);
    [[nodiscard]] virtual int32_t GetItemControlSlot(int32_t index) const;
    [[nodiscard]] virtual int32_t MeasureItemWidth(int32_t index) const;
    [[nodiscard]] virtual int32_t GetContentHeight() const;
    [[nodiscard]] virtual bool IsItemSelectable(int32_t index) const;
    virtual ZQRESULT SwapItems(int32_t a, int32_t b);
    // 1 for count 0; E_INVALIDARG for a range outside the items; else 0.
    virtual ZQRESULT SortItemRange(int32_t first, int32_t count);
    // The record itself; the index is not tested.
    [[nodiscard]] virtual ItemRecord& GetItemRecord(int32_t index);
    virtual void InsertItemRecord(int32_t index);
    virtual void RemoveItemRecord(int32_t index);

    // --- Items ---

    // The index; E_INVALIDARG for an index outside 0..count.
    int32_t InsertItem(int32_t index, const RCPtr<LTaggableObject>& item);
    ZQRESULT SetItemData(int32_t index, const RCPtr<LTaggableObject>& item);
    ZQRESULT SetItem(int32_t index, const RCPtr<LTaggableObject>& item, double selection, bool altLook,
                     bool blank);
    bool SetItemBlank(int32_t index, bool blank);
    bool SetItemAltLook(int32_t index, bool altLook);
    [[nodiscard]] bool GetItemAltLook(int32_t index);
    [[nodiscard]] const ItemRecord& GetItemOrEmpty(int32_t index);
    [[nodiscard]] WString GetItemText(int32_t index);
    [[nodiscard]] static RCPtr<LTaggableObject> MakeTextItem(const WString& text);
    ZQRESULT RefreshItemText(int32_t index);
    [[nodiscard]] RCPtr<LListBoxItem> GetItemControl(int32_t slot) const;
    [[nodiscard]] uint32_t GetItemControlCount() const { return static_cast<uint32_t>(mItemControls.size()); }
    ZQRESULT UpdateItemControlsFrom(int32_t index);
    ZQRESULT FillItemControls();
    ZQRESULT UpdateItemWidths();
    ZQRESULT UpdateMaxItemWidth();
    ZQRESULT SetMaxItemWidth(int32_t width);
    ZQRESULT SetContentWidth(int32_t width);
    ZQRESULT SetContentHeight(int32_t height);
    void SnapHeightToRows();
    // 0 when shown, 1 when it cannot be shown, E_INVALIDARG past the end.
    ZQRESULT EnsureVisible(int32_t index);
    ZQRESULT LoadItemsFromCreateParams(const RCPtr<LStringTable>& table);
    [[nodiscard]] int32_t FindLastItemByText(const WString& text, bool exact);
    int32_t FindAndSelectItemByText(const WString& text, int32_t start, bool exact);
    // The number of shown items before index.
    [[nodiscard]] int32_t RowOfItem(int32_t index);

    [[nodiscard]] uint32_t GetTopIndex() const { return mTopIndex; }
    [[nodiscard]] int32_t GetRowHeight() const { return mRowHeight; }
    [[nodiscard]] int32_t GetMaxItemWidth() const { return mMaxItemWidth; }
    [[nodiscard]] int32_t GetAnchorIndex() const { return mAnchorIndex; }
    [[nodiscard]] int32_t GetCaretIndex() const { return mCaretIndex; }
    [[nodiscard]] bool IsDropDownMode() const { return mDropDownMode; }

    // --- Selection and input ---

    [[nodiscard]] bool IsItemSelected(int32_t index);
    [[nodiscard]] double GetItemSelectionValue(int32_t index);
    // Silent; keeps the selected count.
    ZQRESULT SetItemSelectionValue(int32_t index, double value);
    // first, or E_INVALIDARG for a first outside the items. last < 0: first alone.
    int32_t SelectRange(int32_t first, int32_t last, bool replace);
    ZQRESULT DeselectItem(int32_t index);
    void DeselectAll();
    [[nodiscard]] const std::vector<uint32_t>& GetSelectedIndexes();
    [[nodiscard]] int32_t GetSelectedCount() const { return mSelectedCount; }
    void NotifySelectionChanged();
    void ActivateItem(int32_t index);
    ZQRESULT SetItemHighlight(int32_t index, bool highlight);
    ZQRESULT SelectItemControlLook(int32_t index, int32_t look);
    [[nodiscard]] RectT<double> GetItemRect(int32_t index);
    [[nodiscard]] int32_t HitTestItem(const PointT<int32_t>& point);
    ZQRESULT SetDropDownMode(bool dropDown);

    // --- Control base and scroll view operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    void EndUpdate() override;
    void ScrollBufferedContent(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    void InvalidateBufferedChild(const RCPtr<LControl>& child) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    void OnChildrenChanged(const RCPtr<LControl>& child, int32_t index) override;
    ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    void OnLeftButtonUp(const RCPtr<LMouseButtonParam>& param) override;
    void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param) override;
    ZQRESULT Initialize() override;
    ZQRESULT AddChildControl(const RCPtr<LControl>& control,
                             const RCPtr<LControlDescriptor>& descriptor) override;
    void OnScrollBarVisibilityChanged(int32_t axis) override;

protected:
    // Binds the row's notifications and sets its per-list flags (both modes).
    void BindItemControl(const RCPtr<LListBoxItem>& control);
    // The store whose records the list shows, in place of the list box's own: a derived class that keeps
    // records of its own names its store (a member of its own) once, in its constructor.
    void UseRecordStore(LItemRecordStoreBase& store) { mRecordStore = &store; }
    [[nodiscard]] const RCPtr<LControlDescriptor>& GetTemplateDescriptor() const
    {
        return mTemplateDescriptor;
    }

private:
    [[nodiscard]] static std::vector<DropDownOwnerTest>& DropDownOwnerTestList();
    [[nodiscard]] static CursorPositioner& InstalledCursorPositioner();

    ZQRESULT OnItemMouseDown(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    ZQRESULT OnItemMouseUp(const RCPtr<LNotificationDistributor>& source,
                           const RCPtr<LNotification>& notification);
    ZQRESULT OnItemLeftDragChanged(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification);
    ZQRESULT OnItemHoverChanged(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);
    void HandleItemClick(const RCPtr<LListBoxItem>& item, const RCPtr<LMouseButtonParam>& param);
    void HandleItemRightClick(const RCPtr<LListBoxItem>& item, const RCPtr<LMouseButtonParam>& param);
    // After a press scrolled index into another row: that row takes the capture, the pointer and the focus.
    void MovePressToRow(const RCPtr<LListBoxItem>& pressed, int32_t index, const PointT<int32_t>& point,
                        int32_t button);
    // The list box's origin in its parent's client area, rounded.
    [[nodiscard]] PointT<int32_t> OriginInParentClient() const;
    // The records the list shows: the list box's own, or a derived class's.
    [[nodiscard]] const LItemRecordStoreBase& Records() const { return *mRecordStore; }
    [[nodiscard]] LItemRecordStoreBase& Records() { return *mRecordStore; }
    [[nodiscard]] bool TemplateExpands() const;
    void SelectOwnLook();
    // Puts the pool's rows back under the list box after a skin change took them out, in slot order.
    void RestoreRows(const std::vector<RCPtr<LListBoxItem>>& rows);
    void SendItemConditions(const RCPtr<LListBoxItem>& item, const RCPtr<LNotification>& notification,
                            const char16_t* name);

    RCPtr<LNotificationHandler<LListBox>> mListHandler;
    int32_t mTemplateLabelWidth = 0;
    int32_t mMaxItemWidth = 0;
    LItemRecordStore<ItemRecord> mItems;
    std::vector<uint32_t> mItemControls;
    RCPtr<LControlDescriptor> mTemplateDescriptor;
    int32_t mAnchorIndex = -1;
    int32_t mCaretIndex = -1;
    bool mDropDownMode = false;
    int32_t mRowHeight = 14;
    std::vector<uint32_t> mSelectedIndexes;
    int32_t mSelectedCount = 0;
    int32_t mItemDragThreshold = 1;
    uint32_t mTopIndex = 0;
    bool mFilling = false;
    bool mFillSuspended = false;
    bool mTemplateApplied = false;
    bool mBulkUpdate = false;
    // mItems, or the store a derived class named (a member of the derived class, which outlives every
    // list box operation that reads it).
    LItemRecordStoreBase* mRecordStore = &mItems;
};
} // namespace ZQ
