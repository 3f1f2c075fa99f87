#pragma once

#include "ZQFramework/Utilities/Storage/Iterable.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace ZQ
{

// An array of at most n plain values kept inside the object (a short MIDI message, for example). A new
// array is full (count n) and its storage holds zero bytes until the owner fills it through GetData. Gaps are
// opened and closed by moving bytes; opened slots keep whatever they held.
template <typename T, uint32_t n>
class SimpleFixedArray : public IArray<T>
{
    static_assert(std::is_trivially_copyable_v<T>, "SimpleFixedArray moves its elements as bytes");

public:
    using IArray<T>::GetData;

    [[nodiscard]] uint32_t GetCount() const override { return mCount; }
    [[nodiscard]] int32_t GetMaxCount() const override { return static_cast<int32_t>(n); }

    // The count becomes min(k, n); elements are neither cleared nor destroyed.
    ZQRESULT SetCount(uint32_t k) override
    {
        mCount = k < n ? k : n;
        return static_cast<ZQRESULT>(mCount);
    }

    ZQRESULT InsertEmpty(uint32_t index, uint32_t k) override
    {
        if (k == 0)
        {
            return static_cast<ZQRESULT>(mCount);
        }
        if (index > mCount || k > n - mCount)
        {
            return E_INVALIDARG;
        }
        const uint32_t oldCount = mCount;
        mCount = oldCount + k;
        if (index < oldCount)
        {
            std::memmove(mStorage + index + k, mStorage + index, (oldCount - index) * sizeof(T));
        }
        return static_cast<ZQRESULT>(mCount);
    }

    ZQRESULT RemoveAt(uint32_t index, uint32_t k) override
    {
        if (k == 0)
        {
            return static_cast<ZQRESULT>(mCount);
        }
        if (index > mCount || k > mCount - index)
        {
            return E_INVALIDARG;
        }
        const uint32_t behind = mCount - index - k;
        if (behind > 0)
        {
            std::memmove(mStorage + index, mStorage + index + k, behind * sizeof(T));
        }
        return SetCount(mCount - k);
    }

    // E_INVALIDARG for an index at or past the count (so also for RemoveLastItem on an empty array), with
    // out untouched.
    ZQRESULT RemoveItem(uint32_t index, T& out) override
    {
        if (index >= mCount)
        {
            return E_INVALIDARG;
        }
        out = mStorage[index];
        return RemoveAt(index, 1);
    }

    // The storage, also while the count is 0.
    [[nodiscard]] const T* GetData() const override { return mStorage; }
    [[nodiscard]] T* GetData() override { return mStorage; }

private:
    uint32_t mCount = n;
    T mStorage[n]{}; // zero until the owner fills it
};

} // namespace ZQ
