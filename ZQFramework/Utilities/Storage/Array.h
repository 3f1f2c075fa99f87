#pragma once

#include "ZQFramework/Utilities/Storage/Iterable.h"

#include <cstdint>
#include <vector>

namespace ZQ
{

// The general growable array of the framework, over the standard vector. Elements are copied with T's own
// copy and assignment; indexed access is range-checked and throws std::out_of_range.
template <typename T>
class Array : public IArray<T>
{
public:
    using IArray<T>::GetData;

    Array() = default;
    Array(const Array&) = default;
    Array& operator=(const Array&) = default;
    virtual ~Array() = default;

    [[nodiscard]] uint32_t GetCount() const override { return static_cast<uint32_t>(mItems.size()); }

    [[nodiscard]] const T& GetAt(uint32_t index) const override { return mItems.at(index); }
    [[nodiscard]] T& GetAt(uint32_t index) override { return mItems.at(index); }

    // Inserts a copy of item before element index (index = count appends); returns index.
    ZQRESULT InsertAt(uint32_t index, const T& item) override
    {
        if (index > mItems.size())
        {
            return E_INVALIDARG;
        }
        mItems.insert(mItems.begin() + index, item);
        return static_cast<ZQRESULT>(index);
    }

    // New elements are value-initialised: zero for numbers and pointers, empty for strings.
    ZQRESULT SetCount(uint32_t n) override
    {
        mItems.resize(n);
        return static_cast<ZQRESULT>(n);
    }

    ZQRESULT InsertEmpty(uint32_t index, uint32_t n) override
    {
        if (index > mItems.size())
        {
            return E_INVALIDARG;
        }
        const T blank{};
        mItems.insert(mItems.begin() + index, n, blank);
        return static_cast<ZQRESULT>(mItems.size());
    }

    ZQRESULT RemoveAt(uint32_t index, uint32_t n) override
    {
        const auto count = static_cast<uint32_t>(mItems.size());
        if (index >= count || n > count - index)
        {
            return E_INVALIDARG;
        }
        mItems.erase(mItems.begin() + index, mItems.begin() + index + n);
        return static_cast<ZQRESULT>(mItems.size());
    }

    // Null while the array is empty.
    [[nodiscard]] T* GetData() override { return mItems.empty() ? nullptr : mItems.data(); }

private:
    std::vector<T> mItems;
};

} // namespace ZQ
