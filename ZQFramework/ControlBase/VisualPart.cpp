#include "ZQFramework/ControlBase/VisualPart.h"

#include "ZQFramework/ControlBase/VisualPartDescriptor.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

namespace ZQ
{
LVisualPart::LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& picture, const PointT<int32_t>& size,
                         int32_t resizeType, const ConstRCPtr<LColorizer>& colorizer, float alphaFactor,
                         const ConstRCPtr<LBitmap>& mask)
    : mName(name), mPicture(picture), mNaturalWidth(size.x), mNaturalHeight(size.y), mResizeType(resizeType),
      mColorizer(colorizer), mAlphaFactor(alphaFactor), mMask(mask)
{
}

LVisualPart::~LVisualPart() = default;

ZQRESULT LVisualPart::Draw(const RCPtr<LRenderer>& /*renderer*/, const PointT<float>& /*size*/) const
{
    return 0;
}

uint32_t LVisualPart::GetColorAtPoint(const PointT<int32_t>& /*point*/) const
{
    return 0x00FFFFFF;
}

uint32_t LVisualPart::GetColorAtPoint(const PointT<float>& /*point*/, const PointT<float>& /*size*/) const
{
    return 0x00FFFFFF;
}

void LVisualPart::SetDescriptor(const RCPtr<LVisualPartDescriptor>& descriptor)
{
    mDescriptor = descriptor;
}

ZQRESULT LVisualPart::ReleaseInternalReferences()
{
    return LRefCountedObject::ReleaseInternalReferences();
}
} // namespace ZQ
