#pragma once

#include "Platform/Gdiplus/Types.h"

#include <memory>
#include <string>
#include <string_view>

// Families and fonts, found through fontconfig and measured with FreeType. "Arial" resolves to Liberation
// Sans, which has Arial's metrics; a name fontconfig does not know falls back to its sans-serif family.
// Metrics are those GDI+ reports, in the font's design units: the cell ascent and descent are the OS/2
// table's Windows ascent and descent, the line spacing is the hhea ascender - descender + line gap.
// Families and fonts are immutable and may be shared between threads.
namespace Platform::Gdiplus
{
struct FontFace;

struct FontMetrics
{
    int32_t emHeight = 0;
    int32_t cellAscent = 0;
    int32_t cellDescent = 0;
    int32_t lineSpacing = 0;
};

class FontFamily
{
public:
    // An empty name is InvalidParameter; FontFamilyNotFound only when no usable font is installed at all.
    [[nodiscard]] static std::unique_ptr<FontFamily> FromName(std::u16string_view name,
                                                              Status* status = nullptr);
    [[nodiscard]] static std::unique_ptr<FontFamily> GenericSansSerif(Status* status = nullptr);

    // The name of the family found ("Liberation Sans" for "Arial").
    [[nodiscard]] const std::u16string& Name() const { return mName; }
    // Metrics of the family's face for the style (bold and italic bits count).
    [[nodiscard]] FontMetrics Metrics(int32_t style) const;

private:
    friend class Font;
    FontFamily(std::string pattern, std::u16string name);
    static std::unique_ptr<FontFamily> Resolve(std::string pattern, Status* status);

    std::string mPattern; // what fontconfig is asked for
    std::u16string mName;
};

class Font
{
public:
    // A font of the family; size above 0, in the unit given (Pixel or Point); style a combination of
    // FontStyle bits.
    [[nodiscard]] static std::unique_ptr<Font> Create(const FontFamily* family, float size, int32_t style,
                                                      Unit unit, Status* status = nullptr);

    [[nodiscard]] const FontFamily& Family() const { return mFamily; }
    [[nodiscard]] float Size() const { return mSize; }
    [[nodiscard]] int32_t Style() const { return mStyle; }
    [[nodiscard]] Unit SizeUnit() const { return mUnit; }
    [[nodiscard]] FontMetrics Metrics() const;

    // The em size in pixels at a DPI (a pixel-unit font ignores it).
    [[nodiscard]] float EmPixels(float dpi) const;
    // The line spacing in pixels at a DPI.
    [[nodiscard]] float GetHeight(float dpi) const;

private:
    friend class Graphics;
    Font(const FontFamily& family, float size, int32_t style, Unit unit,
         std::shared_ptr<const FontFace> face);

    FontFamily mFamily;
    float mSize;
    int32_t mStyle;
    Unit mUnit;
    std::shared_ptr<const FontFace> mFace;
};
} // namespace Platform::Gdiplus
