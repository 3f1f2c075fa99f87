#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/RenderState.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <cstdint>
#include <deque>

namespace ZQ
{
// What a renderer draws into: one per window, or per offscreen buffer of a control. It carries the
// current render state and the states saved by the renderer's pushes. The window owner fills the invalid
// region before a frame and the back end presents it. An offscreen context is never shown in a window
// itself: it is drawn into other contexts. Back ends derive their own contexts; the renderer that made a
// context is the only one that draws into it.
class LRenderContextInfo : public LRefCountedObject
{
public:
    struct SurfaceSize
    {
        int32_t width = 0;
        int32_t height = 0;
    };

    // window is an opaque handle of the native window, 0 for none.
    LRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen);

    // The largest surface the back end can draw into.
    [[nodiscard]] virtual SurfaceSize GetMaxSurfaceSize() const = 0;

    [[nodiscard]] intptr_t GetWindow() const { return mWindow; }
    [[nodiscard]] bool IsOffscreen() const { return mOffscreen; }
    [[nodiscard]] const RectT<int32_t>& GetViewport() const { return mViewport; }
    void SetViewport(const RectT<int32_t>& viewport) { mViewport = viewport; }
    [[nodiscard]] Region& GetInvalidRegion() { return mInvalidRegion; }

    [[nodiscard]] RenderState& GetState() { return mState; }
    [[nodiscard]] const RenderState& GetState() const { return mState; }
    // The saved states, the last pushed at the back.
    [[nodiscard]] std::deque<RenderState>& GetSavedStates() { return mSavedStates; }
    [[nodiscard]] const std::deque<RenderState>& GetSavedStates() const { return mSavedStates; }

private:
    intptr_t mWindow;
    bool mOffscreen;
    Region mInvalidRegion;
    RectT<int32_t> mViewport;
    RenderState mState;
    std::deque<RenderState> mSavedStates;
};
} // namespace ZQ
