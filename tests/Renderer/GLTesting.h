#pragma once

#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/Renderer/OpenGL/GLRenderContextInfo.h"
#include "ZQFramework/Renderer/OpenGL/GLRenderer.h"
#include "ZQFramework/Utilities/Graphics/Color.h"

#include <GL/gl.h>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace GLTesting
{
using namespace std::chrono_literals;

// Opens one X connection for the whole program, so that the server does not reset between tests; false
// without a display.
bool KeepServer();

class GLWindow;
// The window's pixel at (x, y) as the X server shows it, 0xRRGGBB.
uint32_t ShownPixel(const GLWindow& window, int32_t x, int32_t y);

// The program's display with one shown window of the given size, as the native window makes them.
class GLWindow
{
public:
    explicit GLWindow(int32_t width = 64, int32_t height = 64) : width(width), height(height)
    {
        if (!KeepServer())
            return;
        display = Platform::Window::Display::Open(loop);
        if (!display)
            return;
        window = display->CreateWindow({"ZQGLTest", u"GL test", {10, 10, 10 + width, 10 + height}},
                                       [](const Platform::Window::Message&)
                                       { return Platform::Window::LResult{0}; });
        display->ShowWindow(window, Platform::Window::kSwShowNormal);
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!display->IsOnScreen(window) && std::chrono::steady_clock::now() < deadline)
            loop.DispatchOnce(20ms);
    }
    ~GLWindow()
    {
        if (display)
            display->DestroyWindow(window);
    }
    GLWindow(const GLWindow&) = delete;
    GLWindow& operator=(const GLWindow&) = delete;

    [[nodiscard]] bool IsOpen() const { return display && display->IsOnScreen(window); }
    [[nodiscard]] intptr_t Handle() const { return static_cast<intptr_t>(window); }

    int32_t width;
    int32_t height;
    Platform::Window::MessageLoop loop;
    std::unique_ptr<Platform::Window::Display> display;
    Platform::Window::WindowHandle window = 0;
};

// Pixels of the back buffer read back as 0xAARRGGBB, top row first.
class Pixels
{
public:
    Pixels(int32_t width, int32_t height) : mWidth(width), mPixels(size_t(width) * height)
    {
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadBuffer(GL_BACK);
        std::vector<uint32_t> bottomUp(mPixels.size());
        glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bottomUp.data());
        for (int32_t y = 0; y < height; ++y)
            std::copy_n(&bottomUp[size_t(height - 1 - y) * width], width, &mPixels[size_t(y) * width]);
    }

    [[nodiscard]] uint32_t At(int32_t x, int32_t y) const { return mPixels[size_t(y) * mWidth + x]; }
    // Opaque colour without alpha, for comparing against what was drawn.
    [[nodiscard]] uint32_t Rgb(int32_t x, int32_t y) const { return At(x, y) & 0xFFFFFF; }
    // One character a pixel of row y: '#' where the red, green or blue channel is above 127, '.' elsewhere.
    [[nodiscard]] std::string Row(int32_t y) const
    {
        std::string row;
        for (int32_t x = 0; x < mWidth; ++x)
        {
            const uint32_t p = At(x, y);
            row += (((p >> 16) & 0xFF) > 127 || ((p >> 8) & 0xFF) > 127 || (p & 0xFF) > 127) ? '#' : '.';
        }
        return row;
    }
    // The number of pixels whose colour is not black.
    [[nodiscard]] int32_t CountInk() const
    {
        int32_t count = 0;
        for (const uint32_t p : mPixels)
            count += (p & 0xFFFFFF) != 0 ? 1 : 0;
        return count;
    }

private:
    int32_t mWidth;
    std::vector<uint32_t> mPixels;
};

// An OpenGL renderer (made as LRenderer::Create makes it) with the window context of a GLWindow.
class GLCanvas
{
public:
    explicit GLCanvas(int32_t width = 64, int32_t height = 64) : window(width, height)
    {
        if (!window.IsOpen())
            return;
        renderer = ZQ::LRenderer::Create(ZQ::LRenderer::kOpenGL, {0, 0, width, height}, window.Handle());
        EXPECT_EQ(renderer->InitRenderContextInfo({0, 0, width, height}, window.Handle(), false, context),
                  S_OK);
    }

    [[nodiscard]] bool IsReady() const { return static_cast<bool>(renderer); }
    [[nodiscard]] ZQ::LGLRenderer& GL() const { return static_cast<ZQ::LGLRenderer&>(*renderer); }

    // Runs one frame on a black window, reading the back buffer back before the frame ends.
    template <class Draw>
    Pixels Frame(Draw&& draw)
    {
        EXPECT_EQ(renderer->RenderStart(context), S_OK);
        renderer->FillRect({0, 0, window.width, window.height}, ZQ::Color(0, 0, 0, 1), false);
        draw();
        Pixels pixels(window.width, window.height);
        EXPECT_EQ(renderer->RenderFinish(context), S_OK);
        return pixels;
    }

    GLWindow window;
    ZQ::RCPtr<ZQ::LRenderer> renderer;
    ZQ::RCPtr<ZQ::LRenderContextInfo> context;
};

#define ZQ_REQUIRE_GL(canvas)                                                                                \
    if (!(canvas).IsReady())                                                                                 \
    GTEST_SKIP() << "no X display"
} // namespace GLTesting
