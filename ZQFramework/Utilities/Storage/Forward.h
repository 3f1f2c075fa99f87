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

// Containers. Default template arguments stand at the definitions.
template <typename T>
class IIterable;
template <typename T>
class IIterableModifiable;
template <typename T>
class IArray;
template <typename T>
class Array;
template <typename T, uint32_t n>
class SimpleFixedArray;
template <typename T, uint32_t G, uint32_t S, int x, uint32_t Align>
class ArrayBuffer;
template <typename T, uint32_t M, uint32_t G, uint32_t S, int x, uint32_t Align>
class ArrayBufferM;
template <class T, uint32_t G, uint32_t S>
class ConstRCPtrArray;
template <class T, uint32_t G, uint32_t S>
class RCPtrArray;
template <class T, uint32_t G, uint32_t S>
class LRCPtrArray;
template <typename T, uint32_t n>
class ReuseAllocator;
template <class T, uint32_t G, class L>
class RCPtrQueue;

// Objects made of strings and pairs. ZQ::Pair and ZQ::LPair share Pair.h.
template <class T, StringT<char16_t, char> (*ToStringFunction)(const T&), class Base>
class LWrapperStringable;
template <class A, class B>
struct Pair;
template <class A, class B, StringT<char16_t, char> (*ToStringFunction)(const A&), class Base>
class LPair;

// Hashed lists, maps and caches.
template <class V, class K>
class IHashedList;
template <class V, class K, K (*GetKey)(const V&), uint32_t Bits, uint32_t (*GetBitsOf)(const K&)>
class HashedList;
template <class K, class V, uint32_t Bits>
class RCPtrMap;
template <class O, class Id>
class PurgableCacheEntry;

// Typed values.
class Variant;
class VariantEx;
} // namespace ZQ
