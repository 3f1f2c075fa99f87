#pragma once

#include "ZQFramework/ControlBase/Control/DockedPart.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// How a control looks in one state: a client part, borders and corners, and where its label goes. Shared
// by the factory's look map and every look list that names it.
class LLookDescriptor : public LRefCountedObject
{
public:
    // The label's box and alignment: each edge is Rel x size + Abs.
    struct TextProperties
    {
        float LeftRel = 0;
        int32_t LeftAbs = 0;
        float RightRel = 0;
        int32_t RightAbs = 0;
        float HAlign = 0;
        float TopRel = 0;
        int32_t TopAbs = 0;
        float BottomRel = 0;
        int32_t BottomAbs = 0;
        float VAlign = 0;
    };

    [[nodiscard]] static RCPtr<LLookDescriptor> Create(const WString& name);

    explicit LLookDescriptor(const WString& name) : mName(name) {}
    ~LLookDescriptor() override;

    [[nodiscard]] WString ToString() const override { return mName; }

    // Replaces the client part; returns 0.
    ZQRESULT SetClientPart(const ConstRCPtr<LDockedPart>& part);
    // Appends a border or corner, in document order.
    void AddNonClientPart(const RCPtr<LDockedPart>& part);
    // Stores the text box and the part that colours the text, and marks the look as showing a label;
    // returns 0. Before this the text values carry no meaning.
    ZQRESULT SetTextProperties(const TextProperties& text,
                               const ConstRCPtr<LVisualPartDescriptor>& foreground);

    WString mName;
    ConstRCPtr<LDockedPart> mClientPart;
    RCPtrArray<LDockedPart, 1, 0> mNonClientParts;
    bool mHasTextProperties = false;
    TextProperties mText;
    ConstRCPtr<LVisualPartDescriptor> mTextForegroundPart;
};
} // namespace ZQ
