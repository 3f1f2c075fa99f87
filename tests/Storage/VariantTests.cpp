#include "ZQFramework/Utilities/Storage/Variant.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace
{
using ZQ::Variant;

template <class T>
uint32_t SetValue(Variant& v, uint32_t kind, T value)
{
    return v.SetTyped(kind, &value, sizeof(value));
}

TEST(Variant, EmptyConvertsToZeroAndHasNoData)
{
    Variant v;
    EXPECT_FALSE(v.ToBool());
    EXPECT_EQ(v.ToInt64(), 0);
    EXPECT_EQ(v.ToUInt32(), 0u);
    EXPECT_EQ(v.ToDouble(), 0.0);
    uint32_t length = 99;
    EXPECT_EQ(v.GetData(length), nullptr);
    EXPECT_EQ(length, 0u);
}

TEST(Variant, IntegerKindsExtendAndNarrowByTheirSign)
{
    Variant v;
    ASSERT_EQ(SetValue<int32_t>(v, Variant::KindInt32, -2), Variant::KindInt32);
    EXPECT_EQ(v.ToInt64(), -2);
    EXPECT_EQ(v.ToUInt32(), 0xFFFFFFFEu);
    EXPECT_EQ(v.ToInt16(), -2);
    EXPECT_EQ(v.ToInt8(), -2);
    EXPECT_EQ(v.ToDouble(), -2.0);

    ASSERT_EQ(SetValue<uint8_t>(v, Variant::KindInt8, 0xFF), Variant::KindInt8);
    EXPECT_EQ(v.ToInt16(), -1);
    EXPECT_EQ(v.ToUInt16(), 255);
    EXPECT_EQ(v.ToInt32(), -1);
    EXPECT_EQ(v.ToUInt32(), 0xFFFFFFFFu);

    ASSERT_EQ(SetValue<uint64_t>(v, Variant::KindUInt64, UINT64_MAX), Variant::KindUInt64);
    EXPECT_DOUBLE_EQ(v.ToDouble(), 18446744073709551615.0);
    EXPECT_EQ(v.ToInt64(), -1);

    ASSERT_EQ(SetValue<uint8_t>(v, Variant::KindBool, 7), Variant::KindBool);
    EXPECT_EQ(v.ToInt8(), 1);
    EXPECT_EQ(v.ToInt32(), 7);
}

TEST(Variant, FloatingKindsRoundHalvesAwayFromZero)
{
    struct Case
    {
        float value;
        int32_t expected;
    };
    for (const Case& c : {Case{2.5f, 3}, Case{-2.5f, -3}, Case{2.4f, 2}, Case{-0.5f, -1}})
    {
        Variant v;
        SetValue(v, Variant::KindFloat, c.value);
        EXPECT_EQ(v.ToInt32(), c.expected) << c.value;
    }
    Variant v;
    SetValue(v, Variant::KindDouble, 300.0);
    EXPECT_EQ(v.ToInt8(), 44); // low 8 bits of 300
    SetValue(v, Variant::KindDouble, 1e19);
    EXPECT_EQ(v.ToUInt64(), 10000000000000000000ull);
    SetValue(v, Variant::KindDouble, std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(v.ToBool());
}

TEST(Variant, SetTypedRejectsUnknownKindsAndWrongSizes)
{
    const unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Variant v;
    EXPECT_EQ(v.SetTyped(Variant::KindInt32, bytes, 2), 0u);
    EXPECT_EQ(v.GetKind(), 0u);
    EXPECT_EQ(v.SetTyped(17, bytes, 4), 0u);
    EXPECT_EQ(v.SetTyped(Variant::KindBorrowed, bytes, 3), Variant::KindBlob);
    EXPECT_EQ(v.GetLength(), 3u);
    EXPECT_EQ(v.SetTyped(Variant::KindArray, bytes, 8), Variant::KindArray);
    uint32_t length = 0;
    EXPECT_EQ(v.GetWritableData(length), nullptr);
    EXPECT_EQ(length, 0u);
    ASSERT_NE(v.GetData(length), nullptr);
    EXPECT_EQ(length, 8u);
    EXPECT_EQ(v.ToInt32(), 0);
    EXPECT_TRUE(v.ToBool());
}

TEST(Variant, BlobReadsLittleEndianAndNeverPastItsEnd)
{
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    Variant v;
    ASSERT_EQ(v.SetBlob(bytes, 5), Variant::KindBlob);
    EXPECT_EQ(v.ToInt16(), 0x0201);
    EXPECT_EQ(v.ToInt32(), 0x04030201);
    EXPECT_EQ(v.ToInt64(), 0x0504030201);
    EXPECT_EQ(v.ToDouble(), static_cast<double>(0x0504030201));
    EXPECT_EQ(v.GetNarrowText(), nullptr);

    v.SetBlob(bytes, 0);
    EXPECT_FALSE(v.ToBool());
    EXPECT_EQ(v.ToInt32(), 0);
}

TEST(Variant, TextCountsItsBytesInTheBaseConversions)
{
    Variant v;
    ASSERT_EQ(v.SetNarrowText("abc"), Variant::KindText);
    EXPECT_EQ(v.GetLength(), 4u);
    EXPECT_TRUE(v.ToBool());
    EXPECT_EQ(v.ToInt32(), 3);
    EXPECT_STREQ(v.GetNarrowText(), "abc");

    v.SetNarrowText("");
    EXPECT_EQ(v.GetLength(), 1u);
    EXPECT_FALSE(v.ToBool());

    // Text without a terminator inside the given bytes stops at their end.
    const char unterminated[3] = {'x', 'y', 'z'};
    ASSERT_EQ(v.SetTyped(Variant::KindText, unterminated, 2), Variant::KindText);
    EXPECT_STREQ(v.GetNarrowText(), "xy");
}

TEST(Variant, ClearGivesBackOwnedData)
{
    Variant v;
    v.SetNarrowText("some text");
    v.Clear();
    EXPECT_EQ(v.GetKind(), 0u);
    EXPECT_EQ(v.GetLength(), 0u);
    EXPECT_EQ(v.GetNarrowText(), nullptr);
}
} // namespace
