#include "Platform/Window/Placement.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Feeds arbitrary bytes to the reader of the stored window placement (the "WP" value, which any process
// of the user may have written): only a value of the stored form is taken, it writes back to the very
// same bytes, and what the window then works out from it (sizes, emptiness) stays in range.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the given size, so that the sanitizer sees any read past its end.
    const std::vector<uint8_t> bytes(data, data + size);
    const auto placement = Platform::Window::DecodePlacement(bytes);
    if (!placement)
        return 0;
    const auto written = Platform::Window::EncodePlacement(*placement);
    if (Platform::Window::DecodePlacement(written) != placement)
        __builtin_trap();
    const Platform::Window::Rect& normal = placement->normalPosition;
    (void)normal.Width();
    (void)normal.Height();
    (void)normal.IsEmpty();
    return 0;
}
