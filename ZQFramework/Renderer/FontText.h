#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/String.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <cstdint>

namespace ZQ
{
// The text layout of a look's label: splits the text into paragraphs at line feeds, wraps them to the
// box width when asked, and places every line in the box by a horizontal and a vertical alignment factor
// (0 left or top, 0.5 centred, 1 right or bottom; any factor multiplies the free space). It answers the
// layout engine's questions too (widest paragraph, height at a width). All measuring goes through the
// application's measurement renderer; without one every text measures as zero. Lines and their places
// are measured once and kept until the text, font, wrap flag or box changes (or, for the places only,
// an alignment). Owned by its look; UI thread only.
//
// The extent of a measured text is its width plus its x when x is not 0. A paragraph wraps at the last
// blank that leaves a line not wider than the box, or after a hyphen when that gives a longer line; a
// word that fits nowhere stays whole. The whole text of a paragraph fits only when strictly narrower than
// the box. Continuation lines lose their leading blanks, tabs, CR and LF; the first line keeps them.
class LFontText : public virtual LRefCountedObject
{
public:
    LFontText(const WString& text, const ConstRCPtr<LFont>& font);
    ~LFontText() override;

    // Each setter returns true when the layout changed.
    bool SetText(const WString& text);
    // A change is a font given or taken away, or a different name (case-sensitive), size or style.
    bool SetFont(const ConstRCPtr<LFont>& font);
    bool SetWordWrap(bool wrap);
    bool SetBoxSize(int32_t width, int32_t height);
    bool SetHorizontalAlignment(float factor);
    bool SetVerticalAlignment(float factor);

    [[nodiscard]] const WString& GetText() const { return mText; }
    [[nodiscard]] const ConstRCPtr<LFont>& GetFont() const { return mFont; }
    [[nodiscard]] bool GetWordWrap() const { return mWordWrap; }
    [[nodiscard]] int32_t GetBoxWidth() const { return mBoxWidth; }
    [[nodiscard]] int32_t GetBoxHeight() const { return mBoxHeight; }
    [[nodiscard]] float GetHorizontalAlignment() const { return mHorizontalAlignment; }
    [[nodiscard]] float GetVerticalAlignment() const { return mVerticalAlignment; }

    // Lays out and places the lines if needed; the number of lines (at least one).
    uint32_t GetLineCount();
    // Line i and its place {x, y, width, height} relative to the box; valid after GetLineCount, for i
    // below it.
    [[nodiscard]] const WString& GetLine(uint32_t index) const { return mLines.GetAt(index); }
    [[nodiscard]] const RectT<float>& GetLineRect(uint32_t index) const { return mLineRects.GetAt(index); }

    // The widest paragraph, unwrapped, rounded up to whole pixels (plus 0.99, truncated).
    [[nodiscard]] int32_t GetNaturalWidth() const;
    // The number of lines at that width (wrapped when word wrap is on) times the font's line height.
    // Leaves the kept layout alone.
    [[nodiscard]] int32_t GetHeightForWidth(int32_t width) const;
    // The size of the box around all line places and the point (0, 0), each value rounded half away from
    // zero within +-2^23.
    void GetTextSize(int32_t& width, int32_t& height);

private:
    void ClearLayout();
    void LayOutLines();
    void PlaceLines();

    WString mText;
    ConstRCPtr<LFont> mFont;
    float mHorizontalAlignment = 0;
    float mVerticalAlignment = 0;
    bool mWordWrap = false;
    int32_t mBoxWidth = 0;
    int32_t mBoxHeight = 0;
    WStringArray mLines;            // empty: not laid out
    Array<RectT<float>> mLineSizes; // each line measured, kept with the lines; extent as width
    Array<RectT<float>> mLineRects; // empty: not placed
};
} // namespace ZQ
