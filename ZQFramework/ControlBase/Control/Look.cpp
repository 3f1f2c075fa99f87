#include "ZQFramework/ControlBase/Control/Look.h"

#include "ZQFramework/ControlBase/Control/DockedPart.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/AutoClip.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/Color.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ZQ
{
namespace
{
// std::clamp's tests in its order, without its demand that lo <= hi: a look narrower than an offset
// gives hi.
int64_t Clamp(int64_t value, int64_t lo, int64_t hi)
{
    if (value < lo)
        return lo;
    if (value > hi)
        return hi;
    return value;
}

// The rectangle of a border or corner part in a look of W x H: an offset given anchors that edge, the
// part's size places the other one, and a part anchored on neither side of an axis is centred on it.
RectT<int32_t> PlaceNonClientPart(const LDockedPart& docked, int64_t width, int64_t height)
{
    const LDockedPart::Placement& placement = docked.mPlacement;
    const int64_t partWidth =
        placement.HasWidth ? placement.Width : (docked.mPart ? docked.mPart->mWidth : 0);
    const int64_t partHeight =
        placement.HasHeight ? placement.Height : (docked.mPart ? docked.mPart->mHeight : 0);
    const bool hasLeft = (placement.Anchors & LDockedPart::kOffsetLeft) != 0;
    const bool hasTop = (placement.Anchors & LDockedPart::kOffsetTop) != 0;
    const bool hasRight = (placement.Anchors & LDockedPart::kOffsetRight) != 0;
    const bool hasBottom = (placement.Anchors & LDockedPart::kOffsetBottom) != 0;

    int64_t left = hasLeft ? placement.OffsetLeft : 0;
    int64_t top = hasTop ? placement.OffsetTop : 0;
    int64_t right = hasRight ? width + placement.OffsetRight : width;
    int64_t bottom = hasBottom ? height + placement.OffsetBottom : height;
    if (!hasLeft)
        left = right - partWidth;
    if (!hasTop)
        top = bottom - partHeight;
    if (!hasRight)
        right = left + partWidth;
    if (!hasBottom)
        bottom = top + partHeight;
    if (!hasLeft && !hasRight)
    {
        left = (width - partWidth) / 2;
        right = left + partWidth;
    }
    if (!hasTop && !hasBottom)
    {
        top = (height - partHeight) / 2;
        bottom = top + partHeight;
    }
    return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
            static_cast<int32_t>(bottom - top)};
}
} // namespace

RCPtr<LLook> LLook::Create(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap)
{
    RCPtr<LLook> look(new LLook());
    look->Initialize(descriptor, wordWrap);
    return look;
}

LLook::LLook() = default;
LLook::~LLook() = default;

ZQRESULT LLook::Initialize(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap)
{
    mDescriptor = descriptor;
    const ConstRCPtr<LVisualPartDescriptor>& foreground =
        descriptor ? descriptor->mTextForegroundPart : ConstRCPtr<LVisualPartDescriptor>::Null;
    mTextForegroundPart = foreground ? foreground->GetVisualPart() : nullptr;

    if (descriptor && descriptor->mHasTextProperties)
    {
        if (!mTextLayout)
            mTextLayout = RCPtr<LFontText>(new LFontText(WString(), nullptr));
        mTextLayout->SetWordWrap(wordWrap);
        mTextLayout->SetHorizontalAlignment(descriptor->mText.HAlign);
        mTextLayout->SetVerticalAlignment(descriptor->mText.VAlign);
    }
    else
    {
        mTextLayout = nullptr;
    }

    const ConstRCPtr<LDockedPart>& client =
        descriptor ? descriptor->mClientPart : ConstRCPtr<LDockedPart>::Null;
    mClientPart = client ? client->GetVisualPart() : nullptr;

    // The border and corner parts are taken with their rectangles in SetSize.
    const uint32_t nonClientCount = descriptor ? descriptor->mNonClientParts.GetCount() : 0;
    mNonClientRects.SetCount(0);
    mNonClientRects.SetCount(nonClientCount);
    mNonClientParts.SetCount(0);
    mNonClientParts.SetCount(nonClientCount);

    const int32_t width = mWidth;
    const int32_t height = mHeight;
    mWidth = 0;
    mHeight = 0;
    SetSize(width, height);
    return S_OK;
}

bool LLook::SetSize(int32_t width, int32_t height)
{
    if (width == mWidth && height == mHeight)
        return true;
    mWidth = width;
    mHeight = height;
    PlaceClientPart();
    PlaceNonClientParts();
    PlaceTextBox();
    return true;
}

void LLook::PlaceClientPart()
{
    LDockedPart::Placement placement;
    if (mDescriptor && mDescriptor->mClientPart)
        placement = mDescriptor->mClientPart->mPlacement;
    const int64_t x = Clamp(placement.OffsetLeft, 0, mWidth);
    const int64_t y = Clamp(placement.OffsetTop, 0, mHeight);
    const int64_t width = Clamp(int64_t{placement.OffsetRight} + mWidth - x, 0, mWidth - x);
    const int64_t height = Clamp(int64_t{placement.OffsetBottom} + mHeight - y, 0, mHeight - y);
    mClientRect = {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(width),
                   static_cast<int32_t>(height)};
}

void LLook::PlaceNonClientParts()
{
    for (uint32_t i = 0; i < mNonClientRects.GetCount(); ++i)
    {
        const LDockedPart* docked = i < mDescriptor->mNonClientParts.GetCount()
                                        ? mDescriptor->mNonClientParts.GetAt(i).Get()
                                        : nullptr;
        // An empty entry places nothing and draws nothing.
        mNonClientRects.GetAt(i) = docked ? PlaceNonClientPart(*docked, mWidth, mHeight) : RectT<int32_t>();
        mNonClientParts.GetAt(i) = docked ? docked->GetVisualPart() : nullptr;
    }
}

void LLook::PlaceTextBox()
{
    if (!mTextLayout)
        return;
    const LLookDescriptor::TextProperties& text = mDescriptor->mText;
    const float left = static_cast<float>(text.LeftAbs) + text.LeftRel * static_cast<float>(mWidth);
    const float right = static_cast<float>(text.RightAbs) + text.RightRel * static_cast<float>(mWidth);
    const float top = static_cast<float>(text.TopAbs) + text.TopRel * static_cast<float>(mHeight);
    const float bottom = static_cast<float>(text.BottomAbs) + text.BottomRel * static_cast<float>(mHeight);
    const PointT<int32_t> boxSize = PointT<float>(right - left, bottom - top).RoundToLong();
    mTextLayout->SetBoxSize(boxSize.x, boxSize.y);
    mTextOrigin = {TruncateToLong(left), TruncateToLong(top)};
}

bool LLook::SetText(const WString& text)
{
    return mTextLayout ? mTextLayout->SetText(text) : true;
}

bool LLook::SetFont(const ConstRCPtr<LFont>& font)
{
    return mTextLayout ? mTextLayout->SetFont(font) : true;
}

template <class DrawFunction>
ZQRESULT LLook::Paint(const RCPtr<LRenderer>& renderer, const Region& region, const RectT<double>& target,
                      const RectT<double>& bounds, const DrawFunction& draw) const
{
    constexpr double minimumExtent = 2.220446049250313e-16; // 2^-52
    const PointT<double> origin = renderer->GetOrigin();
    Array<RectT<int32_t>> rects;
    if (!mRegion.IsEmpty())
    {
        Region limited(mRegion);
        limited.Offset(RoundToLong(origin.x), RoundToLong(origin.y));
        limited.Intersect(region);
        limited.Optimize();
        limited.ToArray(rects);
    }
    else
    {
        region.ToArray(rects);
    }

    ZQRESULT result = 0;
    for (uint32_t i = 0; i < rects.GetCount(); ++i)
    {
        const RectT<int32_t>& rect = rects.GetAt(i);
        const double left = std::max(rect.x - origin.x, target.x);
        const double top = std::max(rect.y - origin.y, target.y);
        const double right = std::min(rect.x + rect.width - origin.x, target.x + target.width);
        const double bottom = std::min(rect.y + rect.height - origin.y, target.y + target.height);
        const RectT<double> clip(left, top, right - left, bottom - top);
        if (clip.width <= minimumExtent || clip.height <= minimumExtent || !OverlapsClip(*renderer, clip))
            continue;
        const CAutoClip autoClip(renderer, bounds, clip, nullptr, true);
        if (draw() != 0)
            result = 1;
    }
    return result;
}

bool LLook::OverlapsClip(const LRenderer& renderer, const RectT<double>& rect)
{
    const RectT<double> clip = renderer.GetClipRect();
    return rect.x < clip.x + clip.width && rect.y < clip.y + clip.height && clip.x < rect.x + rect.width &&
           clip.y < rect.y + rect.height;
}

ZQRESULT LLook::DrawNonClientParts(const RCPtr<LRenderer>& renderer, const Region& region)
{
    ZQRESULT result = 0;
    for (uint32_t i = 0; i < mNonClientParts.GetCount(); ++i)
    {
        const ConstRCPtr<LVisualPart>& part = mNonClientParts.GetAt(i);
        if (!part)
            continue;
        const RectT<double> rect = mNonClientRects.GetAt(i).ToDouble();
        const PointT<float> size(static_cast<float>(rect.width), static_cast<float>(rect.height));
        if (Paint(renderer, region, rect, rect, [&] { return part->Draw(renderer, size); }) != 0)
            result = 1;
    }
    return result;
}

ZQRESULT LLook::DrawClientPart(const RCPtr<LRenderer>& renderer, const Region& region)
{
    const bool drawsClient = mClientPart && !(mOverlay && mOverlayReplacesClient);
    if (!drawsClient && !mOverlay)
        return 0;
    const RectT<double> rect = mClientRect.ToDouble();
    const PointT<float> size(static_cast<float>(rect.width), static_cast<float>(rect.height));
    return Paint(renderer, region, rect, rect,
                 [&]
                 {
                     ZQRESULT drawn = 0;
                     if (drawsClient)
                         drawn |= mClientPart->Draw(renderer, size);
                     if (mOverlay)
                         drawn |= mOverlay->Draw(renderer, size);
                     return drawn;
                 });
}

ZQRESULT LLook::DrawLabelText(const RCPtr<LRenderer>& renderer, const Region& region,
                              const PointT<double>& offset)
{
    if (!mTextLayout)
        return 1;
    const RectT<double> textBox(mTextOrigin.x, mTextOrigin.y, mTextLayout->GetBoxWidth(),
                                mTextLayout->GetBoxHeight());
    const RectT<double> wholeLook(0, 0, mWidth, mHeight);
    return Paint(renderer, region, textBox, wholeLook,
                 [&]
                 {
                     DrawLabelLines(renderer, textBox, offset);
                     return ZQRESULT{0};
                 });
}

void LLook::DrawLabelLines(const RCPtr<LRenderer>& renderer, const RectT<double>& textBox,
                           const PointT<double>& offset) const
{
    // Without a foreground part the label has no colour and is not drawn.
    if (!mTextForegroundPart)
        return;
    if (mTextForegroundPart->GetPicture())
        throw Exception<std::domain_error>("Domain Error : Bitmap fill for text foreground part not yet "
                                           "implemented. : ZQ::LLook::DrawLabelText : ControlBase\\Look : "
                                           "Line 293");
    const ConstRCPtr<LColorizer>& colorizer = mTextForegroundPart->GetColorizer();
    if (!colorizer)
        return;
    if (colorizer->mColorType != LColorizer::kSolid)
        throw Exception<std::domain_error>("Domain Error : Gradient fill for text foreground part not yet "
                                           "implemented. : ZQ::LLook::DrawLabelText : ControlBase\\Look : "
                                           "Line 302");
    const CAutoClip textClip(renderer, textBox, textBox, nullptr, true);
    const uint32_t lineCount = mTextLayout->GetLineCount();
    for (uint32_t i = 0; i < lineCount; ++i)
    {
        const RectT<float>& lineRect = mTextLayout->GetLineRect(i);
        const PointT<int32_t> position =
            PointT<double>(lineRect.x - offset.x, lineRect.y - offset.y).RoundToLong();
        const Color color(mTextForegroundPart->GetColorAtPoint(PointT<int32_t>(0, 0)));
        renderer->DrawText(mTextLayout->GetLine(i), mTextLayout->GetFont(), position, color);
    }
}

uint32_t LLook::GetColorAtPoint(const PointT<int32_t>& point) const
{
    for (uint32_t i = 0; i < mNonClientParts.GetCount(); ++i)
    {
        const ConstRCPtr<LVisualPart>& part = mNonClientParts.GetAt(i);
        if (!part)
            continue;
        const RectT<int32_t>& rect = mNonClientRects.GetAt(i);
        const uint32_t color = ColorOfPartAt(*part, point, rect);
        if (LVisualPart::HasAlpha(color))
            return color;
    }
    if (mOverlay)
    {
        const uint32_t color = ColorOfPartAt(*mOverlay, point, mClientRect);
        if (LVisualPart::HasAlpha(color))
            return color;
    }
    return mClientPart ? ColorOfPartAt(*mClientPart, point, mClientRect) : LVisualPart::kNoColor;
}

uint32_t LLook::ColorOfPartAt(const LVisualPart& part, const PointT<int32_t>& point,
                              const RectT<int32_t>& rect)
{
    const PointT<float> local(static_cast<float>(int64_t{point.x} - rect.x),
                              static_cast<float>(int64_t{point.y} - rect.y));
    return part.GetColorAtPoint(
        local, PointT<float>(static_cast<float>(rect.width), static_cast<float>(rect.height)));
}

void LLook::SetOverlay(const ConstRCPtr<LBitmap>& bitmap, int32_t resizeType, bool replacesClient)
{
    mOverlayReplacesClient = replacesClient;
    if (!bitmap)
    {
        mOverlay = nullptr;
        return;
    }
    mOverlay = RCPtr<LVisualPart>(new LVisualPart(
        WString(), bitmap, {bitmap->GetWidth(), bitmap->GetHeight()}, resizeType, nullptr, 1, nullptr));
}

void LLook::SetRegion(const Region& region)
{
    mRegion = region;
}

void LLook::ClearRegion()
{
    mRegion.Clear();
}

void LLook::SetTextForegroundPart(const ConstRCPtr<LVisualPart>& part)
{
    mTextForegroundPart = part;
}
} // namespace ZQ
