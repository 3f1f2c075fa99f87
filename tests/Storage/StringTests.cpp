#include "Support/StringPrinting.h"

#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace
{
using TestSupport::Units;
using ZQ::AString;
using ZQ::EmptyString;
using ZQ::WString;

// Built while globals are initialised: the empty strings must already exist then.
const WString gGlobalEmpty;
const WString gGlobalText(u"global");

int RefCount(const WString& s)
{
    return s.GetStorage()->GetRefCount();
}

TEST(String, EmptyStringsShareOneBuffer)
{
    EXPECT_EQ(gGlobalEmpty.GetBuffer(), EmptyString.GetBuffer());
    EXPECT_EQ(Units(gGlobalText), u"global");

    const WString defaulted;
    EXPECT_EQ(defaulted.GetLength(), 0);
    EXPECT_TRUE(defaulted.IsEmpty());
    EXPECT_EQ(defaulted.GetBuffer(), EmptyString.GetBuffer());
    EXPECT_GE(RefCount(EmptyString), 2);

    WString s(u"abc");
    s.Empty();
    EXPECT_EQ(s.GetBuffer(), EmptyString.GetBuffer());
    s = WString(u"abc");
    s.Assign(static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(s.GetBuffer(), EmptyString.GetBuffer());
    s = WString(u"abc");
    s.Assign(u"");
    EXPECT_EQ(s.GetBuffer(), EmptyString.GetBuffer());

    char16_t* data = s.Lock(16);
    data[0] = 0;
    EXPECT_EQ(s.Unlock(), 0);
    EXPECT_EQ(s.GetBuffer(), EmptyString.GetBuffer());

    EXPECT_EQ(ZQ::EmptyAString.GetLength(), 0);
    EXPECT_EQ(AString().GetBuffer(), ZQ::EmptyAString.GetBuffer());
}

TEST(String, CharacterConstructorMakesItsOwnBuffer)
{
    const WString zero(char16_t(0));
    EXPECT_TRUE(zero.IsEmpty());
    EXPECT_NE(zero.GetBuffer(), EmptyString.GetBuffer());
    EXPECT_EQ(zero.GetStorage()->GetSize(), 2u);

    const WString a(u'A');
    EXPECT_EQ(a.GetStorage()->GetSize(), 4u);
    EXPECT_EQ(Units(a), u"A");
    EXPECT_EQ(AString('A').GetStorage()->GetSize(), 2u);
}

TEST(String, TerminatedTextOfEveryLengthIsCountedToItsZero)
{
    // Lengths around the steps in which the length is counted, with text after the zero that must
    // not be taken.
    const std::u16string text = u"abcdefghij";
    for (size_t n = 1; n <= 9; ++n)
    {
        std::u16string units = text;
        units[n] = 0;
        const WString s(units.c_str());
        EXPECT_EQ(s.GetLength(), static_cast<int>(n));
        EXPECT_EQ(Units(s), text.substr(0, n));
    }
}

TEST(String, CopiesShareUnlessTheSourceIsLocked)
{
    const WString original(u"abc");
    const int before = RefCount(original);
    {
        const WString copy(original);
        EXPECT_EQ(copy.GetBuffer(), original.GetBuffer());
        EXPECT_EQ(RefCount(original), before + 1);
    }
    EXPECT_EQ(RefCount(original), before);

    WString locked(u"abcdef");
    char16_t* data = locked.Lock(10);
    data[3] = 0;
    const WString copy(locked);
    EXPECT_NE(copy.GetBuffer(), locked.GetBuffer());
    EXPECT_EQ(Units(copy), u"abc");
    EXPECT_EQ(copy.GetStorage()->GetSize(), 8u);
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_EQ(locked.GetStorage()->GetSize(), 20u);

    WString assigned(u"x");
    assigned = locked;
    EXPECT_EQ(Units(assigned), u"abc");
    EXPECT_FALSE(assigned.IsLocked());

    // Assigning into a locked string writes in place and keeps the lock.
    locked = WString(u"xy");
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_EQ(locked.GetBuffer(), data);
    EXPECT_EQ(Units(locked), u"xy");
}

TEST(String, AssignCopiesAtMostMaxLength)
{
    struct Case
    {
        int maxLength;
        std::u16string expected;
    };
    const Case cases[] = {{3, u"abc"}, {0, u""}, {-1, u"abcdef"}, {100, u"abcdef"}};
    for (const Case& c : cases)
    {
        WString s;
        s.Assign(u"abcdef", c.maxLength);
        EXPECT_EQ(Units(s), c.expected) << c.maxLength;
        EXPECT_EQ(s.GetStorage()->GetSize(), 2 * (c.expected.size() + 1));
    }
}

TEST(String, AssigningTooLongATextIntoALockedStringGrowsIt)
{
    WString s(u"ab");
    ASSERT_NE(s.Lock(3), nullptr);
    s.Assign(u"abcdefgh");
    EXPECT_TRUE(s.IsLocked());
    EXPECT_EQ(Units(s), u"abcdefgh");
    s.Unlock();
    EXPECT_EQ(Units(s), u"abcdefgh");
}

TEST(String, LockGivesAPrivateWritableBuffer)
{
    WString s(u"abc");
    const WString other(s);
    char16_t* data = s.Lock(0);
    ASSERT_NE(data, nullptr);
    EXPECT_NE(static_cast<const char16_t*>(data), other.GetBuffer());
    EXPECT_EQ(std::u16string(data, 4), std::u16string(u"abc\0", 4));
    EXPECT_EQ(s.Lock(0), nullptr);
    data[0] = u'x';
    EXPECT_EQ(Units(other), u"abc");
    EXPECT_EQ(s.Unlock(), 0);
    EXPECT_EQ(s.Unlock(), 1);
    EXPECT_EQ(Units(s), u"xbc");

    WString cut(u"abcdef");
    ASSERT_NE(cut.Lock(2), nullptr);
    EXPECT_EQ(Units(cut), u"a");
    cut.Unlock();
    EXPECT_EQ(Units(cut), u"a");

    WString roomy(u"abc");
    ASSERT_NE(roomy.Lock(10), nullptr);
    EXPECT_EQ(Units(roomy), u"abc");
    EXPECT_EQ(roomy.GetStorage()->GetSize(), 20u);
}

TEST(String, UnlockLeavesAnExactBuffer)
{
    WString s;
    char16_t* data = s.Lock(16);
    std::memcpy(data, u"hello", 12);
    EXPECT_EQ(s.GetLength(), 5);
    s.Unlock();
    EXPECT_EQ(s.GetLength(), 5);
    EXPECT_EQ(s.GetStorage()->GetSize(), 12u);
    EXPECT_TRUE(s.GetStorage()->IsShareable());

    WString counted(u"abcdef");
    counted.Lock(8)[2] = 0;
    EXPECT_EQ(counted.GetLength(), 2);

    // A caller that overwrote the terminator too still gets a terminated text.
    WString full;
    data = full.Lock(4);
    for (int i = 0; i < 4; ++i)
        data[i] = u'z';
    EXPECT_EQ(full.GetLength(), 4);
    full.Unlock();
    EXPECT_EQ(Units(full), u"zzzz");
}

TEST(String, AppendAndConcatenate)
{
    WString s(u"ab");
    const auto* storage = s.GetStorage().Get();
    s.Append(EmptyString);
    EXPECT_EQ(s.GetStorage().Get(), storage);

    const WString joined = WString(u"ab") + WString(u"cd");
    EXPECT_EQ(Units(joined), u"abcd");
    EXPECT_EQ(joined.GetStorage()->GetSize(), 10u);

    WString self(u"xy");
    self.Append(self);
    EXPECT_EQ(Units(self), u"xyxy");

    WString locked(u"ab");
    ASSERT_NE(locked.Lock(0), nullptr);
    locked.Append(WString(u"cde"));
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_EQ(Units(locked), u"abcde");
    EXPECT_EQ(locked.GetStorage()->GetSize(), 12u);
    locked.Append(locked);
    EXPECT_EQ(Units(locked), u"abcdeabcde");

    const WString shared(u"ab");
    WString other(shared);
    other.Append(WString(u"c"));
    EXPECT_EQ(Units(shared), u"ab");
    EXPECT_EQ(Units(other), u"abc");
}

TEST(String, AppendedTextMayComeFromTheStringItself)
{
    // Pieces of the string's own text stay readable while its buffer grows (out of its first block,
    // out of a shared one) and while a locked buffer shrinks to the result.
    WString own(u"abcdef");
    own.Append(own);
    own.Append(own);
    EXPECT_EQ(Units(own), u"abcdefabcdefabcdefabcdef");
    EXPECT_EQ(own.Insert(own.GetLength(), own.GetBuffer() + 1, 3), S_OK);
    EXPECT_EQ(Units(own), u"abcdefabcdefabcdefabcdefbcd");

    WString shared(u"abc");
    const WString holder(shared);
    EXPECT_EQ(shared.Insert(shared.GetLength(), shared.GetBuffer(), -1), S_OK);
    EXPECT_EQ(Units(shared), u"abcabc");
    EXPECT_EQ(Units(holder), u"abc");

    // In a locked buffer the piece may lie past the text's zero, in bytes the resize gives back.
    WString locked;
    char16_t* data = locked.Lock(200);
    std::memcpy(data, u"ab\0xyz", 7 * sizeof(char16_t));
    EXPECT_EQ(locked.Insert(2, data + 3, 3), S_OK);
    EXPECT_EQ(locked.Unlock(), 0);
    EXPECT_EQ(Units(locked), u"abxyz");
}

TEST(String, RepeatedAppendsGrowTheBufferInSteps)
{
    WString s(u"a");
    int capacityChanges = 0;
    uint32_t capacity = s.GetStorage()->GetCapacity();
    for (int i = 0; i < 300; ++i)
    {
        s += u'x';
        const uint32_t now = s.GetStorage()->GetCapacity();
        capacityChanges += now != capacity ? 1 : 0;
        capacity = now;
        // The buffer's size stays that of the text and its zero; the room lies beyond it.
        ASSERT_EQ(s.GetStorage()->GetSize(), static_cast<uint32_t>(s.GetLength() + 1) * 2);
    }
    EXPECT_EQ(s.GetLength(), 301);
    EXPECT_LE(capacityChanges, 20);
    EXPECT_LE(s.GetStorage()->GetCapacity(), s.GetStorage()->GetSize() + 128);
}

TEST(String, NarrowStringOverAByteBufferAppendsInItsOwnBuffer)
{
    // A buffer of another kind than the strings' own, left to the string alone, grows like its own.
    ZQ::ConstRCPtr<ZQ::LIBuffer> bytes = ZQ::ByteBuffer::Create(3, 0, true);
    std::memcpy(const_cast<ZQ::LIBuffer*>(bytes.Get())->GetData(), "ab", 3);
    AString s(bytes);
    bytes = nullptr;
    s.Append(AString("cdefghijklmnopqrstuvwxyz"));
    s += 'z';
    EXPECT_STREQ(s.GetBuffer(), "abcdefghijklmnopqrstuvwxyzz");
    EXPECT_EQ(s.GetLength(), 27);
}

TEST(String, InsertAtEveryKindOfPosition)
{
    struct Case
    {
        int position;
        const char16_t* text;
        int count;
        ZQRESULT result;
        std::u16string expected;
    };
    const Case cases[] = {
        {0, u"x", -1, S_OK, u"xabc"},         {3, u"x", -1, S_OK, u"abcx"},
        {1, u"xy", -1, S_OK, u"axybc"},       {4, u"x", -1, E_INVALIDARG, u"abc"},
        {-1, u"x", -1, E_INVALIDARG, u"abc"}, {1, u"xyz", 2, S_OK, u"axybc"},
        {1, u"xyz", 5, S_OK, u"axyzbc"},      {1, u"xyz", 0x7ffffffe, S_OK, u"axyzbc"},
        {1, u"xyz", 0, S_OK, u"abc"},
    };
    for (const Case& c : cases)
    {
        WString s(u"abc");
        EXPECT_EQ(s.Insert(c.position, c.text, c.count), c.result) << c.position << "," << c.count;
        EXPECT_EQ(Units(s), c.expected) << c.position << "," << c.count;
    }

    for (const auto& [position, expected] :
         {std::pair{2, u"abab"}, std::pair{0, u"abab"}, std::pair{1, u"aabb"}})
    {
        WString self(u"ab");
        EXPECT_EQ(self.Insert(position, self), S_OK);
        EXPECT_EQ(Units(self), expected) << position;
    }

    WString s(u"abc");
    s += u'd';
    EXPECT_EQ(Units(s), u"abcd");
    s += char16_t(0);
    EXPECT_EQ(Units(s), u"abcd");
    EXPECT_EQ(s.Append(u'e'), S_OK);
    EXPECT_EQ(Units(s), u"abcde");
}

TEST(String, MidLeftRight)
{
    struct Case
    {
        int start;
        int count;
        std::u16string expected;
    };
    const Case cases[] = {
        {1, 3, u"bcd"}, {4, 10, u"ef"}, {6, 1, u""},      {2, 0, u""},
        {-2, 5, u"ef"}, {-8, 3, u"a"},  {2, -1, u"cdef"}, {-8, 1, u""},
        {-8, 2, u""},   {-100, 1, u""}, {7, 1, u""},      {0, 0x7fffffff, u"abcdef"},
    };
    const WString s(u"abcdef");
    for (const Case& c : cases)
        EXPECT_EQ(Units(s.Mid(c.start, c.count)), c.expected) << c.start << "," << c.count;
    EXPECT_EQ(Units(s.Left(10)), u"abcdef");
    EXPECT_EQ(Units(s.Left(2)), u"ab");
    EXPECT_EQ(Units(s.Right(2)), u"ef");
    EXPECT_EQ(Units(s.Right(10)), u"abcdef");
    EXPECT_EQ(Units(s.Mid(6)), u"");
    EXPECT_EQ(s.Mid(6).GetBuffer(), EmptyString.GetBuffer());
    // Extreme arguments neither overflow nor wrap around.
    EXPECT_EQ(Units(s.Mid(INT32_MIN)), u"abcdef");
    EXPECT_EQ(Units(s.Mid(INT32_MIN, INT32_MAX)), u"abcde");
    EXPECT_EQ(Units(s.Mid(INT32_MAX, INT32_MAX)), u"");
    EXPECT_EQ(Units(s.Right(INT32_MAX)), u"abcdef");
    EXPECT_EQ(Units(s.Right(INT32_MIN)), u"");
    EXPECT_STREQ(AString("abcdef").Right(2).GetBuffer(), "ef");
}

TEST(String, FindTextAndCharacters)
{
    const WString s(u"abcdcd");
    EXPECT_EQ(s.Find(WString(u"cd")), 2);
    EXPECT_EQ(s.Find(WString(u"x")), -1);
    EXPECT_EQ(s.Find(EmptyString), 0);
    EXPECT_EQ(AString("abcdcd").Find(AString("cd"), 3), 4);
    EXPECT_EQ(AString("abcdcd").Find(AString("cd"), 5), -1);

    struct Case
    {
        char ch;
        int start;
        int expected;
    };
    const Case cases[] = {{'c', 0, 2},  {'c', 3, 4},    {'c', 5, -1},       {'x', 0, -1},
                          {'\0', 3, 3}, {'\0', 10, 10}, {char(0xC3), 1, 1}, {'c', 10, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(s.Find(c.ch, c.start), c.expected) << int(c.ch) << "," << c.start;

    EXPECT_EQ(s.ReverseFind('c'), 4);
    EXPECT_EQ(s.ReverseFind('x'), -1);
    EXPECT_EQ(s.ReverseFind('\0'), 6);
    EXPECT_EQ(s.ReverseFind(char(0x80)), 6);

    // A locked text ends at its first zero: nothing after it is found.
    WString locked(u"abcdcd");
    char16_t* data = locked.Lock(0);
    ASSERT_NE(data, nullptr);
    data[3] = 0;
    EXPECT_EQ(locked.Find(WString(u"cd")), -1);
    EXPECT_EQ(locked.Find('d', 0), -1);
    EXPECT_EQ(locked.Find(WString(u"c")), 2);
}

TEST(String, RemoveChecksTheWholeRange)
{
    struct Case
    {
        int start;
        int count;
        bool removed;
        std::u16string expected;
    };
    const Case cases[] = {
        {1, 2, true, u"adef"},     {4, 2, true, u"abcd"},     {0, 6, true, u""},
        {2, 0, true, u"abcdef"},   {4, 3, false, u"abcdef"},  {6, 0, false, u"abcdef"},
        {-1, 1, false, u"abcdef"}, {2, -1, false, u"abcdef"}, {1, 0x7fffffff, false, u"abcdef"},
    };
    for (const Case& c : cases)
    {
        WString s(u"abcdef");
        EXPECT_EQ(s.Remove(c.start, c.count), c.removed) << c.start << "," << c.count;
        EXPECT_EQ(Units(s), c.expected) << c.start << "," << c.count;
    }
    WString empty;
    EXPECT_FALSE(empty.Remove(0, 0));

    WString locked(u"abcdef");
    const char16_t* data = locked.Lock(12);
    EXPECT_TRUE(locked.Remove(1, 2));
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_EQ(locked.GetBuffer(), data);
    EXPECT_EQ(locked.GetStorage()->GetSize(), 24u);
    EXPECT_EQ(Units(locked), u"adef");
}

TEST(String, EqualityAndOrderAreByCodeUnit)
{
    const WString abc(u"abc");
    EXPECT_TRUE(abc == WString(u"abc"));
    EXPECT_FALSE(abc == WString(u"ABC"));
    EXPECT_TRUE(abc != WString(u"ABC"));
    EXPECT_FALSE(abc != WString(u"abc"));
    const WString shared(abc);
    EXPECT_TRUE(abc == shared);
    EXPECT_FALSE(abc != shared);
    EXPECT_TRUE(WString() == static_cast<const char16_t*>(nullptr));
    EXPECT_TRUE(WString() == nullptr);
    EXPECT_TRUE(abc != nullptr);
    EXPECT_TRUE(WString() == u"");
    EXPECT_FALSE(abc == static_cast<const char16_t*>(nullptr));
    EXPECT_FALSE(abc == u"ab");
    EXPECT_FALSE(abc == u"abcd");
    EXPECT_TRUE(AString("abc") == "abc");

    struct Case
    {
        const char16_t* a;
        const char16_t* b;
    };
    const Case ordered[] = {{u"abc", u"abd"}, {u"ab", u"abc"}, {u"", u"a"}, {u"Z", u"a"}, {u"z", u"\u00e9"}};
    for (const Case& c : ordered)
    {
        EXPECT_TRUE(WString(c.a) < WString(c.b));
        EXPECT_FALSE(WString(c.b) < WString(c.a));
        EXPECT_TRUE(ZQ::StringLess(WString(c.a), WString(c.b)));
    }
    EXPECT_FALSE(abc < abc);
    EXPECT_FALSE(abc < shared);
    EXPECT_FALSE(ZQ::StringLess(abc, shared));
}

TEST(String, NarrowStringOverABuffer)
{
    ZQ::ConstRCPtr<ZQ::LIBuffer> buffer = ZQ::StringBuffer::Create(4, 0, true);
    std::memcpy(const_cast<ZQ::LIBuffer*>(buffer.Get())->GetData(), "abc", 4);
    const AString shared(buffer);
    EXPECT_EQ(shared.GetStorage().Get(), buffer.Get());
    EXPECT_STREQ(shared.GetBuffer(), "abc");

    // A buffer with bytes after the text is never trimmed in place: its giver keeps it as it was.
    ZQ::ConstRCPtr<ZQ::LIBuffer> padded = ZQ::StringBuffer::Create(8, 0, true);
    std::memcpy(const_cast<ZQ::LIBuffer*>(padded.Get())->GetData(), "ab\0xyzw", 8);
    const AString trimmed(padded);
    EXPECT_STREQ(trimmed.GetBuffer(), "ab");
    EXPECT_EQ(trimmed.GetLength(), 2);
    EXPECT_EQ(padded->GetSize(), 8u);

    ZQ::ConstRCPtr<ZQ::LIBuffer> locked = ZQ::StringBuffer::Create(4, 0, true);
    std::memcpy(const_cast<ZQ::LIBuffer*>(locked.Get())->GetData(), "xyz", 4);
    const_cast<ZQ::LIBuffer*>(locked.Get())->SetUnshareable(true);
    const AString copied(locked);
    EXPECT_NE(copied.GetStorage().Get(), locked.Get());
    EXPECT_STREQ(copied.GetBuffer(), "xyz");
}
} // namespace
