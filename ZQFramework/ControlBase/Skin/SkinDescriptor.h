#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/ShareableRCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The skin of one control: its look list and its font. A root's skin carries the skin-wide font. Owned by
// the control descriptor it is attached to.
class LSkinDescriptor : public LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LSkinDescriptor> Create(const WString& name);
    // A look list of count empty entries.
    [[nodiscard]] static RCPtr<LLookList> CreateLookList(uint32_t count);

    explicit LSkinDescriptor(const WString& name) : mName(name) {}
    ~LSkinDescriptor() override;

    WString mName;
    ConstRCPtr<LLookList> mLookList; // entry i is the control's look i
    bool mFontInheritsFromParent = false;
    bool mFontSizeIsRelative = false;
    WString mFontName;       // empty: not set
    float mFontSize = 0;     // 0 when the skin gives none
    int32_t mFontStyle = -1; // -1: not set
};
} // namespace ZQ
