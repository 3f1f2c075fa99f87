#include "ZQFramework/Renderer/Stencil.h"

namespace ZQ
{
LStencil::LStencil(int32_t width, int32_t height)
    : mWidth(width), mHeight(height), mBounds{0, 0, width, height}
{
}
} // namespace ZQ
