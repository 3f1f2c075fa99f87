#include "ZQFramework/Utilities/Storage/VariantEx.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace
{
using ZQ::Variant;
using ZQ::VariantEx;
using Bytes = std::vector<uint8_t>;

void PutU32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A packed record: total size, format version, kind, then the value's bytes.
Bytes Record(uint32_t version, uint32_t kind, const Bytes& data = {}, int32_t sizeDelta = 0)
{
    Bytes out;
    PutU32(out, static_cast<uint32_t>(12 + data.size() + sizeDelta));
    PutU32(out, version);
    PutU32(out, kind);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Text(const char* text)
{
    return Bytes(text, text + std::strlen(text) + 1);
}

std::u16string Str(const ZQ::WString& text)
{
    return text.GetBuffer();
}

TEST(VariantEx, UnpackReadsWellFormedRecordsAndRejectsTheRest)
{
    struct Case
    {
        const char* name;
        Bytes record;
        uint32_t available; // 0: the record's own size
        ZQRESULT result;
        uint32_t kind; // afterwards; the value starts as the text "keep"
        std::u16string text;
    };
    const Case cases[] = {
        {"empty", Record(1, 0), 0, S_OK, 0, u"<empty>"},
        {"empty array", Record(1, 16), 0, S_OK, 16, u"<empty array>"},
        {"int32", Record(1, 6, {0xFE, 0xFF, 0xFF, 0xFF}), 0, S_OK, 6, u"-2 (0xFFFFFFFE)"},
        {"old int32", Record(0, 2, {5, 0, 0, 0}), 0, S_OK, 6, u"5 (0x00000005)"},
        {"int8", Record(1, 2, {0xFF}), 0, S_OK, 2, u"-1 (0xFFFFFFFF)"},
        {"uint16", Record(1, 5, {0x34, 0x12}), 0, S_OK, 5, u"4660 (0x1234)"},
        {"int64", Record(1, 10, {0xFF, 0, 0, 0, 0, 0, 0, 0}), 0, S_OK, 10, u"255 (0xFF)"},
        {"uint64", Record(1, 11, {0xFF, 0, 0, 0, 0, 0, 0, 0}), 0, S_OK, 11, u"FF"},
        {"bool", Record(1, 1, {1}), 0, S_OK, 1, u"true"},
        {"float", Record(1, 8, {0, 0, 0xC0, 0x3F}), 0, S_OK, 8, u"1.500000"},
        {"text", Record(1, 15, Text("1.0.5")), 0, S_OK, 15, u"1.0.5"},
        {"old text", Record(0, 9, Text("x")), 0, S_OK, 15, u"x"},
        {"text without zero stops at the record's end", Record(1, 15, {'a', 'b', 'c'}), 0, S_OK, 15, u"abc"},
        {"unknown version", Record(2, 6, {5, 0, 0, 0}), 0, E_FAIL, 15, u"keep"},
        {"unknown kind", Record(1, 17, {5}), 0, E_FAIL, 15, u"keep"},
        {"unknown old kind", Record(0, 11, {5}), 0, E_FAIL, 15, u"keep"},
        {"fixed kind of wrong size", Record(1, 6, {1, 2, 3}), 0, E_FAIL, 0, u"<empty>"},
        {"borrowed kind", Record(1, 12, {1, 2}), 0, E_FAIL, 14, u""},
        {"empty kind with bytes", Record(1, 0, {1}), 0, E_FAIL, 15, u"keep"},
        {"fixed kind without bytes", Record(1, 6), 0, E_FAIL, 15, u"keep"},
        {"total past the bytes given", Record(1, 6, {1, 2, 3, 4}, 4), 16, E_FAIL, 15, u"keep"},
        {"shorter than a header", Record(1, 0), 11, E_FAIL, 15, u"keep"},
        {"total below a header", Record(1, 0, {}, -8), 0, E_FAIL, 15, u"keep"},
    };
    for (const Case& c : cases)
    {
        VariantEx value;
        value.SetNarrowText("keep");
        const uint32_t available = c.available != 0 ? c.available : static_cast<uint32_t>(c.record.size());
        EXPECT_EQ(value.Unpack(c.record.data(), available), c.result) << c.name;
        EXPECT_EQ(value.GetKind(), c.kind) << c.name;
        if (c.kind != Variant::KindBlob)
        {
            EXPECT_EQ(Str(value.ToString()), c.text) << c.name;
        }
    }
}

TEST(VariantEx, TextParsesAsNumberOrBoolean)
{
    VariantEx value;
    const Bytes record = Record(1, 15, Text("1.0.5"));
    ASSERT_EQ(value.Unpack(record.data(), static_cast<uint32_t>(record.size())), S_OK);
    EXPECT_EQ(value.ToInt32(), 1);
    EXPECT_DOUBLE_EQ(value.ToDouble(), 1.0);
    EXPECT_FALSE(value.ToBool());

    struct Case
    {
        const char* text;
        bool asBool;
        int64_t asInt64;
    };
    for (const Case& c :
         {Case{"true", true, 0}, Case{"TRUE", true, 0}, Case{"True", true, 0}, Case{"1", false, 1},
          Case{"yes", false, 0}, Case{" -5000000000x", false, -5000000000}})
    {
        value.SetString(ZQ::AString(c.text));
        EXPECT_EQ(value.ToBool(), c.asBool) << c.text;
        EXPECT_EQ(value.ToInt64(), c.asInt64) << c.text;
        EXPECT_EQ(value.ToUInt32(), static_cast<uint32_t>(c.asInt64)) << c.text;
    }
    value.SetString(ZQ::AString("300"));
    EXPECT_EQ(value.ToInt8(), 44);
    EXPECT_EQ(value.GetLength(), 4u);
}

Bytes TwoElementArray()
{
    return Record(1, 16, Concat({Record(1, 6, {7, 0, 0, 0}), Record(1, 15, Text("ab"))}));
}

TEST(VariantEx, ArrayElementsUnpackAndPrintOneALine)
{
    const Bytes record = TwoElementArray();
    VariantEx array;
    ASSERT_EQ(array.Unpack(record.data(), static_cast<uint32_t>(record.size())), S_OK);

    ZQ::Array<VariantEx> elements;
    ASSERT_EQ(array.GetArray(elements), S_OK);
    ASSERT_EQ(elements.GetCount(), 2u);
    EXPECT_EQ(elements.GetAt(0).ToInt32(), 7);
    EXPECT_STREQ(elements.GetAt(1).GetNarrowText(), "ab");
    EXPECT_EQ(Str(array.ToString()), u"array(2):\n  [0] 7 (0x00000007)\n  [1] ab");

    const Bytes nested = Record(1, 16, Concat({Record(1, 1, {0}), record}));
    VariantEx outer;
    ASSERT_EQ(outer.Unpack(nested.data(), static_cast<uint32_t>(nested.size())), S_OK);
    EXPECT_EQ(Str(outer.ToString()),
              u"array(2):\n  [0] false\n  [1] array(2):\n    [0] 7 (0x00000007)\n    [1] ab");

    VariantEx out;
    out.SetNarrowText("old");
    EXPECT_EQ(array.GetArrayElement(2, out), -1);
    EXPECT_EQ(out.GetKind(), 0u);
    EXPECT_EQ(array.GetArrayElement(1, out), 0);
    EXPECT_STREQ(out.GetNarrowText(), "ab");
}

TEST(VariantEx, DeeplyNestedArraysPrintOnlyTheirFirstLevels)
{
    Bytes record = Record(1, 16);
    for (int level = 0; level < 5000; ++level)
        record = Record(1, 16, record);
    VariantEx array;
    ASSERT_EQ(array.Unpack(record.data(), static_cast<uint32_t>(record.size())), S_OK);

    const std::u16string text = Str(array.ToString());
    EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), 64);
    const std::u16string deepest = text.substr(text.rfind(u'\n') + 1);
    EXPECT_EQ(deepest, std::u16string(128, u' ') + u"[0] array(1): ...");
}

TEST(VariantEx, MalformedElementsEndTheArrayWithoutReadingPastIt)
{
    struct Case
    {
        const char* name;
        Bytes data;
        uint32_t elements;
    };
    const Case cases[] = {
        {"element of size zero", Concat({Record(1, 1, {1}), Bytes{0, 0, 0, 0, 1, 0, 0, 0}}), 1},
        {"element past the array", Concat({Record(1, 1, {1}), Record(1, 6, {1, 2, 3, 4}, 40)}), 1},
        {"trailing bytes shorter than a header", Concat({Record(1, 1, {1}), Bytes{13, 0, 0, 0, 1}}), 1},
        {"first element broken", Bytes{11, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases)
    {
        const Bytes record = Record(1, 16, c.data);
        VariantEx array;
        ASSERT_EQ(array.Unpack(record.data(), static_cast<uint32_t>(record.size())), S_OK) << c.name;
        ZQ::Array<VariantEx> elements;
        EXPECT_EQ(array.GetArray(elements), S_OK) << c.name;
        EXPECT_EQ(elements.GetCount(), c.elements) << c.name;
        VariantEx out;
        EXPECT_EQ(array.GetArrayElement(c.elements, out), -1) << c.name;
    }

    VariantEx notArray;
    ZQ::Array<VariantEx> elements;
    EXPECT_EQ(notArray.GetArray(elements), S_OK);
    notArray.SetNarrowText("x");
    EXPECT_EQ(notArray.GetArray(elements), E_INVALIDARG);
}

TEST(VariantEx, CopiesOwnTheirDataAndSelfAssignmentKeepsTheValue)
{
    VariantEx original;
    original.SetString(ZQ::AString("first"));
    VariantEx copy(original);
    copy.SetString(ZQ::AString("second"));
    EXPECT_STREQ(original.GetNarrowText(), "first");
    EXPECT_STREQ(copy.GetNarrowText(), "second");

    VariantEx& alias = copy;
    EXPECT_EQ(copy.Assign(alias), Variant::KindText);
    copy = alias;
    EXPECT_STREQ(copy.GetNarrowText(), "second");

    const Bytes record = TwoElementArray();
    VariantEx array;
    ASSERT_EQ(array.Unpack(record.data(), static_cast<uint32_t>(record.size())), S_OK);
    VariantEx arrayCopy;
    EXPECT_EQ(arrayCopy.Assign(array), Variant::KindArray);
    EXPECT_EQ(Str(arrayCopy.ToString()), Str(array.ToString()));
    uint32_t a = 0, b = 0;
    EXPECT_NE(arrayCopy.GetData(a), array.GetData(b));
}
} // namespace
