#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// What the layout engine asks of the control it places. The control implements it over its parent, its
// siblings, its children and its default look; tests implement it over plain values. Axis 0 is X, 1 is Y.
class ILayoutContext
{
public:
    // The rectangles the position and size rules name, in the coordinates of the parent's content.
    struct References
    {
        RectT<double> Parent;  // "Parent"/"Screen"
        RectT<double> Client;  // "Client"/"Active Window"
        PointT<double> Scroll; // the parent's scroll offset
    };

    // The label's text area at one control size, with the factors by which its edges follow the size.
    struct TextArea
    {
        float Width = 0;
        float Height = 0;
        float LeftFactor = 0;
        float RightFactor = 0;
        float TopFactor = 0;
        float BottomFactor = 0;
    };

    virtual ~ILayoutContext() = default;

    // false when there is nothing to place the control against (a top control without a root window).
    virtual bool GetReferences(References& references) = 0;
    // The named sibling's rectangle and docked flags; false when there is none. A top control answers with
    // the pointer's position and size 0.
    virtual bool FindSibling(const WString& name, RectT<double>& rect, bool& xDocked, bool& yDocked) = 0;
    // Rules that measure other controls are skipped entirely without children.
    [[nodiscard]] virtual bool HasChildren() = 0;
    // The extent of all children for "Children", else of the one named child; 0 for an unknown name.
    [[nodiscard]] virtual double GetChildrenExtent(const WString& name, int32_t axis) = 0;

    // false when the control has no default look with a text layout; else its text area at that size.
    virtual bool GetTextArea(double width, double height, TextArea& area) = 0;
    // The widest paragraph, unwrapped, and the text's height when laid out at width.
    [[nodiscard]] virtual int32_t GetTextWidth() = 0;
    [[nodiscard]] virtual int32_t GetTextHeight(int32_t width) = 0;
    virtual void SetTextWrap(bool wrap) = 0;
};

// The outcome of one layout computation. Placed is false when there is no rectangle to apply (no layout,
// no references); Result is S_OK, or E_FAIL when a minimum rule met an anchor outside the range it needs
// (the rectangle is still placed), or the error that left nothing placed. Rect obeys every rule; Base is
// where the position and size rules alone put the control, before its minimum and maximum rules.
struct LayoutResult
{
    ZQRESULT Result = S_OK;
    bool Placed = false;
    RectT<double> Rect;
    RectT<double> Base;
};

// Turns a control's layout into its rectangle: the base rectangle from the position and size rules,
// snapped edges, the minimum and then the maximum rules, normalised and floored onto whole pixels.
// E_INVALIDARG without a layout; E_FAIL when the context has no references.
[[nodiscard]] LayoutResult ComputeLayout(const LLayoutDescriptor* layout, ILayoutContext& context);

// Halves away from zero on doubles (-2.5 gives -3, 2.5 gives 3); never gives a negative zero.
[[nodiscard]] double RoundLayoutValue(double value);

// How a control's children extend on one axis, in the control's own coordinates.
struct ChildrenExtentFrame
{
    double ClientStart = 0; // the client area's start in the control
    double Scroll = 0;      // the control's scroll offset
    double FarMargin = 0;   // the default look's size less the client area's size and start
};

struct ChildSpan
{
    double Start = 0;
    double Size = 0;
    bool ClipToParent = true;
};

// The largest far edge of the children first to last (storage order), plus the far margin when there is
// any extent; 0 for a negative or reversed range. Only clipped children count, unless first equals last.
// childAt(index) gives a ChildSpan.
template <class ChildAt>
[[nodiscard]] double ComputeChildrenExtent(int32_t first, int32_t last, const ChildrenExtentFrame& frame,
                                           ChildAt&& childAt)
{
    if (first < 0 || last < 0 || last < first)
        return 0;
    double extent = 0;
    for (int32_t index = last; index >= first; --index)
    {
        const ChildSpan child = childAt(index);
        if (!child.ClipToParent && first != last)
            continue;
        const double farEdge = frame.ClientStart + child.Start - frame.Scroll + child.Size;
        if (farEdge > extent)
            extent = farEdge;
    }
    if (extent > 2.2e-16)
        extent += frame.FarMargin;
    return extent;
}
} // namespace ZQ
