#pragma once

#include <cstdint>

// Forward declarations of the driver stand-in's types, for headers that only name them.
namespace Platform
{
using DriverHandle = intptr_t;
using DriverConnectionId = uint64_t;
struct DriverRequest;
struct DriverReply;
class IDriverDevice;
class DriverConnection;
class DriverEndpoint;
class DriverEvent;
} // namespace Platform
