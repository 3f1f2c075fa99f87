#pragma once

#include "ZQFramework/ObjectBase/ExceptionBase.h"
#include "ZQFramework/ObjectBase/FailedResultException.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

// The framework's exceptions: a standard exception combined with the ExceptionBase mix-in, so that code
// holding any framework exception can read its text without knowing its kind. Texts follow one format:
// kind, optional descriptions, throwing function, source path and "Line N", joined by " : ".
namespace ZQ
{
template <class E>
class Exception : public E, public ExceptionBase
{
public:
    explicit Exception(const char* message) : E(message) {}
    explicit Exception(const std::string& message) : E(message) {}
};

// An allocation failure carries the standard text and nothing else.
template <>
class Exception<std::bad_alloc> : public std::bad_alloc, public ExceptionBase
{
public:
    Exception() = default;

    [[nodiscard]] const char* what() const noexcept override { return "bad allocation"; }
};
} // namespace ZQ
