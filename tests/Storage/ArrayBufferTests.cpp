#include "ZQFramework/Utilities/Storage/ArrayBuffer.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace
{

using UIntArray = ZQ::ArrayBuffer<unsigned int, 1, 0, 1, 8>;
using PoolIndexArray = ZQ::ArrayBuffer<unsigned int, 4, 1600, 1, 8>;
using MidiBytes = ZQ::ArrayBufferM<signed char, 4, 1, 0, 1, 8>;

template <typename T>
std::vector<T> Items(ZQ::IArray<T>& a)
{
    return a.GetCount() == 0 ? std::vector<T>{} : std::vector<T>(a.GetData(), a.GetData() + a.GetCount());
}

template <typename A>
void Fill(A& a, std::vector<typename std::remove_reference_t<decltype(*a.GetData())>> values)
{
    a.SetCount(0);
    for (auto v : values)
    {
        a.Add(v);
    }
}

bool PointsInto(const void* p, const void* object, size_t size)
{
    auto address = reinterpret_cast<uintptr_t>(p);
    auto start = reinterpret_cast<uintptr_t>(object);
    return address >= start && address < start + size;
}

} // namespace

TEST(ArrayBuffer, CapacityFollowsTheCountWithoutSlack)
{
    UIntArray a;
    EXPECT_EQ(a.GetCapacity(), 0u);
    EXPECT_EQ(a.SetCount(3), 3);
    EXPECT_EQ(Items(a), (std::vector<unsigned>{0, 0, 0}));
    EXPECT_EQ(a.GetCapacity(), 12u);
    EXPECT_EQ(a.SetCount(1), 1);
    EXPECT_EQ(a.GetCapacity(), 4u);
}

TEST(ArrayBuffer, InsertAndRemoveMoveBytesAndCheckRanges)
{
    UIntArray a;
    struct Case
    {
        const char* what;
        std::vector<unsigned> before;
        std::function<ZQRESULT(UIntArray&)> op;
        ZQRESULT result;
        std::vector<unsigned> after;
    };
    const Case cases[] = {
        {"insert in front", {1, 2}, [](UIntArray& x) { return x.InsertAt(0, 7); }, 3, {7, 1, 2}},
        {"insert past count", {1, 2}, [](UIntArray& x) { return x.InsertAt(3, 9); }, E_INVALIDARG, {1, 2}},
        {"insert empty inside", {1, 2}, [](UIntArray& x) { return x.InsertEmpty(1, 2); }, 4, {1, 0, 0, 2}},
        {"insert nothing anywhere", {1, 2}, [](UIntArray& x) { return x.InsertEmpty(9, 0); }, 2, {1, 2}},
        {"insert count that wraps",
         {1, 2},
         [](UIntArray& x) { return x.InsertEmpty(1, 0xFFFFFFFFu); },
         E_INVALIDARG,
         {1, 2}},
        {"remove middle", {1, 2, 3, 4}, [](UIntArray& x) { return x.RemoveAt(1, 2); }, 2, {1, 4}},
        {"remove past count",
         {1, 2, 3, 4},
         [](UIntArray& x) { return x.RemoveAt(3, 2); },
         E_INVALIDARG,
         {1, 2, 3, 4}},
        {"remove count that wraps",
         {1, 2, 3, 4},
         [](UIntArray& x) { return x.RemoveAt(2, 0xFFFFFFFFu); },
         E_INVALIDARG,
         {1, 2, 3, 4}},
        {"remove nothing anywhere",
         {1, 2, 3, 4},
         [](UIntArray& x) { return x.RemoveAt(7, 0); },
         4,
         {1, 2, 3, 4}},
        {"insert own element", {5, 6}, [](UIntArray& x) { return x.InsertAt(0, x.GetAt(1)); }, 3, {6, 5, 6}},
    };
    for (const Case& c : cases)
    {
        Fill(a, c.before);
        EXPECT_EQ(c.op(a), c.result) << c.what;
        EXPECT_EQ(Items(a), c.after) << c.what;
    }

    Fill(a, {5, 6});
    unsigned out = 0;
    EXPECT_EQ(a.RemoveItem(0, out), 1);
    EXPECT_EQ(out, 5u);
    EXPECT_EQ(Items(a), (std::vector<unsigned>{6}));
    out = 42;
    EXPECT_EQ(a.RemoveItem(1, out), E_INVALIDARG);
    EXPECT_EQ(out, 42u);
}

TEST(ArrayBuffer, SlackKeepsRoomInStepsOfTheGranularity)
{
    PoolIndexArray a;
    a.SetCount(1);
    a.SetCount(0);
    EXPECT_EQ(a.GetCount(), 0u);
    EXPECT_EQ(a.GetCapacity(), 16u);
    for (unsigned i = 0; i < 4; ++i)
    {
        a.Add(i);
    }
    EXPECT_EQ(a.GetCapacity(), 16u);
    a.Add(4);
    EXPECT_EQ(a.GetCapacity(), 32u);
}

TEST(ArrayBuffer, PointerElementsCountRoomInElements)
{
    ZQ::ArrayBuffer<void*, 4, 1600, 1, 8> a;
    for (int i = 0; i < 5; ++i)
    {
        a.Add(nullptr);
    }
    EXPECT_EQ(a.GetCapacity(), 8 * sizeof(void*));
}

TEST(ArrayBuffer, NewElementsAreAllZeroBytes)
{
    ZQ::ArrayBuffer<double, 1, 0, 1, 8> a;
    a.Add(1.5);
    EXPECT_EQ(a.InsertEmpty(0, 1), 2);
    uint64_t bits = 1;
    std::memcpy(&bits, a.GetData(), sizeof bits);
    EXPECT_EQ(bits, 0u);
    EXPECT_EQ(a.GetAt(1), 1.5);
}

TEST(ArrayBufferM, KeepsUpToFourBytesInsideTheObject)
{
    MidiBytes m;
    EXPECT_EQ(m.GetCount(), 0u);
    EXPECT_TRUE(PointsInto(m.GetData(), &m, sizeof m));

    EXPECT_EQ(m.SetCount(3), 3);
    EXPECT_TRUE(PointsInto(m.GetData(), &m, sizeof m));
    EXPECT_EQ(m.GetCapacity(), 0u);
    EXPECT_EQ(Items<signed char>(m), (std::vector<signed char>{0, 0, 0}));

    m.GetAt(0) = 10;
    m.GetAt(1) = 11;
    m.GetAt(2) = 12;
    EXPECT_EQ(m.SetCount(6), 6);
    EXPECT_FALSE(PointsInto(m.GetData(), &m, sizeof m));
    EXPECT_EQ(Items<signed char>(m), (std::vector<signed char>{10, 11, 12, 0, 0, 0}));

    EXPECT_EQ(m.SetCount(2), 2);
    EXPECT_TRUE(PointsInto(m.GetData(), &m, sizeof m));
    EXPECT_EQ(m.GetCapacity(), 0u);
    EXPECT_EQ(Items<signed char>(m), (std::vector<signed char>{10, 11}));

    EXPECT_EQ(m.SetCount(0), 0);
    EXPECT_EQ(m.GetCount(), 0u);
    EXPECT_TRUE(PointsInto(m.GetData(), &m, sizeof m));
}

TEST(ArrayBufferM, InsertionsAndRemovalsCrossBetweenInlineAndHeap)
{
    MidiBytes m;
    m.Add(1);
    m.Add(2);
    m.Add(3);
    EXPECT_EQ(m.InsertAt(1, 9), 4);
    EXPECT_TRUE(PointsInto(m.GetData(), &m, sizeof m));
    EXPECT_EQ(Items<signed char>(m), (std::vector<signed char>{1, 9, 2, 3}));

    EXPECT_EQ(m.InsertAt(0, 7), 5);
    EXPECT_FALSE(PointsInto(m.GetData(), &m, sizeof m));
    EXPECT_EQ(Items<signed char>(m), (std::vector<signed char>{7, 1, 9, 2, 3}));

    EXPECT_EQ(m.InsertEmpty(2, 2), 7);
    EXPECT_EQ(Items<signed char>(m), (std::vector<signed char>{7, 1, 0, 0, 9, 2, 3}));

    EXPECT_EQ(m.RemoveAt(0, 4), 3);
    EXPECT_TRUE(PointsInto(m.GetData(), &m, sizeof m));
    EXPECT_EQ(Items<signed char>(m), (std::vector<signed char>{9, 2, 3}));
}
