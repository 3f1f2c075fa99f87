#include "ZQFramework/Utilities/Graphics/Colorizer.h"

namespace ZQ
{
RCPtr<LColorizer> LColorizer::Create(const WString& name, int32_t colorType, const Color& color)
{
    return Create(name, colorType, color, Gradient{});
}

RCPtr<LColorizer> LColorizer::Create(const WString& name, int32_t colorType, const Color& color,
                                     const Gradient& gradient)
{
    return RCPtr<LColorizer>(new LColorizer(name, colorType, color, gradient));
}

LColorizer::LColorizer(const WString& name, int32_t colorType, const Color& color, const Gradient& gradient)
    : mName(name), mColorType(colorType), mColor(color), mGradientEndColor(gradient.EndColor),
      mGradientStartX(gradient.StartX), mGradientStartY(gradient.StartY), mGradientEndX(gradient.EndX),
      mGradientEndY(gradient.EndY)
{
}

LColorizer::~LColorizer() = default;
} // namespace ZQ
