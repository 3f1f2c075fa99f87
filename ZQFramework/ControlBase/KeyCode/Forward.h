#pragma once

// Forward declarations of the key-code library.
namespace ZQ
{
class KeyCode;
} // namespace ZQ
