#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

// The framework's exceptions: a standard exception combined with the ExceptionBase mix-in, so that code
// holding any framework exception can read its text without knowing its kind. Texts follow one format:
// kind, optional descriptions, throwing function, source path and "Line N", joined by " : ".
namespace ZQ
{
class ExceptionBase
{
public:
    virtual ~ExceptionBase();

    // The text of the complete exception object (its std::exception part's what()).
    [[nodiscard]] virtual const char* What() const;
};

// A failed result code turned into an exception; the text is kept here, the std::exception part is empty.
class FailedResultException : public std::exception
{
public:
    FailedResultException() = default;
    explicit FailedResultException(const std::string& message) : mMessage(message) {}
    explicit FailedResultException(const char* message) : mMessage(message) {}

    [[nodiscard]] const char* what() const noexcept override { return mMessage.c_str(); }

private:
    std::string mMessage;
};

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
