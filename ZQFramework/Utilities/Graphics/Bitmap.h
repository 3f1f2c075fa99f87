#pragma once

#include "Platform/Gdiplus/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Graphics/Forward.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <memory>

namespace ZQ
{
// The framework's image: a GDI+ bitmap loaded from a "GDIPLUS" PNG resource ("::NAME") or a file, made in
// memory (filled or colorized), or a rectangle of another bitmap (a sub-bitmap) that shares its owner's
// pixels. The same name always gives the same object while anything outside the named-bitmap map holds
// it: the map's reference counts as internal, so the last outside release takes the bitmap off the map
// and frees it. A bitmap owns its GDI+ bitmap, or has a parent that does (never a chain of parents).
// Renderers draw the rectangle of the owner's image; UI thread for drawing, the map itself is locked.
class LBitmap : public LRefCountedObject
{
public:
    // Loads the image: "::NAME" from the embedded "GDIPLUS" resources (the name after "::", upper-cased,
    // '.' and ' ' read as '_'), anything else from the file of that path. A failed load leaves a bitmap
    // without an image (HasImage false). key is the bitmap's key in the named-bitmap map.
    LBitmap(const WString& name, const WString& key);
    ~LBitmap() override;

    // The bitmap under the upper-cased name, loaded and put on the map when not there; null when it
    // cannot be loaded (nothing is then cached).
    [[nodiscard]] static RCPtr<LBitmap> GetNamedBitmap(const WString& name);

    // Takes the bitmap off the named-bitmap map: 0 when afterwards no internal reference is left and
    // the caller holds the only reference, else E_FAIL.
    ZQRESULT ReleaseInternalReferences() override;

    // A bitmap viewing (x, y, width, height) of this bitmap's rectangle; a width or height of 0 or less
    // views this bitmap's whole rectangle.
    [[nodiscard]] RCPtr<LBitmap> CreateSubBitmap(int32_t x, int32_t y, int32_t width, int32_t height) const;
    // A new bitmap owning a copy of this bitmap's rectangle.
    [[nodiscard]] RCPtr<LBitmap> CloneBitmap() const;
    // The pixel at (x, y) of this bitmap's rectangle; all channels 0 outside the image.
    [[nodiscard]] Color GetPixelColor(int32_t x, int32_t y) const;
    // Locked read access to the pixels: of the whole owner for a sub-bitmap, else of this rectangle.
    [[nodiscard]] RCPtr<LBitmapData> GetBitmapData() const;

    // The GDI+ bitmap holding the pixels: this bitmap's own, else its parent's; null without an image.
    [[nodiscard]] Platform::Gdiplus::Bitmap* GetGdiplusBitmap() const;
    [[nodiscard]] bool HasImage() const { return GetGdiplusBitmap() != nullptr; }
    // The rectangle within the owner's image.
    [[nodiscard]] const RectT<int32_t>& GetRect() const { return mRect; }
    [[nodiscard]] int32_t GetWidth() const { return mRect.width; }
    [[nodiscard]] int32_t GetHeight() const { return mRect.height; }
    [[nodiscard]] const WString& GetName() const { return mName; }
    [[nodiscard]] const ConstRCPtr<LBitmap>& GetParent() const { return mParent; }

    // The full-width address of the GDI+ bitmap behind the bitmap (0 for null or no image), the key of
    // renderers' caches.
    [[nodiscard]] static intptr_t GetHandle(const ConstRCPtr<LBitmap>& bitmap);

    // A 32-bit ARGB bitmap of that size with every pixel the colour. Throws for a size below 1.
    [[nodiscard]] static RCPtr<LBitmap> CreateFilledBitmap(int32_t width, int32_t height, const Color& color);
    // Gradients are not provided: always throws.
    [[nodiscard]] static RCPtr<LBitmap>
    CreateGradientFilledBitmap(const RectT<int32_t>& size, const Color& start, const Color& end, bool radial);
    // A bitmap of that size filled with the colorizer's colour, its alpha times intensity (a gradient
    // colorizer with two different colours goes to CreateGradientFilledBitmap). Throws for a size below 1.
    [[nodiscard]] static RCPtr<LBitmap> CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer,
                                                              float intensity, int32_t width, int32_t height);
    // Tints the pixels of the bitmap's rectangle in place towards the colorizer's colour, by its alpha
    // times intensity; alpha stays, and each colour channel is kept within 0 to 255 (an intensity above 1
    // or a colour outside 0 to 1 saturates). Throws for a null bitmap or colorizer, or when the pixels cannot
    // be locked.
    static void ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                               float intensity);
    // The colorized picture of a visual part: from one of the two images, a tinted copy; from neither, a
    // colorized bitmap of the size. Both images given throws.
    [[nodiscard]] static RCPtr<LBitmap> ApplyColorizer(const ConstRCPtr<LColorizer>& colorizer,
                                                       float intensity, int32_t width, int32_t height,
                                                       const ConstRCPtr<LBitmap>& image,
                                                       const ConstRCPtr<LBitmap>& alternateImage);

private:
    explicit LBitmap(std::unique_ptr<Platform::Gdiplus::Bitmap> image);
    LBitmap(const ConstRCPtr<LBitmap>& parent, const RectT<int32_t>& rect);

    void Load();

    RectT<int32_t> mRect;
    ConstRCPtr<LBitmap> mParent; // the owner of the pixels, for a sub-bitmap
    WString mName;
    WString mKey;
    std::unique_ptr<Platform::Gdiplus::Bitmap> mImage; // null for sub-bitmaps and failed loads
};
} // namespace ZQ
