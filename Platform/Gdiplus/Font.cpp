#include "Platform/Gdiplus/Font.h"

#include "Platform/Gdiplus/FontFace.h"
#include "Platform/Gdiplus/Outcome.h"
#include "Platform/Text/Utf.h"

#include <cmath>

namespace Platform::Gdiplus
{
FontFamily::FontFamily(std::string pattern, std::u16string name)
    : mPattern(std::move(pattern)), mName(std::move(name))
{
}

std::unique_ptr<FontFamily> FontFamily::Resolve(std::string pattern, Status* status)
{
    const auto face = FindFontFace(pattern, FontStyleRegular);
    if (!face)
        return Outcome<FontFamily>(status, Status::FontFamilyNotFound);
    return Outcome(status, Status::Ok,
                   std::unique_ptr<FontFamily>(new FontFamily(std::move(pattern), face->familyName)));
}

std::unique_ptr<FontFamily> FontFamily::FromName(std::u16string_view name, Status* status)
{
    if (name.empty())
        return Outcome<FontFamily>(status, Status::InvalidParameter);
    return Resolve(Utf16ToUtf8(name), status);
}

std::unique_ptr<FontFamily> FontFamily::GenericSansSerif(Status* status)
{
    return Resolve("sans-serif", status);
}

FontMetrics FontFamily::Metrics(int32_t style) const
{
    const auto face = FindFontFace(mPattern, style);
    return face ? face->metrics : FontMetrics{};
}

Font::Font(const FontFamily& family, float size, int32_t style, Unit unit,
           std::shared_ptr<const FontFace> face)
    : mFamily(family), mSize(size), mStyle(style), mUnit(unit), mFace(std::move(face))
{
}

std::unique_ptr<Font> Font::Create(const FontFamily* family, float size, int32_t style, Unit unit,
                                   Status* status)
{
    const int32_t allStyles = FontStyleBold | FontStyleItalic | FontStyleUnderline | FontStyleStrikeout;
    if (!family || !(size > 0) || !std::isfinite(size) || (style & ~allStyles) != 0 ||
        (unit != Unit::Pixel && unit != Unit::Point))
        return Outcome<Font>(status, Status::InvalidParameter);
    auto face = FindFontFace(family->mPattern, style);
    if (!face)
        return Outcome<Font>(status, Status::FontFamilyNotFound);
    return Outcome(status, Status::Ok,
                   std::unique_ptr<Font>(new Font(*family, size, style, unit, std::move(face))));
}

FontMetrics Font::Metrics() const
{
    return mFace->metrics;
}

float Font::EmPixels(float dpi) const
{
    return mUnit == Unit::Point ? mSize * dpi / 72 : mSize;
}

float Font::GetHeight(float dpi) const
{
    return EmPixels(dpi) * float(mFace->metrics.lineSpacing) / float(mFace->metrics.emHeight);
}
} // namespace Platform::Gdiplus
