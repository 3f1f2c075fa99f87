#include "ZQFramework/Utilities/Graphics/BitmapData.h"

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <stdexcept>

namespace ZQ
{
LBitmapData::LBitmapData(const ConstRCPtr<LBitmap>& bitmap, Platform::Gdiplus::LockMode mode,
                         const IPixelBuffer<int32_t>* pixelSource)
    : mBitmap(bitmap)
{
    if (pixelSource != nullptr)
        throw Exception<std::domain_error>(
            "Domain Error : ZQ::LBitmapData::LBitmapData : Utilities\\Graphics\\Bitmap : Line 489");
    Platform::Gdiplus::Bitmap* image = mBitmap ? mBitmap->GetGdiplusBitmap() : nullptr;
    if (image == nullptr)
        return;
    const RectT<int32_t>& rect = mBitmap->GetRect();
    mIsLocked =
        image->LockBits({rect.x, rect.y, rect.width, rect.height}, mode,
                        Platform::Gdiplus::PixelFormat::Argb32, mLocked) == Platform::Gdiplus::Status::Ok;
    if (!mIsLocked)
        mLocked = {};
}

LBitmapData::~LBitmapData()
{
    if (mIsLocked)
        (void)mBitmap->GetGdiplusBitmap()->UnlockBits(mLocked);
}

const uint8_t* LBitmapData::GetPixelAddress(int32_t x, int32_t y) const
{
    return const_cast<LBitmapData*>(this)->GetPixelAddress(x, y);
}

uint8_t* LBitmapData::GetPixelAddress(int32_t x, int32_t y)
{
    return mLocked.scan0 + 4 * static_cast<ptrdiff_t>(x) + static_cast<ptrdiff_t>(y) * mLocked.stride;
}
} // namespace ZQ
