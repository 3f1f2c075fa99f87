#include "Support/StringPrinting.h"

#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using TestSupport::Units;
using ZQ::WString;
using ZQ::WStringArray;

std::vector<std::u16string> Pieces(const WStringArray& array)
{
    std::vector<std::u16string> pieces;
    for (uint32_t i = 0; i < array.GetCount(); ++i)
        pieces.push_back(Units(array.GetData()[i]));
    return pieces;
}

TEST(StringSplit, EachDelimiterCharacterEndsAPiece)
{
    struct Case
    {
        const char16_t* text;
        const char16_t* delimiters;
        std::vector<std::u16string> expected;
    };
    const Case cases[] = {
        {u"a,b,,c", u",", {u"a", u"b", u"", u"c"}},
        {u",a", u",", {u"", u"a"}},
        {u"a,", u",", {u"a"}},
        {u"abc", u",", {u"abc"}},
        {u"", u",", {u""}},
        {u"a;b,c", u",;", {u"a", u"b", u"c"}},
        {u",", u",", {u""}},
        {u"a,,", u",", {u"a", u""}},
        {u"abc", u"", {u"abc"}},
    };
    for (const Case& c : cases)
    {
        WStringArray out;
        out.Add(WString(u"stale"));
        const int count = WString(c.text).Split(out, WString(c.delimiters));
        EXPECT_EQ(count, static_cast<int>(c.expected.size())) << TestSupport::Utf8(WString(c.text));
        EXPECT_EQ(Pieces(out), c.expected) << TestSupport::Utf8(WString(c.text));
        EXPECT_EQ(Pieces(WString(c.text).Split(WString(c.delimiters))), c.expected);
    }
}

TEST(StringSplit, AWholeTextPieceSharesTheTextsBuffer)
{
    const WString text(u"no delimiter here");
    WStringArray out;
    text.Split(out, WString(u","));
    ASSERT_EQ(out.GetCount(), 1u);
    EXPECT_EQ(out.GetData()[0].GetBuffer(), text.GetBuffer());
}
} // namespace
