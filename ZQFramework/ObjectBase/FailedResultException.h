#pragma once

#include <exception>
#include <string>

namespace ZQ
{
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
} // namespace ZQ
