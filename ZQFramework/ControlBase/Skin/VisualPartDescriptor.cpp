#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"

#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

namespace ZQ
{
RCPtr<LVisualPartDescriptor> LVisualPartDescriptor::CreateImagePart(const WString& name,
                                                                    const ImageReference& image,
                                                                    const ConstRCPtr<LColorizer>& colorizer,
                                                                    const Shape& shape)
{
    if (image.Path.IsEmpty())
        return nullptr;
    Shape sized = shape;
    sized.Width = image.Width;
    sized.Height = image.Height;
    return RCPtr<LVisualPartDescriptor>(new LVisualPartDescriptor(name, image, colorizer, sized));
}

RCPtr<LVisualPartDescriptor> LVisualPartDescriptor::CreateColorPart(const WString& name,
                                                                    const ConstRCPtr<LColorizer>& colorizer,
                                                                    const Shape& shape)
{
    if (!colorizer)
        return nullptr;
    return RCPtr<LVisualPartDescriptor>(new LVisualPartDescriptor(name, ImageReference{}, colorizer, shape));
}

LVisualPartDescriptor::LVisualPartDescriptor(const WString& name, const ImageReference& image,
                                             const ConstRCPtr<LColorizer>& colorizer, const Shape& shape)
    : mName(name), mImage(image), mWidth(shape.Width), mHeight(shape.Height), mResizeType(shape.ResizeType),
      mColorizer(colorizer), mColorizerAlphaMod(shape.ColorizerAlphaMod), mMask(shape.Mask)
{
}

LVisualPartDescriptor::~LVisualPartDescriptor() = default;

namespace
{
// The referenced rectangle of a named bitmap (the whole bitmap for a width or height below 1); null when
// the reference is empty or the bitmap does not load.
RCPtr<LBitmap> LoadImageReference(const LVisualPartDescriptor::ImageReference& image)
{
    if (image.Path.IsEmpty())
        return nullptr;
    const RCPtr<LBitmap> bitmap = LBitmap::GetNamedBitmap(image.Path);
    if (!bitmap)
        return nullptr;
    return bitmap->CreateSubBitmap(image.X, image.Y, image.Width, image.Height);
}
} // namespace

ConstRCPtr<LVisualPart> LVisualPartDescriptor::GetVisualPart() const
{
    if (mVisualPart)
        return mVisualPart;
    // The caller's reference is taken before the builder's goes: the cache alone does not keep a part.
    const RCPtr<LVisualPart> part = BuildVisualPart();
    if (part)
    {
        mVisualPart = part;
        part->SetDescriptor(RCPtr<LVisualPartDescriptor>(const_cast<LVisualPartDescriptor*>(this)));
    }
    return part;
}

RCPtr<LVisualPart> LVisualPartDescriptor::BuildVisualPart() const
{
    const RCPtr<LBitmap> mask = LoadImageReference(mMask);
    if (!mImage.Path.IsEmpty())
    {
        // A picture part whose image does not load yields no part at all, not a colour fill.
        const RCPtr<LBitmap> picture = LoadImageReference(mImage);
        if (!picture)
            return nullptr;
        return RCPtr<LVisualPart>(new LVisualPart(mName, picture, {mWidth, mHeight}, mResizeType, mColorizer,
                                                  mColorizerAlphaMod, mask));
    }
    if (!mColorizer)
        return nullptr;
    return RCPtr<LVisualPart>(new LVisualPart(mName, nullptr, {mWidth, mHeight}, mResizeType, mColorizer,
                                              mColorizerAlphaMod, mask));
}
} // namespace ZQ
