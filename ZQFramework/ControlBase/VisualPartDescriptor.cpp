#include "ZQFramework/ControlBase/VisualPartDescriptor.h"

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
} // namespace ZQ
