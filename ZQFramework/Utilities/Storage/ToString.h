#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
// The text of a string is the string itself; the text function of wrapped strings.
[[nodiscard]] inline StringT<char16_t, char> StringToString(const StringT<char16_t, char>& text)
{
    return text;
}

// The text of the object a smart pointer holds, or the empty string for a null pointer.
template <class P>
[[nodiscard]] StringT<char16_t, char> ToString(const P& pointer)
{
    if (pointer)
        return pointer->ToString();
    return StringT<char16_t, char>::GetEmptyString();
}
} // namespace ZQ
