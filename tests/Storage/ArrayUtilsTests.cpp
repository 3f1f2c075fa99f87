#include "tests/Support/TrackedObject.h"

#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/ArrayUtils.h"
#include "ZQFramework/Utilities/Storage/ConstRCPtrArray.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

ZQ::Array<int> Make(std::vector<int> values)
{
    ZQ::Array<int> a;
    for (int v : values)
    {
        a.Add(v);
    }
    return a;
}

std::vector<int> Items(const ZQ::IArray<int>& a)
{
    return std::vector<int>(a.GetData(), a.GetData() + a.GetCount());
}

std::vector<unsigned> Indices(const ZQ::IArray<unsigned int>& a)
{
    return std::vector<unsigned>(a.GetData(), a.GetData() + a.GetCount());
}

const std::string kSortText =
    "Out of Range : ZQ::ArrayUtils::Sort : zqframework\\utilities\\Storage/ArrayUtils : Line 255";
const std::string kSortIndeciesText =
    "Out of Range : ZQ::ArrayUtils::SortIndecies : zqframework\\utilities\\Storage/ArrayUtils : Line 268";

template <typename F>
std::string ThrownText(F f)
{
    try
    {
        f();
    }
    catch (const std::out_of_range& e)
    {
        return e.what();
    }
    return "nothing thrown";
}

} // namespace

TEST(ArrayUtils, SortOrdersOnlyTheStretch)
{
    ZQ::Array<int> a = Make({9, 8, 5, 1, 3});
    ZQ::ArrayUtils::Sort(a, 2, 3, std::less<int>());
    EXPECT_EQ(Items(a), (std::vector<int>{9, 8, 1, 3, 5}));
    ZQ::ArrayUtils::Sort(a, 0, 5, std::greater<int>());
    EXPECT_EQ(Items(a), (std::vector<int>{9, 8, 5, 3, 1}));
}

TEST(ArrayUtils, SortRangeChecks)
{
    ZQ::Array<int> a = Make({3, 2, 1});
    // Counts below 2 are not checked at all.
    EXPECT_NO_THROW(ZQ::ArrayUtils::Sort(a, 1000, 0, std::less<int>()));
    EXPECT_NO_THROW(ZQ::ArrayUtils::Sort(a, 1000, 1, std::less<int>()));

    EXPECT_EQ(ThrownText([&] { ZQ::ArrayUtils::Sort(a, 1, 3, std::less<int>()); }), kSortText);
    EXPECT_EQ(ThrownText([&] { ZQ::ArrayUtils::Sort(a, 0xFFFFFFFFu, 2, std::less<int>()); }), kSortText);
    EXPECT_EQ(Items(a), (std::vector<int>{3, 2, 1}));
    ZQ::ArrayUtils::Sort(a, 1, 2, std::less<int>()); // ends exactly at the count
    EXPECT_EQ(Items(a), (std::vector<int>{3, 1, 2}));
}

TEST(ArrayUtils, SortIndeciesLeavesDataAndProducesAPermutation)
{
    ZQ::Array<int> data = Make({0, 0, 0, 0, 0, 40, 10, 30, 0});
    ZQ::Array<unsigned int> indices;
    indices.SetCount(12); // whatever it held before is replaced
    auto byValue = [&](unsigned a, unsigned b) { return data.GetAt(a) < data.GetAt(b); };
    ZQ::ArrayUtils::SortIndecies(indices, data, 5, 3, byValue);
    EXPECT_EQ(Indices(indices), (std::vector<unsigned>{6, 7, 5}));
    EXPECT_EQ(data.GetAt(5), 40);

    // An ordering that is true for nothing still yields each index once.
    ZQ::ArrayUtils::SortIndecies(indices, data, 0, 9, [](unsigned, unsigned) { return false; });
    std::vector<unsigned> sorted = Indices(indices);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<unsigned>{0, 1, 2, 3, 4, 5, 6, 7, 8}));

    ZQ::ArrayUtils::SortIndecies(indices, data, 4, 1, byValue);
    EXPECT_EQ(Indices(indices), (std::vector<unsigned>{4}));
    ZQ::ArrayUtils::SortIndecies(indices, data, 9, 0, byValue);
    EXPECT_EQ(indices.GetCount(), 0u);
}

TEST(ArrayUtils, SortIndeciesChecksEveryCount)
{
    ZQ::Array<int> data = Make({1, 2});
    ZQ::Array<unsigned int> indices;
    indices.SetCount(1);
    auto less = [](unsigned a, unsigned b) { return a < b; };
    EXPECT_EQ(ThrownText([&] { ZQ::ArrayUtils::SortIndecies(indices, data, 3, 0, less); }),
              kSortIndeciesText);
    EXPECT_EQ(ThrownText([&] { ZQ::ArrayUtils::SortIndecies(indices, data, 0xFFFFFFFFu, 2, less); }),
              kSortIndeciesText);
    EXPECT_EQ(indices.GetCount(), 1u); // nothing changed before the throw
}

TEST(ArrayUtils, SortingCountedPointersKeepsTheirCounts)
{
    std::vector<std::string> log;
    ZQ::ConstRCPtrArray<TestSupport::TrackedObject, 1, 0> descriptors;
    for (const char* name : {"c", "a", "d", "b"})
    {
        descriptors.Add(
            ZQ::ConstRCPtr<TestSupport::TrackedObject>(new TestSupport::TrackedObject(name, &log)));
    }
    using Entry = ZQ::ConstRCPtr<TestSupport::TrackedObject>;
    ZQ::ArrayUtils::Sort(descriptors, 0, descriptors.GetCount(),
                         [](const Entry& x, const Entry& y) { return x->Name() < y->Name(); });
    std::string order;
    for (uint32_t i = 0; i < descriptors.GetCount(); ++i)
    {
        order += descriptors.GetAt(i)->Name();
        EXPECT_EQ(descriptors.GetAt(i)->GetRefCount(), 1);
    }
    EXPECT_EQ(order, "abcd");
    EXPECT_TRUE(log.empty());
}
