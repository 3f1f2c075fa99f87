#pragma once

// Forward declarations of the object base. ConstRCPtr and RCPtr are inseparable and both live in
// RCPtr.h (RCPtr derives from ConstRCPtr); the second template argument is always T*.
// ZQ::Pair and ZQ::LPair share Pair.h.
namespace ZQ
{
template <class Char, class Other>
class StringT;

class IStringable;
class IUndoable;
class LRefCountedObject;
class LTaggableObject;
class ExceptionBase;
class FailedResultException;
template <class E>
class Exception;

template <class T, class P = T*>
class ConstRCPtr;
template <class T, class P = T*>
class RCPtr;

template <class T>
class LHolder;
template <class T, class Base>
class LWrapper;
template <class T, StringT<char16_t, char> (*ToStringFunction)(const T&), class Base>
class LWrapperStringable;
template <class A, class B>
struct Pair;
template <class A, class B, StringT<char16_t, char> (*ToStringFunction)(const A&), class Base>
class LPair;
} // namespace ZQ
