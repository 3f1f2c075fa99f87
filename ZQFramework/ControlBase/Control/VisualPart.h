#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Graphics/Colorizer.h"
#include "ZQFramework/Utilities/Graphics/Forward.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The drawable form of one skin part: a picture (cut from an image, colorized and masked once, when the
// part is built), or a fill in a solid colour. Built on first use by its part descriptor, which caches it,
// and shared by every look that uses that descriptor. The descriptor's cache and the part's back reference
// form a cycle that ReleaseInternalReferences breaks when the last outside reference goes. UI thread only.
class LVisualPart : public LRefCountedObject
{
public:
    // The colour where nothing of a part is: transparent white.
    static constexpr uint32_t kNoColor = 0x00FFFFFF;
    // Whether a packed colour is not fully transparent (its alpha byte is not 0).
    [[nodiscard]] static constexpr bool HasAlpha(uint32_t argb) { return (argb & 0xFF000000u) != 0; }

    // resizeType: LVisualPartDescriptor::kStretch, kTile or kCenter. With a picture the natural size is
    // the picture's. A colorizer together with a picture, a mask or a non-solid fill is applied here, so
    // that afterwards the part has a picture or a solid colorizer without a mask.
    LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& picture, const PointT<int32_t>& size,
                int32_t resizeType, const ConstRCPtr<LColorizer>& colorizer, float alphaFactor,
                const ConstRCPtr<LBitmap>& mask);
    ~LVisualPart() override;

    // Draws into {0, 0, size} of the renderer's current coordinates: the picture by the resize type, or
    // the fill (nothing when its alpha is 0). Returns 0; throws without picture and colorizer.
    virtual ZQRESULT Draw(const RCPtr<LRenderer>& renderer, const PointT<float>& size) const;

    // The colour as 0xAARRGGBB at a point against the natural size, and at a point of a rectangle of the
    // given size as the part is drawn there; 0x00FFFFFF outside. A tiled part without a whole tile is
    // transparent everywhere. Throws for a part without picture whose colorizer is missing or not solid,
    // and for an unknown resize type.
    [[nodiscard]] uint32_t GetColorAtPoint(const PointT<int32_t>& point) const;
    [[nodiscard]] uint32_t GetColorAtPoint(const PointT<float>& point, const PointT<float>& size) const;

    // Stores the caching descriptor and counts its reference to this part as internal.
    void SetDescriptor(const RCPtr<LVisualPartDescriptor>& descriptor);
    // Called when the last reference besides the descriptor's cache goes: clears the cache and uncounts
    // it, so that the part is destroyed and the next request builds a new one.
    ZQRESULT ReleaseInternalReferences() override;

    [[nodiscard]] const WString& GetName() const { return mName; }
    [[nodiscard]] const ConstRCPtr<LBitmap>& GetPicture() const { return mPicture; }
    [[nodiscard]] int32_t GetNaturalWidth() const { return mNaturalWidth; }
    [[nodiscard]] int32_t GetNaturalHeight() const { return mNaturalHeight; }
    [[nodiscard]] int32_t GetResizeType() const { return mResizeType; }
    [[nodiscard]] const ConstRCPtr<LColorizer>& GetColorizer() const { return mColorizer; }
    [[nodiscard]] float GetAlphaFactor() const { return mAlphaFactor; }

private:
    [[nodiscard]] uint32_t GetTiledColor(const PointT<float>& point, float naturalWidth,
                                         float naturalHeight) const;
    [[nodiscard]] uint32_t GetStretchedColor(const PointT<float>& point, const PointT<float>& size,
                                             float naturalWidth, float naturalHeight) const;

    WString mName;
    ConstRCPtr<LBitmap> mPicture;
    int32_t mNaturalWidth = 0;
    int32_t mNaturalHeight = 0;
    int32_t mResizeType = 0;
    ConstRCPtr<LColorizer> mColorizer;
    float mAlphaFactor = 1;
    ConstRCPtr<LBitmap> mMask;
    RCPtr<LVisualPartDescriptor> mDescriptor; // counted as one internal reference of this part
};
} // namespace ZQ
