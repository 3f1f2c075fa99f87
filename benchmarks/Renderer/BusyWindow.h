#pragma once

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/BitmapData.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Graphics/Colorizer.h"

#include <vector>

// The busy updater-sized window the renderer benchmarks draw: a skinned 400 x 450 window with a tiled
// background, a stretched header, eight colorized buttons cut from a sprite sheet, a framed panel and a
// dozen lines of text, drawn through any renderer.
namespace BusyWindow
{
using ZQ::RCPtr;

constexpr int32_t kWidth = 400;
constexpr int32_t kHeight = 450;

// A bitmap with a pattern in every channel, so that scaling and tinting do real work.
inline RCPtr<ZQ::LBitmap> Patterned(int32_t width, int32_t height)
{
    RCPtr<ZQ::LBitmap> bitmap = ZQ::LBitmap::CreateFilledBitmap(width, height, ZQ::Color());
    ZQ::LBitmapData data(bitmap, Platform::Gdiplus::LockMode::Write, nullptr);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            *reinterpret_cast<uint32_t*>(data.GetPixelAddress(x, y)) =
                0xFF000000u | static_cast<uint32_t>((x * 7) & 0xFF) << 16 |
                static_cast<uint32_t>((y * 5) & 0xFF) << 8 | static_cast<uint32_t>((x ^ y) & 0xFF);
    return bitmap;
}

struct Button
{
    ZQ::RectT<int32_t> rect;
    RCPtr<ZQ::LBitmap> picture;
};

// What the skin's visual parts hold once built: the images, tinted once.
struct Skin
{
    Skin()
    {
        const RCPtr<ZQ::LBitmap> sprites = Patterned(96, 24);
        const RCPtr<ZQ::LColorizer> tint =
            ZQ::LColorizer::Create(u"accent", ZQ::LColorizer::kSolid, ZQ::Color(0.2f, 0.5f, 0.9f, 0.6f));
        for (int32_t i = 0; i < 8; ++i)
        {
            const RCPtr<ZQ::LBitmap> frame = sprites->CreateSubBitmap((i % 4) * 24, 0, 24, 24);
            buttons.push_back({{20 + (i % 4) * 92, 300 + (i / 4) * 60, 80, 40},
                               ZQ::LBitmap::ApplyColorizer(tint, 1, 0, 0, frame, nullptr)});
        }
    }

    RCPtr<ZQ::LBitmap> background = Patterned(64, 64);
    RCPtr<ZQ::LBitmap> header = Patterned(50, 20);
    std::vector<Button> buttons;
    ZQ::ConstRCPtr<ZQ::LFont> font = ZQ::LFont::GetFont(u"Arial", 9, 0);
    ZQ::ConstRCPtr<ZQ::LFont> title = ZQ::LFont::GetFont(u"Arial", 12, ZQ::LFont::kBold);
};

inline const Skin& GetSkin()
{
    static const Skin skin;
    return skin;
}

inline void DrawButton(ZQ::LRenderer& renderer, const Button& button, int index)
{
    const Skin& skin = GetSkin();
    renderer.DrawBitmap(button.picture, button.rect, ZQ::LRenderer::kResizeStretch);
    renderer.DrawText(index % 2 == 0 ? u"Update" : u"Cancel", skin.font,
                      {button.rect.x + 18, button.rect.y + 14}, ZQ::Color(1, 1, 1, 1));
}

// Draws what lies within clip, as the control tree does: each part under a clip of its own.
inline void DrawFrame(ZQ::LRenderer& renderer, const ZQ::RectT<double>& clip)
{
    const Skin& skin = GetSkin();
    renderer.PushClip();
    renderer.SetClipRect(clip);
    renderer.DrawBitmap(skin.background, {0, 0, kWidth, kHeight}, ZQ::LRenderer::kResizeTile);
    renderer.DrawBitmap(skin.header, {0, 0, kWidth, 48}, ZQ::LRenderer::kResizeStretch);
    renderer.DrawText(u"Q3300 Firmware Updater", skin.title, {16, 14}, ZQ::Color(1, 1, 1, 1));
    renderer.FillAndDrawRect({16, 64, 368, 216}, ZQ::Color(0, 0, 0, 0.5f), ZQ::Color(0.8f, 0.8f, 0.8f, 1), 1);
    for (int32_t line = 0; line < 12; ++line)
        renderer.DrawText(u"Firmware version 1.2.3 is installed; version 1.3.0 is ready.", skin.font,
                          {24, 72 + line * 17}, ZQ::Color(0.9f, 0.9f, 0.9f, 1));
    for (size_t i = 0; i < skin.buttons.size(); ++i)
        DrawButton(renderer, skin.buttons[i], static_cast<int>(i));
    renderer.PopClip();
}
} // namespace BusyWindow
