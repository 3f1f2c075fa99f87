#pragma once

#include "Platform/Gdiplus/Types.h"

#include <memory>

struct _cairo_surface;

// What shapes and text are filled with: one colour, or an image repeated from the world origin (a texture,
// drawn nearest-neighbour). A texture keeps its own copy of the image's pixels.
namespace Platform::Gdiplus
{
class Bitmap;

class Brush
{
public:
    [[nodiscard]] static std::unique_ptr<Brush> Solid(Argb color);
    // A texture of the area of the image (all of it without an area).
    [[nodiscard]] static std::unique_ptr<Brush> Texture(const Bitmap* image, const RectI& area,
                                                        Status* status = nullptr);
    [[nodiscard]] static std::unique_ptr<Brush> Texture(const Bitmap* image, Status* status = nullptr);

    ~Brush();
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;

    [[nodiscard]] Argb Color() const { return mColor; }
    [[nodiscard]] bool IsTexture() const { return mTexture != nullptr; }

private:
    friend class Graphics;
    Brush(Argb color, _cairo_surface* texture);

    Argb mColor;
    _cairo_surface* mTexture;
};
} // namespace Platform::Gdiplus
