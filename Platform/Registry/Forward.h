#pragma once

#include <cstdint>

// Forward declarations of the registry stand-in: keys and values (Registry.h), typed helpers
// (RegistryValues.h) and change notification (RegistryWatch.h).
namespace Platform
{
using RegKey = intptr_t;
enum RegType : uint32_t;
enum RegResult : int32_t;
class RegistryWatch;
} // namespace Platform
