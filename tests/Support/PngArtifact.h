#pragma once

#include <cairo.h>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace TestSupport
{
// Pixels of 0xRRGGBB, row by row, saved as the PNG file name in the folder "artifacts" beside the test
// program; false when it cannot be written.
inline bool SavePngArtifact(const std::vector<uint32_t>& pixels, int width, int height,
                            const std::string& name)
{
    if (pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;
    cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    auto* target = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(shot));
    const int stride = cairo_image_surface_get_stride(shot) / 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            target[y * stride + x] = pixels[static_cast<size_t>(y * width + x)];
    cairo_surface_mark_dirty(shot);
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "artifacts";
    std::filesystem::create_directories(folder);
    const bool saved = cairo_surface_write_to_png(shot, (folder / name).c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(shot);
    return saved;
}
} // namespace TestSupport
