#include "ZQFramework/Utilities/Storage/Buffer.h"
#include "ZQFramework/Utilities/Storage/CountedBuffer.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace
{
using ZQ::BufferT;
using ZQ::ConstRCPtr;
using ZQ::LIBuffer;
using ZQ::StringBuffer;

struct SizeStep
{
    uint32_t size;
    uint32_t capacity;
};

template <class Buffer>
void ExpectCapacities(Buffer& buffer, const std::vector<SizeStep>& steps)
{
    for (const SizeStep& step : steps)
    {
        buffer.SetSize(step.size);
        EXPECT_EQ(buffer.GetSize(), step.size);
        EXPECT_EQ(buffer.GetCapacity(), step.capacity) << "after SetSize(" << step.size << ")";
        EXPECT_EQ(buffer.GetData() == nullptr, step.capacity == 0);
    }
}

TEST(Buffer, StringBufferKeepsUpTo128SpareBytes)
{
    BufferT<1, 128, 8, char*> buffer(10, 0, true);
    EXPECT_EQ(buffer.GetCapacity(), 10u);
    ExpectCapacities(buffer, {{22, 22}, {4, 22}, {300, 300}, {172, 300}, {171, 171}, {0, 0}});
}

TEST(Buffer, CountedStringBufferKeepsItsBytesAndCapacityStepsOnceItOutgrowsItsFirstBlock)
{
    const ConstRCPtr<LIBuffer> counted = StringBuffer::Create(10, 0, true);
    auto* buffer = const_cast<LIBuffer*>(counted.Get());
    std::memcpy(buffer->GetData(), "0123456789", 10);
    EXPECT_EQ(buffer->GetCapacity(), 10u);
    ExpectCapacities(*buffer, {{22, 22}, {4, 22}, {300, 300}, {172, 300}, {171, 171}});
    EXPECT_EQ(std::memcmp(buffer->GetData(), "0123", 4), 0);
    const ConstRCPtr<LIBuffer> copy = ConstRCPtr<LIBuffer>(buffer->CreateCopy());
    EXPECT_EQ(copy->GetSize(), 171u);
    EXPECT_EQ(std::memcmp(copy->GetData(), "0123", 4), 0);
    ExpectCapacities(*buffer, {{0, 0}, {5, 5}});
}

TEST(Buffer, FourByteGranularityFollowsTheSize)
{
    BufferT<4, 0, 8, unsigned int*> buffer;
    EXPECT_EQ(buffer.GetCapacity(), 0u);
    ExpectCapacities(buffer, {{4, 4}, {8, 8}, {12, 12}, {8, 8}, {6, 8}, {9, 12}, {0, 0}});
}

TEST(Buffer, PointerBuffersCountGranularityInPointerSlots)
{
    // The same arguments on a buffer of pointers keep the same number of elements of room.
    constexpr uint32_t p = sizeof(void*);
    BufferT<4, 0, 8, int**> buffer;
    ExpectCapacities(buffer,
                     {{p, p}, {2 * p, 2 * p}, {3 * p, 3 * p}, {2 * p, 2 * p}, {2 * p - 2, 2 * p}, {0, 0}});
    BufferT<4, 0, 8, int**> reserved(p, 16 * p, true);
    EXPECT_EQ(reserved.GetCapacity(), p);
}

TEST(Buffer, ConstructorReservationSurvivesOnlyWithinTheSlack)
{
    EXPECT_EQ((BufferT<1, 128, 8, char*>(10, 12, true).GetCapacity()), 12u);
    EXPECT_EQ((BufferT<4, 0, 8, unsigned int*>(10, 12, true).GetCapacity()), 12u);
    EXPECT_EQ((BufferT<4, 0, 8, unsigned int*>(10, 16, true).GetCapacity()), 12u);
    EXPECT_EQ((BufferT<4, 0, 8, unsigned int*>(4, 64, true).GetCapacity()), 4u);

    BufferT<1, 0, 8, char*> zeroed(5, 0, true);
    const auto* bytes = static_cast<const unsigned char*>(zeroed.GetData());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bytes[i], 0);
}

TEST(Buffer, AllocateKeepsTheBlockOnlyWhenTheRoundedSizeMatches)
{
    BufferT<4, 0, 8, unsigned int*> buffer;
    EXPECT_EQ(buffer.Allocate(0), 0u);
    EXPECT_EQ(buffer.GetData(), nullptr);

    buffer.SetSize(8);
    std::memcpy(buffer.GetData(), "abcdefgh", 8);
    void* block = buffer.GetData();
    EXPECT_EQ(buffer.Allocate(5), 5u);
    EXPECT_EQ(buffer.GetData(), block);
    EXPECT_EQ(std::memcmp(buffer.GetData(), "abcde", 5), 0);
    EXPECT_EQ(buffer.Allocate(9), 9u);
    EXPECT_EQ(buffer.GetCapacity(), 12u);
    EXPECT_EQ(buffer.Allocate(0), 0u);
    EXPECT_EQ(buffer.GetCapacity(), 0u);
    EXPECT_EQ(buffer.GetData(), nullptr);
}

TEST(Buffer, SetSizeKeepsTheBytesInFront)
{
    BufferT<1, 0, 8, char*> buffer(4, 0, true);
    std::memcpy(buffer.GetData(), "wxyz", 4);
    buffer.SetSize(5000);
    EXPECT_EQ(std::memcmp(buffer.GetData(), "wxyz", 4), 0);
    buffer.SetSize(2);
    EXPECT_EQ(std::memcmp(buffer.GetData(), "wx", 2), 0);
}

TEST(Buffer, FillChecksItsRangeWithoutWrapping)
{
    struct Case
    {
        uint32_t offset;
        int32_t count;
        ZQRESULT result;
        const char* after; // the six bytes afterwards, '.' for 0xAB
    };
    const Case cases[] = {
        {2, -1, S_OK, "00...."},
        {6, 0, S_OK, "000000"},
        {0, 6, S_OK, "......"},
        {7, -1, E_INVALIDARG, "000000"},
        {4, 3, E_INVALIDARG, "000000"},
        {0xFFFFFFFFu, 2, E_INVALIDARG, "000000"},
        {2, INT32_MAX, E_INVALIDARG, "000000"},
    };
    for (const Case& c : cases)
    {
        BufferT<1, 0, 8, char*> buffer(6, 0, true);
        EXPECT_EQ(buffer.Fill(0xAB, c.offset, c.count), c.result) << c.offset << "," << c.count;
        const auto* bytes = static_cast<const unsigned char*>(buffer.GetData());
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(bytes[i], c.after[i] == '.' ? 0xAB : 0) << c.offset << "," << c.count << " byte " << i;
    }
}

TEST(Buffer, Fill16WritesWholeUnitsAtAnyOffsetWithoutWrapping)
{
    BufferT<1, 0, 8, char*> buffer(6, 0, true);
    EXPECT_EQ(buffer.Fill16(0x1234, 1, -1), S_OK);
    const auto* bytes = static_cast<const unsigned char*>(buffer.GetData());
    uint16_t first;
    uint16_t second;
    std::memcpy(&first, bytes + 1, 2);
    std::memcpy(&second, bytes + 3, 2);
    EXPECT_EQ(first, 0x1234);
    EXPECT_EQ(second, 0x1234);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[5], 0);

    EXPECT_EQ(buffer.Fill16(0, 2, 3), E_INVALIDARG);
    EXPECT_EQ(buffer.Fill16(0, 0xFFFFFFFEu, 1), E_INVALIDARG);
    EXPECT_EQ(buffer.Fill16(0, 0, INT32_MAX), E_INVALIDARG);
    EXPECT_EQ(buffer.Fill16(0, 7, -1), E_INVALIDARG);
    EXPECT_EQ(buffer.Fill16(0, 6, -1), S_OK);
}

TEST(CountedBuffer, CreateCopyHasTheSameBytesAndAnExactCapacity)
{
    ConstRCPtr<LIBuffer> source = StringBuffer::Create(10, 0, true);
    auto* writable = const_cast<LIBuffer*>(source.Get());
    writable->SetSize(120);
    writable->SetSize(10);
    ASSERT_EQ(source->GetCapacity(), 120u);
    std::memcpy(writable->GetData(), "0123456789", 10);

    ConstRCPtr<LIBuffer> copy(source->CreateCopy());
    ASSERT_FALSE(copy.IsNull());
    EXPECT_NE(copy.Get(), source.Get());
    EXPECT_EQ(copy->GetSize(), 10u);
    EXPECT_EQ(copy->GetCapacity(), 10u);
    EXPECT_EQ(std::memcmp(copy->GetData(), "0123456789", 10), 0);
    EXPECT_EQ(copy->GetRefCount(), 1);
    EXPECT_EQ(source->GetRefCount(), 1);
}

TEST(CountedBuffer, CreateKeepsRoomUpToTheSlack)
{
    struct Case
    {
        uint32_t size;
        uint32_t capacity;
        uint32_t expected;
    };
    const Case cases[] = {{10, 0, 10}, {10, 10, 10}, {10, 138, 138}, {10, 139, 10}, {0, 20, 20}};
    for (const Case& c : cases)
    {
        ConstRCPtr<LIBuffer> created = StringBuffer::Create(c.size, c.capacity, true);
        EXPECT_EQ(created->GetSize(), c.size) << c.size << "," << c.capacity;
        EXPECT_EQ(created->GetCapacity(), c.expected) << c.size << "," << c.capacity;
        if (c.size == 0)
            continue;
        // The room is usable: the buffer grows into it and keeps its bytes.
        auto* writable = const_cast<LIBuffer*>(created.Get());
        std::memset(writable->GetData(), 'a', c.size);
        writable->SetSize(c.expected);
        EXPECT_EQ(created->GetCapacity(), c.expected);
        EXPECT_EQ(static_cast<const char*>(created->GetData())[c.size - 1], 'a');
    }
}

TEST(CountedBuffer, CreateResizedCopyTakesTheBytesFromTheOffset)
{
    ConstRCPtr<LIBuffer> source = StringBuffer::Create(10, 0, true);
    std::memcpy(const_cast<LIBuffer*>(source.Get())->GetData(), "0123456789", 10);
    struct Case
    {
        uint32_t size;
        uint32_t offset;
        const char* expected; // '_' for a zero byte
    };
    const Case cases[] = {{4, 0, "0123"},
                          {16, 0, "0123456789______"},
                          {8, 6, "6789____"},
                          {8, 10, "________"},
                          {8, 20, "________"}};
    for (const Case& c : cases)
    {
        ConstRCPtr<LIBuffer> copy = source->CreateResizedCopy(c.size, c.offset);
        ASSERT_EQ(copy->GetSize(), c.size);
        const auto* bytes = static_cast<const char*>(copy->GetData());
        for (uint32_t i = 0; i < c.size; ++i)
            EXPECT_EQ(bytes[i], c.expected[i] == '_' ? '\0' : c.expected[i]) << c.size << "," << c.offset;
        EXPECT_EQ(copy->GetRefCount(), 1);
    }
}

TEST(CountedBuffer, ASecondHolderOfAnUnshareableBufferGetsItsOwnCopy)
{
    ConstRCPtr<LIBuffer> locked = StringBuffer::Create(4, 0, true);
    std::memcpy(const_cast<LIBuffer*>(locked.Get())->GetData(), "abc", 4);
    const_cast<LIBuffer*>(locked.Get())->SetUnshareable(true);

    ConstRCPtr<LIBuffer> second(locked);
    EXPECT_NE(second.Get(), locked.Get());
    EXPECT_EQ(second->GetSize(), 4u);
    EXPECT_STREQ(static_cast<const char*>(second->GetData()), "abc");
    EXPECT_TRUE(second->IsShareable());
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(locked->GetRefCount(), 1);
    EXPECT_FALSE(locked->IsShareable());
}
} // namespace
