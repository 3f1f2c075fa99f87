#pragma once

// Forward declarations of the embedded resources' types, for headers that only name them.
namespace Platform
{
struct EmbeddedResource;
class ResourceRegistration;
} // namespace Platform
