#include "ZQFramework/Utilities/Storage/VariantEx.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Feeds arbitrary bytes to the packed-record reader, then reads the value every way a caller can:
// a malformed record must give an error, never a read outside the bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the given size, so that the sanitizer sees any read past its end.
    const std::vector<uint8_t> bytes(data, data + size);
    ZQ::VariantEx value;
    const uint32_t available = static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
    if (value.Unpack(bytes.data(), available) != S_OK)
        return 0;
    (void)value.ToString();
    (void)value.ToInt64();
    (void)value.ToDouble();
    (void)value.ToBool();
    ZQ::Array<ZQ::VariantEx> elements;
    (void)value.GetArray(elements);
    for (uint32_t i = 0; i < elements.GetCount(); ++i)
        (void)elements.GetAt(i).ToString(1);
    // Elements read one by one, past the last one too, into the base value type (its own allocator).
    for (uint32_t i = 0; i <= elements.GetCount(); ++i)
    {
        ZQ::Variant element;
        if (value.GetArrayElement(i, element) == 0)
            (void)element.ToDouble();
    }
    ZQ::VariantEx copy(value);
    (void)copy.ToString();
    return 0;
}
