#include "Platform/Window/Placement.h"

#include "Platform/Bytes/LittleEndian.h"
#include "Platform/Registry/Registry.h"

#include <algorithm>
#include <string>

namespace Platform::Window
{
namespace
{
constexpr std::u16string_view kProfileKey = u"Software\\Tavrin DJ\\Q3300 Splen\\";
constexpr std::u16string_view kPlacementValue = u"WP";

std::u16string SectionKey(std::u16string_view section)
{
    return std::u16string(kProfileKey) + std::u16string(section);
}

// Closes a registry key when the scope ends.
struct KeyGuard
{
    RegKey key = 0;
    ~KeyGuard()
    {
        if (key != 0)
            RegistryCloseKey(key);
    }
};
} // namespace

std::array<uint8_t, kPlacementBytes> EncodePlacement(const WindowPlacement& placement)
{
    const int32_t fields[] = {
        static_cast<int32_t>(kPlacementBytes),
        static_cast<int32_t>(placement.flags),
        static_cast<int32_t>(placement.showCommand),
        placement.minPosition.x,
        placement.minPosition.y,
        placement.maxPosition.x,
        placement.maxPosition.y,
        placement.normalPosition.left,
        placement.normalPosition.top,
        placement.normalPosition.right,
        placement.normalPosition.bottom,
    };
    std::array<uint8_t, kPlacementBytes> bytes{};
    for (size_t i = 0; i < std::size(fields); ++i)
        LittleEndian::StoreU32(bytes.data() + 4 * i, static_cast<uint32_t>(fields[i]));
    return bytes;
}

std::optional<WindowPlacement> DecodePlacement(std::span<const uint8_t> bytes)
{
    if (bytes.size() != kPlacementBytes)
        return std::nullopt;
    LittleEndian::Reader reader(bytes);
    const auto next = [&reader] { return static_cast<int32_t>(reader.U32()); };
    const auto coordinate = [&next]
    { return std::clamp(next(), kPlacementCoordinateMin, kPlacementCoordinateMax); };
    if (next() != static_cast<int32_t>(kPlacementBytes))
        return std::nullopt;
    WindowPlacement placement;
    placement.flags = static_cast<uint32_t>(next());
    placement.showCommand = static_cast<uint32_t>(next());
    placement.minPosition.x = coordinate();
    placement.minPosition.y = coordinate();
    placement.maxPosition.x = coordinate();
    placement.maxPosition.y = coordinate();
    placement.normalPosition.left = coordinate();
    placement.normalPosition.top = coordinate();
    placement.normalPosition.right = coordinate();
    placement.normalPosition.bottom = coordinate();
    return placement;
}

bool SavePlacement(std::u16string_view section, const WindowPlacement& placement)
{
    KeyGuard guard;
    if (RegistryCreateKey(RegCurrentUser, SectionKey(section), RegKeyAllAccess, &guard.key) != RegSuccess)
        return false;
    const auto bytes = EncodePlacement(placement);
    return RegistrySetValue(guard.key, kPlacementValue, RegBinary, bytes.data(),
                            static_cast<uint32_t>(bytes.size())) == RegSuccess;
}

std::optional<WindowPlacement> LoadPlacement(std::u16string_view section)
{
    KeyGuard guard;
    if (RegistryOpenKey(RegCurrentUser, SectionKey(section), RegKeyRead, &guard.key) != RegSuccess)
        return std::nullopt;
    std::array<uint8_t, kPlacementBytes> bytes{};
    uint32_t type = 0;
    uint32_t size = static_cast<uint32_t>(bytes.size());
    if (RegistryQueryValue(guard.key, kPlacementValue, &type, bytes.data(), &size) != RegSuccess ||
        type != RegBinary)
        return std::nullopt;
    return DecodePlacement(std::span<const uint8_t>(bytes.data(), size));
}
} // namespace Platform::Window
