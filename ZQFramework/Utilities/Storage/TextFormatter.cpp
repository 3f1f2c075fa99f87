#include "ZQFramework/Utilities/Storage/TextFormatter.h"

#include "ZQFramework/Utilities/Storage/StringConversion.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace ZQ
{
template <typename CharT>
void FormatOutput<CharT>::Grow(size_t needed)
{
    size_t capacity = mCapacity * 2;
    while (capacity < needed)
        capacity *= 2;
    auto heap = std::make_unique<CharT[]>(capacity);
    std::memcpy(heap.get(), mData, mSize * sizeof(CharT));
    mHeap = std::move(heap);
    mData = mHeap.get();
    mCapacity = capacity;
}

template class FormatOutput<char>;
template class FormatOutput<char16_t>;

namespace
{
// Widths and precisions beyond this are refused rather than turned into giant outputs.
constexpr int kMaxFieldWidth = 1 << 24;

enum class SizePrefix
{
    None,
    Char,         // hh
    Short,        // h
    Long,         // l (32-bit, as the format strings were written for)
    LongLong,     // ll
    Wide,         // w
    LongDouble,   // L
    Int32,        // I32
    Int64,        // I64
    PointerSized, // I, z, t
    IntMax        // j
};

struct Spec
{
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    int width = 0;
    int precision = -1; // -1: none given
    SizePrefix size = SizePrefix::None;
};

template <typename CharT>
class Engine
{
public:
    Engine(FormatOutput<CharT>& out, const FormatArg* args, size_t argCount)
        : mOut(out), mArgs(args), mArgCount(argCount)
    {
    }

    bool Run(const CharT* format)
    {
        const CharT* f = format;
        while (*f != 0)
        {
            if (*f != CharT('%'))
            {
                const CharT* run = f;
                while (*f != 0 && *f != CharT('%'))
                    ++f;
                mOut.Append(run, static_cast<size_t>(f - run));
                continue;
            }
            ++f;
            if (*f == CharT('%'))
            {
                mOut.Append(CharT('%'), 1);
                ++f;
                continue;
            }
            if (!Conversion(f))
                return false;
        }
        return true;
    }

private:
    const FormatArg* NextArg() { return mNext < mArgCount ? &mArgs[mNext++] : nullptr; }

    static bool IsInteger(const FormatArg& arg)
    {
        return arg.GetKind() == FormatArg::Kind::SignedInt || arg.GetKind() == FormatArg::Kind::UnsignedInt;
    }

    // An int-sized argument for '*' widths and precisions.
    bool TakeStarValue(int& value)
    {
        const FormatArg* arg = NextArg();
        if (arg == nullptr || !IsInteger(*arg) || arg->GetSize() > 4)
            return false;
        const int64_t v = arg->GetKind() == FormatArg::Kind::SignedInt
                              ? arg->GetSigned()
                              : static_cast<int64_t>(static_cast<int32_t>(arg->GetUnsigned()));
        if (v > kMaxFieldWidth || v < -kMaxFieldWidth)
            return false;
        value = static_cast<int>(v);
        return true;
    }

    static bool ReadNumber(const CharT*& f, int& value)
    {
        int64_t v = 0;
        while (*f >= CharT('0') && *f <= CharT('9'))
        {
            v = v * 10 + (*f - CharT('0'));
            if (v > kMaxFieldWidth)
                return false;
            ++f;
        }
        value = static_cast<int>(v);
        return true;
    }

    bool Conversion(const CharT*& f)
    {
        Spec spec;
        for (;; ++f)
        {
            if (*f == CharT('-'))
                spec.left = true;
            else if (*f == CharT('+'))
                spec.plus = true;
            else if (*f == CharT(' '))
                spec.space = true;
            else if (*f == CharT('#'))
                spec.alternate = true;
            else if (*f == CharT('0'))
                spec.zero = true;
            else
                break;
        }
        if (*f == CharT('*'))
        {
            ++f;
            if (!TakeStarValue(spec.width))
                return false;
            if (spec.width < 0)
            {
                spec.left = true;
                spec.width = -spec.width;
            }
        }
        else if (!ReadNumber(f, spec.width))
            return false;
        if (*f == CharT('.'))
        {
            ++f;
            if (*f == CharT('*'))
            {
                ++f;
                if (!TakeStarValue(spec.precision))
                    return false;
                if (spec.precision < 0)
                    spec.precision = -1;
            }
            else if (!ReadNumber(f, spec.precision))
                return false;
        }
        ReadSizePrefix(f, spec.size);

        const CharT conversion = *f;
        if (conversion == 0)
            return false;
        ++f;
        switch (conversion)
        {
        case CharT('d'):
        case CharT('i'):
        case CharT('u'):
        case CharT('o'):
        case CharT('x'):
        case CharT('X'):
            return Integer(spec, static_cast<char>(conversion));
        case CharT('c'):
        case CharT('C'):
            return Character(spec, IsWideConversion(conversion == CharT('C'), spec.size));
        case CharT('s'):
        case CharT('S'):
            return Text(spec, IsWideConversion(conversion == CharT('S'), spec.size));
        case CharT('e'):
        case CharT('E'):
        case CharT('f'):
        case CharT('F'):
        case CharT('g'):
        case CharT('G'):
        case CharT('a'):
        case CharT('A'):
            return Floating(spec, static_cast<char>(conversion));
        case CharT('p'):
            return Pointer(spec);
        default:
            return false; // %n and anything unknown
        }
    }

    static void ReadSizePrefix(const CharT*& f, SizePrefix& size)
    {
        switch (*f)
        {
        case CharT('h'):
            ++f;
            size = SizePrefix::Short;
            if (*f == CharT('h'))
            {
                ++f;
                size = SizePrefix::Char;
            }
            return;
        case CharT('l'):
            ++f;
            size = SizePrefix::Long;
            if (*f == CharT('l'))
            {
                ++f;
                size = SizePrefix::LongLong;
            }
            return;
        case CharT('w'):
            ++f;
            size = SizePrefix::Wide;
            return;
        case CharT('L'):
            ++f;
            size = SizePrefix::LongDouble;
            return;
        case CharT('j'):
            ++f;
            size = SizePrefix::IntMax;
            return;
        case CharT('z'):
        case CharT('t'):
            ++f;
            size = SizePrefix::PointerSized;
            return;
        case CharT('I'):
            ++f;
            if (f[0] == CharT('3') && f[1] == CharT('2'))
            {
                f += 2;
                size = SizePrefix::Int32;
            }
            else if (f[0] == CharT('6') && f[1] == CharT('4'))
            {
                f += 2;
                size = SizePrefix::Int64;
            }
            else
                size = SizePrefix::PointerSized;
            return;
        default:
            return;
        }
    }

    // Whether a c/s conversion reads wide text: the lower-case letter takes the format's own width and
    // the upper-case one the other; h forces narrow, l and w force wide.
    static bool IsWideConversion(bool upperCase, SizePrefix size)
    {
        if (size == SizePrefix::Short)
            return false;
        if (size == SizePrefix::Long || size == SizePrefix::Wide)
            return true;
        constexpr bool formatIsWide = std::is_same_v<CharT, char16_t>;
        return upperCase ? !formatIsWide : formatIsWide;
    }

    void Pad(size_t length, const Spec& spec, CharT fill)
    {
        if (static_cast<size_t>(spec.width) > length)
            mOut.Append(fill, static_cast<size_t>(spec.width) - length);
    }

    // Writes a field of already formatted units, padded to the width (zeros when the 0 flag asks).
    void Field(const CharT* text, size_t length, const Spec& spec)
    {
        if (!spec.left)
            Pad(length, spec, spec.zero ? CharT('0') : CharT(' '));
        mOut.Append(text, length);
        if (spec.left)
            Pad(length, spec, CharT(' '));
    }

    void AppendAscii(const char* text, size_t length)
    {
        if constexpr (std::is_same_v<CharT, char>)
            mOut.Append(text, length);
        else
            std::transform(text, text + length, mOut.Extend(length),
                           [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
    }

    void FieldAscii(const char* text, size_t length, const Spec& spec)
    {
        if (!spec.left)
            Pad(length, spec, spec.zero ? CharT('0') : CharT(' '));
        AppendAscii(text, length);
        if (spec.left)
            Pad(length, spec, CharT(' '));
    }

    bool Integer(const Spec& spec, char conversion)
    {
        int bits = 32;
        switch (spec.size)
        {
        case SizePrefix::None:
        case SizePrefix::Long:
        case SizePrefix::Int32:
            break;
        case SizePrefix::Short:
            bits = 16;
            break;
        case SizePrefix::Char:
            bits = 8;
            break;
        case SizePrefix::LongLong:
        case SizePrefix::Int64:
        case SizePrefix::IntMax:
            bits = 64;
            break;
        case SizePrefix::PointerSized:
            bits = static_cast<int>(sizeof(void*) * 8);
            break;
        default:
            return false;
        }
        const FormatArg* arg = NextArg();
        // Arguments narrower than int are promoted, so h and hh read an int-sized argument.
        const size_t maxArgBytes = bits < 32 ? 4 : static_cast<size_t>(bits / 8);
        if (arg == nullptr || !IsInteger(*arg) || arg->GetSize() > maxArgBytes)
            return false;

        uint64_t raw = arg->GetKind() == FormatArg::Kind::SignedInt ? static_cast<uint64_t>(arg->GetSigned())
                                                                    : arg->GetUnsigned();
        if (bits < 64)
            raw &= (uint64_t{1} << bits) - 1;
        const bool isSigned = conversion == 'd' || conversion == 'i';
        bool negative = false;
        uint64_t magnitude = raw;
        if (isSigned && bits < 64 && (raw >> (bits - 1)) != 0)
        {
            negative = true;
            magnitude = (uint64_t{1} << bits) - raw;
        }
        else if (isSigned && bits == 64 && static_cast<int64_t>(raw) < 0)
        {
            negative = true;
            magnitude = 0 - raw;
        }
        FormatDigits(spec, conversion, negative, magnitude);
        return true;
    }

    // The digits of value into a buffer of 32; decimal, by far the most common base, goes to the
    // standard library's fixed-base conversion.
    static char* ToChars(char (&digits)[32], uint64_t value, int base)
    {
        if (base == 10)
            return std::to_chars(digits, digits + sizeof(digits), value).ptr;
        return std::to_chars(digits, digits + sizeof(digits), value, base).ptr;
    }

    void FormatDigits(const Spec& spec, char conversion, bool negative, uint64_t magnitude)
    {
        const int base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
        char digits[32];
        size_t count = 0;
        // Precision 0 with value 0 prints no digit at all.
        if (magnitude != 0 || spec.precision != 0)
            count = static_cast<size_t>(ToChars(digits, magnitude, base) - digits);
        if (conversion == 'X')
            std::transform(digits, digits + count, digits,
                           [](char c) { return c >= 'a' ? char(c - 'a' + 'A') : c; });

        // The number is laid out as [spaces][prefix][zeros][digits][spaces].
        size_t zeros = spec.precision > 0 && static_cast<size_t>(spec.precision) > count
                           ? static_cast<size_t>(spec.precision) - count
                           : 0;
        if (conversion == 'o' && spec.alternate && zeros == 0 && (count == 0 || digits[0] != '0'))
            zeros = 1;

        char prefix[2];
        size_t prefixLength = 0;
        if (conversion == 'd' || conversion == 'i')
        {
            if (negative)
                prefix[prefixLength++] = '-';
            else if (spec.plus)
                prefix[prefixLength++] = '+';
            else if (spec.space)
                prefix[prefixLength++] = ' ';
        }
        else if ((conversion == 'x' || conversion == 'X') && spec.alternate && magnitude != 0)
        {
            prefix[prefixLength++] = '0';
            prefix[prefixLength++] = conversion;
        }

        const size_t length = prefixLength + zeros + count;
        const size_t width = static_cast<size_t>(spec.width);
        const size_t padding = width > length ? width - length : 0;
        const bool zeroPadding = !spec.left && spec.zero && spec.precision < 0;
        if (!spec.left && !zeroPadding)
            mOut.Append(CharT(' '), padding);
        AppendAscii(prefix, prefixLength);
        mOut.Append(CharT('0'), zeros + (zeroPadding ? padding : 0));
        AppendAscii(digits, count);
        if (spec.left)
            mOut.Append(CharT(' '), padding);
    }

    bool Character(const Spec& spec, bool wideCharacter)
    {
        if (spec.size == SizePrefix::LongDouble || spec.size == SizePrefix::LongLong ||
            spec.size == SizePrefix::Int64 || spec.size == SizePrefix::Int32 ||
            spec.size == SizePrefix::PointerSized || spec.size == SizePrefix::IntMax ||
            spec.size == SizePrefix::Char)
            return false;
        const FormatArg* arg = NextArg();
        if (arg == nullptr || !IsInteger(*arg) || arg->GetSize() > 4)
            return false;
        const uint64_t raw = arg->GetKind() == FormatArg::Kind::SignedInt
                                 ? static_cast<uint64_t>(arg->GetSigned())
                                 : arg->GetUnsigned();
        if (wideCharacter)
        {
            const char16_t unit = static_cast<char16_t>(raw & 0xFFFF);
            EmitText(&unit, 1, spec);
        }
        else
        {
            const char byte = static_cast<char>(raw & 0xFF);
            if constexpr (std::is_same_v<CharT, char>)
                Field(&byte, 1, spec);
            else
            {
                // A lone byte stands for the code point of the same value.
                const char16_t unit = static_cast<unsigned char>(byte);
                Field(&unit, 1, spec);
            }
        }
        return true;
    }

    bool Text(const Spec& spec, bool wideText)
    {
        if (spec.size != SizePrefix::None && spec.size != SizePrefix::Short &&
            spec.size != SizePrefix::Long && spec.size != SizePrefix::Wide)
            return false;
        const FormatArg* arg = NextArg();
        if (arg == nullptr)
            return false;
        static constexpr char kNull[] = "(null)";
        if (arg->GetKind() == FormatArg::Kind::Pointer)
        {
            if (arg->GetPointer() != nullptr)
                return false;
            const size_t length = spec.precision >= 0 && static_cast<size_t>(spec.precision) < 6
                                      ? static_cast<size_t>(spec.precision)
                                      : 6;
            FieldAscii(kNull, length, spec);
            return true;
        }
        const auto expected = wideText ? FormatArg::Kind::WideText : FormatArg::Kind::NarrowText;
        if (arg->GetKind() != expected)
            return false;
        const size_t limit = spec.precision >= 0 ? static_cast<size_t>(spec.precision) : FormatArg::npos;
        if (wideText)
        {
            const char16_t* text = arg->GetWide();
            if (text == nullptr)
                text = u"(null)";
            size_t length = arg->GetLength() != FormatArg::npos ? std::min(arg->GetLength(), limit)
                                                                : CRT::LengthBounded(text, limit);
            EmitText(text, length, spec);
        }
        else
        {
            const char* text = arg->GetNarrow();
            if (text == nullptr)
                text = kNull;
            size_t length = arg->GetLength() != FormatArg::npos ? std::min(arg->GetLength(), limit)
                                                                : CRT::LengthBounded(text, limit);
            EmitText(text, length, spec);
        }
        return true;
    }

    // Text of either width into the output, converted between UTF-16 and UTF-8 when the widths differ.
    void EmitText(const CharT* text, size_t length, const Spec& spec) { Field(text, length, spec); }

    template <typename OtherT>
    requires(!std::is_same_v<OtherT, CharT>) void EmitText(const OtherT* text, size_t length,
                                                           const Spec& spec)
    {
        if constexpr (std::is_same_v<CharT, char16_t>)
        {
            std::u16string converted(length, u'\0');
            const char* source = text;
            char16_t* target = converted.data();
            (void)Utf8ToUtf16(source, text + length, target, converted.data() + converted.size(),
                              ConversionMode::Lenient);
            converted.resize(static_cast<size_t>(target - converted.data()));
            Field(converted.data(), converted.size(), spec);
        }
        else
        {
            std::string converted(length * 3, '\0');
            const char16_t* source = text;
            char* target = converted.data();
            (void)Utf16ToUtf8(source, text + length, target, converted.data() + converted.size(),
                              ConversionMode::Lenient);
            converted.resize(static_cast<size_t>(target - converted.data()));
            Field(converted.data(), converted.size(), spec);
        }
    }

    bool Floating(const Spec& spec, char conversion)
    {
        if (spec.size != SizePrefix::None && spec.size != SizePrefix::Long &&
            spec.size != SizePrefix::LongDouble)
            return false;
        const FormatArg* arg = NextArg();
        if (arg == nullptr || arg->GetKind() != FormatArg::Kind::Floating)
            return false;
        if (PlainFloating(spec, conversion, arg->GetDouble()))
            return true;

        char format[48];
        char* p = format;
        *p++ = '%';
        if (spec.left)
            *p++ = '-';
        if (spec.plus)
            *p++ = '+';
        if (spec.space)
            *p++ = ' ';
        if (spec.alternate)
            *p++ = '#';
        if (spec.zero)
            *p++ = '0';
        // Width and precision are at most kMaxFieldWidth: eight digits each.
        if (spec.width > 0)
            p = std::to_chars(p, p + 12, spec.width).ptr;
        if (spec.precision >= 0)
        {
            *p++ = '.';
            p = std::to_chars(p, p + 12, spec.precision).ptr;
        }
        *p++ = conversion;
        *p = 0;

        // The digits are the exact decimal expansion of the double, rounded to nearest with exact ties
        // going to the even digit (so "%.0f" gives 2 for 2.5 and 4 for 3.5), as the current Microsoft
        // runtime formats them. Numbers are always written in the "C" locale, whatever locale the thread
        // has.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        const locale_t previous = uselocale(cLocale);
        char small[256];
        std::string large;
        const char* text = small;
        int length = std::snprintf(small, sizeof(small), format, arg->GetDouble());
        if (length >= static_cast<int>(sizeof(small)))
        {
            large.resize(static_cast<size_t>(length) + 1);
            std::snprintf(large.data(), large.size(), format, arg->GetDouble());
            text = large.data();
        }
        uselocale(previous);
        if (length < 0)
            return false;
        Spec plain;
        FieldAscii(text, static_cast<size_t>(length), plain);
        return true;
    }

    // A finite number in the fixed, exponent or general form without sign or form flags. The standard
    // library writes the same digits as the C library in the "C" locale (the exact expansion, ties to
    // even) without a locale switch; false leaves the number to the C library.
    bool PlainFloating(const Spec& spec, char conversion, double value)
    {
        if (spec.plus || spec.space || spec.alternate || spec.zero || !std::isfinite(value))
            return false;
        std::chars_format form;
        switch (conversion)
        {
        case 'f':
        case 'F':
            form = std::chars_format::fixed;
            break;
        case 'e':
        case 'E':
            form = std::chars_format::scientific;
            break;
        case 'g':
        case 'G':
            form = std::chars_format::general;
            break;
        default:
            return false;
        }
        char digits[128];
        const int precision = spec.precision >= 0 ? spec.precision : 6;
        const std::to_chars_result written =
            std::to_chars(digits, digits + sizeof(digits), value, form, precision);
        if (written.ec != std::errc())
            return false;
        if (conversion == 'E' || conversion == 'G')
            std::replace(digits, written.ptr, 'e', 'E');
        Spec field;
        field.left = spec.left;
        field.width = spec.width;
        FieldAscii(digits, static_cast<size_t>(written.ptr - digits), field);
        return true;
    }

    bool Pointer(const Spec& spec)
    {
        const FormatArg* arg = NextArg();
        if (arg == nullptr)
            return false;
        // A text argument is a pointer too: "%p" shows where its characters are.
        uintptr_t value;
        switch (arg->GetKind())
        {
        case FormatArg::Kind::Pointer:
            value = reinterpret_cast<uintptr_t>(arg->GetPointer());
            break;
        case FormatArg::Kind::NarrowText:
            value = reinterpret_cast<uintptr_t>(arg->GetNarrow());
            break;
        case FormatArg::Kind::WideText:
            value = reinterpret_cast<uintptr_t>(arg->GetWide());
            break;
        default:
            return false;
        }
        char digits[2 * sizeof(void*)];
        for (size_t i = sizeof(digits); i > 0; --i)
        {
            digits[i - 1] = "0123456789ABCDEF"[value & 0xF];
            value >>= 4;
        }
        Spec plain;
        plain.left = spec.left;
        plain.width = spec.width;
        FieldAscii(digits, sizeof(digits), plain);
        return true;
    }

    FormatOutput<CharT>& mOut;
    const FormatArg* mArgs;
    size_t mArgCount;
    size_t mNext = 0;
};
} // namespace

bool TextFormatter::Format(FormatOutput<char16_t>& out, const char16_t* format, const FormatArg* args,
                           size_t argCount)
{
    if (format == nullptr)
        return false;
    return Engine<char16_t>(out, args, argCount).Run(format);
}

bool TextFormatter::Format(FormatOutput<char>& out, const char* format, const FormatArg* args,
                           size_t argCount)
{
    if (format == nullptr)
        return false;
    return Engine<char>(out, args, argCount).Run(format);
}
} // namespace ZQ
