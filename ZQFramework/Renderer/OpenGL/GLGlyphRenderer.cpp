#include "ZQFramework/Renderer/OpenGL/GLGlyphRenderer.h"

#include "ZQFramework/Renderer/Font.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstring>

namespace ZQ
{
namespace
{
// Changed areas thinner than this count as none.
constexpr float kMinChange = 1.0f / 8388608.0f;

const LGLGlyphRenderer::CachedGlyph kNoGlyph{};

GLEdges Union(const GLEdges& a, const GLEdges& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

bool IsEmpty(const GLEdges& area)
{
    return !(area.right - area.left > kMinChange && area.bottom - area.top > kMinChange);
}
} // namespace

// --- LCachedFont ---

LGLGlyphRenderer::LCachedFont::LCachedFont(const ConstRCPtr<LFont>& font) : mFont(font)
{
    // The first row is at least as high as the font's size.
    int32_t x = 0;
    int32_t y = 0;
    (void)RequestSpace(0, font ? static_cast<int32_t>(font->GetSize()) : 0, x, y);
}

const LGLGlyphRenderer::CachedGlyph& LGLGlyphRenderer::LCachedFont::FindGlyph(int32_t characterCode) const
{
    return mGlyphs.Find(characterCode, kNoGlyph);
}

bool LGLGlyphRenderer::LCachedFont::RequestSpace(int32_t width, int32_t height, int32_t& x, int32_t& y)
{
    if (width > kAtlasWidth)
        return false;
    int32_t packX = mPackX;
    int32_t packY = mPackY;
    int32_t rowHeight = mRowHeight;
    if (packX + width >= kAtlasWidth)
    {
        packX = 0;
        packY += rowHeight;
        rowHeight = 0;
    }
    rowHeight = std::max(rowHeight, height);
    if (packY + height > kMaxSize)
        return false;
    mPackX = packX;
    mPackY = packY;
    mRowHeight = rowHeight;
    if (!mAtlas)
        mAtlas = new LPixelBuffer<unsigned char>(kAtlasWidth, std::max(PowerOfTwoSize(mRowHeight), 1),
                                                 kAtlasWidth);
    if (mPackY + height > mAtlas->GetRows())
        GrowAtlas(PowerOfTwoSize(mPackY + height));
    x = mPackX;
    y = mPackY;
    return true;
}

void LGLGlyphRenderer::LCachedFont::GrowAtlas(int32_t rows)
{
    rows = std::min(std::max(rows, mAtlas->GetRows()), static_cast<int32_t>(kMaxSize));
    if (rows != mAtlas->GetRows())
    {
        RCPtr<LPixelBuffer<unsigned char>> grown(
            new LPixelBuffer<unsigned char>(kAtlasWidth, rows, kAtlasWidth));
        std::memcpy(grown->GetRow(0), mAtlas->GetRow(0),
                    static_cast<size_t>(mAtlas->GetRows()) * static_cast<size_t>(kAtlasWidth));
        mAtlas = grown;
    }
    mChanged = {0, 0, static_cast<float>(kAtlasWidth), static_cast<float>(rows)};
}

bool LGLGlyphRenderer::LCachedFont::AddGlyph(CachedGlyph& glyph, const LPixelBuffer<unsigned char>* bitmap)
{
    const int32_t width = bitmap != nullptr ? bitmap->GetWidth() : 0;
    const int32_t rows = bitmap != nullptr ? bitmap->GetRows() : 0;
    int32_t x = 0;
    int32_t y = 0;
    // A one-pixel border on each side keeps neighbours out of the glyph's quad.
    if (!RequestSpace(width + 2, rows + 2, x, y))
        return false;
    glyph.atlasX = static_cast<uint16_t>(x + 1);
    glyph.atlasY = static_cast<uint16_t>(y + 1);
    for (int32_t row = 0; row < rows; ++row)
        std::memcpy(mAtlas->GetRow(y + 1 + row) + x + 1, bitmap->GetRow(row), static_cast<size_t>(width));
    const GLEdges area{static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width + 2),
                       static_cast<float>(y + rows + 2)};
    mChanged = IsEmpty(mChanged) ? area : Union(mChanged, area);
    mPackX += width + 2;
    mGlyphs.Add(glyph);
    return true;
}

void LGLGlyphRenderer::LCachedFont::UploadWhenChanged()
{
    if (IsEmpty(mChanged) || !mAtlas)
        return;
    GLTextureImage image;
    image.format = GL_ALPHA;
    image.type = GL_UNSIGNED_BYTE;
    image.data = mAtlas->GetRow(0);
    image.width = kAtlasWidth;
    image.height = mAtlas->GetRows();
    image.stride = kAtlasWidth;
    image.bytesPerPixel = 1;
    Create(image, GL_ALPHA, kNearest, 1.0f);
    mChanged = {};
}

// --- LGLGlyphRenderer ---

int32_t LGLGlyphRenderer::FontID(const ConstRCPtr<LFont>& font)
{
    return font ? font->GetUniqueID() : 0;
}

LGLGlyphRenderer::LGLGlyphRenderer() = default;

LGLGlyphRenderer::~LGLGlyphRenderer() = default;

void LGLGlyphRenderer::BeginString(const ConstRCPtr<LFont>& font, int32_t flags)
{
    mFlags = flags;
    mBounds = {};
    if (!font)
    {
        mCurrentFont = nullptr;
        return;
    }
    RCPtr<LCachedFont>& entry = mFonts.GetEntry(font, false);
    if (!entry)
        entry = new LCachedFont(font);
    mCurrentFont = entry;
    if ((flags & kUploadAtlas) != 0)
        mCurrentFont->UploadWhenChanged();
}

void LGLGlyphRenderer::EndString()
{
    mCurrentFont = nullptr;
}

int32_t LGLGlyphRenderer::FindGlyph(GlyphRecord& record)
{
    if (!mCurrentFont)
        return 0;
    mCurrentGlyph = mCurrentFont->FindGlyph(record.characterCode);
    if (mCurrentGlyph.characterCode == 0)
        return kLoad | kMeasure | kRender;
    record.left = mCurrentGlyph.left;
    record.top = mCurrentGlyph.top;
    record.right = mCurrentGlyph.right;
    record.bottom = mCurrentGlyph.bottom;
    record.advanceX = mCurrentGlyph.advanceX;
    record.advanceY = mCurrentGlyph.advanceY;
    record.glyphIndex = mCurrentGlyph.glyphIndex;
    return 0;
}

void LGLGlyphRenderer::PlaceGlyph(const GlyphRecord& record)
{
    if (!mCurrentFont)
        return;
    bool drawable = true;
    if (mCurrentGlyph.characterCode == 0)
    {
        mCurrentGlyph.characterCode = record.characterCode;
        mCurrentGlyph.glyphIndex = record.glyphIndex;
        mCurrentGlyph.left = record.left;
        mCurrentGlyph.top = record.top;
        mCurrentGlyph.right = record.right;
        mCurrentGlyph.bottom = record.bottom;
        mCurrentGlyph.advanceX = record.advanceX;
        mCurrentGlyph.advanceY = record.advanceY;
        drawable = mCurrentFont->AddGlyph(mCurrentGlyph, record.bitmap.Get());
        if (drawable && (mFlags & kUploadAtlas) != 0)
            mCurrentFont->UploadWhenChanged();
    }
    if ((mFlags & kAccumulateBounds) != 0)
        AccumulateBounds(record);
    if ((mFlags & kDraw) == 0 || !drawable)
        return;
    const GlyphRecord& glyph = record;
    const float ascent = static_cast<float>(mCurrentFont->GetFont()->GetAscent());
    const float dx = glyph.penX;
    const float dy = -(ascent + glyph.penY);
    const GLEdges source{static_cast<float>(mCurrentGlyph.atlasX), static_cast<float>(mCurrentGlyph.atlasY),
                         static_cast<float>(mCurrentGlyph.atlasX + (glyph.right - glyph.left)),
                         static_cast<float>(mCurrentGlyph.atlasY + (glyph.bottom - glyph.top))};
    const GLEdges destination{static_cast<float>(glyph.left) + dx, static_cast<float>(glyph.top) + dy,
                              static_cast<float>(glyph.right) + dx, static_cast<float>(glyph.bottom) + dy};
    mCurrentFont->Draw(source, destination);
}

void LGLGlyphRenderer::AccumulateBounds(const GlyphRecord& record)
{
    const float left = record.penX;
    const float top = record.penY + static_cast<float>(record.top);
    const GLEdges glyph{left, top, left + static_cast<float>(record.advanceX >> 6),
                        top + static_cast<float>(record.bottom - record.top)};
    const GLEdges bounds = Union({mBounds.left, mBounds.top, mBounds.right, mBounds.bottom}, glyph);
    mBounds = {bounds.left, bounds.top, bounds.right, bounds.bottom};
}

RCPtr<LGLGlyphRenderer::LCachedFont> LGLGlyphRenderer::FindCachedFont(const ConstRCPtr<LFont>& font) const
{
    for (int32_t i = 0; i < mFonts.GetCapacity(); ++i)
    {
        const FontCache::Entry& entry = mFonts.GetEntryAt(i);
        if (entry.object && entry.id == FontID(font))
            return entry.object;
    }
    return nullptr;
}
} // namespace ZQ
