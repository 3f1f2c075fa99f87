#include "Platform/Window/CopyData.h"

#include <algorithm>

namespace Platform::Window
{
std::string CopyDataText(std::span<const uint8_t> bytes)
{
    const auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    return std::string(bytes.begin(), end);
}
} // namespace Platform::Window
