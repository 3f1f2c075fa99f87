#include "ZQFramework/Renderer/FontRenderer/FreetypeFontRenderer.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontRenderer/FontFileInfo.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace ZQ
{
namespace
{
// Process-wide, made by the renderer's constructor and released by its destructor.
FT_Library gLibrary = nullptr;
FTC_Manager gManager = nullptr;

// Face ids are file ids plus one: file id 0 is a real font, while FreeType takes a null face id for none.
FTC_FaceID ToFaceID(int32_t fileID)
{
    return reinterpret_cast<FTC_FaceID>(static_cast<intptr_t>(fileID) + 1);
}

FT_Error RequestFace(FTC_FaceID faceID, FT_Library library, FT_Pointer, FT_Face* face)
{
    const auto fileID = static_cast<int32_t>(reinterpret_cast<intptr_t>(faceID) - 1);
    const AString path(LFontFileInfo::GetFilePath(fileID));
    return FT_New_Face(library, path.GetBuffer(), 0, face);
}

// The font's size object, or null. Throws when the catalogue has no family for the font.
FT_Size LookupSize(const ConstRCPtr<LFont>& font)
{
    FTC_ScalerRec scaler{};
    scaler.face_id = ToFaceID(LFontFileInfo::GetFileID(font));
    scaler.width = 0;
    scaler.height = static_cast<FT_UInt>(font->GetSize() * 64);
    scaler.pixel = 0;
    scaler.x_res = 96;
    scaler.y_res = 96;
    FT_Size size = nullptr;
    if (gManager == nullptr || FTC_Manager_LookupSize(gManager, &scaler, &size) != 0)
        return nullptr;
    return size;
}

// The slot's rendered bitmap as 8-bit pixels: one-bit pixels become 0 or 255.
RCPtr<LPixelBuffer<unsigned char>> CopyBitmap(const FT_Bitmap& bitmap)
{
    const auto width = static_cast<int32_t>(bitmap.width);
    const auto rows = static_cast<int32_t>(bitmap.rows);
    const int32_t pitch = std::abs(bitmap.pitch);
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    RCPtr<LPixelBuffer<unsigned char>> pixels(
        new LPixelBuffer<unsigned char>(width, rows, mono ? width : pitch));
    for (int32_t row = 0; row < rows; ++row)
    {
        // A negative pitch stores the rows bottom first.
        const unsigned char* source =
            bitmap.buffer + static_cast<ptrdiff_t>(bitmap.pitch < 0 ? rows - 1 - row : row) * pitch;
        unsigned char* target = pixels->GetRow(row);
        if (!mono)
        {
            std::memcpy(target, source, static_cast<size_t>(pitch));
            continue;
        }
        for (int32_t x = 0; x < width; ++x)
            target[x] = (source[x / 8] & (0x80 >> (x % 8))) != 0 ? 255 : 0;
    }
    return pixels;
}

// Renders the slot, anti-aliased from 8 pt up and in one bit below, trying the other mode when the first
// fails; null when both fail.
RCPtr<LPixelBuffer<unsigned char>> RenderSlot(FT_GlyphSlot slot, float fontSize)
{
    const FT_Render_Mode preferred = fontSize >= 8.0f ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    const FT_Render_Mode other =
        preferred == FT_RENDER_MODE_NORMAL ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    if (FT_Render_Glyph(slot, preferred) != 0 && FT_Render_Glyph(slot, other) != 0)
        return nullptr;
    return CopyBitmap(slot->bitmap);
}

struct GlyphDeleter
{
    void operator()(FT_Glyph glyph) const { FT_Done_Glyph(glyph); }
};
using GlyphHolder = std::unique_ptr<std::remove_pointer_t<FT_Glyph>, GlyphDeleter>;

// Performs the steps the processor asked for on the record's character; false when the glyph cannot be
// loaded or rendered and the character is skipped.
bool LoadGlyph(FT_Face face, float fontSize, int32_t needed, GlyphRecord& record, GlyphHolder& glyph)
{
    if (FT_Load_Glyph(face, static_cast<FT_UInt>(record.glyphIndex), FT_LOAD_DEFAULT) != 0)
        return false;
    FT_Glyph loaded = nullptr;
    if (FT_Get_Glyph(face->glyph, &loaded) != 0)
        return false;
    glyph.reset(loaded);
    record.advanceX = static_cast<int32_t>(face->glyph->advance.x);
    record.advanceY = static_cast<int32_t>(face->glyph->advance.y);
    if ((needed & (LGlyphProcessor::kMeasure | LGlyphProcessor::kRender)) != 0)
    {
        FT_BBox box{};
        FT_Glyph_Get_CBox(loaded, FT_GLYPH_BBOX_PIXELS, &box);
        record.left = static_cast<int32_t>(box.xMin);
        record.top = static_cast<int32_t>(-box.yMax);
        record.right = static_cast<int32_t>(box.xMax);
        record.bottom = static_cast<int32_t>(-box.yMin);
    }
    if ((needed & LGlyphProcessor::kRender) != 0)
    {
        record.bitmap = RenderSlot(face->glyph, fontSize);
        if (!record.bitmap)
            return false;
    }
    return true;
}
} // namespace

LFreetypeFontRenderer::LFreetypeFontRenderer(const RCPtr<LGlyphProcessor>& processor)
    : LFontRenderer(processor)
{
    LFontFileInfo::BuildCatalogue();
    if (FT_Init_FreeType(&gLibrary) != 0)
    {
        gLibrary = nullptr;
        return;
    }
    if (FTC_Manager_New(gLibrary, 8, 16, 0x400000, &RequestFace, this, &gManager) != 0)
        gManager = nullptr;
}

LFreetypeFontRenderer::~LFreetypeFontRenderer()
{
    if (gManager != nullptr)
        FTC_Manager_Done(gManager);
    if (gLibrary != nullptr)
        FT_Done_FreeType(gLibrary);
    gManager = nullptr;
    gLibrary = nullptr;
    LFontFileInfo::EmptyCatalogue();
}

ZQRESULT LFreetypeFontRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height,
                                               int32_t& ascent, int32_t& descent)
{
    const FT_Size size = LookupSize(font);
    if (size == nullptr)
        return E_FAIL;
    ascent = static_cast<int32_t>(-(size->metrics.ascender >> 6));
    descent = static_cast<int32_t>(-(size->metrics.descender >> 6));
    height = std::max(static_cast<int32_t>(size->metrics.height >> 6),
                      static_cast<int32_t>(96 * font->GetSize() / 72));
    height = std::max(height, descent - ascent);
    return S_OK;
}

int32_t LFreetypeFontRenderer::RenderString(const WString& text, const ConstRCPtr<LFont>& font,
                                            const RCPtr<LGlyphProcessor>& processor, int32_t firstIndex,
                                            int32_t limit, int32_t flags)
{
    const FT_Size size = LookupSize(font);
    if (size == nullptr || !processor)
        return 0;
    const FT_Face face = size->face;
    const bool kerning = FT_HAS_KERNING(face);
    GlyphRecord record;
    record.index = firstIndex;
    FT_UInt previous = 0;
    processor->BeginString(font, flags);
    int32_t processed = 0;
    for (const char16_t* c = text.GetBuffer(); *c != 0; ++c, ++record.index, ++processed)
    {
        record.characterCode = *c;
        record.left = record.top = record.right = record.bottom = 0;
        record.advanceX = record.advanceY = 0;
        record.glyphIndex = 0;
        record.bitmap = nullptr;
        const int32_t needed = processor->FindGlyph(record);
        if (needed != 0)
            record.glyphIndex = static_cast<int32_t>(FT_Get_Char_Index(face, *c));
        if (record.glyphIndex == 0)
            continue;
        GlyphHolder glyph;
        if (needed != 0 && !LoadGlyph(face, font->GetSize(), needed, record, glyph))
            continue;
        if (kerning && previous != 0)
        {
            FT_Vector delta{};
            FT_Get_Kerning(face, previous, static_cast<FT_UInt>(record.glyphIndex), FT_KERNING_DEFAULT,
                           &delta);
            record.penX += static_cast<float>(delta.x) / 64;
        }
        else if (kerning && record.left < 0)
        {
            // The first glyph starts at x 0 even when its ink reaches left of its origin.
            record.penX -= static_cast<float>(record.left);
        }
        if (limit > 0 && record.penX + static_cast<float>(record.right) > static_cast<float>(limit))
            break;
        processor->PlaceGlyph(record);
        record.bitmap = nullptr;
        record.penX += static_cast<float>(record.advanceX) / 64;
        record.penY += static_cast<float>(record.advanceY) / 64;
        previous = static_cast<FT_UInt>(record.glyphIndex);
    }
    processor->EndString();
    return processed;
}
} // namespace ZQ
