#include "ZQFramework/ControlBase/Control/VisualPart.h"

#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ZQ
{
namespace
{
// Float sizes are kept within the range where every whole number is exact.
float ClampToExactFloat(int32_t value)
{
    constexpr float limit = 8388608.0f; // 2^23
    return std::clamp(static_cast<float>(value), -limit, limit);
}

// A value within a relative 2^-23 of a whole number counts as that number: the scaled edges of a
// stretched block carry that much rounding noise.
float SnapToWhole(float value)
{
    const float whole = std::round(value);
    return std::fabs(value - whole) <= std::fabs(value) * 0x1p-23f ? whole : value;
}

[[noreturn]] void ThrowRuntimeError(const char* text)
{
    throw Exception<std::runtime_error>(text);
}
} // namespace

LVisualPart::LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& picture, const PointT<int32_t>& size,
                         int32_t resizeType, const ConstRCPtr<LColorizer>& colorizer, float alphaFactor,
                         const ConstRCPtr<LBitmap>& mask)
    : mName(name), mPicture(picture), mNaturalWidth(size.x), mNaturalHeight(size.y), mResizeType(resizeType),
      mColorizer(colorizer), mAlphaFactor(alphaFactor), mMask(mask)
{
    if (mPicture)
    {
        mNaturalWidth = mPicture->GetWidth();
        mNaturalHeight = mPicture->GetHeight();
    }
    // Tinting, masking and gradients are done once here, so that drawing only hands over a picture.
    if (mColorizer && (mPicture || mMask || mColorizer->mColorType != LColorizer::kSolid))
        mPicture =
            LBitmap::ApplyColorizer(mColorizer, mAlphaFactor, mNaturalWidth, mNaturalHeight, mPicture, mMask);
}

LVisualPart::~LVisualPart() = default;

ZQRESULT LVisualPart::Draw(const RCPtr<LRenderer>& renderer, const PointT<float>& size) const
{
    const PointT<int32_t> rounded = size.RoundToLong();
    if (mPicture)
    {
        renderer->DrawBitmap(mPicture, {0, 0, rounded.x, rounded.y}, mResizeType);
        return 0;
    }
    if (!mColorizer)
        ThrowRuntimeError("Runtime Error : ZQ::LVisualPart::Draw : ControlBase\\VisualPart : Line 218");
    Color fill = mColorizer->mColor;
    fill.alpha *= mAlphaFactor;
    if (!(fill.alpha > 0))
        return 0;
    RectT<int32_t> rect(0, 0, rounded.x, rounded.y);
    if (mResizeType == LVisualPartDescriptor::kCenter)
        rect = {(rounded.x - mNaturalWidth) / 2, (rounded.y - mNaturalHeight) / 2, mNaturalWidth,
                mNaturalHeight};
    renderer->FillRect(rect, fill, true);
    return 0;
}

uint32_t LVisualPart::GetColorAtPoint(const PointT<int32_t>& point) const
{
    if (point.x < 0 || point.x >= mNaturalWidth || point.y < 0 || point.y >= mNaturalHeight)
        return kNoColor;
    if (mPicture)
        return mPicture->GetPixelColor(point.x, point.y).ToARGB();
    if (!mColorizer)
        ThrowRuntimeError(
            "Runtime Error : ZQ::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line 91");
    if (mColorizer->mColorType == LColorizer::kLinearGradient)
        ThrowRuntimeError(
            "Runtime Error : ZQ::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line 76");
    if (mColorizer->mColorType != LColorizer::kSolid)
        ThrowRuntimeError(
            "Runtime Error : ZQ::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line 81");
    Color color = mColorizer->mColor;
    color.alpha *= mAlphaFactor;
    return color.ToARGB();
}

uint32_t LVisualPart::GetColorAtPoint(const PointT<float>& point, const PointT<float>& size) const
{
    constexpr float sameSize = 1.1920929e-6f;
    const float naturalWidth = ClampToExactFloat(mNaturalWidth);
    const float naturalHeight = ClampToExactFloat(mNaturalHeight);
    if (std::fabs(size.x - naturalWidth) <= sameSize && std::fabs(size.y - naturalHeight) <= sameSize)
        return GetColorAtPoint(point.RoundToLong());
    if (!(point.x >= 0 && point.x < size.x && point.y >= 0 && point.y < size.y))
        return kNoColor;

    switch (mResizeType)
    {
    case LVisualPartDescriptor::kTile:
        return GetTiledColor(point, naturalWidth, naturalHeight);
    case LVisualPartDescriptor::kCenter:
        return GetColorAtPoint(
            PointT<float>(point.x - (size.x - naturalWidth) * 0.5f, point.y - (size.y - naturalHeight) * 0.5f)
                .RoundToLong());
    case LVisualPartDescriptor::kStretch:
        return GetStretchedColor(point, size, naturalWidth, naturalHeight);
    default:
        ThrowRuntimeError(
            "Runtime Error : ZQ::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line 165");
    }
}

uint32_t LVisualPart::GetTiledColor(const PointT<float>& point, float naturalWidth, float naturalHeight) const
{
    const int32_t tileWidth = TruncateToLong(naturalWidth + 0.5f);
    const int32_t tileHeight = TruncateToLong(naturalHeight + 0.5f);
    // Without a whole tile there is no source pixel to repeat.
    if (tileWidth == 0 || tileHeight == 0)
        return kNoColor;
    return GetColorAtPoint(PointT<int32_t>(TruncateToLong(point.x + 0.5f) % tileWidth,
                                           TruncateToLong(point.y + 0.5f) % tileHeight));
}

uint32_t LVisualPart::GetStretchedColor(const PointT<float>& point, const PointT<float>& size,
                                        float naturalWidth, float naturalHeight) const
{
    const float scaleX = naturalWidth / size.x;
    const float scaleY = naturalHeight / size.y;
    if (size.x >= naturalWidth && size.y >= naturalHeight)
        return GetColorAtPoint(
            PointT<int32_t>(TruncateToLong(scaleX * point.x), TruncateToLong(scaleY * point.y)));

    // Shrunk: one target pixel covers a block of source pixels. The block answers with its first pixel
    // that is not fully transparent, column by column, so that thin opaque lines stay hittable.
    const float left = scaleX * point.x;
    const float top = scaleY * point.y;
    const int32_t firstColumn = TruncateToLong(std::floor(SnapToWhole(left)));
    const int32_t firstRow = TruncateToLong(std::floor(SnapToWhole(top)));
    const int32_t endColumn = TruncateToLong(std::ceil(SnapToWhole(left + std::max(scaleX, 1.0f))));
    const int32_t endRow = TruncateToLong(std::ceil(SnapToWhole(top + std::max(scaleY, 1.0f))));
    uint32_t color = kNoColor;
    for (int32_t column = firstColumn; column < endColumn; ++column)
    {
        for (int32_t row = firstRow; row < endRow; ++row)
        {
            color = GetColorAtPoint(PointT<int32_t>(column, row));
            if (HasAlpha(color))
                return color;
        }
    }
    return color;
}

void LVisualPart::SetDescriptor(const RCPtr<LVisualPartDescriptor>& descriptor)
{
    mDescriptor = descriptor;
    AdjustInternalRefCount(this, 1);
}

ZQRESULT LVisualPart::ReleaseInternalReferences()
{
    if (GetInternalRefCount() == 0)
        return S_FALSE;
    if (!mDescriptor)
        return S_OK;
    // The descriptor's cache is the internal reference: uncount it before giving it back, so that its
    // release is not taken for the last outside one. The back reference stays until this part goes.
    AdjustInternalRefCount(this, -1);
    if (mDescriptor->mVisualPart.Get() == this)
        mDescriptor->mVisualPart = nullptr;
    return S_OK;
}
} // namespace ZQ
