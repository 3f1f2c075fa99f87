#include "ZQFramework/Renderer/OpenGL/GLRenderContextInfo.h"

#include "Platform/GL/Wgl.h"
#include "ZQFramework/Renderer/OpenGL/GLErrors.h"
#include "ZQFramework/Renderer/OpenGL/GLTexture.h"

#include <GL/gl.h>
#include <algorithm>

namespace ZQ
{
LGLRenderContextInfo::LGLRenderContextInfo(const RectT<int32_t>& viewport, intptr_t window, bool offscreen)
    : LRenderContextInfo(viewport, window, offscreen)
{
}

LGLRenderContextInfo::~LGLRenderContextInfo()
{
    mPicture.Release();
    mUnderlay.Release();
}

LRenderContextInfo::SurfaceSize LGLRenderContextInfo::GetMaxSurfaceSize() const
{
    return mMaxViewport;
}

void LGLRenderContextInfo::ReadMaxViewportSize()
{
    GLint dimensions[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dimensions);
    mMaxViewport = {dimensions[0], dimensions[1]};
}

void LGLRenderContextInfo::SwapLayerBuffers() const
{
    if (!IsOffscreen())
        (void)Platform::GL::SwapBuffers(static_cast<Platform::GL::WindowHandle>(GetWindow()));
}

void LGLRenderContextInfo::SaveUnderlay()
{
    const RectT<int32_t>& viewport = GetViewport();
    mUnderlay.CopyFromFrameBuffer(viewport.width, viewport.height);
}

void LGLRenderContextInfo::CapturePicture()
{
    const RectT<int32_t>& viewport = GetViewport();
    mPicture.CopyFromFrameBuffer(viewport.width, viewport.height);
    if (mUnderlay.name == 0)
        return;
    // Put back what was there, pixel for pixel.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glPushMatrix();
    glLoadIdentity();
    mUnderlay.Draw({0, 0, mUnderlay.copiedWidth, mUnderlay.copiedHeight}, 0, 0);
    glPopMatrix();
    glPopAttrib();
    mUnderlay.Release();
    ClearGLErrors();
}

bool LGLRenderContextInfo::HasPicture() const
{
    return mPicture.name != 0;
}

void LGLRenderContextInfo::DrawPicture(const RectT<int32_t>& source, float x, float y) const
{
    mPicture.Draw(source, x, y);
}

void LGLRenderContextInfo::PixelCopy::CopyFromFrameBuffer(int32_t widthToCopy, int32_t heightToCopy)
{
    if (widthToCopy <= 0 || heightToCopy <= 0)
        return;
    const int32_t textureWidth = LGLTexture::PowerOfTwoSize(widthToCopy);
    const int32_t textureHeight = LGLTexture::PowerOfTwoSize(heightToCopy);
    if (name == 0 || glIsTexture(name) != GL_TRUE)
    {
        glGenTextures(1, &name);
        width = 0;
        height = 0;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    if (width != textureWidth || height != textureHeight)
    {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureWidth, textureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
        width = textureWidth;
        height = textureHeight;
    }
    copiedWidth = std::min(widthToCopy, textureWidth);
    copiedHeight = std::min(heightToCopy, textureHeight);
    // The viewport's corner is the frame buffer's bottom left.
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, copiedWidth, copiedHeight);
    ClearGLErrors();
}

void LGLRenderContextInfo::PixelCopy::Draw(const RectT<int32_t>& source, float x, float y) const
{
    if (name == 0 || width <= 0 || height <= 0)
        return;
    // Texture rows are bottom first: picture row r is texture row copiedHeight - r.
    const float u0 = static_cast<float>(source.x) / static_cast<float>(width);
    const float u1 = static_cast<float>(source.x + source.width) / static_cast<float>(width);
    const float v0 = static_cast<float>(copiedHeight - source.y) / static_cast<float>(height);
    const float v1 = static_cast<float>(copiedHeight - source.y - source.height) / static_cast<float>(height);
    const auto right = x + static_cast<float>(source.width);
    const auto bottom = y + static_cast<float>(source.height);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    glVertex2f(x, y);
    glTexCoord2f(u1, v0);
    glVertex2f(right, y);
    glTexCoord2f(u1, v1);
    glVertex2f(right, bottom);
    glTexCoord2f(u0, v1);
    glVertex2f(x, bottom);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void LGLRenderContextInfo::PixelCopy::Release()
{
    if (name != 0 && glIsTexture(name) == GL_TRUE)
        glDeleteTextures(1, &name);
    name = 0;
    width = height = copiedWidth = copiedHeight = 0;
}
} // namespace ZQ
