#pragma once

#include "ZQFramework/ObjectBase/ExceptionBase.h"
#include "ZQFramework/ObjectBase/FailedResultException.h"
#include "ZQFramework/ObjectBase/Result.h"

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

// Throws the "Failed Result" exception of a failed call: "Failed Result : ZQRESULT = <hex> : " + where,
// where naming the function, the source path and the line ("ZQ::LClass::Function : Folder\File : Line N").
[[noreturn]] inline void ThrowFailedResult(ZQRESULT result, const std::string& where)
{
    std::string text = "Failed Result : ";
    text.append(ResultToString(result)).append(" : ").append(where);
    throw Exception<FailedResultException>(text);
}
} // namespace ZQ
