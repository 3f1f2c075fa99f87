#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <cstdint>

namespace ZQ
{
// The mask a clip state may carry. The GDI+ renderer only carries it in the render state; the OpenGL
// renderer masks with it. Shared by the states that hold it.
class LStencil : public LRefCountedObject
{
public:
    // Bounds 0, 0, width, height.
    LStencil(int32_t width, int32_t height);

    [[nodiscard]] int32_t GetWidth() const { return mWidth; }
    [[nodiscard]] int32_t GetHeight() const { return mHeight; }
    [[nodiscard]] const Region::Edges& GetBounds() const { return mBounds; }

private:
    int32_t mWidth;
    int32_t mHeight;
    Region::Edges mBounds;
};
} // namespace ZQ
