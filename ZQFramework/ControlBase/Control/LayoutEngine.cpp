#include "ZQFramework/ControlBase/Control/LayoutEngine.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"

#include <algorithm>
#include <cmath>

namespace ZQ
{
namespace
{
using Position = LLayoutDescriptor::AxisPosition;
using Size = LLayoutDescriptor::AxisSize;
using Limit = LLayoutDescriptor::AxisLimit;

// The rules of one axis, read in place.
struct AxisRules
{
    const Position& position;
    const Size& size;
    const Limit& minimum;
    const Limit& maximum;
    bool docked;
    int32_t textOverflow;
};

AxisRules RulesOf(const LLayoutDescriptor& layout, int32_t axis)
{
    if (axis == 0)
        return {layout.mXPosition, layout.mXSize,   layout.mXMinimum,
                layout.mXMaximum,  layout.mXDocked, layout.mTextOverflowX};
    return {layout.mYPosition, layout.mYSize,   layout.mYMinimum,
            layout.mYMaximum,  layout.mYDocked, layout.mTextOverflowY};
}

// Where the control stands on one axis and how long it is there.
struct Span
{
    double start = 0;
    double size = 0;
};

Span SpanOf(const RectT<double>& rect, int32_t axis)
{
    return axis == 0 ? Span{rect.x, rect.width} : Span{rect.y, rect.height};
}

double ScrollOf(const ILayoutContext::References& references, int32_t axis)
{
    return axis == 0 ? references.Scroll.x : references.Scroll.y;
}

// A sibling's span as it is seen: a docked sibling's stored position includes the scroll offset.
Span SiblingSpan(ILayoutContext& context, const ILayoutContext::References& references, const WString& name,
                 int32_t axis)
{
    RectT<double> rect;
    bool docked[2] = {false, false};
    if (!context.FindSibling(name, rect, docked[0], docked[1]))
        return {};
    Span span = SpanOf(rect, axis);
    if (docked[axis])
        span.start -= ScrollOf(references, axis);
    return span;
}

double PlacePosition(const Position& rule, ILayoutContext& context,
                     const ILayoutContext::References& references, int32_t axis)
{
    switch (rule.ToControl)
    {
    case LLayoutDescriptor::kPositionParent:
    {
        const Span parent = SpanOf(references.Parent, axis);
        return RoundLayoutValue(rule.Rel * parent.size) + rule.Abs + parent.start;
    }
    case LLayoutDescriptor::kPositionClient:
        return RoundLayoutValue(rule.Rel * SpanOf(references.Client, axis).size) + rule.Abs;
    default:
    {
        const Span sibling = SiblingSpan(context, references, rule.ReferenceName, axis);
        return RoundLayoutValue(rule.Rel * sibling.size) + sibling.start + rule.Abs;
    }
    }
}

// A size rule other than Self names an edge; the control reaches from its anchored position to it.
double MeasureSize(const Size& rule, float anchor, double position, ILayoutContext& context,
                   const ILayoutContext::References& references, int32_t axis)
{
    Span reference;
    switch (rule.ToControl)
    {
    case LLayoutDescriptor::kSizeSelf:
        return std::max(rule.Abs, 0.0);
    case LLayoutDescriptor::kSizeParent:
        reference = SpanOf(references.Parent, axis);
        break;
    case LLayoutDescriptor::kSizeClient:
        reference = SpanOf(references.Client, axis);
        break;
    default:
        reference = SiblingSpan(context, references, rule.ReferenceName, axis);
        break;
    }
    const double edge = RoundLayoutValue(rule.Rel * reference.size) + reference.start + rule.Abs;
    const double distance = edge - position;
    if (distance > 0 && anchor >= 0 && anchor < 1)
        return distance / (1 - anchor);
    if (distance < 0 && anchor > 0 && anchor <= 1)
        return -distance / anchor;
    return 0;
}

// ceil(value) as a whole number of pixels, within the 32-bit range.
double WholePixels(float value)
{
    const double whole = std::ceil(static_cast<double>(value));
    return std::clamp(whole, -2147483648.0, 2147483647.0);
}

float ClampTextArea(float value)
{
    return std::clamp(value, -8388608.0f, 8388608.0f);
}

// Grows an overflow of the text area into extra control size. Text edges that do not follow the size
// (factor not positive) cannot be widened: no extra then.
double ExtraForOverflow(float overflow, float edgeFactor)
{
    if (!(edgeFactor > 0))
        return 0;
    return WholePixels(overflow / edgeFactor);
}

// The minimum that the label's text asks for on one axis, starting from the rule's own minimum.
double LabelMinimum(const LLayoutDescriptor& layout, const AxisRules& rules, const RectT<double>& rect,
                    ILayoutContext& context, int32_t axis, double minimum)
{
    if (rules.textOverflow == LLayoutDescriptor::kOverflowClip)
        return minimum;
    if (axis == 0 && rules.textOverflow != LLayoutDescriptor::kOverflowExpand)
        return minimum; // Wrap keeps the width
    ILayoutContext::TextArea area;
    if (!context.GetTextArea(rect.width, rect.height, area))
        return minimum;
    if (axis == 0)
    {
        context.SetTextWrap(false);
        const float overflow =
            std::ceil(static_cast<float>(context.GetTextWidth()) - ClampTextArea(area.Width));
        if (overflow > 0)
        {
            minimum = std::max(minimum,
                               rect.width + ExtraForOverflow(overflow, area.RightFactor - area.LeftFactor));
            if (layout.mXMaximum.ToOther == false && layout.mXMaximum.Abs > 0 &&
                minimum > layout.mXMaximum.Abs)
            {
                minimum = layout.mXMaximum.Abs;
                context.SetTextWrap(true);
            }
        }
        return minimum;
    }
    const float areaHeight = ClampTextArea(area.Height);
    const int32_t boxWidth = static_cast<int32_t>(RoundLayoutValue(ClampTextArea(area.Width)));
    const float overflow = std::ceil(static_cast<float>(context.GetTextHeight(boxWidth)) - areaHeight);
    if (overflow > 0)
        minimum =
            std::max(minimum, rect.height + ExtraForOverflow(overflow, area.BottomFactor - area.TopFactor));
    return minimum;
}

// The far edge the control would have at the extent, moved by the limit's rule.
double ExtentEdge(const Limit& rule, float anchor, const Span& span, double extent)
{
    return rule.Rel * extent + (anchor * span.size + span.start - anchor * extent) + rule.Abs;
}

// Step of the minimum rule that measures children: the control grows to reach the edge on either side.
ZQRESULT GrowToExtent(const Limit& rule, float anchor, Span& span, double extent)
{
    const double edge = ExtentEdge(rule, anchor, span, extent);
    if (edge >= span.start && edge > span.start + span.size)
    {
        if (!(anchor >= 0 && anchor < 1))
            return E_FAIL;
        span.start -= RoundLayoutValue(anchor * (edge - (span.start + span.size)) / (1 - anchor));
        span.size = RoundLayoutValue(edge) - span.start;
    }
    else if (edge < span.start)
    {
        if (!(anchor > 0 && anchor <= 1))
            return E_FAIL;
        const double shortfall = span.start - edge;
        span.start -= shortfall;
        span.size += RoundLayoutValue(shortfall / anchor);
    }
    return S_OK;
}

ZQRESULT ApplyMinimum(const LLayoutDescriptor& layout, const AxisRules& rules, const RectT<double>& rect,
                      ILayoutContext& context, int32_t axis, Span& span)
{
    const float anchor = rules.position.Anchor;
    if (!rules.minimum.ToOther)
    {
        const double minimum = LabelMinimum(layout, rules, rect, context, axis, rules.minimum.Abs);
        if (minimum > span.size)
        {
            span.start -= RoundLayoutValue(anchor * (minimum - span.size));
            span.size = minimum;
        }
        return S_OK;
    }
    if (!context.HasChildren())
        return S_OK;
    const double extent = context.GetChildrenExtent(rules.minimum.ReferenceName, axis);
    if (extent > 0 && extent != span.size)
        return GrowToExtent(rules.minimum, anchor, span, extent);
    return S_OK;
}

void ApplyMaximum(const AxisRules& rules, ILayoutContext& context, int32_t axis, Span& span)
{
    const float anchor = rules.position.Anchor;
    if (!rules.maximum.ToOther)
    {
        const double maximum = rules.maximum.Abs;
        if (maximum > 0 && maximum < span.size)
        {
            span.start += RoundLayoutValue(anchor * (span.size - maximum));
            span.size = maximum;
        }
        return;
    }
    if (!context.HasChildren())
        return;
    const double extent = context.GetChildrenExtent(rules.maximum.ReferenceName, axis);
    if (!(extent > 0 && extent != span.size))
        return;
    const double edge = ExtentEdge(rules.maximum, anchor, span, extent);
    if (span.start + span.size <= edge)
        return;
    if (edge > span.start)
    {
        span.start += RoundLayoutValue(anchor * (span.start + span.size - edge));
        span.size = RoundLayoutValue(edge) - span.start;
    }
    else
    {
        // The whole control lies past the edge: nothing of it may show.
        span.size = 0;
    }
}

void StoreSpan(RectT<double>& rect, int32_t axis, const Span& span)
{
    (axis == 0 ? rect.x : rect.y) = span.start;
    (axis == 0 ? rect.width : rect.height) = span.size;
}
} // namespace

double RoundLayoutValue(double value)
{
    const double rounded = value < 0 ? std::trunc(value - 0.5) : std::trunc(value + 0.5);
    return rounded + 0.0; // -0 becomes 0
}

LayoutResult ComputeLayout(const LLayoutDescriptor* layout, ILayoutContext& context)
{
    LayoutResult result;
    if (!layout)
    {
        result.Result = E_INVALIDARG;
        return result;
    }
    ILayoutContext::References references;
    if (!context.GetReferences(references))
    {
        result.Result = E_FAIL;
        return result;
    }

    RectT<double>& rect = result.Rect;
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const AxisRules rules = RulesOf(*layout, axis);
        const double position = PlacePosition(rules.position, context, references, axis);
        const double size =
            MeasureSize(rules.size, rules.position.Anchor, position, context, references, axis);
        double start = position - rules.position.Anchor * size;
        if (rules.docked)
            start += ScrollOf(references, axis);
        const double near = RoundLayoutValue(start);
        StoreSpan(rect, axis, {near, RoundLayoutValue(start + size) - near});
    }
    result.Base = rect;
    result.Base.NormalizeAndFloor();
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        Span span = SpanOf(rect, axis);
        if (ApplyMinimum(*layout, RulesOf(*layout, axis), rect, context, axis, span) != S_OK)
            result.Result = E_FAIL;
        StoreSpan(rect, axis, span);
    }
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        Span span = SpanOf(rect, axis);
        ApplyMaximum(RulesOf(*layout, axis), context, axis, span);
        StoreSpan(rect, axis, span);
    }
    rect.NormalizeAndFloor();
    result.Placed = true;
    return result;
}
} // namespace ZQ
