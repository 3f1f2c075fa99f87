#include "ZQFramework/Renderer/RenderContextInfo.h"

namespace ZQ
{
LRenderContextInfo::LRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen)
    : mWindow(window), mOffscreen(offscreen), mViewport(viewport)
{
}
} // namespace ZQ
