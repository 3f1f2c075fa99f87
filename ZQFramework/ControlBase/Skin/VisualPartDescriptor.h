#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Graphics/Colorizer.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// One part of a skin: a picture cut from an image, or a colour fill, with how it is resized, an optional
// colorizer and mask. Shared by the factory's part map, docked parts and looks; the drawable form is
// built on first use and cached here.
class LVisualPartDescriptor : public LRefCountedObject
{
public:
    static constexpr int32_t kStretch = 0, kTile = 1, kCenter = 2;

    // A rectangle of an image file or "::" resource; an empty Path means no picture.
    struct ImageReference
    {
        WString Path;
        int32_t X = 0;
        int32_t Y = 0;
        int32_t Width = 0;
        int32_t Height = 0;
    };

    // Everything but the picture or colorizer that the creation functions take.
    struct Shape
    {
        int32_t Width = 0;
        int32_t Height = 0;
        int32_t ResizeType = kStretch;
        float ColorizerAlphaMod = 1;
        ImageReference Mask;
    };

    // A picture part; null when image.Path is empty. Its size is the image rectangle's.
    [[nodiscard]] static RCPtr<LVisualPartDescriptor> CreateImagePart(const WString& name,
                                                                      const ImageReference& image,
                                                                      const ConstRCPtr<LColorizer>& colorizer,
                                                                      const Shape& shape);
    // A colour part without picture; null when there is no colorizer.
    [[nodiscard]] static RCPtr<LVisualPartDescriptor>
    CreateColorPart(const WString& name, const ConstRCPtr<LColorizer>& colorizer, const Shape& shape);

    LVisualPartDescriptor(const WString& name, const ImageReference& image,
                          const ConstRCPtr<LColorizer>& colorizer, const Shape& shape);
    ~LVisualPartDescriptor() override;

    [[nodiscard]] WString ToString() const override { return mName; }

    // The drawable form of this part, built on the first request and kept until the last user outside
    // this descriptor lets it go; null when the part yields none (its image does not load). Colorizing
    // errors pass through (a gradient, or a tinted picture that also has a mask) and cache nothing.
    [[nodiscard]] ConstRCPtr<LVisualPart> GetVisualPart() const;

    WString mName;
    ImageReference mImage;
    int32_t mWidth;
    int32_t mHeight;
    int32_t mResizeType;
    ConstRCPtr<LColorizer> mColorizer;
    float mColorizerAlphaMod;
    ImageReference mMask;
    // The drawable visual part, built on first use. The part points back here and counts this reference
    // as internal; it clears this field when its last other user lets it go (LVisualPart).
    mutable ConstRCPtr<LVisualPart> mVisualPart;

private:
    [[nodiscard]] RCPtr<LVisualPart> BuildVisualPart() const;
};
} // namespace ZQ
