#pragma once

#include <cstdint>

namespace ZQ
{
// A typed value: one value of one of sixteen kinds, tagged with a kind code, readable as any numeric
// kind. The kind codes are also those of the packed record format read by VariantEx, so they never
// change. The value owns the data of the blob, text and array kinds and obtains it through its own
// Allocate/Free, which VariantEx overrides to keep the data in a counted buffer. Not copyable: copies
// are made by VariantEx, which knows how its data is held.
class Variant
{
public:
    enum Kind : uint32_t
    {
        KindEmpty = 0,
        KindBool = 1,
        KindInt8 = 2,
        KindUInt8 = 3,
        KindInt16 = 4,
        KindUInt16 = 5,
        KindInt32 = 6,
        KindUInt32 = 7,
        KindFloat = 8,
        KindDouble = 9,
        KindInt64 = 10,
        KindUInt64 = 11,
        KindBorrowed = 12,
        KindBorrowedReadOnly = 13,
        KindBlob = 14,
        KindText = 15,
        KindArray = 16,
    };

    Variant() = default;
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    virtual ~Variant();

    [[nodiscard]] virtual bool ToBool() const;
    [[nodiscard]] virtual int8_t ToInt8() const;
    [[nodiscard]] virtual int16_t ToInt16() const;
    [[nodiscard]] virtual int32_t ToInt32() const;
    [[nodiscard]] virtual int64_t ToInt64() const;
    [[nodiscard]] virtual uint8_t ToUInt8() const;
    [[nodiscard]] virtual uint16_t ToUInt16() const;
    [[nodiscard]] virtual uint32_t ToUInt32() const;
    [[nodiscard]] virtual uint64_t ToUInt64() const;
    [[nodiscard]] virtual float ToFloat() const;
    [[nodiscard]] virtual double ToDouble() const;

    // Fixed kinds: the value field and the kind's size; data kinds: the data and its length; otherwise
    // null and 0.
    [[nodiscard]] virtual const void* GetData(uint32_t& length) const;
    // As GetData, except null and 0 for the read-only borrowed kind and for arrays.
    [[nodiscard]] virtual void* GetWritableData(uint32_t& length);
    // The text of the text kind, null for every other kind.
    [[nodiscard]] virtual const char* GetNarrowText() const;
    [[nodiscard]] virtual void* Allocate(uint32_t size);
    virtual void Free(void* data);

    [[nodiscard]] uint32_t GetKind() const { return mKind; }
    [[nodiscard]] uint32_t GetLength() const { return mLength; }

    void Clear();
    // Sets a value of the given kind from raw bytes; returns the kind that resulted (0 when the kind is
    // unknown or the size does not fit it, 14 for the borrowed kinds). Text is taken up to its first zero
    // byte but never beyond size bytes.
    uint32_t SetTyped(uint32_t kind, const void* bytes, uint32_t size);
    uint32_t SetBlob(const void* bytes, uint32_t size);
    uint32_t SetNarrowText(const char* text);

protected:
    // Kinds above this one own their data.
    static constexpr uint32_t LastUnownedKind = KindBorrowedReadOnly;

    [[nodiscard]] bool OwnsData() const { return mKind > LastUnownedKind; }
    [[nodiscard]] void* DataPointer() const;
    void SetDataPointer(void* data);
    // Value, length and kind become 0 without giving anything back.
    void ResetFields();
    // The fixed value as a little-endian number (the whole value field).
    [[nodiscard]] uint64_t FieldBits() const;
    // The first bytes (at most `width`) of a data block as a little-endian number; missing bytes read 0.
    [[nodiscard]] uint64_t DataBits(uint32_t width) const;
    // Integer conversions share one path: the value as 64 bits, then cut to the result's width.
    [[nodiscard]] uint64_t IntegerBits(uint32_t width) const;
    // Text up to its first zero, at most `limit` bytes, stored as text with a terminator.
    uint32_t SetBoundedText(const char* text, uint32_t limit);
    // Empties a value and makes it an array without elements (and without data).
    static void MakeEmptyArray(Variant& value);

    alignas(8) unsigned char mValue[8] = {};
    uint32_t mLength = 0;
    uint32_t mKind = KindEmpty;
};
} // namespace ZQ
