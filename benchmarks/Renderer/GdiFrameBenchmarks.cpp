#include "BusyWindow.h"

#include "ZQFramework/Renderer/Gdi/GDIRenderer.h"

#include <benchmark/benchmark.h>

// The busy window (BusyWindow.h) drawn by the GDI+ renderer into an offscreen context, measured with cold
// caches (a new renderer), as a full frame again, and with one button invalid.
namespace
{
using ZQ::RCPtr;
using namespace BusyWindow;

struct Window
{
    Window() { (void)renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, 0, true, context); }

    void Frame(const ZQ::RectT<int32_t>& invalid)
    {
        context->GetInvalidRegion().Clear();
        context->GetInvalidRegion().AddRect(invalid.x, invalid.y, invalid.x + invalid.width,
                                            invalid.y + invalid.height);
        (void)renderer->RenderStart(context);
        DrawFrame(*renderer, invalid.ToDouble());
        (void)renderer->RenderFinish(context);
    }

    RCPtr<ZQ::LGDIRenderer> renderer{new ZQ::LGDIRenderer};
    RCPtr<ZQ::LRenderContextInfo> context;
};

const ZQ::RectT<int32_t> kWholeWindow{0, 0, kWidth, kHeight};

void GdiFrameColdCaches(benchmark::State& state)
{
    (void)GetSkin();
    for (auto _ : state)
    {
        state.PauseTiming();
        Window window;
        state.ResumeTiming();
        window.Frame(kWholeWindow);
    }
}

void GdiFrameAgain(benchmark::State& state)
{
    Window window;
    window.Frame(kWholeWindow);
    for (auto _ : state)
        window.Frame(kWholeWindow);
}

void GdiFrameOneButtonInvalid(benchmark::State& state)
{
    Window window;
    window.Frame(kWholeWindow);
    for (auto _ : state)
        window.Frame(GetSkin().buttons[5].rect);
}

BENCHMARK(GdiFrameColdCaches)->Unit(benchmark::kMillisecond);
BENCHMARK(GdiFrameAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(GdiFrameOneButtonInvalid)->Unit(benchmark::kMillisecond);
} // namespace
