#include "ZQFramework/Renderer/OpenGL/GLTexture.h"

#include "ZQFramework/Renderer/OpenGL/GLErrors.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/BitmapData.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>

namespace ZQ
{
namespace
{

bool IsAlphaFormat(uint32_t internalFormat)
{
    return internalFormat == GL_ALPHA4 || internalFormat == GL_ALPHA8;
}

int32_t RoundUpTo4(int32_t n)
{
    return (n + 3) & ~3;
}

void SetParameters(uint32_t target, int32_t flags)
{
    const bool nearest = (flags & LGLTexture::kNearest) != 0;
    const bool mipmaps = (flags & LGLTexture::kMipmaps) != 0;
    GLint minification = nearest ? GL_NEAREST : GL_LINEAR;
    if (mipmaps)
        minification = nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR;
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minification);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    const GLint wrap = (flags & LGLTexture::kRepeat) != 0 ? GL_REPEAT : GL_CLAMP;
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
    ClearGLErrors();
}

// Halves the size until the driver's proxy takes it; returns the reduction factor.
int32_t ProbeSize(uint32_t internalFormat, uint32_t format, uint32_t type, int32_t& width, int32_t& height)
{
    int32_t reduction = 1;
    while (width > 1 && height > 1)
    {
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format,
                     type, nullptr);
        GLint proxyWidth = 0;
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
        if (glGetError() == GL_NO_ERROR || proxyWidth == width)
            break;
        width /= 2;
        height /= 2;
        reduction *= 2;
    }
    ClearGLErrors();
    return reduction;
}

// The image scaled to width x height in a copy of the same format, rows 4-byte aligned.
GLTextureImage Rescaled(const GLTextureImage& image, int32_t width, int32_t height)
{
    GLTextureImage scaled;
    scaled.format = image.format;
    scaled.type = image.type;
    scaled.bytesPerPixel = image.bytesPerPixel;
    scaled.width = width;
    scaled.height = height;
    scaled.stride = RoundUpTo4(width * image.bytesPerPixel);
    scaled.owned.resize(static_cast<size_t>(scaled.stride) * static_cast<size_t>(height));
    scaled.data = scaled.owned.data();
    glPixelStorei(GL_UNPACK_ROW_LENGTH, image.stride / image.bytesPerPixel);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gluScaleImage(image.format, image.width, image.height, image.type, image.data, width, height, image.type,
                  scaled.owned.data());
    return scaled;
}

// One byte per pixel from 32-bit ARGB pixels, rows 4-byte aligned.
GLTextureImage ToAlpha(const GLTextureImage& image)
{
    GLTextureImage alpha;
    alpha.format = GL_ALPHA;
    alpha.type = GL_UNSIGNED_BYTE;
    alpha.bytesPerPixel = 1;
    alpha.width = image.width;
    alpha.height = image.height;
    alpha.stride = RoundUpTo4(image.width);
    alpha.owned.resize(static_cast<size_t>(alpha.stride) * static_cast<size_t>(image.height));
    alpha.data = alpha.owned.data();
    for (int32_t y = 0; y < image.height; ++y)
    {
        const uint8_t* row = image.data + static_cast<ptrdiff_t>(y) * image.stride;
        for (int32_t x = 0; x < image.width; ++x)
        {
            const uint8_t* p = row + static_cast<ptrdiff_t>(x) * 4;
            const uint32_t pixel = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
            alpha.owned[static_cast<size_t>(y) * alpha.stride + x] = LGLTexture::AlphaOfPixel(pixel);
        }
    }
    return alpha;
}

// The unpack alignment a stride allows: 1 for a whole number of pixels, else the smallest power of two
// above the remainder.
GLint UnpackAlignment(int32_t stride, int32_t bytesPerPixel)
{
    const int32_t remainder = stride % bytesPerPixel;
    GLint alignment = 1;
    while (remainder != 0 && alignment <= remainder)
        alignment *= 2;
    return alignment;
}
} // namespace

LGLTexture::~LGLTexture()
{
    if (IsTexture())
    {
        const auto name = static_cast<GLuint>(mName);
        glDeleteTextures(1, &name);
    }
    mBitmap = nullptr;
}

RCPtr<LGLTexture> LGLTexture::CreateFromBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    RCPtr<LGLTexture> texture(new LGLTexture);
    texture->mBitmap = bitmap;
    if (!bitmap)
        return texture;
    const RCPtr<LBitmapData> pixels = bitmap->GetBitmapData();
    if (!pixels || pixels->GetWidth() <= 0 || pixels->GetHeight() <= 0)
        return texture;
    GLTextureImage image;
    image.format = GL_BGRA;
    image.type = GL_UNSIGNED_BYTE;
    image.data = pixels->GetPixelAddress(0, 0);
    image.width = pixels->GetWidth();
    image.height = pixels->GetHeight();
    image.stride = pixels->GetStride();
    image.bytesPerPixel = 4;
    texture->Create(image, GL_RGBA8, 0, 1.0f);
    return texture;
}

int32_t LGLTexture::PowerOfTwoSize(int32_t n)
{
    int32_t p = 1;
    while (p < n && p < kMaxSize)
        p *= 2;
    return n < p - p / 2 ? p / 2 : p;
}

uint8_t LGLTexture::AlphaOfPixel(uint32_t pixel)
{
    if (pixel == 0)
        return 0;
    const double red = (pixel >> 16) & 0xFF;
    const double green = (pixel >> 8) & 0xFF;
    const double blue = pixel & 0xFF;
    const auto luminance = static_cast<int32_t>((green * 0.59 + red * 0.3) + blue * 0.11);
    return static_cast<uint8_t>(255 - luminance);
}

bool LGLTexture::IsTexture() const
{
    return mName >= 0 && glIsTexture(static_cast<GLuint>(mName)) == GL_TRUE;
}

void LGLTexture::Create(const GLTextureImage& source, uint32_t internalFormat, int32_t flags, float scale)
{
    if (!IsTexture())
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        mName = name != 0 ? static_cast<int32_t>(name) : -1;
    }
    glBindTexture(mTarget, static_cast<GLuint>(std::max(mName, 0)));
    const bool alpha = IsAlphaFormat(internalFormat);
    const uint32_t format = alpha ? GL_ALPHA : source.format;
    const uint32_t type = alpha ? GL_UNSIGNED_BYTE : source.type;

    mScaledWidth = static_cast<float>(source.width) / scale;
    mScaledHeight = static_cast<float>(source.height) / scale;
    int32_t width = PowerOfTwoSize(static_cast<int32_t>(mScaledWidth));
    int32_t height = PowerOfTwoSize(static_cast<int32_t>(mScaledHeight));
    SetParameters(mTarget, flags);
    const int32_t reduction = ProbeSize(internalFormat, format, type, width, height);
    mTextureWidth = static_cast<float>(width);
    mTextureHeight = static_cast<float>(height);
    glTexImage2D(mTarget, 0, static_cast<GLint>(internalFormat), width, height, 0, format, type, nullptr);

    // An image larger than its texture (over kMaxSize, or reduced by the probe) is rescaled to fit, as is
    // one that must fill a repeating texture exactly.
    const bool sizeDiffers = width != source.width || height != source.height;
    const bool tooLarge = source.width > width || source.height > height;
    GLTextureImage rescaled;
    const GLTextureImage* image = &source;
    if (sizeDiffers && (reduction > 1 || (flags & kRepeat) != 0 || tooLarge))
    {
        rescaled = Rescaled(source, width, height);
        image = &rescaled;
    }
    mImageWidth = static_cast<float>(image->width);
    mImageHeight = static_cast<float>(image->height);

    GLTextureImage converted;
    if (alpha)
    {
        converted = ToAlpha(*image);
        image = &converted;
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, image->stride / image->bytesPerPixel);
    glPixelStorei(GL_UNPACK_ALIGNMENT, UnpackAlignment(image->stride, image->bytesPerPixel));
    if ((flags & kMipmaps) != 0)
        gluBuild2DMipmaps(mTarget, static_cast<GLint>(internalFormat), image->width, image->height, format,
                          type, image->data);
    else
        glTexSubImage2D(mTarget, 0, 0, 0, image->width, image->height, format, type, image->data);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    ClearGLErrors();
}

void LGLTexture::Draw(const GLEdges& source, const GLEdges& destination) const
{
    if (mScaledWidth <= 0 || mScaledHeight <= 0 || mTextureWidth <= 0 || mTextureHeight <= 0)
        return;
    // Image pixels to texture coordinates, through the image's size in the texture.
    const float u = mImageWidth / mScaledWidth / mTextureWidth;
    const float v = mImageHeight / mScaledHeight / mTextureHeight;
    glEnable(mTarget);
    glBindTexture(mTarget, static_cast<GLuint>(std::max(mName, 0)));
    glBegin(GL_QUADS);
    glTexCoord2f(source.left * u, source.top * v);
    glVertex2f(destination.left, destination.top);
    glTexCoord2f(source.right * u, source.top * v);
    glVertex2f(destination.right, destination.top);
    glTexCoord2f(source.right * u, source.bottom * v);
    glVertex2f(destination.right, destination.bottom);
    glTexCoord2f(source.left * u, source.bottom * v);
    glVertex2f(destination.left, destination.bottom);
    glEnd();
    glDisable(mTarget);
}
} // namespace ZQ
