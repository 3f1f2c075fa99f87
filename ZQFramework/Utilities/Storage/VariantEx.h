#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/ObjectBase/Stringable.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/CountedBuffer.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/Variant.h"

#include <cstdint>

namespace ZQ
{
// The typed value the framework uses: keeps the data of blobs, texts and arrays in a counted buffer,
// reads its text as a number or a boolean by parsing it, prints itself, and reads values from the packed
// record format (registry values). Copies never share data: each holds its own buffer.
//
// Packed record, little-endian: u32 total size (header included), u32 format version (0 or 1), u32 kind,
// then the value's bytes; an array's bytes are its element records one after another.
class VariantEx : public Variant, public IStringable
{
public:
    VariantEx() = default;
    VariantEx(const VariantEx& other);
    VariantEx& operator=(const VariantEx& other);
    ~VariantEx() override;

    // Assigns and gives the kind taken.
    uint32_t Assign(const VariantEx& other);

    [[nodiscard]] bool ToBool() const override;
    [[nodiscard]] int8_t ToInt8() const override;
    [[nodiscard]] int16_t ToInt16() const override;
    [[nodiscard]] int32_t ToInt32() const override;
    [[nodiscard]] int64_t ToInt64() const override;
    [[nodiscard]] uint8_t ToUInt8() const override;
    [[nodiscard]] uint16_t ToUInt16() const override;
    [[nodiscard]] uint32_t ToUInt32() const override;
    [[nodiscard]] uint64_t ToUInt64() const override;
    [[nodiscard]] float ToFloat() const override;
    [[nodiscard]] double ToDouble() const override;
    [[nodiscard]] void* Allocate(uint32_t size) override;
    void Free(void* data) override;

    // A private copy of the narrow string's bytes, terminator included; gives 15.
    uint32_t SetString(const AString& text);
    // Reads the value from a packed record of `available` bytes; E_FAIL when the record is malformed or
    // does not fit. Never reads outside the bytes given.
    [[nodiscard]] ZQRESULT Unpack(const void* record, uint32_t available);
    // Element `index` of an array into out: 0, or -1 when this is no array, the index is past the last
    // element or the record does not fit.
    int32_t GetArrayElement(uint32_t index, Variant& out) const;
    // All elements of an array: 0 (also for the empty value, with no elements), or E_INVALIDARG for a
    // value of any other kind.
    ZQRESULT GetArray(Array<VariantEx>& out) const;

    [[nodiscard]] WString ToString() const override { return ToString(-1); }
    // Arrays print one element a line, each nested level indented by two more blanks; an array nested
    // 64 levels deep shows only its header, followed by " ...".
    [[nodiscard]] WString ToString(int32_t indent) const;
    [[nodiscard]] virtual WString ArrayToString(int32_t indent) const;

private:
    static ZQRESULT UnpackInto(Variant& value, const uint8_t* record, uint32_t available);
    // Number of element records that lie whole inside the array's data; a malformed record ends it.
    [[nodiscard]] uint32_t CountElements() const;
    [[nodiscard]] bool IsText() const { return mKind == KindText; }

    ConstRCPtr<LIBuffer> mBuffer; // holds the data of kinds 14 to 16, null otherwise
};
} // namespace ZQ
