#pragma once

#include "Platform/Gdiplus/Bitmap.h"
#include "ZQFramework/Renderer/Gdi/GDIRenderContextInfo.h"
#include "ZQFramework/Renderer/Gdi/GDIRenderer.h"
#include "ZQFramework/Utilities/Graphics/Color.h"

#include <gtest/gtest.h>
#include <string>

namespace GdiTesting
{
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// A GDI+ renderer with an offscreen context of the given size, and the pixels of its current back buffer
// read back in straight alpha.
struct OffscreenCanvas
{
    explicit OffscreenCanvas(int32_t width = 40, int32_t height = 40, bool offscreen = true)
    {
        EXPECT_EQ(renderer->InitRenderContextInfo({0, 0, width, height}, 0, offscreen, context), S_OK);
    }

    ZQ::LGDIRenderContextInfo& Gdi() const { return static_cast<ZQ::LGDIRenderContextInfo&>(*context); }

    void Start() { EXPECT_EQ(renderer->RenderStart(context), S_OK); }
    void Finish() { EXPECT_EQ(renderer->RenderFinish(context), S_OK); }

    uint32_t At(int32_t x, int32_t y) const
    {
        uint32_t color = 0;
        EXPECT_EQ(Gdi().GetCurrentSurface()->GetBitmap()->GetPixel(x, y, color),
                  Platform::Gdiplus::Status::Ok)
            << x << ", " << y;
        return color;
    }

    // One character a pixel of row y from x = 0 to width - 1: '#' where alpha is above 0, '.' elsewhere.
    std::string Row(int32_t y, int32_t width) const
    {
        std::string row;
        for (int32_t x = 0; x < width; ++x)
            row += (At(x, y) >> 24) != 0 ? '#' : '.';
        return row;
    }

    ZQ::RCPtr<ZQ::LGDIRenderer> renderer{new ZQ::LGDIRenderer};
    ZQ::RCPtr<ZQ::LRenderContextInfo> context;
};
} // namespace GdiTesting
