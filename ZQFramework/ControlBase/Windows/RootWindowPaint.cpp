// Painting a root window's tree: the top control, then the controls drawn above everything else.
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Renderer/AutoClip.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
using ControlList = RCPtrArray<LControl, 1, 0>;

void RenderControl(const RCPtr<LRenderer>& renderer, LControl& control, const Region& region,
                   bool unclippedPass);

// Where a deferred control's coordinates start: its parent's client origin in window coordinates.
PointT<double> ParentClientOrigin(const LControl& control)
{
    const RCPtr<LControl>& parent = control.GetParent();
    if (parent == nullptr)
        return {};
    const RectT<double> inWindow = parent->GetRectInWindow();
    const RectT<double> client = parent->GetLookRect(-1);
    const PointT<double>& scroll = parent->GetScrollOffset();
    return {static_cast<double>(RoundToLong(inWindow.x)) + RoundToLong(client.x) - scroll.x,
            static_cast<double>(RoundToLong(inWindow.y)) + RoundToLong(client.y) - scroll.y};
}

// A control that Draw handed back, drawn on its own above what is drawn so far, clipped only to its own
// rectangle. Nothing of its ancestors' state carries over: Draw multiplies the control's own opacity into
// the opacity of 1 set here, so the control shows with exactly its own opacity.
void DrawDeferred(const RCPtr<LRenderer>& renderer, LControl& control, const Region& region)
{
    const PointT<double> origin = ParentClientOrigin(control);
    const RectT<double>& rect = control.GetRect();
    renderer->SetOpacity(1.0f);
    renderer->SetStencilActive(false);
    const CAutoClip clip(renderer, {origin.x, origin.y, rect.width, rect.height}, rect, nullptr, false);
    RenderControl(renderer, control, region, true);
}

// Draws control, then the unclipped controls it hands back, ascending by Z order (equal values in the
// order handed back), each with its own unclipped controls after it.
void RenderControl(const RCPtr<LRenderer>& renderer, LControl& control, const Region& region,
                   bool unclippedPass)
{
    ControlList deferred;
    control.Draw(renderer, region, deferred, unclippedPass);
    if (deferred.GetCount() == 0)
        return;
    std::vector<std::pair<int32_t, RCPtr<LControl>>> ordered;
    ordered.reserve(deferred.GetCount());
    for (uint32_t i = 0; i < deferred.GetCount(); ++i)
    {
        const RCPtr<LControl>& entry = deferred.GetAt(i);
        // A control under a parent with several drawn looks is handed back once per look; it is drawn
        // once, at its first place.
        const bool seen = std::any_of(ordered.begin(), ordered.end(),
                                      [&](const auto& pair) { return pair.second == entry; });
        if (seen)
            continue;
        const RCPtr<LLayoutDescriptor>& layout = entry->GetLayout();
        ordered.emplace_back(layout != nullptr ? layout->mZOrder : 0, entry);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [zOrder, entry] : ordered)
        DrawDeferred(renderer, *entry, region);
}
} // namespace

void LRootWindow::PaintRegion(const Region& region)
{
    const RCPtr<LControl> root = mRootControl;
    if (root == nullptr || region.IsEmpty() || mRenderer == nullptr)
        return;
    // Outside a frame there is nothing to draw into.
    const RCPtr<LRenderContextInfo> context = mRenderer->GetCurrentContext();
    if (context == nullptr)
        return;
    if (!context->GetSavedStates().empty())
    {
        // A paint is in progress (painting re-entered from inside a frame): paint everything later.
        if (mServices != nullptr)
            mServices->InvalidateAll();
        return;
    }

    RectT<double> clip = root->GetRect();
    if (Region::Edges bounds; region.GetBounds(bounds))
    {
        const RectT<int32_t> limit(bounds.left, bounds.top, bounds.right - bounds.left,
                                   bounds.bottom - bounds.top);
        clip = clip.Intersection(limit.ToDouble());
    }
    const CAutoClip guard(mRenderer, GetClientArea().ToDouble(), clip, nullptr, false);
    RenderControl(mRenderer, *root, region, false);
}
} // namespace ZQ
