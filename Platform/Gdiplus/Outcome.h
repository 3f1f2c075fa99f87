#pragma once

#include "Platform/Gdiplus/Types.h"

#include <memory>

// How the factories report: the status goes where the caller asked for it, the object (null on failure)
// is the result.
namespace Platform::Gdiplus
{
template <typename T>
std::unique_ptr<T> Outcome(Status* status, Status result, std::unique_ptr<T> made = nullptr)
{
    if (status)
        *status = result;
    return made;
}
} // namespace Platform::Gdiplus
