#include "LocaleScope.h"

#include "ZQFramework/ControlBase/Skin/SkinValueSyntax.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <gtest/gtest.h>

using namespace ZQ;

namespace
{
class SkinValueSyntax : public LocaleTest
{
};
} // namespace

TEST_P(SkinValueSyntax, NumbersFlagsAndColours)
{
    struct IntegerCase
    {
        const char16_t* text;
        int32_t integer;
        int32_t decimal;
    };
    const IntegerCase integers[] = {
        {u"0x0009", 9, 0},
        {u"0x7c04", 0x7C04, 0},
        {u"0xFFFFFFFF", 0xFFFF, 0},
        {u"0x", 0, 0},
        {u"0x10", 16, 0},
        {u"0x1g", 1, 0},
        {u"0x:;", 0xAB, 0},
        {u" -12abc", -12, -12},
        {u"+7", 7, 7},
        {u"abc", 0, 0},
        {u"", 0, 0},
        {u"0X10", 0, 0},
    };
    for (const IntegerCase& c : integers)
    {
        SCOPED_TRACE(WString(c.text).ToNarrow().GetBuffer());
        EXPECT_EQ(SkinValue::ParseInteger(c.text), c.integer);
        EXPECT_EQ(SkinValue::ParseDecimal(c.text), c.decimal);
    }

    struct RealCase
    {
        const char16_t* text;
        float value;
    };
    const RealCase reals[] = {
        {u"1e2", 100.0f}, {u"0.5", 0.5f}, {u" -2.25x", -2.25f}, {u"abc", 0.0f}, {u"0,5", 0.0f}};
    for (const RealCase& c : reals)
    {
        SCOPED_TRACE(WString(c.text).ToNarrow().GetBuffer());
        EXPECT_EQ(SkinValue::ParseReal(c.text), c.value);
    }

    EXPECT_TRUE(SkinValue::ParseFlag(u"True"));
    for (const char16_t* text : {u"true", u"TRUE", u"1", u"", u"True "})
        EXPECT_FALSE(SkinValue::ParseFlag(text));

    EXPECT_EQ(SkinValue::ParseColor(u"0xFF43E346").ToARGB(), 0xFF43E346u);
    EXPECT_EQ(SkinValue::ParseColor(u"0x00FFFFFF").ToARGB(), 0x00FFFFFFu);
    EXPECT_EQ(SkinValue::ParseColor(u"junk").ToARGB(), 0u);
}

ZQ_INSTANTIATE_LOCALES(SkinValueSyntax);
