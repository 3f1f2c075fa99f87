#pragma once

#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Utilities/Storage/ArrayBuffer.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
class LButton;
class LListBox;

// A table shown as list boxes side by side, one per column ("Framework.listbox2ColumnSortable"): the skin's
// children "listboxNoScroll1", "listboxNoScroll2", ... are the columns and the optional
// "buttonColumnHeader1", ... their header buttons. Row r of the table is item r of every column. The
// control keeps the columns' selections, hover highlights and vertical scroll positions in step, and a
// click on a header sorts all columns together by that column's texts, case ignored, ascending first and
// reversed on every further click. The rows are counted in the first column; keyboard navigation happens
// there too.
//
// Notifications sent, without parameter: "NID_SELECTION_CHANGE" (once the columns agree),
// "NID_ITEM_ACTIVATED", "NID_ITEM_DOUBLE_CLICKED" and "NID_ITEM_RIGHT_CLICK" (passed on from any column).
// Sorting sends nothing. UI thread only.
class LMultiColumnListBox : public LPanel
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LMultiColumnListBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LMultiColumnListBox() override;

    // Sorts the whole table by the texts of one column; the selection and the alternative looks stay with
    // their rows. A column index past the last sorts nothing. Throws Exception<FailedResultException> when
    // a column's selection binding cannot be taken away or put back.
    void PerformSort(int32_t column);
    // The text of a cell; empty outside the table.
    [[nodiscard]] WString GetCellText(int32_t column, int32_t row) const;
    // The first column's item count.
    [[nodiscard]] uint32_t GetRowCount() const;
    [[nodiscard]] uint32_t GetColumnCount() const { return mColumns.GetCount(); }
    [[nodiscard]] RCPtr<LListBox> GetColumn(int32_t column) const;
    [[nodiscard]] uint32_t GetHeaderCount() const { return mHeaderButtons.GetCount(); }
    // Whether the next sort of the column is ascending (false past the last column).
    [[nodiscard]] bool IsNextSortAscending(int32_t column) const;

    // --- Scroll view and control base operations ---

    // Empty without columns; else at the first column, as high as its look and as wide as the control's
    // look less the vertical scroll bar.
    ZQRESULT GetClientRect(RectT<double>& rect) const override;
    // Every column follows the new vertical offset.
    void ScrollBufferedContent(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    // The last column moved or resized: the client extent follows. Nothing for any other child.
    void InvalidateBufferedChild(const RCPtr<LControl>& child) override;
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    // The panel's Initialize (result not tested), then the columns and header buttons are found and bound.
    // 0.
    ZQRESULT Initialize() override;
    // The columns past the first take no focus; line scrolling by the first column's rows. 0.
    ZQRESULT OnCreated() override;

private:
    // One row while sorting: its index before the sort and the sort column's text.
    struct SortRow
    {
        int32_t index;
        WString text;
    };

    ZQRESULT OnColumnItemHoverChange(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);
    ZQRESULT OnColumnSelectionChange(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);
    ZQRESULT OnColumnItemActivated(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification);
    ZQRESULT OnColumnItemDoubleClicked(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification);
    ZQRESULT OnColumnItemRightClick(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);
    ZQRESULT OnFirstColumnScrollOffsetChange(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>& notification);
    ZQRESULT OnFirstColumnClientExtentChange(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>& notification);
    ZQRESULT OnHeaderClick(const RCPtr<LNotificationDistributor>& source,
                           const RCPtr<LNotification>& notification);

    // The rows in their sorted order, each given by its index before the sort: the records keep their
    // places and only small (text, index) pairs move while sorting.
    [[nodiscard]] static std::vector<int32_t> SortedOrder(const std::vector<SortRow>& records,
                                                          bool ascending);
    // Puts into each row r of the column the item that row order[r] held before: the item objects move
    // (their counts untouched), none is copied or made anew. Rows past the column's own count are left
    // alone.
    static void MoveItems(LListBox& list, const std::vector<int32_t>& order);
    void BindColumn(const RCPtr<LListBox>& column, bool first);
    // The column's index, searched from the last; -1 when it is none of them.
    [[nodiscard]] int32_t FindColumn(const LNotificationDistributor* source) const;
    // Sets the docked flag of the control's Y position record.
    static void DockOnY(LControl& control);
    void ApplyColumnSizeDefaults();
    // The client extent: to the last column's far edge, as high as the first column's content.
    void UpdateClientExtentFromColumns();
    // Unbinds (bind false) or binds again every column's "NID_SELECTION_CHANGE"; throws at line on failure.
    void SetSelectionBindings(bool bind, int line);

    RCPtr<LNotificationHandler<LMultiColumnListBox>> mColumnsHandler;
    RCPtrArray<LListBox, 1, 0> mColumns;
    RCPtrArray<LButton, 1, 0> mHeaderButtons;
    ArrayBuffer<bool, 1, 0, 1, 8> mSortAscending;
};
} // namespace ZQ
