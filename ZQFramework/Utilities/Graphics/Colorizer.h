#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// A named fill of a skin: a solid colour, or a linear or radial gradient from Color to GradientEndColor.
// Parts tint their pictures with it or fill with it. Built by the skin reader and shared by the
// factory's colorizer map and the parts that name it; plain data.
class LColorizer : public LRefCountedObject
{
public:
    static constexpr int32_t kSolid = 0, kLinearGradient = 1, kRadialGradient = 2;

    struct Gradient
    {
        Color EndColor;
        float StartX = 0;
        float StartY = 0;
        float EndX = 0;
        float EndY = 0;
    };

    // Without gradient, the gradient values are all zero.
    [[nodiscard]] static RCPtr<LColorizer> Create(const WString& name, int32_t colorType, const Color& color);
    [[nodiscard]] static RCPtr<LColorizer> Create(const WString& name, int32_t colorType, const Color& color,
                                                  const Gradient& gradient);

    LColorizer(const WString& name, int32_t colorType, const Color& color, const Gradient& gradient);
    ~LColorizer() override;

    [[nodiscard]] WString ToString() const override { return mName; }

    WString mName;
    int32_t mColorType;
    Color mColor;            // the solid colour, or the gradient's start colour
    Color mGradientEndColor; // all zero for a solid colorizer
    float mGradientStartX;
    float mGradientStartY;
    float mGradientEndX;
    float mGradientEndY;
};
} // namespace ZQ
