#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/Utilities/Storage/ToString.h"

namespace ZQ
{
// A counted, taggable T whose text is what ToStringFunction makes of it; a string shared as an object
// (the clipboard keeps its text in one) is LWrapperStringable<WString, &StringToString>.
template <class T, StringT<char16_t, char> (*ToStringFunction)(const T&), class Base = LTaggableObject>
class LWrapperStringable : public T, public virtual Base
{
public:
    explicit LWrapperStringable(const T& value) : T(value) {}

    [[nodiscard]] static RCPtr<LWrapperStringable> Create(const T& value)
    {
        return RCPtr<LWrapperStringable>(new LWrapperStringable(value));
    }

    [[nodiscard]] T GetValue() const { return static_cast<const T&>(*this); }

    [[nodiscard]] StringT<char16_t, char> ToString() const override
    {
        return ToStringFunction(static_cast<const T&>(*this));
    }
};
} // namespace ZQ
