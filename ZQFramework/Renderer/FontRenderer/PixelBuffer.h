#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
// A counted picture of width x rows pixels of type T, rows top first, each stride pixels apart. Glyph
// bitmaps travel in it from the font renderer to the glyph processor (8 bits, 255 = ink).
template <class T>
class LPixelBuffer : public virtual LRefCountedObject
{
public:
    LPixelBuffer(int32_t width, int32_t rows, int32_t stride)
        : mWidth(width), mRows(rows), mStride(stride), mPixels(static_cast<size_t>(rows) * stride)
    {
    }

    [[nodiscard]] int32_t GetWidth() const { return mWidth; }
    [[nodiscard]] int32_t GetRows() const { return mRows; }
    [[nodiscard]] int32_t GetStride() const { return mStride; }
    [[nodiscard]] T* GetRow(int32_t row) { return mPixels.data() + static_cast<size_t>(row) * mStride; }
    [[nodiscard]] const T* GetRow(int32_t row) const
    {
        return mPixels.data() + static_cast<size_t>(row) * mStride;
    }

private:
    int32_t mWidth;
    int32_t mRows;
    int32_t mStride;
    std::vector<T> mPixels;
};
} // namespace ZQ
