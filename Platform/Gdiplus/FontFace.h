#pragma once

#include "Platform/Gdiplus/Font.h"

#include <memory>
#include <string>

struct _cairo_font_face;

// One face of an installed font, loaded once per process and kept until the process exits.
namespace Platform::Gdiplus
{
struct FontFace
{
    _cairo_font_face* cairoFace; // holds one reference
    std::u16string familyName;
    FontMetrics metrics;
    // In design units, positions above the baseline.
    int32_t underlinePosition;
    int32_t underlineThickness;
    int32_t strikeoutPosition;
    int32_t strikeoutThickness;
};

// The face fontconfig matches for the family pattern and the bold and italic bits of the style (missing
// styles are synthesised); null when nothing usable matches.
[[nodiscard]] std::shared_ptr<const FontFace> FindFontFace(const std::string& pattern, int32_t style);
} // namespace Platform::Gdiplus
