#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/Utilities/Storage/HashedList.h"
#include "ZQFramework/Utilities/Storage/Pair.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/ToString.h"

#include <cstdint>

namespace ZQ
{
// The counted-object base of a pair's first member, or null for a null pair or key. Read without
// taking a reference: a counted reference to an unshareable key object would be a private copy, whose
// address is not the key's identity.
template <class P>
[[nodiscard]] const LRefCountedObject* GetFirstRCPtr(const RCPtr<P>& pair)
{
    if (!pair || !pair->first)
        return nullptr;
    return static_cast<const LRefCountedObject*>(pair->first.Get());
}

// Key and bucket functions of a hashed list of counted pair objects keyed by the identity of the
// object that GetFirst gives: its address, at full width.
template <class P, const LRefCountedObject* (*GetFirst)(const RCPtr<P>&), uint32_t Bits>
struct RCPtrHalfMapHelper
{
    [[nodiscard]] static intptr_t GetKey(const RCPtr<P>& pair)
    {
        return reinterpret_cast<intptr_t>(GetFirst(pair));
    }
    [[nodiscard]] static uint32_t GetHandleBits(const intptr_t& key)
    {
        return GetBits<Bits, 4, intptr_t>(key);
    }
};

// A hashed list of counted pairs, keyed by the identity of each pair's first member. Two distinct but
// equal key objects are different keys.
template <class P, const LRefCountedObject* (*GetFirst)(const RCPtr<P>&), uint32_t Bits>
using RCPtrHalfMap = HashedList<RCPtr<P>, intptr_t, &RCPtrHalfMapHelper<P, GetFirst, Bits>::GetKey, Bits,
                                &RCPtrHalfMapHelper<P, GetFirst, Bits>::GetHandleBits>;

// A map from objects to objects by identity: each entry is a counted pair {key, value} held by the
// bucket pair of the underlying list. Not counted itself; no locks.
template <class K, class V, uint32_t Bits>
class RCPtrMap
    : public RCPtrHalfMap<
          LPair<ConstRCPtr<K>, RCPtr<V>, &ToString<ConstRCPtr<K>>, LTaggableObject>,
          &GetFirstRCPtr<LPair<ConstRCPtr<K>, RCPtr<V>, &ToString<ConstRCPtr<K>>, LTaggableObject>>, Bits>
{
public:
    using MapPair = LPair<ConstRCPtr<K>, RCPtr<V>, &ToString<ConstRCPtr<K>>, LTaggableObject>;

    // The map pair stored for the key object, or a shared null pointer when there is none.
    [[nodiscard]] virtual const RCPtr<MapPair>& GetPair(const ConstRCPtr<LRefCountedObject>& key) const
    {
        return this->Find(Identity(key), NullPair());
    }

    virtual bool RemoveKey(const ConstRCPtr<LRefCountedObject>& key) { return this->Remove(Identity(key)); }

    // The value pointer stored for key, or a shared null pointer that callers only read. The key is taken
    // as a counted pointer under the usual rules, so an unshareable key object is copied and not found.
    [[nodiscard]] virtual RCPtr<V>& Lookup(const ConstRCPtr<K>& key)
    {
        const ConstRCPtr<LRefCountedObject> object(key);
        RCPtr<MapPair>* stored = this->FindStored(Identity(object));
        if (stored == nullptr || !*stored)
            return NullValue();
        return (*stored)->second;
    }

    // Stores a new pair {key, value}: true for a new key; false when the key was present, whose old pair
    // is released.
    virtual bool SetAt(const ConstRCPtr<K>& key, const RCPtr<V>& value)
    {
        return this->Add(RCPtr<MapPair>(new MapPair(key, value)));
    }

private:
    static intptr_t Identity(const ConstRCPtr<LRefCountedObject>& key)
    {
        return reinterpret_cast<intptr_t>(key.Get());
    }
    static const RCPtr<MapPair>& NullPair()
    {
        static const RCPtr<MapPair>* const null = new RCPtr<MapPair>();
        return *null;
    }
    static RCPtr<V>& NullValue()
    {
        static RCPtr<V>* const null = new RCPtr<V>();
        return *null;
    }
};
} // namespace ZQ
