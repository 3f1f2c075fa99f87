#pragma once

// Forward declarations of the application framework's classes.
namespace ZQ
{
class Version;
} // namespace ZQ
