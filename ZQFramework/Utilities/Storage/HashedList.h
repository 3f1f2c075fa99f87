#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/ObjectBase/TypeName.h"
#include "ZQFramework/Utilities/Storage/Pair.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// Bucket function: bits Shift to Shift + Bits - 1 of an integer key (handles and addresses spread
// through bits 4 to 11, serial numbers through the low bits).
template <uint32_t Bits, uint32_t Shift, class K>
[[nodiscard]] uint32_t GetBits(const K& key)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(key) >> Shift) & ((1u << Bits) - 1);
}

// Key function of values that are their own key.
template <class T>
[[nodiscard]] T GetSelf(const T& value)
{
    return value;
}

// The associative container's interface.
template <class V, class K>
class IHashedList
{
public:
    [[nodiscard]] virtual int32_t GetCount() const = 0;
    virtual void RemoveAll() = 0;
    // Stores value under its key: true when the key was new, false when its value was replaced.
    virtual bool Add(const V& value) = 0;
    // The value stored under key, or notFound itself when the key is absent. The reference stays valid
    // until the key is removed or the list cleared or destroyed.
    [[nodiscard]] virtual const V& Find(const K& key, const V& notFound) const = 0;
    virtual bool Remove(const K& key) = 0;
    virtual ~IHashedList() = default;
};

// A table of 2^Bits buckets that never grows or rehashes. The key of a value is computed by GetKey, its
// bucket by GetBits; each bucket is an array of small counted key/value pairs in the order their keys were
// first added. Not counted itself: owners hold it by value. No locks: one thread at a time.
template <class V, class K, K (*GetKey)(const V&), uint32_t Bits, uint32_t (*GetBitsOf)(const K&)>
class HashedList : public IHashedList<V, K>
{
    static_assert(Bits >= 1 && Bits <= 16, "a bucket table of reasonable size");

    // The text of a bucket pair: the name of the key type.
    static WString KeyToString(const K&) { return WString(TypeName<K>().c_str()); }

public:
    using BucketPair = LPair<K, V, &HashedList::KeyToString, LTaggableObject>;
    static constexpr uint32_t BucketCount = 1u << Bits;

    HashedList() = default;
    HashedList(const HashedList&) = delete;
    HashedList& operator=(const HashedList&) = delete;
    ~HashedList() override = default;

    [[nodiscard]] int32_t GetCount() const override { return mCount; }

    void RemoveAll() override
    {
        for (Bucket& bucket : mBuckets)
            (void)bucket.SetCount(0);
        mCount = 0;
    }

    bool Add(const V& value) override
    {
        const K key = GetKey(value);
        Bucket& bucket = mBuckets[GetBitsOf(key) & (BucketCount - 1)];
        if (const int32_t at = IndexIn(bucket, key); at >= 0)
        {
            bucket.GetAt(static_cast<uint32_t>(at))->second = value;
            return false;
        }
        const RCPtr<BucketPair> pair(new BucketPair(key, value));
        (void)bucket.Add(pair);
        ++mCount;
        return true;
    }

    [[nodiscard]] const V& Find(const K& key, const V& notFound) const override
    {
        const Bucket& bucket = mBuckets[GetBitsOf(key) & (BucketCount - 1)];
        const int32_t at = IndexIn(bucket, key);
        return at >= 0 ? bucket.GetAt(static_cast<uint32_t>(at))->second : notFound;
    }

    bool Remove(const K& key) override
    {
        Bucket& bucket = mBuckets[GetBitsOf(key) & (BucketCount - 1)];
        const int32_t at = IndexIn(bucket, key);
        if (at < 0)
            return false;
        (void)bucket.RemoveAt(static_cast<uint32_t>(at), 1);
        --mCount;
        return true;
    }

protected:
    // The stored value of key for writing, or null when absent.
    [[nodiscard]] V* FindStored(const K& key)
    {
        Bucket& bucket = mBuckets[GetBitsOf(key) & (BucketCount - 1)];
        const int32_t at = IndexIn(bucket, key);
        return at >= 0 ? &bucket.GetAt(static_cast<uint32_t>(at))->second : nullptr;
    }

private:
    using Bucket = RCPtrArray<BucketPair, 1, 0>;

    // Most recently added keys are met first.
    static int32_t IndexIn(const Bucket& bucket, const K& key)
    {
        for (uint32_t i = bucket.GetCount(); i-- > 0;)
        {
            if (bucket.GetAt(i)->first == key)
                return static_cast<int32_t>(i);
        }
        return -1;
    }

    int32_t mCount = 0;
    Bucket mBuckets[BucketCount];
};
} // namespace ZQ
