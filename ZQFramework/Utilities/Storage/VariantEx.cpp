#include "ZQFramework/Utilities/Storage/VariantEx.h"

#include "Platform/Bytes/LittleEndian.h"
#include "ZQFramework/Utilities/Storage/StringConversion.h"
#include "ZQFramework/Utilities/Storage/TextFormatter.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <cstring>
#include <string>

namespace ZQ
{
namespace
{
namespace LittleEndian = ::Platform::LittleEndian;

constexpr uint32_t HeaderSize = 12;
constexpr int32_t MaxPrintedNesting = 64;

// Kind codes of format version 0, by old code; 0xFF marks a code that has no kind.
constexpr uint32_t OldKinds[] = {
    Variant::KindEmpty, Variant::KindBool,   Variant::KindInt32,    Variant::KindInt64,
    Variant::KindFloat, Variant::KindDouble, Variant::KindBorrowed, Variant::KindBorrowedReadOnly,
    Variant::KindBlob,  Variant::KindText,   Variant::KindArray};

template <typename... Args>
std::u16string FormatText(const char16_t* format, const Args&... args)
{
    const FormatArg list[] = {FormatArg(args)...};
    FormatOutput<char16_t> out;
    (void)TextFormatter::Format(out, format, list, sizeof...(Args));
    return std::u16string(out.GetData(), out.GetSize());
}

std::u16string Utf8ToWide(const char* text, size_t length)
{
    std::u16string wide(length, u'\0');
    const char* source = text;
    char16_t* target = wide.data();
    (void)Utf8ToUtf16(source, text + length, target, wide.data() + wide.size(), ConversionMode::Lenient);
    wide.resize(static_cast<size_t>(target - wide.data()));
    return wide;
}
} // namespace

VariantEx::VariantEx(const VariantEx& other) : Variant(), IStringable()
{
    Assign(other);
}

VariantEx& VariantEx::operator=(const VariantEx& other)
{
    Assign(other);
    return *this;
}

uint32_t VariantEx::Assign(const VariantEx& other)
{
    // Assigning a value to itself keeps it: giving the data back first would lose it.
    if (&other == this)
        return mKind;
    if (OwnsData())
        Free(DataPointer());
    ResetFields();
    if (other.OwnsData())
    {
        if (other.mLength != 0)
        {
            void* data = Allocate(other.mLength);
            if (data == nullptr)
                return KindEmpty;
            std::memcpy(data, other.DataPointer(), other.mLength);
            SetDataPointer(data);
            mLength = other.mLength;
        }
    }
    else
    {
        std::memcpy(mValue, other.mValue, sizeof(mValue));
        mLength = other.mLength;
    }
    mKind = other.mKind;
    return mKind;
}

VariantEx::~VariantEx()
{
    if (OwnsData())
        Free(DataPointer());
    ResetFields();
    mBuffer = nullptr;
}

void* VariantEx::Allocate(uint32_t size)
{
    mBuffer = StringBuffer::Create(size, 0, true);
    return mBuffer ? mBuffer->GetData() : nullptr;
}

void VariantEx::Free(void* data)
{
    if (data != nullptr)
        mBuffer = nullptr;
}

uint32_t VariantEx::SetString(const AString& text)
{
    if (OwnsData())
        Free(DataPointer());
    ResetFields();
    const char* source = text.GetBuffer();
    const uint32_t count = source != nullptr ? static_cast<uint32_t>(std::strlen(source)) : 0;
    void* data = Allocate(count + 1); // zero-filled: the terminator is in place
    if (data == nullptr)
        return KindEmpty;
    if (count != 0)
        std::memcpy(data, source, count);
    SetDataPointer(data);
    mLength = count + 1;
    mKind = KindText;
    return KindText;
}

ZQRESULT VariantEx::Unpack(const void* record, uint32_t available)
{
    return UnpackInto(*this, static_cast<const uint8_t*>(record), available);
}

ZQRESULT VariantEx::UnpackInto(Variant& value, const uint8_t* record, uint32_t available)
{
    if (record == nullptr || available < HeaderSize)
        return E_FAIL;
    const uint32_t total = LittleEndian::GetU32(record);
    const uint32_t version = LittleEndian::GetU32(record + 4);
    uint32_t kind = LittleEndian::GetU32(record + 8);
    if (total > available || total < HeaderSize)
        return E_FAIL;
    if (version == 1)
    {
        if (kind > KindArray)
            return E_FAIL;
    }
    else if (version == 0)
    {
        if (kind >= std::size(OldKinds))
            return E_FAIL;
        kind = OldKinds[kind];
    }
    else
    {
        return E_FAIL;
    }

    const uint32_t dataSize = total - HeaderSize;
    if (dataSize > 0)
    {
        if (kind == KindEmpty)
            return E_FAIL;
        // Text is taken up to its zero but never past the record's end.
        return value.SetTyped(kind, record + HeaderSize, dataSize) == kind ? S_OK : E_FAIL;
    }
    if (kind == KindEmpty)
    {
        value.Clear();
        return S_OK;
    }
    if (kind == KindArray)
    {
        MakeEmptyArray(value);
        return S_OK;
    }
    return E_FAIL;
}

uint32_t VariantEx::CountElements() const
{
    if (mKind != KindArray || mLength <= 4)
        return 0;
    const auto* data = static_cast<const uint8_t*>(DataPointer());
    uint32_t count = 0;
    uint32_t offset = 0;
    while (offset + 4 < mLength)
    {
        const uint32_t size = LittleEndian::GetU32(data + offset);
        // A record too small to be one, or reaching past the array, ends the array there.
        if (size < HeaderSize || size > mLength - offset)
            break;
        offset += size;
        ++count;
    }
    return count;
}

int32_t VariantEx::GetArrayElement(uint32_t index, Variant& out) const
{
    if (&out == this)
    {
        VariantEx element;
        const int32_t result = GetArrayElement(index, element);
        const_cast<VariantEx*>(this)->Assign(element);
        return result;
    }
    out.Clear();
    if (mKind != KindArray || mLength <= 4 || index >= CountElements())
        return -1;
    const auto* data = static_cast<const uint8_t*>(DataPointer());
    uint32_t offset = 0;
    for (uint32_t i = 0; i < index; ++i)
        offset += LittleEndian::GetU32(data + offset);
    if (mLength - offset < HeaderSize)
        return -1;
    (void)UnpackInto(out, data + offset, mLength - offset);
    return 0;
}

ZQRESULT VariantEx::GetArray(Array<VariantEx>& out) const
{
    (void)out.RemoveAll();
    if (mKind == KindEmpty)
        return S_OK;
    if (mKind != KindArray)
        return E_INVALIDARG;
    // Read the elements aside first: out may hold this very value.
    const VariantEx source(*this);
    const uint32_t count = source.CountElements();
    (void)out.SetCount(count);
    for (uint32_t i = 0; i < count && i < out.GetCount(); ++i)
        source.GetArrayElement(i, out.GetAt(i));
    return S_OK;
}

// ---- Text -----------------------------------------------------------------------------------------------

WString VariantEx::ToString(int32_t indent) const
{
    const uint64_t bits = FieldBits();
    std::u16string text;
    switch (mKind)
    {
    case KindEmpty:
        text = u"<empty>";
        break;
    case KindBool:
        text = mValue[0] != 0 ? u"true" : u"false";
        break;
    case KindInt8:
    {
        const int32_t value = static_cast<int8_t>(bits);
        text = FormatText(u"%I32d (0x%02X)", value, static_cast<uint32_t>(value));
        break;
    }
    case KindUInt8:
        text = FormatText(u"%I32u (0x%02X)", static_cast<uint32_t>(bits & 0xFF),
                          static_cast<uint32_t>(bits & 0xFF));
        break;
    case KindInt16:
    {
        const int32_t value = static_cast<int16_t>(bits);
        text = FormatText(u"%I32d (0x%04X)", value, static_cast<uint32_t>(value));
        break;
    }
    case KindUInt16:
        text = FormatText(u"%I32u (0x%04X)", static_cast<uint32_t>(bits & 0xFFFF),
                          static_cast<uint32_t>(bits & 0xFFFF));
        break;
    case KindInt32:
        text = FormatText(u"%I32d (0x%08X)", static_cast<int32_t>(bits), static_cast<uint32_t>(bits));
        break;
    case KindUInt32:
        text = FormatText(u"%I32u (0x%08X)", static_cast<uint32_t>(bits), static_cast<uint32_t>(bits));
        break;
    case KindFloat:
        text = FormatText(u"%f", static_cast<double>(Variant::ToFloat()));
        break;
    case KindDouble:
        text = FormatText(u"%lf", Variant::ToDouble());
        break;
    case KindInt64:
        text = FormatText(u"%I64d (0x%I64X)", static_cast<int64_t>(bits), bits);
        break;
    case KindUInt64:
    case KindBorrowed:
    case KindBorrowedReadOnly:
    case KindBlob:
        text = FormatText(u"%I64X", bits);
        break;
    case KindText:
        text = Utf8ToWide(GetNarrowText(), std::strlen(GetNarrowText()));
        break;
    case KindArray:
        return ArrayToString(indent < 0 ? 0 : indent);
    default:
        break;
    }
    return WString(text.c_str());
}

WString VariantEx::ArrayToString(int32_t indent) const
{
    if (mKind != KindArray)
        return ToString(-1);
    const uint32_t count = CountElements();
    if (count == 0)
        return WString(u"<empty array>");
    std::u16string text = FormatText(u"array(%u):", count);
    // Arrays nested without end in a record from outside would print a text that grows with the
    // square of the depth (and recurse as deep): below this depth only the header is shown.
    if (indent >= MaxPrintedNesting)
        return WString((text + u" ...").c_str());
    Array<VariantEx> elements;
    (void)GetArray(elements);
    const std::u16string prefix(2 * static_cast<size_t>(indent < 0 ? 0 : indent) + 2, u' ');
    for (uint32_t i = 0; i < elements.GetCount(); ++i)
    {
        text += u"\n";
        text += prefix;
        text += u"[";
        text += FormatText(u"%u", i);
        text += u"] ";
        const WString element = elements.GetAt(i).ArrayToString(indent + 1);
        text += element.GetBuffer();
    }
    return WString(text.c_str());
}

// ---- Conversions: text parses, everything else as the base reads it -----------------------------------

bool VariantEx::ToBool() const
{
    return IsText() ? CRT::CompareNoCase(GetNarrowText(), "True") == 0 : Variant::ToBool();
}

int8_t VariantEx::ToInt8() const
{
    return IsText() ? static_cast<int8_t>(CRT::ParseInt(GetNarrowText())) : Variant::ToInt8();
}

int16_t VariantEx::ToInt16() const
{
    return IsText() ? static_cast<int16_t>(CRT::ParseInt(GetNarrowText())) : Variant::ToInt16();
}

int32_t VariantEx::ToInt32() const
{
    return IsText() ? CRT::ParseInt(GetNarrowText()) : Variant::ToInt32();
}

int64_t VariantEx::ToInt64() const
{
    return IsText() ? CRT::ParseInt64(GetNarrowText()) : Variant::ToInt64();
}

uint8_t VariantEx::ToUInt8() const
{
    return IsText() ? static_cast<uint8_t>(CRT::ParseInt(GetNarrowText())) : Variant::ToUInt8();
}

uint16_t VariantEx::ToUInt16() const
{
    return IsText() ? static_cast<uint16_t>(CRT::ParseInt(GetNarrowText())) : Variant::ToUInt16();
}

uint32_t VariantEx::ToUInt32() const
{
    return IsText() ? static_cast<uint32_t>(ToInt64()) : Variant::ToUInt32();
}

uint64_t VariantEx::ToUInt64() const
{
    return IsText() ? static_cast<uint64_t>(CRT::ParseInt64(GetNarrowText())) : Variant::ToUInt64();
}

float VariantEx::ToFloat() const
{
    return IsText() ? static_cast<float>(CRT::ParseDouble(GetNarrowText())) : Variant::ToFloat();
}

double VariantEx::ToDouble() const
{
    return IsText() ? CRT::ParseDouble(GetNarrowText()) : Variant::ToDouble();
}
} // namespace ZQ
