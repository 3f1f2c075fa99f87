#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/Utilities/Storage/String.h"

namespace ZQ
{
// Two values; copying copies both, destruction destroys second, then first.
template <class A, class B>
struct Pair
{
    A first;
    B second;
};

// A counted, taggable pair: the entry type of the hashed lists and maps. Its text is what
// ToStringFunction makes of first (the key). Pair and LPair share this header: LPair is Pair made
// counted and exists for it.
template <class A, class B, StringT<char16_t, char> (*ToStringFunction)(const A&),
          class Base = LTaggableObject>
class LPair : public Pair<A, B>, public virtual Base
{
public:
    LPair(const A& first, const B& second) : Pair<A, B>{first, second} {}

    [[nodiscard]] static RCPtr<LPair> Create(const A& first, const B& second)
    {
        return RCPtr<LPair>(new LPair(first, second));
    }

    [[nodiscard]] StringT<char16_t, char> ToString() const override { return ToStringFunction(this->first); }
};
} // namespace ZQ
