#pragma once

#include <cstdint>

// Forward declarations of the storage library (strings, buffers, containers). Owners of further classes
// of this folder ask for their lines to be added here.
namespace ZQ
{
// Memory and buffers.
class IAllocator;
class SystemAllocator;
class IBuffer;
class LIBuffer;
class FormatArg;
class TextFormatter;

// Strings. WString is the wide string (UTF-16 code units in char16_t); AString the narrow one (UTF-8).
template <class CharT, class OtherT>
class StringT;
using WString = StringT<char16_t, char>;
using AString = StringT<char, char16_t>;
template <class CharT, class OtherT>
class StringArrayT;
using WStringArray = StringArrayT<char16_t, char>;
} // namespace ZQ
