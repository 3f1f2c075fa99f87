#include "ZQFramework/Utilities/Storage/Variant.h"

#include <cmath>
#include <cstring>

namespace ZQ
{
static_assert(sizeof(void*) <= 8, "the value field holds a data pointer");

namespace
{
constexpr double TwoPow63 = 9223372036854775808.0;
constexpr double TwoPow64 = 18446744073709551616.0;

// Halves away from zero, then toward zero into 64 bits. Values outside the range (and NaN) have no
// defined integer; they give the nearest end of the range (NaN the lowest) instead of undefined behaviour.
uint64_t RoundToBits(double value)
{
    const double rounded = std::trunc(value < 0 ? value - 0.5 : value + 0.5);
    if (!(rounded >= -TwoPow63))
        return static_cast<uint64_t>(INT64_MIN);
    if (rounded < TwoPow63)
        return static_cast<uint64_t>(static_cast<int64_t>(rounded));
    if (rounded < TwoPow64)
        return static_cast<uint64_t>(rounded);
    return UINT64_MAX;
}

constexpr uint32_t FixedSize(uint32_t kind)
{
    switch (kind)
    {
    case Variant::KindBool:
    case Variant::KindInt8:
    case Variant::KindUInt8:
        return 1;
    case Variant::KindInt16:
    case Variant::KindUInt16:
        return 2;
    case Variant::KindInt32:
    case Variant::KindUInt32:
    case Variant::KindFloat:
        return 4;
    case Variant::KindDouble:
    case Variant::KindInt64:
    case Variant::KindUInt64:
        return 8;
    default:
        return 0;
    }
}

// The fixed value of a floating-point kind, read from the start of the value field.
template <class T>
T FieldAs(const unsigned char* field)
{
    T value;
    std::memcpy(&value, field, sizeof(value));
    return value;
}

int64_t SignExtend(uint64_t bits, uint32_t bytes)
{
    const uint32_t shift = 64 - 8 * bytes;
    return static_cast<int64_t>(bits << shift) >> shift;
}
} // namespace

Variant::~Variant()
{
    if (OwnsData())
        delete[] static_cast<unsigned char*>(DataPointer());
    ResetFields();
}

void* Variant::DataPointer() const
{
    void* data = nullptr;
    std::memcpy(&data, mValue, sizeof(data));
    return data;
}

void Variant::SetDataPointer(void* data)
{
    std::memset(mValue, 0, sizeof(mValue));
    std::memcpy(mValue, &data, sizeof(data));
}

void Variant::ResetFields()
{
    std::memset(mValue, 0, sizeof(mValue));
    mLength = 0;
    mKind = KindEmpty;
}

uint64_t Variant::FieldBits() const
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | mValue[i];
    return bits;
}

uint64_t Variant::DataBits(uint32_t width) const
{
    const auto* data = static_cast<const unsigned char*>(DataPointer());
    if (data == nullptr)
        return 0;
    const uint32_t available = mLength < width ? mLength : width;
    uint64_t bits = 0;
    for (uint32_t i = available; i-- > 0;)
        bits = (bits << 8) | data[i];
    return bits;
}

uint64_t Variant::IntegerBits(uint32_t width) const
{
    switch (mKind)
    {
    case KindBool:
        if (width == 1)
            return mValue[0] != 0 ? 1 : 0;
        return mValue[0];
    case KindInt8:
    case KindInt16:
    case KindInt32:
    case KindInt64:
        return static_cast<uint64_t>(SignExtend(FieldBits(), FixedSize(mKind)));
    case KindUInt8:
    case KindUInt16:
    case KindUInt32:
    case KindUInt64:
        return FieldBits();
    case KindFloat:
        return RoundToBits(FieldAs<float>(mValue));
    case KindDouble:
        return RoundToBits(FieldAs<double>(mValue));
    case KindBorrowed:
    case KindBorrowedReadOnly:
    case KindBlob:
        return DataBits(width);
    case KindText:
        return mLength - 1;
    default:
        return 0;
    }
}

bool Variant::ToBool() const
{
    switch (mKind)
    {
    case KindBool:
        return mValue[0] != 0;
    case KindFloat:
        return FieldAs<float>(mValue) != 0.0f;
    case KindDouble:
        return FieldAs<double>(mValue) != 0.0;
    case KindBorrowed:
    case KindBorrowedReadOnly:
        return DataPointer() != nullptr;
    case KindBlob:
    case KindArray:
        return mLength != 0;
    case KindText:
        return mLength > 1;
    default:
        return FixedSize(mKind) != 0 && FieldBits() != 0;
    }
}

int8_t Variant::ToInt8() const
{
    return static_cast<int8_t>(IntegerBits(1));
}

int16_t Variant::ToInt16() const
{
    return static_cast<int16_t>(IntegerBits(2));
}

int32_t Variant::ToInt32() const
{
    return static_cast<int32_t>(IntegerBits(4));
}

int64_t Variant::ToInt64() const
{
    return static_cast<int64_t>(IntegerBits(8));
}

uint8_t Variant::ToUInt8() const
{
    return static_cast<uint8_t>(ToInt8());
}

uint16_t Variant::ToUInt16() const
{
    // A signed byte reads as the low 16 bits of its field, which are not sign-extended.
    if (mKind == KindInt8)
        return static_cast<uint16_t>(FieldBits());
    return static_cast<uint16_t>(IntegerBits(2));
}

uint32_t Variant::ToUInt32() const
{
    return static_cast<uint32_t>(IntegerBits(4));
}

uint64_t Variant::ToUInt64() const
{
    return IntegerBits(8);
}

double Variant::ToDouble() const
{
    switch (mKind)
    {
    case KindBool:
        return mValue[0];
    case KindInt8:
    case KindInt16:
    case KindInt32:
    case KindInt64:
        return static_cast<double>(SignExtend(FieldBits(), FixedSize(mKind)));
    case KindUInt8:
    case KindUInt16:
    case KindUInt32:
    case KindUInt64:
        return static_cast<double>(FieldBits());
    case KindFloat:
        return FieldAs<float>(mValue);
    case KindDouble:
        return FieldAs<double>(mValue);
    case KindBorrowed:
    case KindBorrowedReadOnly:
    case KindBlob:
    case KindText:
        return static_cast<double>(ToInt64());
    default:
        return 0.0;
    }
}

float Variant::ToFloat() const
{
    switch (mKind)
    {
    case KindFloat:
        return FieldAs<float>(mValue);
    case KindBorrowed:
    case KindBorrowedReadOnly:
    case KindBlob:
    case KindText:
        return static_cast<float>(ToInt32());
    default:
        return static_cast<float>(Variant::ToDouble());
    }
}

const void* Variant::GetData(uint32_t& length) const
{
    if (const uint32_t size = FixedSize(mKind))
    {
        length = size;
        return mValue;
    }
    if (mKind >= KindBorrowed && mKind <= KindArray)
    {
        length = mLength;
        return DataPointer();
    }
    length = 0;
    return nullptr;
}

void* Variant::GetWritableData(uint32_t& length)
{
    if (mKind == KindBorrowedReadOnly || mKind == KindArray)
    {
        length = 0;
        return nullptr;
    }
    return const_cast<void*>(GetData(length));
}

const char* Variant::GetNarrowText() const
{
    return mKind == KindText ? static_cast<const char*>(DataPointer()) : nullptr;
}

void* Variant::Allocate(uint32_t size)
{
    return new unsigned char[size];
}

void Variant::Free(void* data)
{
    delete[] static_cast<unsigned char*>(data);
}

void Variant::Clear()
{
    if (OwnsData())
        Free(DataPointer());
    ResetFields();
}

uint32_t Variant::SetTyped(uint32_t kind, const void* bytes, uint32_t size)
{
    Clear();
    if (kind == KindEmpty || kind > KindArray)
        return KindEmpty;
    if (const uint32_t fixedSize = FixedSize(kind))
    {
        if (size != fixedSize)
            return KindEmpty;
        if (bytes != nullptr)
            std::memcpy(mValue, bytes, size);
        mKind = kind;
        return kind;
    }
    if (kind == KindText)
        return SetBoundedText(static_cast<const char*>(bytes), size);
    if (SetBlob(bytes, size) != KindBlob)
        return KindEmpty;
    if (kind == KindArray)
        mKind = KindArray;
    return mKind;
}

uint32_t Variant::SetBlob(const void* bytes, uint32_t size)
{
    if (OwnsData())
        Free(DataPointer());
    ResetFields();
    void* data = Allocate(size);
    if (data == nullptr && size != 0)
        return KindEmpty;
    mLength = size;
    SetDataPointer(data);
    if (bytes != nullptr && size != 0)
        std::memcpy(data, bytes, size);
    mKind = KindBlob;
    return KindBlob;
}

uint32_t Variant::SetNarrowText(const char* text)
{
    return SetBoundedText(text, text == nullptr ? 0 : static_cast<uint32_t>(std::strlen(text)));
}

void Variant::MakeEmptyArray(Variant& value)
{
    value.Clear();
    value.mKind = KindArray;
}

uint32_t Variant::SetBoundedText(const char* text, uint32_t limit)
{
    Clear();
    const uint32_t count = text == nullptr ? 0 : static_cast<uint32_t>(strnlen(text, limit));
    if (SetBlob(nullptr, count + 1) != KindBlob)
        return KindEmpty;
    auto* data = static_cast<char*>(DataPointer());
    if (count != 0)
        std::memcpy(data, text, count);
    data[count] = '\0';
    mKind = KindText;
    return KindText;
}
} // namespace ZQ
