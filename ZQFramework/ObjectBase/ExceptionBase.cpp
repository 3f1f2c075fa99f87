#include "ZQFramework/ObjectBase/ExceptionBase.h"

#include <exception>

namespace ZQ
{
ExceptionBase::~ExceptionBase() = default;

const char* ExceptionBase::What() const
{
    const auto* standard = dynamic_cast<const std::exception*>(this);
    return standard != nullptr ? standard->what() : "";
}
} // namespace ZQ
