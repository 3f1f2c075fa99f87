#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
// Pixels on their way into a texture: GL format and type, the rows (stride bytes apart) and the bytes of
// one pixel. The pixels are the caller's (data) or owned (a rescaled or converted copy).
struct GLTextureImage
{
    uint32_t format = 0;
    uint32_t type = 0;
    const uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t bytesPerPixel = 0;
    std::vector<uint8_t> owned; // data points into it when the image owns its pixels
};

// A rectangle as its four edges.
struct GLEdges
{
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

// A 2D texture of power-of-two size holding an image (a bitmap's pixels or a glyph atlas), drawn as
// textured quads. An image larger than its texture is rescaled to fit; drawing maps image pixels to the
// texture either way. Owned by the renderer's texture cache or a cached font; GL calls need the renderer's
// context current. UI thread only.
class LGLTexture : public LRefCountedObject
{
public:
    static constexpr int32_t kNearest = 1;
    static constexpr int32_t kRepeat = 2;
    static constexpr int32_t kMipmaps = 4;
    // The largest side of a texture.
    static constexpr int32_t kMaxSize = 0x4000;

    LGLTexture() = default;
    ~LGLTexture() override;
    LGLTexture(const LGLTexture&) = delete;
    LGLTexture& operator=(const LGLTexture&) = delete;

    // A texture of the bitmap's whole picture (GL_RGBA8 from its 32-bit pixels); it keeps the bitmap.
    [[nodiscard]] static RCPtr<LGLTexture> CreateFromBitmap(const ConstRCPtr<LBitmap>& bitmap);
    // The smallest power of two not below n, at most kMaxSize; 0 for n of 0 or less.
    [[nodiscard]] static int32_t PowerOfTwoSize(int32_t n);
    // The alpha an ARGB pixel becomes in an alpha texture: 0 for 0, else 255 minus its luminance.
    [[nodiscard]] static uint8_t AlphaOfPixel(uint32_t pixel);

    // Uploads the image (generating the texture name when needed). flags: kNearest, kRepeat, kMipmaps;
    // scale divides the image size for drawing. GL errors are cleared and ignored.
    void Create(const GLTextureImage& image, uint32_t internalFormat, int32_t flags, float scale);
    // Draws the source rectangle (image pixels) into the destination as one quad.
    void Draw(const GLEdges& source, const GLEdges& destination) const;

    // The GL name; -1 until generated.
    [[nodiscard]] int32_t GetName() const { return mName; }
    // Whether the name still is a texture of the current context.
    [[nodiscard]] bool IsTexture() const;
    [[nodiscard]] float GetTextureWidth() const { return mTextureWidth; }
    [[nodiscard]] float GetTextureHeight() const { return mTextureHeight; }
    [[nodiscard]] float GetImageWidth() const { return mImageWidth; }
    [[nodiscard]] float GetImageHeight() const { return mImageHeight; }

private:
    uint32_t mTarget = 0x0DE1; // GL_TEXTURE_2D
    int32_t mName = -1;
    float mTextureWidth = 0;
    float mTextureHeight = 0;
    float mImageWidth = 0; // the image's size in the texture
    float mImageHeight = 0;
    float mScaledWidth = 0; // the size drawing counts in: the uploaded image's divided by the scale
    float mScaledHeight = 0;
    ConstRCPtr<LBitmap> mBitmap;
};
} // namespace ZQ
