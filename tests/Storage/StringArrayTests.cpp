#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <gtest/gtest.h>

namespace
{

ZQ::WStringArray Make(std::initializer_list<const char16_t*> texts)
{
    ZQ::WStringArray array;
    for (const char16_t* text : texts)
    {
        array.Add(ZQ::WString(text));
    }
    return array;
}

} // namespace

TEST(StringArray, FindWithAndWithoutCase)
{
    const ZQ::WStringArray empty;
    EXPECT_EQ(empty.Find(ZQ::WString(u"abc"), true, 0), -1);

    const ZQ::WStringArray array = Make({u"abc", u"Abc", u""});
    struct Case
    {
        const char16_t* text;
        bool caseSensitive;
        uint32_t start;
        int32_t expected;
    };
    const Case cases[] = {
        {u"Abc", true, 0, 1},   {u"Abc", false, 0, 0}, {u"Abc", false, 1, 1}, {u"ABC", true, 0, -1},
        {u"aBC", false, 2, -1}, {u"", true, 0, 2},     {u"abc", true, 3, -1}, {u"abc", true, 0xFFFFFFFFu, -1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(array.Find(ZQ::WString(c.text), c.caseSensitive, c.start), c.expected)
            << static_cast<int>(c.caseSensitive) << " from " << c.start;
    }
}

TEST(StringArray, SharedStorageMatchesWithoutComparingCharacters)
{
    ZQ::WStringArray array = Make({u"one", u"two"});
    const ZQ::WString shared = array.GetAt(1);
    EXPECT_EQ(array.Find(shared, true, 0), 1);
    EXPECT_EQ(array.Find(shared, false, 0), 1);
}

TEST(StringArray, FindPointerComparesAddressesOnly)
{
    ZQ::WStringArray array = Make({u"a", u"b", u"c", u"d", u"e"});
    EXPECT_EQ(array.FindPointer(array.GetAt(2).GetBuffer()), 2);
    const ZQ::WString equalText(u"c");
    EXPECT_EQ(array.FindPointer(equalText.GetBuffer()), -1);

    array.Add(array.GetAt(1)); // element 5 shares element 1's storage
    EXPECT_EQ(array.FindPointer(array.GetAt(1).GetBuffer()), 5);
    EXPECT_EQ(ZQ::WStringArray().FindPointer(u"x"), -1);
}

TEST(StringArray, CharacterStorageSurvivesGrowth)
{
    ZQ::WStringArray array = Make({u"NID_FIRST"});
    const char16_t* id = array.GetAt(0).GetBuffer();
    for (int i = 0; i < 1000; ++i)
    {
        array.Add(ZQ::WString(u"NID_MORE"));
    }
    EXPECT_EQ(array.GetAt(0).GetBuffer(), id);
    EXPECT_EQ(array.FindPointer(id), 0);
}

TEST(StringArray, NameTableIsOneProcessWideInstance)
{
    ZQ::WStringArray& table = ZQ::GetNIDNameTable();
    EXPECT_EQ(&table, &ZQ::GetNIDNameTable());
    const int32_t index = table.Add(ZQ::WString(u"NID_STRING_ARRAY_TEST"));
    EXPECT_EQ(ZQ::GetNIDNameTable().Find(ZQ::WString(u"NID_STRING_ARRAY_TEST"), true, 0), index);
}
