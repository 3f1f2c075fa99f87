#include "ZQFramework/ControlBase/Skin/SkinValueSyntax.h"

#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

namespace ZQ::SkinValue
{
namespace
{
// The value of one character of the "0x" form, or -1 for a character that ends the number.
int HexDigit(char16_t ch)
{
    if (ch >= u'*' && ch <= u'?')
        return ch & 0xF;
    if (ch >= u'a' && ch <= u'f')
        return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F')
        return ch - u'A' + 10;
    return -1;
}
} // namespace

int32_t ParseInteger(const WString& text)
{
    if (text.GetLength() < 2 || text.GetAt(0) != u'0' || text.GetAt(1) != u'x')
        return ParseDecimal(text);
    int32_t value = 0;
    for (int i = 2; i < text.GetLength() && i < 6; ++i)
    {
        const int digit = HexDigit(text.GetAt(i));
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

int32_t ParseDecimal(const WString& text)
{
    return CRT::ParseInt(text.GetBuffer());
}

float ParseReal(const WString& text)
{
    return static_cast<float>(CRT::ParseDouble(text.GetBuffer()));
}

bool ParseFlag(const WString& text)
{
    return text == u"True";
}

Color ParseColor(const WString& text)
{
    Color color;
    color.FromHexString(text.ToNarrow().GetBuffer());
    return color;
}
} // namespace ZQ::SkinValue
