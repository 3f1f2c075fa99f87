#include "BusyWindow.h"
#include "Support/MeasurementRendererScope.h"

#include "Platform/Window/Display.h"
#include "Platform/Window/MessageLoop.h"
#include "ZQFramework/Renderer/FontRenderer/FontFileInfo.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

// The busy window drawn onto a shown window of the display by the OpenGL renderer (type 0) and by the
// GDI+ renderer (type 1) side by side: frames per second with warm caches (glyph atlases, textures and
// prepared bitmaps built), and the first frame of a new renderer. Needs a display (Xvfb: llvmpipe).
namespace
{
using namespace BusyWindow;
using namespace std::chrono_literals;
using ZQ::RCPtr;

// One window of the size for the whole program run.
struct Screen
{
    Screen()
    {
        display = Platform::Window::Display::Open(loop);
        if (!display)
            return;
        window = display->CreateWindow({"ZQFrameBench", u"Frames", {0, 0, kWidth, kHeight}},
                                       [](const Platform::Window::Message&)
                                       { return Platform::Window::LResult{0}; });
        display->ShowWindow(window, Platform::Window::kSwShowNormal);
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!display->IsOnScreen(window) && std::chrono::steady_clock::now() < deadline)
            loop.DispatchOnce(20ms);
    }

    Platform::Window::MessageLoop loop;
    std::unique_ptr<Platform::Window::Display> display;
    Platform::Window::WindowHandle window = 0;
};

// The application's default font, as the application framework answers it: "Arial", which the font
// catalogue finds through fontconfig's substitute.
ZQRESULT DefaultFont(ZQ::WString& name, float& size, int32_t& style)
{
    name = u"Arial";
    size = 9;
    style = 0;
    return S_OK;
}

Screen* GetScreen()
{
    static const auto installed = ZQ::LFontFileInfo::SetDefaultFontProvider(&DefaultFont);
    (void)installed;
    static Screen screen;
    return screen.display ? &screen : nullptr;
}

// A renderer of the type with its window context, measuring text itself.
struct WindowRenderer
{
    WindowRenderer(int32_t type, intptr_t window)
        : renderer(ZQ::LRenderer::Create(type, {0, 0, kWidth, kHeight}, window)), measuring(renderer)
    {
        (void)renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, window, false, context);
    }

    void Frame()
    {
        context->GetInvalidRegion().Clear();
        context->GetInvalidRegion().AddRect(0, 0, kWidth, kHeight);
        (void)renderer->RenderStart(context);
        DrawFrame(*renderer, {0, 0, kWidth, kHeight});
        (void)renderer->RenderFinish(context);
    }

    RCPtr<ZQ::LRenderer> renderer;
    TestSupport::MeasurementRendererScope measuring;
    RCPtr<ZQ::LRenderContextInfo> context;
};

void WarmFrames(benchmark::State& state, int32_t type)
{
    Screen* screen = GetScreen();
    if (screen == nullptr)
    {
        state.SkipWithError("no display");
        return;
    }
    (void)GetSkin();
    WindowRenderer window(type, static_cast<intptr_t>(screen->window));
    window.Frame();
    for (auto _ : state)
        window.Frame();
    state.SetItemsProcessed(state.iterations()); // items per second: frames per second
}

void FirstFrame(benchmark::State& state, int32_t type)
{
    Screen* screen = GetScreen();
    if (screen == nullptr)
    {
        state.SkipWithError("no display");
        return;
    }
    (void)GetSkin();
    for (auto _ : state)
    {
        state.PauseTiming();
        auto window = std::make_unique<WindowRenderer>(type, static_cast<intptr_t>(screen->window));
        state.ResumeTiming();
        window->Frame();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

BENCHMARK_CAPTURE(WarmFrames, OpenGL, ZQ::LRenderer::kOpenGL)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WarmFrames, Gdiplus, ZQ::LRenderer::kGdiplus)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstFrame, OpenGL, ZQ::LRenderer::kOpenGL)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstFrame, Gdiplus, ZQ::LRenderer::kGdiplus)->Unit(benchmark::kMillisecond);
} // namespace
