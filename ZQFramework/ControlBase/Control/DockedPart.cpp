#include "ZQFramework/ControlBase/Control/DockedPart.h"

#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"

namespace ZQ
{
RCPtr<LDockedPart> LDockedPart::Create(const ConstRCPtr<LVisualPartDescriptor>& part,
                                       const Placement& placement)
{
    return RCPtr<LDockedPart>(new LDockedPart(part, placement));
}

LDockedPart::LDockedPart(const ConstRCPtr<LVisualPartDescriptor>& part, const Placement& placement)
    : mPart(part), mPlacement(placement)
{
}

LDockedPart::~LDockedPart() = default;

ConstRCPtr<LVisualPart> LDockedPart::GetVisualPart() const
{
    return mPart ? mPart->GetVisualPart() : nullptr;
}
} // namespace ZQ
