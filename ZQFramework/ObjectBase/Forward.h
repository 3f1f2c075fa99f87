#pragma once

// Forward declarations of the object base. ConstRCPtr and RCPtr are inseparable and both live in
// RCPtr.h (RCPtr derives from ConstRCPtr); the second template argument is always T*.
namespace ZQ
{
// The string of Utilities/Storage: objects describe themselves in it (IStringable), and it keeps its
// characters in counted objects, so it is defined above the object base.
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
} // namespace ZQ
