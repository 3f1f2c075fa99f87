#pragma once

#include "Platform/Gdiplus/Bitmap.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Graphics/Forward.h"
#include "ZQFramework/Utilities/Graphics/PixelBuffer.h"

#include <cstdint>

namespace ZQ
{
// Locked access to the pixels of a bitmap's rectangle in 32-bit ARGB (straight alpha), for uploading
// them as a texture: the rectangle stays locked while the object exists. Made by LBitmap::GetBitmapData;
// owned by whoever holds it. Where the pixels cannot be locked (the bitmap is already locked), the buffer
// is 0 x 0.
class LBitmapData : public IPixelBuffer<int32_t>, public LRefCountedObject
{
public:
    // pixelSource must be null: locking caller-given pixels is not provided (throws).
    LBitmapData(const ConstRCPtr<LBitmap>& bitmap, Platform::Gdiplus::LockMode mode,
                const IPixelBuffer<int32_t>* pixelSource);
    ~LBitmapData() override;

    [[nodiscard]] int32_t GetWidth() const override { return mLocked.width; }
    [[nodiscard]] int32_t GetHeight() const override { return mLocked.height; }
    // Bytes per row.
    [[nodiscard]] int32_t GetStride() const override { return mLocked.stride; }
    [[nodiscard]] const uint8_t* GetPixelAddress(int32_t x, int32_t y) const override;
    [[nodiscard]] uint8_t* GetPixelAddress(int32_t x, int32_t y) override;

    [[nodiscard]] bool IsLocked() const { return mIsLocked; }

private:
    ConstRCPtr<LBitmap> mBitmap;
    Platform::Gdiplus::LockedBits mLocked;
    bool mIsLocked = false;
};
} // namespace ZQ
