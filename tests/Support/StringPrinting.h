#pragma once

#include "ZQFramework/Utilities/Storage/String.h"

#include <ostream>
#include <string>

// Readable framework strings in test output: GoogleTest finds these PrintTo overloads, and Utf8 turns a
// string into a std::string to compare against plain literals.
namespace ZQ
{
inline void PrintTo(const WString& text, std::ostream* os)
{
    *os << "u\"" << AString(text).GetBuffer() << "\"";
}

inline void PrintTo(const AString& text, std::ostream* os)
{
    *os << "\"" << text.GetBuffer() << "\"";
}
} // namespace ZQ

namespace TestSupport
{
inline std::string Utf8(const ZQ::WString& text)
{
    return ZQ::AString(text).GetBuffer();
}

inline std::u16string Units(const ZQ::WString& text)
{
    return std::u16string(text.GetBuffer(), static_cast<size_t>(text.GetLength()));
}
} // namespace TestSupport
