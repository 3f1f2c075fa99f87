#pragma once

namespace ZQ
{
class LFontFileInfo;
class LFontRenderer;
class LFreetypeFontRenderer;
class LGlyphProcessor;
template <class T>
class LPixelBuffer;
struct GlyphBounds;
struct GlyphRecord;
} // namespace ZQ
