#pragma once

#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/Forward.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <cstdint>

namespace ZQ
{

// A list of strings with two lookups of its own: Find by text (with or without regard to case) and
// FindPointer by the identity of a string's character storage. The notification name table is one of
// these: a notification id is the address of the characters of one of its elements.
template <class CharT, class OtherT>
class StringArrayT : public Array<StringT<CharT, OtherT>>
{
public:
    using String = StringT<CharT, OtherT>;

    // Index of the first element at or after start that matches text, or -1. An element holding the very
    // buffer of text matches without its characters being compared.
    [[nodiscard]] int32_t Find(const String& text, bool caseSensitive, uint32_t start) const
    {
        const uint32_t count = this->GetCount();
        if (start >= count || static_cast<int32_t>(count) <= 0)
        {
            return -1;
        }
        const String* elements = this->GetData();
        for (uint32_t i = start; i < count; ++i)
        {
            if (Matches(elements[i], text, caseSensitive))
            {
                return static_cast<int32_t>(i);
            }
        }
        return -1;
    }

    // Index of the last element whose characters are at exactly that address, or -1. Only addresses are
    // compared, never characters.
    [[nodiscard]] int32_t FindPointer(const CharT* characters) const
    {
        const String* elements = this->GetData();
        for (int64_t i = static_cast<int64_t>(this->GetCount()) - 1; i >= 0; --i)
        {
            if (elements[i].GetBuffer() == characters)
            {
                return static_cast<int32_t>(i);
            }
        }
        return -1;
    }

private:
    static bool Matches(const String& element, const String& text, bool caseSensitive)
    {
        if (caseSensitive)
        {
            return element.GetStorage() == text.GetStorage() || element == text.GetBuffer();
        }
        return element.GetBuffer() == text.GetBuffer() ||
               CRT::CompareNoCase(element.GetBuffer(), text.GetBuffer()) == 0;
    }
};

// The notification name table: names are only ever added, so each element's characters, and with them
// every notification id, stay where they are for the life of the process. Made on first use and never
// destroyed, so ids stay valid while the program's statics are destroyed. Callers hold the notification
// registry's lock around every use, the first one included.
[[nodiscard]] WStringArray& GetNIDNameTable();

} // namespace ZQ
