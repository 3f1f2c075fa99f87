#pragma once

#include "Support/RecordingRenderer.h"

#include "ZQFramework/ControlBase/Control/DockedPart.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"
#include "ZQFramework/Renderer/RenderContextInfo.h"
#include "ZQFramework/Utilities/Graphics/Colorizer.h"

#include <cstdint>

// Skin parts built in code for the look and visual-part tests, and a recording frame to draw them into.
// The sprite "::Parts Sprite.png" is 4 x 2 pixels:
//   row 0: clear, red, clear, blue
//   row 1: green, white, yellow, clear
namespace PartBuilders
{
inline constexpr const char16_t* kSprite = u"::Parts Sprite.png";
inline constexpr uint32_t kClear = 0x00000000, kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00,
                          kWhite = 0xFFFFFFFF, kYellow = 0xFFFFFF00;
inline constexpr uint32_t kNothing = 0x00FFFFFF; // a look's or part's answer where nothing is

inline ZQ::RCPtr<ZQ::LColorizer> Solid(uint32_t argb)
{
    return ZQ::LColorizer::Create(u"solid", ZQ::LColorizer::kSolid, ZQ::Color(argb));
}

// A fill of the colorizer's colour with a natural size.
inline ZQ::RCPtr<ZQ::LVisualPartDescriptor> FillPart(const ZQ::ConstRCPtr<ZQ::LColorizer>& colorizer,
                                                     int32_t width, int32_t height,
                                                     int32_t resizeType = ZQ::LVisualPartDescriptor::kStretch,
                                                     float alphaMod = 1)
{
    ZQ::LVisualPartDescriptor::Shape shape;
    shape.Width = width;
    shape.Height = height;
    shape.ResizeType = resizeType;
    shape.ColorizerAlphaMod = alphaMod;
    return ZQ::LVisualPartDescriptor::CreateColorPart(u"fill", colorizer, shape);
}

// A rectangle of an image (the whole image for width and height 0), optionally tinted and masked.
inline ZQ::RCPtr<ZQ::LVisualPartDescriptor>
ImagePart(const char16_t* path, int32_t resizeType = ZQ::LVisualPartDescriptor::kStretch, int32_t x = 0,
          int32_t y = 0, int32_t width = 0, int32_t height = 0,
          const ZQ::ConstRCPtr<ZQ::LColorizer>& colorizer = nullptr, const char16_t* maskPath = u"")
{
    ZQ::LVisualPartDescriptor::Shape shape;
    shape.ResizeType = resizeType;
    shape.Mask = {maskPath, 0, 0, width, height};
    return ZQ::LVisualPartDescriptor::CreateImagePart(u"image", {path, x, y, width, height}, colorizer,
                                                      shape);
}

inline ZQ::RCPtr<ZQ::LDockedPart> Docked(const ZQ::ConstRCPtr<ZQ::LVisualPartDescriptor>& part,
                                         const ZQ::LDockedPart::Placement& placement = {})
{
    return ZQ::LDockedPart::Create(part, placement);
}

// A started frame of a recording renderer over a 400 x 300 window; finished on destruction.
struct RecordingFrame
{
    ZQ::RCPtr<TestSupport::RecordingRenderer> renderer{new TestSupport::RecordingRenderer};
    ZQ::RCPtr<ZQ::LRenderContextInfo> context;

    RecordingFrame()
    {
        (void)renderer->InitRenderContextInfo({0, 0, 400, 300}, 0, false, context);
        (void)renderer->RenderStart(context);
    }
    ~RecordingFrame() { (void)renderer->RenderFinish(context); }
    RecordingFrame(const RecordingFrame&) = delete;
    RecordingFrame& operator=(const RecordingFrame&) = delete;

    [[nodiscard]] ZQ::RCPtr<ZQ::LRenderer> Renderer() const { return renderer; }
};
} // namespace PartBuilders
