#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"

#include <cstdint>

namespace ZQ
{
// A thin bar between panes that the user drags to share space between them; the behaviour of both
// splitters. The panes are ordinary siblings whose layout names the splitter: the splitter is placed
// after one sibling, its anchor, and later siblings are placed or sized relative to the splitter. Dragging
// changes the anchor's size along the axis the bar moves along, and the layout moves the bar and the panes
// after it. The bar keeps the anchor and the panes that depend on it within their minimum and maximum
// sizes, while dragged and after the parent was resized. Held by its parent; UI thread only.
//
// Orientation 0 (LSplitterH) moves along Y, 1 (LSplitterV) along X. Looks: 0 normal, 1 hovered or dragged
// with the pointer off it, 2 dragged with the pointer over it, 3 to 5 the same with the focus, 6 disabled.
class LSplitterBase : public LControl
{
public:
    ~LSplitterBase() override;

    [[nodiscard]] int32_t GetOrientation() const { return mOrientation; }
    // The range the bar's position may take in the current drag, in the parent's coordinates.
    [[nodiscard]] double GetDragMinimum() const { return mDragMinimum; }
    [[nodiscard]] double GetDragMaximum() const { return mDragMaximum; }
    // The sibling the bar is placed after while a drag lasts; null otherwise.
    [[nodiscard]] const RCPtr<LControl>& GetAnchor() const { return mAnchor; }

    // --- Control base operations, in slot order ---

    // Computes the drag range and places the bar absolutely for the drag, then the base's.
    ZQRESULT BeginDrag() override;
    // The anchor's size follows the drag.
    void OnDragMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    // Places the bar after its anchor again, then the base's.
    ZQRESULT EndDrag() override;
    // The drag range, on the axis the bar moves along (the other axis as the base filled it).
    void GetDragLimits(RectT<double>& limits) override;
    // Sets the drag mode at the start of a left drag, drops the anchor at its end, chooses the look.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // The base's, then the sizing pointer of the orientation. The base's result.
    ZQRESULT Initialize() override;

    // The base's, then the bar is moved back into the range its panes allow.
    ZQRESULT OnSize(int32_t width, int32_t height) override;

protected:
    LSplitterBase(const RCPtr<LControl>& parent, const WString& name, int32_t orientation);

private:
    // The lowest and highest position the bar may take.
    struct Range
    {
        double Low;
        double High;
    };

    // 0 (X) or 1 (Y): the axis the bar moves along.
    [[nodiscard]] int32_t Axis() const { return mOrientation == 0 ? 1 : 0; }
    // The bar's current position on the axis.
    [[nodiscard]] double CurrentPosition() const;
    // The sibling that the bar's position names, when it exists.
    [[nodiscard]] RCPtr<LControl> FindAnchorSibling() const;
    // Narrows range by the later siblings whose layout follows the bar. During a drag every such sibling
    // counts with its current size; after a resize only those whose size rules bind, with the size their
    // position and size rules alone give.
    void NarrowByDependents(Range& range, bool afterResize);
    // Narrows range by the anchor's minimum and maximum sizes with its size record's Abs.
    void NarrowByAnchor(Range& range, LControl& anchor) const;
    // The resize correction: moves the bar into the allowed range by resizing the anchor.
    void KeepInRange();
    void UpdateLook();

    int32_t mOrientation;
    double mDragMinimum = 0;
    double mDragMaximum = 0;
    double mSavedPositionAbs = 0;
    float mSavedPositionRel = 0;
    RCPtr<LControl> mAnchor;
    double mAnchorPositionAbs = 0;
    double mAnchorSizeAbs = 0;
};
} // namespace ZQ
