#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/SimpleFixedArray.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace
{

using Message = ZQ::SimpleFixedArray<signed char, 6>;

Message MakeMessage()
{
    Message m;
    const signed char bytes[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(m.GetData(), bytes, sizeof bytes);
    return m;
}

std::vector<int> Items(const Message& m)
{
    return std::vector<int>(m.GetData(), m.GetData() + m.GetCount());
}

} // namespace

TEST(SimpleFixedArray, StartsFullAndClampsCount)
{
    Message m;
    EXPECT_EQ(m.GetCount(), 6u);
    EXPECT_EQ(m.GetMaxCount(), 6);
    EXPECT_EQ(m.SetCount(9), 6);
    EXPECT_EQ(m.SetCount(0), 0);
    EXPECT_NE(m.GetData(), nullptr); // the storage, also when empty
}

TEST(SimpleFixedArray, InsertOpensAGapAndRemoveClosesIt)
{
    Message m = MakeMessage();
    m.SetCount(2);
    EXPECT_EQ(m.InsertAt(1, 9), 3); // through InsertEmpty: the new count
    EXPECT_EQ(Items(m), (std::vector<int>{1, 9, 2}));

    EXPECT_EQ(m.RemoveAt(0, 1), 2);
    EXPECT_EQ(Items(m), (std::vector<int>{9, 2}));
    EXPECT_EQ(m.Add(7), 3);
    EXPECT_EQ(Items(m), (std::vector<int>{9, 2, 7}));

    signed char out = 0;
    EXPECT_EQ(m.RemoveItem(1, out), 2);
    EXPECT_EQ(out, 2);
    EXPECT_EQ(m.RemoveLastItem(out), 1);
    EXPECT_EQ(out, 7);
    EXPECT_EQ(m.RemoveItem(1, out), E_INVALIDARG);
    m.SetCount(0);
    out = 5;
    EXPECT_EQ(m.RemoveLastItem(out), E_INVALIDARG);
    EXPECT_EQ(out, 5);
}

TEST(SimpleFixedArray, RejectsRangesThatDoNotFit)
{
    Message m = MakeMessage();
    m.SetCount(2);
    struct Case
    {
        const char* what;
        ZQRESULT result;
        ZQRESULT expected;
    };
    const Case cases[] = {
        {"insert past the room", m.InsertEmpty(0, 5), E_INVALIDARG},
        {"insert past the count", m.InsertEmpty(3, 1), E_INVALIDARG},
        {"insert of nothing, any index", m.InsertEmpty(7, 0), 2},
        {"insert count that wraps", m.InsertEmpty(0, 0xFFFFFFFFu), E_INVALIDARG},
        {"remove past the count", m.RemoveAt(1, 2), E_INVALIDARG},
        {"remove count that wraps", m.RemoveAt(1, 0xFFFFFFFFu), E_INVALIDARG},
        {"remove of nothing, any index", m.RemoveAt(9, 0), 2},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.result, c.expected) << c.what;
    }
    EXPECT_EQ(Items(m), (std::vector<int>{1, 2}));
}

TEST(SimpleFixedArray, AppendPastTheRoomFailsAtFullCount)
{
    Message m = MakeMessage();
    m.SetCount(3);
    ZQ::Array<signed char> five;
    five.SetCount(5);
    EXPECT_EQ(m.Append(five), E_FAIL);
    EXPECT_EQ(m.GetCount(), 6u);
    EXPECT_EQ(Items(m), (std::vector<int>{1, 2, 3, 4, 5, 6})); // new slots keep their bytes

    m.SetCount(2);
    ZQ::Array<signed char> two;
    two.SetCount(2);
    EXPECT_EQ(m.AppendArray(two), 4);
    EXPECT_EQ(Items(m), (std::vector<int>{1, 2, 0, 0}));
}
