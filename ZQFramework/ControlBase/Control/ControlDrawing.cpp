// Drawing a control with its looks, content, label, children and overlay, and the hit test.
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/Renderer/AutoClip.h"
#include "ZQFramework/Renderer/Renderer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace ZQ
{
namespace
{
constexpr double kMinimumExtent = 2.220446049250313e-16; // 2^-52
constexpr double kCoordinateLimit = 4503599627370496.0;  // 2^52
// The local point that the hit test reports where it hits nothing: outside every control.
constexpr PointT<int32_t> kInvalidPoint{INT32_MIN, INT32_MIN};

bool IsDockedOnBothAxes(const LControl& control)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    return layout != nullptr && layout->mXDocked && layout->mYDocked;
}

// Hidden by its layout or without an area: neither it nor anything below it is drawn or hit.
bool IsHidden(const LControl& control)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    const RectT<double>& rect = control.GetRect();
    return layout == nullptr || !layout->mVisible || !(rect.width > 0) || !(rect.height > 0);
}

bool IsShown(const LControl& control)
{
    return !IsHidden(control);
}

bool IsEmpty(const RectT<double>& rect)
{
    return !(rect.width > kMinimumExtent) || !(rect.height > kMinimumExtent);
}

bool Overlaps(const RectT<double>& a, const RectT<double>& b)
{
    return a.x < b.x + b.width && a.y < b.y + b.height && b.x < a.x + a.width && b.y < a.y + a.height;
}

// A coordinate clamped to ±2^52 and rounded half away from zero.
double WholePixel(double value)
{
    return std::round(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

// An integer coordinate moved by delta in whole pixels, saturated to the 32-bit range.
int32_t Shift(int32_t value, double delta)
{
    return RoundToLong(static_cast<double>(value) + WholePixel(delta));
}

bool Contains(const RectT<int32_t>& rect, const PointT<int32_t>& point)
{
    return point.x >= rect.x && int64_t{point.x} - rect.x < rect.width && point.y >= rect.y &&
           int64_t{point.y} - rect.y < rect.height;
}

// Runs draw once for each dirty rectangle that is left after moving it into the renderer's current
// coordinates and cutting it to the current clip, with the renderer clipped to that part. ownArea is the
// control's own area (0, 0, width, height), which keeps the origin where it is.
template <class DrawFunction>
void ForEachDirtyRect(const RCPtr<LRenderer>& renderer, const Region& dirty, const RectT<double>& ownArea,
                      const DrawFunction& draw)
{
    Array<RectT<int32_t>> rects;
    dirty.ToArray(rects);
    const PointT<double> origin = renderer->GetOrigin();
    const RectT<double> clip = renderer->GetClipRect();
    for (uint32_t i = 0; i < rects.GetCount(); ++i)
    {
        const RectT<int32_t>& rect = rects.GetAt(i);
        const RectT<double> part =
            RectT<double>{rect.x - origin.x, rect.y - origin.y, static_cast<double>(rect.width),
                          static_cast<double>(rect.height)}
                .Intersection(clip);
        if (IsEmpty(part))
            continue;
        const CAutoClip guard(renderer, ownArea, part, nullptr, true);
        draw();
    }
}
} // namespace

bool LControl::IsLookDrawn(uint32_t index) const
{
    return index < mLooks.GetCount() && index < mLookOpacity.GetCount() && mLooks.GetAt(index) != nullptr &&
           mLookOpacity.GetAt(index) > 0;
}

bool LControl::IsTransparentAtPoint(const PointT<int32_t>& point) const
{
    for (uint32_t i = 0; i < mLooks.GetCount(); ++i)
    {
        if (IsLookDrawn(i) && (GetColorAtPoint(point, static_cast<int32_t>(i)) >> 24) != 0)
            return false;
    }
    return true;
}

uint32_t LControl::GetColorAtPoint(const PointT<int32_t>& point, int32_t lookIndex) const
{
    const RCPtr<LLook> look = GetLook(lookIndex);
    return look != nullptr ? look->GetColorAtPoint(point) : 0x00FFFFFFu;
}

// --- Drawing ---

ZQRESULT LControl::Draw(const RCPtr<LRenderer>& renderer, const Region& dirty,
                        RCPtrArray<LControl, 1, 0>& deferred, bool unclippedPass)
{
    if (IsClippedToParent() == unclippedPass)
        return E_INVALIDARG;
    if (IsHidden(*this))
        return 0;
    const RectT<double> area = unclippedPass ? mRect : mRect.Intersection(renderer->GetClipRect());
    if (IsEmpty(area))
    {
        if (mUnclippedCount > 0)
            CollectUnclippedDescendants(deferred);
        return 0;
    }

    const CAutoClip guard(renderer, mRect, area, nullptr, true);
    renderer->SetOpacity(renderer->GetOpacity() * mOpacity);
    const RectT<double> ownArea(0, 0, mRect.width, mRect.height);
    if (!dirty.IntersectsRect(ownArea, renderer->GetOrigin()))
    {
        if (mUnclippedCount > 0)
            CollectUnclippedDescendants(deferred);
        return 0;
    }

    DrawLooks(renderer, dirty);
    ForEachDirtyRect(renderer, dirty, ownArea, [&] { DrawContent(renderer); });
    DrawLabelsAndChildren(renderer, dirty, deferred);
    ForEachDirtyRect(renderer, dirty, ownArea, [&] { DrawOverlay(renderer); });

    // Unclipped children are drawn by the root window after the whole tree.
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = mChildren.GetAt(i, ChildControlList::kZOrder);
        if (!child->IsClippedToParent())
            Defer(child, deferred);
    }
    return 0;
}

void LControl::DrawLooks(const RCPtr<LRenderer>& renderer, const Region& dirty)
{
    // Every look's client part first, so that no look's frame is covered by another look's fill.
    for (uint32_t i = 0; i < mLooks.GetCount(); ++i)
    {
        if (!IsLookDrawn(i))
            continue;
        const CAutoClip saved(renderer);
        renderer->SetOpacity(renderer->GetOpacity() * mLookOpacity.GetAt(i));
        mLooks.GetAt(i)->DrawClientPart(renderer, dirty);
    }
    for (uint32_t i = 0; i < mLooks.GetCount(); ++i)
    {
        if (!IsLookDrawn(i))
            continue;
        const CAutoClip saved(renderer);
        renderer->SetOpacity(renderer->GetOpacity() * mLookOpacity.GetAt(i));
        mLooks.GetAt(i)->DrawNonClientParts(renderer, dirty);
    }
}

void LControl::DrawLabelsAndChildren(const RCPtr<LRenderer>& renderer, const Region& dirty,
                                     RCPtrArray<LControl, 1, 0>& deferred)
{
    const PointT<double> labelOffset = mLabelScrolls ? mScrollOffset : PointT<double>();
    for (uint32_t i = 0; i < mLooks.GetCount(); ++i)
    {
        if (!IsLookDrawn(i))
            continue;
        const CAutoClip saved(renderer);
        renderer->SetOpacity(renderer->GetOpacity() * mLookOpacity.GetAt(i));
        mLooks.GetAt(i)->DrawLabelText(renderer, dirty, labelOffset);
        // Children show once per drawn look, each time with that look's opacity and client area.
        if (mChildren.GetCount() > 0)
            DrawChildren(renderer, dirty, deferred, i);
    }
}

void LControl::DrawChildren(const RCPtr<LRenderer>& renderer, const Region& dirty,
                            RCPtrArray<LControl, 1, 0>& deferred, uint32_t lookIndex)
{
    const LLook& look = *mLooks.GetAt(lookIndex);
    const RectT<double> client = look.GetClientRect().ToDouble();
    RectT<double> clip = client;
    // A look region limits the children too: their clip to its bounds, their dirty area to it.
    std::optional<Region> limited;
    if (Region::Edges bounds; look.GetRegion().GetBounds(bounds))
    {
        const RectT<int32_t> limit(bounds.left, bounds.top, bounds.right - bounds.left,
                                   bounds.bottom - bounds.top);
        clip = clip.Intersection(limit.ToDouble());
        const PointT<double> origin = renderer->GetOrigin();
        limited.emplace(look.GetRegion());
        limited->Offset(RoundToLong(origin.x), RoundToLong(origin.y));
        limited->Intersect(dirty);
    }
    ClipDescription contentOrigin;
    contentOrigin.flavour = ClipDescription::kOffset;
    contentOrigin.offset = {client.x - mScrollOffset.x, client.y - mScrollOffset.y};

    const uint32_t count = mChildren.GetCount();
    const auto insideClient = [](const LControl& child)
    { return child.IsClippedToParent() && !IsDockedOnBothAxes(child); };
    if (!IsEmpty(clip) && Overlaps(clip, renderer->GetClipRect()))
    {
        const CAutoClip clipToClient(renderer, RectT<double>(0, 0, mRect.width, mRect.height), clip, nullptr,
                                     true);
        const CAutoClip moveOrigin(renderer, contentOrigin);
        for (uint32_t i = 0; i < count; ++i)
        {
            const RCPtr<LControl> child = mChildren.GetAt(i, ChildControlList::kZOrder);
            if (insideClient(*child))
                child->Draw(renderer, limited ? *limited : dirty, deferred, false);
        }
    }
    else
    {
        for (uint32_t i = 0; i < count; ++i)
        {
            const RCPtr<LControl>& child = mChildren.GetAt(i, ChildControlList::kZOrder);
            if (insideClient(*child) && !IsHidden(*child) && child->mUnclippedCount > 0)
                child->CollectUnclippedDescendants(deferred);
        }
    }

    // Children docked on both axes may cover the non-client parts: no client clip for them.
    std::optional<CAutoClip> moveOrigin;
    for (uint32_t i = 0; i < count; ++i)
    {
        const RCPtr<LControl> child = mChildren.GetAt(i, ChildControlList::kZOrder);
        if (!child->IsClippedToParent() || !IsDockedOnBothAxes(*child))
            continue;
        if (!moveOrigin)
            moveOrigin.emplace(renderer, contentOrigin);
        child->Draw(renderer, dirty, deferred, false);
    }
}

int32_t LControl::CollectUnclippedDescendants(RCPtrArray<LControl, 1, 0>& deferred) const
{
    int32_t collected = 0;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = mChildren.GetAt(i, ChildControlList::kZOrder);
        if (!child->IsClippedToParent())
            collected += Defer(child, deferred);
        else if (!IsHidden(*child) && child->mUnclippedCount > 0)
            collected += child->CollectUnclippedDescendants(deferred);
    }
    return collected;
}

int32_t LControl::Defer(const RCPtr<LControl>& control, RCPtrArray<LControl, 1, 0>& deferred)
{
    if (IsShown(*control))
    {
        deferred.Add(control);
        return 1;
    }
    if (IsHidden(*control) || control->mUnclippedCount == 0)
        return 0;
    return control->CollectUnclippedDescendants(deferred);
}

void LControl::DrawContent(const RCPtr<LRenderer>& /*renderer*/)
{
}

void LControl::DrawOverlay(const RCPtr<LRenderer>& /*renderer*/)
{
}

// --- Hit testing ---

RCPtr<LControl> LControl::GetControlAtPoint(const PointT<int32_t>& point, bool insideClip,
                                            PointT<int32_t>& localPoint, int32_t& z)
{
    localPoint = kInvalidPoint;
    if (IsHidden(*this))
        return {};
    const bool contains = ContainsPoint(point);
    if (!contains && mUnclippedCount == 0)
        return {};

    PointT<int32_t> childPoint = kInvalidPoint;
    if (RCPtr<LControl> child = GetChildAtPoint(point, insideClip, contains, childPoint, z); child != nullptr)
    {
        localPoint = childPoint;
        z = child->GetEffectiveZOrder();
        return child;
    }
    if (IsHitItself(point, insideClip, contains, z))
    {
        localPoint = point;
        z = GetEffectiveZOrder();
        return RCPtr<LControl>(this);
    }
    return {};
}

RCPtr<LControl> LControl::GetChildAtPoint(const PointT<int32_t>& point, bool insideClip, bool contains,
                                          PointT<int32_t>& localPoint, int32_t& z)
{
    RCPtr<LControl> best;
    int32_t bestZ = INT_MIN;
    const bool underUnclipped = GetEffectiveZOrder() > INT_MIN;
    const bool childrenInsideClip = insideClip && contains;
    for (uint32_t look = 0; look < mLooks.GetCount(); ++look)
    {
        if (!IsLookDrawn(look))
            continue;
        const RectT<int32_t>& client = mLooks.GetAt(look)->GetClientRect();
        const bool inside = Contains(client, point);
        const PointT<int32_t> content{Shift(point.x, mScrollOffset.x - client.x),
                                      Shift(point.y, mScrollOffset.y - client.y)};
        for (uint32_t i = mChildren.GetCount(); i-- > 0;)
        {
            const RCPtr<LControl> child = mChildren.GetAt(i, ChildControlList::kZOrder);
            const bool mayHitClipped =
                best == nullptr &&
                (underUnclipped || (contains && insideClip && (IsDockedOnBothAxes(*child) || inside)));
            if (!mayHitClipped && child->IsClippedToParent() && child->mUnclippedCount == 0)
                continue;
            const PointT<int32_t> childPoint{Shift(content.x, -child->mRect.x),
                                             Shift(content.y, -child->mRect.y)};
            PointT<int32_t> hitPoint;
            RCPtr<LControl> hit = child->GetControlAtPoint(childPoint, childrenInsideClip, hitPoint, z);
            if (hit == nullptr)
                continue;
            const int32_t hitZ = hit->GetEffectiveZOrder();
            if (best == nullptr || hitZ > bestZ)
            {
                best = std::move(hit);
                bestZ = hitZ;
                localPoint = hitPoint;
            }
        }
    }
    return best;
}

bool LControl::IsHitItself(const PointT<int32_t>& point, bool insideClip, bool contains, int32_t z) const
{
    if (mConditionFlags.SkipInHitTest || !contains)
        return false;
    // A clipped control shows only inside its parent's client area.
    if (mParent != nullptr && IsClippedToParent() && !IsDockedOnBothAxes(*this))
    {
        const PointT<double> origin = GetOriginInParentClient();
        const PointT<int32_t> inParent{Shift(point.x, origin.x), Shift(point.y, origin.y)};
        if (!Contains(mParent->GetLookRect(-1).RoundToLong(), inParent))
            return false;
    }
    const int32_t ownZ = GetEffectiveZOrder();
    const bool eligible = ownZ == INT_MIN ? insideClip : ownZ > z;
    return eligible && !IsTransparentAtPoint(point);
}

bool LControl::ContainsPoint(const PointT<int32_t>& point) const
{
    const double x = point.x + WholePixel(mRect.x);
    const double y = point.y + WholePixel(mRect.y);
    return x >= mRect.x && x < mRect.x + mRect.width && y >= mRect.y && y < mRect.y + mRect.height;
}
} // namespace ZQ
