#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/FontRenderer/PixelBuffer.h"
#include "ZQFramework/Renderer/Forward.h"

#include <cstdint>

namespace ZQ
{
// One glyph of a string on its way from the font renderer to the glyph processor. The box is in pixels
// relative to the pen, y downward; the advance is 26.6 fixed point.
struct GlyphRecord
{
    int32_t index = 0;         // of the character in the string
    int32_t characterCode = 0; // UTF-16 code unit
    float penX = 0;
    float penY = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t advanceX = 0;
    int32_t advanceY = 0;
    int32_t glyphIndex = 0; // FreeType's; 0 for none
    RCPtr<LPixelBuffer<unsigned char>> bitmap;
};

// The left, top, right and bottom of what a processor placed since its string began.
struct GlyphBounds
{
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

// Receives the glyphs of each string the font renderer lays out: it may cache them per font (and then
// spares the font renderer the loading and rasterising), draws them and accumulates their bounds.
class LGlyphProcessor : public virtual LRefCountedObject
{
public:
    // Steps FindGlyph asks of the font renderer for a glyph it does not know.
    static constexpr int32_t kLoad = 1;
    static constexpr int32_t kMeasure = 2;
    static constexpr int32_t kRender = 4;

    // Flags of a string.
    static constexpr int32_t kAccumulateBounds = 2;
    static constexpr int32_t kUploadAtlas = 4;
    static constexpr int32_t kDraw = 8;
    // What measuring and drawing a string pass.
    static constexpr int32_t kMeasuring = 3;
    static constexpr int32_t kDrawing = 15;

    virtual void BeginString(const ConstRCPtr<LFont>& font, int32_t flags) = 0;
    virtual void EndString() = 0;
    // 0 when the glyph of the record's character is known (its box, advance and glyph index are then
    // copied into the record), else the steps the font renderer must perform.
    [[nodiscard]] virtual int32_t FindGlyph(GlyphRecord& record) = 0;
    virtual void PlaceGlyph(const GlyphRecord& record) = 0;
    [[nodiscard]] virtual GlyphBounds GetBounds() const = 0;
};
} // namespace ZQ
