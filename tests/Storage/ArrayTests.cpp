#include "ZQFramework/Utilities/Storage/Array.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using ZQ::Array;

namespace
{

template <typename T>
Array<T> Make(std::initializer_list<T> values)
{
    Array<T> a;
    for (const T& v : values)
    {
        a.Add(v);
    }
    return a;
}

template <typename T>
std::vector<T> Items(const ZQ::IIterable<T>& a)
{
    std::vector<T> out;
    for (auto it = a.Begin(); !(it == a.End()); ++it)
    {
        out.push_back(*it);
    }
    return out;
}

} // namespace

TEST(Array, EmptyArrayHasZeroPositionsAndNullData)
{
    Array<int> a;
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.GetFirstPosition(), 0u);
    EXPECT_EQ(a.GetLastPosition(), 0u);
    EXPECT_EQ(a.GetEndPosition(), 0u);
    EXPECT_EQ(a.GetBeforeFirstPosition(), 0u);
    EXPECT_TRUE(a.Begin() == a.End());
    EXPECT_TRUE(a.RBegin() == a.REnd());
    EXPECT_EQ(a.Advance(0, 5), 0u);
    EXPECT_EQ(a.Advance(1234, -3), 0u);
    EXPECT_EQ(a.IndexOf(1), -1);
    EXPECT_EQ(a.GetMaxCount(), 0x7FFFFFFF);
}

TEST(Array, IteratesForwardAndBackwardWithClampedAdvance)
{
    Array<int> a = Make({10, 20, 30});
    EXPECT_EQ(Items<int>(a), (std::vector<int>{10, 20, 30}));

    std::vector<int> reverse;
    for (auto it = a.RBegin(); !(it == a.REnd()); ++it)
    {
        reverse.push_back(*it);
    }
    EXPECT_EQ(reverse, (std::vector<int>{30, 20, 10}));

    const auto first = a.GetFirstPosition();
    EXPECT_EQ(a.GetEndPosition(), first + 3 * sizeof(int));
    EXPECT_EQ(a.GetLastPosition(), first + 2 * sizeof(int));
    EXPECT_EQ(a.GetBeforeFirstPosition(), first - sizeof(int));
    EXPECT_EQ(a.Advance(first, 5), a.GetEndPosition());
    EXPECT_EQ(a.Advance(first, -5), a.GetBeforeFirstPosition());
    EXPECT_EQ(a.Advance(first, 1), first + sizeof(int));
}

TEST(Array, InsertAndRemoveResultsAndRangeChecks)
{
    Array<int> a = Make({1, 2, 3, 4});
    EXPECT_EQ(a.Add(5), 4);         // Add returns the index of the new element
    EXPECT_EQ(a.InsertAt(5, 6), 5); // at count: appends, returns the index
    EXPECT_EQ(a.InsertAt(7, 9), E_INVALIDARG);
    EXPECT_EQ(a.GetCount(), 6u);
    EXPECT_EQ(a.RemoveAt(6, 0), E_INVALIDARG);
    EXPECT_EQ(a.RemoveAt(0, 0), 6);
    EXPECT_EQ(a.RemoveAt(2, 5), E_INVALIDARG);
    EXPECT_EQ(a.RemoveAt(2, 0xFFFFFFFFu), E_INVALIDARG); // index + n wraps: still refused
    EXPECT_EQ(a.GetCount(), 6u);
    EXPECT_EQ(a.RemoveAt(1, 2), 4);
    EXPECT_EQ(Items<int>(a), (std::vector<int>{1, 4, 5, 6}));
    EXPECT_EQ(a.InsertEmpty(5, 0), E_INVALIDARG);
}

TEST(Array, RemoveItemCopiesOutAndCheckedAccessThrows)
{
    Array<std::string> a = Make<std::string>({"a", "b", "c"});
    std::string out = "x";
    EXPECT_EQ(a.RemoveItem(1, out), 2);
    EXPECT_EQ(out, "b");
    EXPECT_EQ(Items<std::string>(a), (std::vector<std::string>{"a", "c"}));

    EXPECT_THROW((void)a.GetAt(2), std::out_of_range);
    out = "kept";
    EXPECT_THROW(a.RemoveItem(2, out), std::out_of_range);
    EXPECT_EQ(out, "kept");
    EXPECT_EQ(a.RemoveLastItem(out), 1);
    EXPECT_EQ(out, "c");
}

TEST(Array, InsertEmptyAndSetCountValueInitialise)
{
    Array<unsigned char> bytes = Make<unsigned char>({7, 8});
    EXPECT_EQ(bytes.InsertEmpty(0, 2), 4);
    EXPECT_EQ(Items<unsigned char>(bytes), (std::vector<unsigned char>{0, 0, 7, 8}));
    EXPECT_EQ(bytes.SetCount(6), 6);
    EXPECT_EQ(bytes.GetAt(5), 0);

    Array<void*> pointers;
    EXPECT_EQ(pointers.SetCount(2), 2);
    EXPECT_EQ(pointers.GetAt(1), nullptr);
}

TEST(Array, SwapChecksIndexes)
{
    Array<int> a = Make({1, 2, 3});
    EXPECT_EQ(a.Swap(0, 3), E_INVALIDARG);
    EXPECT_EQ(a.Swap(1, 1), 0);
    EXPECT_EQ(a.Swap(0, 2), 0);
    EXPECT_EQ(Items<int>(a), (std::vector<int>{3, 2, 1}));
}

TEST(Array, IndexOfAndSetItems)
{
    Array<int> a = Make({5, 7, 9, 7, 1});
    EXPECT_EQ(a.IndexOf(7), 1);
    EXPECT_EQ(a.IndexOf(42), -1);

    const int source[10] = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109};
    EXPECT_EQ(a.SetItems(source, 2, 10), 3u);
    EXPECT_EQ(Items<int>(a), (std::vector<int>{5, 7, 100, 101, 102}));
    EXPECT_EQ(a.SetItems(source, 5, 1), 0u);
    EXPECT_EQ(a.SetItems(source, 4, 0xFFFFFFFFu), 1u); // start + count wraps: clipped to the count
    EXPECT_EQ(a.GetAt(4), 100);
}

TEST(Array, AppendCopyAndRemoveAll)
{
    Array<std::string> a = Make<std::string>({"x", "y"});
    Array<std::string> empty;
    EXPECT_EQ(a.Append(empty), 2);

    EXPECT_EQ(a.Append(a), 4); // appending to itself doubles it
    EXPECT_EQ(Items<std::string>(a), (std::vector<std::string>{"x", "y", "x", "y"}));

    EXPECT_EQ(a.Copy(a), 4); // copying onto itself keeps the contents
    EXPECT_EQ(a.GetCount(), 4u);

    Array<std::string> b = Make<std::string>({"q"});
    EXPECT_EQ(b.Copy(a), 4);
    EXPECT_EQ(Items<std::string>(b), Items<std::string>(a));
    EXPECT_EQ(b.AppendArray(a), 8);
    EXPECT_EQ(b.GetAt(7), "y");
    EXPECT_EQ(b.AppendArray(b), 16); // the storage moves while it grows; the copy follows the first half
    const std::vector<std::string> doubled = Items<std::string>(b);
    EXPECT_EQ(std::vector<std::string>(doubled.begin() + 8, doubled.end()),
              std::vector<std::string>(doubled.begin(), doubled.begin() + 8));

    EXPECT_EQ(a.RemoveAll(), 0);
    EXPECT_EQ(a.GetCount(), 0u);
    EXPECT_EQ(a.GetData(), nullptr);
}

TEST(Array, CopyingTheObjectCopiesElements)
{
    Array<std::string> a = Make<std::string>({"one", "two"});
    Array<std::string> b = a;
    b.GetAt(0) = "changed";
    EXPECT_EQ(a.GetAt(0), "one");
    a = b;
    EXPECT_EQ(a.GetAt(0), "changed");
}

TEST(Array, InsertAtAcceptsAnElementOfTheSameArray)
{
    Array<std::string> a = Make<std::string>({"first", "second"});
    for (int i = 0; i < 20; ++i) // grows past the vector's capacity several times
    {
        EXPECT_GE(a.InsertAt(0, a.GetAt(a.GetCount() - 1)), 0);
    }
    EXPECT_EQ(a.GetAt(0), "second");
    EXPECT_EQ(a.GetCount(), 22u);
}
