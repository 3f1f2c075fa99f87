#pragma once

#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/Iterable.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

// Sorting of a stretch of a framework array under a caller's ordering: a function object that returns
// true when its first argument goes first. Neither sort is stable; both throw the framework's
// out-of-range exception when the stretch does not fit in the array.
namespace ZQ::ArrayUtils
{

// Sorts the elements start .. start + count - 1 of array in place. A count below 2 is not checked.
template <typename T, typename Less>
void Sort(IArray<T>& array, uint32_t start, uint32_t count, Less less)
{
    if (count < 2)
    {
        return;
    }
    if (static_cast<uint64_t>(start) + count > array.GetCount())
    {
        throw Exception<std::out_of_range>(
            "Out of Range : ZQ::ArrayUtils::Sort : zqframework\\utilities\\Storage/ArrayUtils : Line 255");
    }
    T* first = array.GetData() + start;
    std::sort(first, first + count, less);
}

// Fills indices with start .. start + count - 1 ordered by less, which compares two indices into data;
// data itself is only asked for its count and never changed. The range is checked for every count.
template <typename Data, typename Less>
void SortIndecies(IArray<unsigned int>& indices, const Data& data, uint32_t start, uint32_t count, Less less)
{
    if (static_cast<uint64_t>(start) + count > data.GetCount())
    {
        throw Exception<std::out_of_range>("Out of Range : ZQ::ArrayUtils::SortIndecies : "
                                           "zqframework\\utilities\\Storage/ArrayUtils : Line 268");
    }
    (void)indices.SetCount(count);
    unsigned int* entries = indices.GetData();
    for (uint32_t i = 0; i < count; ++i)
    {
        entries[i] = start + i;
    }
    if (count >= 2)
    {
        std::sort(entries, entries + count, less);
    }
}

} // namespace ZQ::ArrayUtils
