#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace ZQ
{
// A visual part placed inside a look: the client part, or one border or corner. Owned by its look.
class LDockedPart : public LRefCountedObject
{
public:
    // Anchors bits: which offsets the skin gave.
    static constexpr int32_t kOffsetLeft = 1, kOffsetTop = 2, kOffsetRight = 4, kOffsetBottom = 8;

    struct Placement
    {
        int32_t Anchors = 0;
        int32_t OffsetLeft = 0;
        int32_t OffsetTop = 0;
        int32_t OffsetRight = 0;
        int32_t OffsetBottom = 0;
        bool HasWidth = false;
        int32_t Width = 0;
        bool HasHeight = false;
        int32_t Height = 0;
    };

    [[nodiscard]] static RCPtr<LDockedPart> Create(const ConstRCPtr<LVisualPartDescriptor>& part,
                                                   const Placement& placement);

    LDockedPart(const ConstRCPtr<LVisualPartDescriptor>& part, const Placement& placement);
    ~LDockedPart() override;

    // The visual part of the part descriptor (shared through its cache); null without one.
    [[nodiscard]] ConstRCPtr<LVisualPart> GetVisualPart() const;

    ConstRCPtr<LVisualPartDescriptor> mPart;
    Placement mPlacement;
};
} // namespace ZQ
