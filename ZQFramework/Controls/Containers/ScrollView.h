#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/Controls/Forward.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace ZQ
{
// The scrolling container of the library: a control whose children live in a content area (the client
// extent) that may be larger than what it shows. It has no skin class of its own; the panel, the list
// boxes and the text box derive from it. It keeps three things in step: the client extent, the
// visibility, range and page size of its two bars, and the control base's scroll offset, which moves the
// children.
//
// Named children, all optional: "hBar" and "vBar", scroll bars (a child of that name of another class is
// ignored) that scroll the X and the Y offset; "corner", any control, whose skin size gives the bars'
// thickness and whose current size is changed to show and hide them. A bar shows when it exists, is
// visible and has an area; the view shows and hides a bar by setting its thickness (or the corner's) to
// the stored thickness or to 0, never through the visible flag. Content exactly as large as the room
// needs no bar.
//
// Scrolling is in pixels, or on an axis in line mode (the list boxes) in whole lines of lineUnit pixels.
// A client extent of 0 or less on an axis leaves that axis unbounded. UI thread only; the guard flags
// stop re-entry through the bars' notifications on that thread.
//
// A derived class with a notification handler of its own dispatches to it first and then to its base
// class's ReceiveNotification (not straight to the control base's), so that the view's own bindings (the
// bars' values) keep working; RemoveNotificationCallback likewise.
class LScrollView : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LScrollView(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LScrollView() override;

    // --- Operations appended after the control base's, in slot order ---

    // The bars follow the new extent.
    virtual void OnClientExtentChanged();
    // Called by UpdateScrollBars when the client rectangle changed; empty.
    virtual void OnClientRectChanged();
    // Called by UpdateScrollBars when a bar was shown or hidden (0 horizontal, 1 vertical); empty.
    virtual void OnScrollBarVisibilityChanged(int32_t axis);

    // --- Own operations ---

    // 1 and nothing else when both equal the stored extent (within 2.220446049250313e-15). Otherwise
    // stores them, calls OnClientExtentChanged, sends "NID_CLIENT_EXTENT_CHANGE" and returns 0.
    ZQRESULT SetClientExtent(double width, double height);
    // Mode 0 off, 1 the width, 2 the height, 3 both follow the children's extent plus the margins. 0.
    ZQRESULT SetAutoClientExtent(int32_t mode, int32_t marginX, int32_t marginY);
    // The vertical bar's width and the horizontal bar's height as they take room now: the corner's
    // current size when there is a corner, else the bars' (0 for a missing bar).
    [[nodiscard]] PointT<double> GetScrollBarThickness() const;
    // The bars' ranges, steps and thumb proportions from the extent and the client size; in pixel mode
    // the offset follows the bars.
    void UpdateScrollBarRanges();
    // Decides which bars the content needs and shows or hides them. 1 when already running, else 0.
    ZQRESULT UpdateScrollBars();
    // axis 0 is the horizontal bar, 1 the vertical bar.
    void ShowScrollBar(int32_t axis, bool show);
    // With auto extent on, the client extent from the children. 1 when off, else SetClientExtent's result
    // (0 for an unknown mode).
    ZQRESULT ApplyAutoClientExtent();
    // Takes the bars' thickness and listens to their values (once, during creation). 0.
    ZQRESULT BindScrollBars();
    // Per axis the largest far edge of the children not docked on that axis, rounded; 0 without any.
    [[nodiscard]] PointT<double> GetChildrenExtent() const;
    using LControl::GetChildrenExtent;

    [[nodiscard]] const PointT<double>& GetClientExtent() const { return mClientExtent; }
    [[nodiscard]] const RCPtr<LScrollbar>& GetHorizontalBar() const { return mHBar; }
    [[nodiscard]] const RCPtr<LScrollbar>& GetVerticalBar() const { return mVBar; }
    [[nodiscard]] const RCPtr<LControl>& GetCorner() const { return mCorner; }
    [[nodiscard]] int32_t GetAutoClientExtent() const { return mAutoClientExtent; }
    // Whether that bar (0 horizontal, 1 vertical) exists, is visible and has an area.
    [[nodiscard]] bool IsScrollBarShown(int32_t axis) const;

    // --- Control base operations ---

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;
    void BeginUpdate() override;
    // Re-decides the bars after a re-layout.
    void EndUpdate() override;
    // The bars take the new offset, without their changes coming back as offsets. Throws the "Failed
    // Result" error when a bar's binding cannot be suspended or restored.
    void ScrollBufferedContent(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    // A moved or resized child changes the auto extent, or (docked on both axes, like a bar) the bars.
    void InvalidateBufferedChild(const RCPtr<LControl>& child) override;
    // Per axis: with a maximum that refers to another control, the children's extent; else its Abs.
    ZQRESULT GetMaximumSize(PointT<double>& size) override;
    ZQRESULT SetScrollOffset(const PointT<double>& offset) override;
    // Up to the extent less the client size on each axis; 2^52 on an axis whose extent is 0 or less.
    ZQRESULT GetMaxScrollOffset(RectT<double>& range, const RCPtr<LControl>& child) override;
    // The look's client area less the room the shown bars take.
    ZQRESULT GetClientRect(RectT<double>& rect) const override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    void OnChildrenChanged(const RCPtr<LControl>& child, int32_t index) override;
    // Applied again after creation, the bars are bound again and re-decided.
    ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    // The vertical wheel scrolls the vertical bar (the horizontal one with Alt, or when it is the only one
    // shown), a line, or a page with Shift. 1 (for the parent) when no bar is shown, else 0.
    ZQRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    // The horizontal wheel scrolls the horizontal bar when it is shown, else the vertical one.
    ZQRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    // Finds the corner and the bars and binds them. The control base's negative result, else 0.
    ZQRESULT Initialize() override;
    // Reads "AUTO_CLIENT_EXTENT_X" and "AUTO_CLIENT_EXTENT_Y" (trimmed). The control base's result.
    ZQRESULT ProcessCreateParams() override;
    // The visible part of the children: from the offset, as wide and high as the look within the
    // children's bounds, at least 1.
    [[nodiscard]] RectT<double> GetContentRect() const override;

protected:
    // Pixel (0) or line (non-zero) scrolling per axis; derived classes set them and then call
    // UpdateScrollBarRanges. A line unit of 0 or less counts as one pixel.
    int32_t mLineMode[2] = {0, 0};
    int32_t mLineUnit[2] = {1, 1};

private:
    // "NID_VALUE_CHANGE" from a bar: the offset follows. 1.
    ZQRESULT OnScrollBarValueChange(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);
    [[nodiscard]] const RCPtr<LScrollbar>& BarOf(int32_t axis) const { return axis == 0 ? mHBar : mVBar; }
    [[nodiscard]] double LineUnitOf(int32_t axis) const;
    void UpdateBarRange(int32_t axis);
    // Scrolls bar by one step (a page with Shift) in direction (+1 or -1). 0.
    ZQRESULT ScrollByWheel(const RCPtr<LScrollbar>& bar, uint32_t modifiers, double direction);
    [[nodiscard]] bool AnyGuardSet() const { return mUpdatingBars || mSettingScrollOffset || mInUpdate; }

    RCPtr<LNotificationHandler<LScrollView>> mViewHandler;
    bool mUpdatingBars = false;
    bool mSettingScrollOffset = false;
    bool mInUpdate = false;
    RCPtr<LScrollbar> mHBar;
    RCPtr<LScrollbar> mVBar;
    RCPtr<LControl> mCorner;
    PointT<double> mClientExtent{};
    double mVBarWidth = 0;
    double mHBarHeight = 0;
    int32_t mAutoClientExtent = 0;
    PointT<int32_t> mAutoExtentMargin{};
};
} // namespace ZQ
