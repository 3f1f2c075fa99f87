#include "ZQFramework/Renderer/FontText.h"

#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <algorithm>

namespace ZQ
{
namespace
{
// Measures texts in one font through the application's measurement renderer, taken once per use;
// without a renderer every text measures as zero.
class TextMeasure
{
public:
    explicit TextMeasure(const ConstRCPtr<LFont>& font) : mRenderer(GetMeasurementRenderer()), mFont(font) {}

    // The text's box with its extent as the width and x 0.
    [[nodiscard]] RectT<float> Measure(const WString& text) const
    {
        if (mRenderer == nullptr)
            return {};
        RectT<float> box = mRenderer->MeasureText(text, mFont);
        if (box.x != 0)
            box.width += box.x;
        box.x = 0;
        return box;
    }

    [[nodiscard]] float Extent(const WString& text) const { return Measure(text).width; }

private:
    RCPtr<LMeasurementRenderer> mRenderer;
    const ConstRCPtr<LFont>& mFont;
};

WStringArray SplitParagraphs(const WString& text)
{
    return text.Split(u"\n");
}

// The index just after the last hyphen of the text's first `length` characters; 0 when there is none.
int AfterLastHyphen(const WString& text, int length)
{
    return length > 0 ? text.Left(length).ReverseFind('-') + 1 : 0;
}

// How many leading characters of a word (a text with no blank after its first character) go on a line:
// up to the last hyphen, not counting a final one, whose prefix fits, or the whole word when none does.
int FitWord(const TextMeasure& measure, float limit, WString word)
{
    for (;;)
    {
        const int hyphenEnd = AfterLastHyphen(word, word.GetLength() - 1);
        if (hyphenEnd == 0)
            return word.GetLength(); // it stays whole and may overflow
        if (measure.Extent(word.Left(hyphenEnd)) <= limit)
            return hyphenEnd;
        word = word.Left(hyphenEnd);
    }
}

// How many leading characters of the text go on one line of the given width: all of it when it is
// strictly narrower; else up to the last blank (from index 1 on) whose head is not wider, or further to
// a hyphen of the following word when that prefix is not wider either; else as FitWord on the first
// word. A measurer never makes a longer text narrower, so the last fitting blank is the one before the
// first blank that does not fit, found with a measurement per word of the line rather than per word of
// the rest of the paragraph.
int FitCharacters(const TextMeasure& measure, int32_t width, const WString& text)
{
    const auto limit = static_cast<float>(width);
    if (limit > measure.Extent(text))
        return text.GetLength();
    int fitting = 0; // the last blank whose head fits; 0 for none
    int next = text.Find(' ', 1);
    while (next >= 1 && measure.Extent(text.Left(next)) <= limit)
    {
        fitting = next;
        next = text.Find(' ', next + 1);
    }
    const int wordEnd = next >= 1 ? next : text.GetLength();
    if (fitting == 0)
        return FitWord(measure, limit, text.Left(wordEnd));
    const int hyphenEnd = AfterLastHyphen(text, wordEnd);
    if (hyphenEnd > fitting && measure.Extent(text.Left(hyphenEnd)) <= limit)
        return hyphenEnd;
    return fitting;
}

// The text without its leading blanks, tabs, CR and LF; empty when it holds nothing else.
WString WithoutLeadingBlanks(const WString& text)
{
    return text.Mid(static_cast<int>(CRT::SpanIn(text.GetBuffer(), u" \t\r\n")));
}

// Every paragraph of the text wrapped to the width; each paragraph gives at least one line.
WStringArray WrapLines(const TextMeasure& measure, int32_t width, const WString& text)
{
    WStringArray lines;
    const WStringArray paragraphs = SplitParagraphs(text);
    for (uint32_t i = 0; i < paragraphs.GetCount(); ++i)
    {
        WString rest = paragraphs.GetAt(i);
        int count = FitCharacters(measure, width, rest);
        WString line = rest.Left(count);
        while (count < rest.GetLength())
        {
            rest = WithoutLeadingBlanks(rest.Mid(count));
            if (rest.IsEmpty())
                break;
            lines.Add(line);
            count = FitCharacters(measure, width, rest);
            line = rest.Left(count);
        }
        lines.Add(line);
    }
    return lines;
}

// Truncated toward zero, saturated to the 32-bit range.
int32_t TruncateToInt(float value)
{
    if (!(value > -2147483648.0f))
        return INT32_MIN;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    return static_cast<int32_t>(value);
}

int32_t RoundClamped(float value)
{
    constexpr float limit = 8388608.0f; // 2^23
    return RoundToLong(std::clamp(value, -limit, limit));
}

int32_t LineHeight(const ConstRCPtr<LFont>& font)
{
    return font != nullptr ? font->GetHeight() : 0;
}
} // namespace

LFontText::LFontText(const WString& text, const ConstRCPtr<LFont>& font) : mText(text), mFont(font)
{
}

LFontText::~LFontText() = default;

bool LFontText::SetText(const WString& text)
{
    if (text.GetBuffer() == mText.GetBuffer() || text == mText)
        return false;
    mText = text;
    ClearLayout();
    return true;
}

bool LFontText::SetFont(const ConstRCPtr<LFont>& font)
{
    bool changed = (mFont == nullptr) != (font == nullptr);
    if (mFont != nullptr && font != nullptr)
        changed = mFont->GetName() != font->GetName() || mFont->GetSize() != font->GetSize() ||
                  mFont->GetStyle() != font->GetStyle();
    mFont = font;
    if (changed)
        ClearLayout();
    return changed;
}

bool LFontText::SetWordWrap(bool wrap)
{
    if (wrap == mWordWrap)
        return false;
    mWordWrap = wrap;
    ClearLayout();
    return true;
}

bool LFontText::SetBoxSize(int32_t width, int32_t height)
{
    if (width == mBoxWidth && height == mBoxHeight)
        return false;
    mBoxWidth = width;
    mBoxHeight = height;
    ClearLayout();
    return true;
}

bool LFontText::SetHorizontalAlignment(float factor)
{
    if (factor == mHorizontalAlignment)
        return false;
    mHorizontalAlignment = factor;
    mLineRects.RemoveAll();
    return true;
}

bool LFontText::SetVerticalAlignment(float factor)
{
    if (factor == mVerticalAlignment)
        return false;
    mVerticalAlignment = factor;
    mLineRects.RemoveAll();
    return true;
}

uint32_t LFontText::GetLineCount()
{
    if (mLines.GetCount() == 0)
        LayOutLines();
    if (mLineRects.GetCount() == 0)
        PlaceLines();
    return mLineRects.GetCount();
}

int32_t LFontText::GetNaturalWidth() const
{
    const TextMeasure measure(mFont);
    const WStringArray paragraphs = SplitParagraphs(mText);
    float widest = measure.Extent(paragraphs.GetAt(0));
    for (uint32_t i = 1; i < paragraphs.GetCount(); ++i)
        widest = std::max(widest, measure.Extent(paragraphs.GetAt(i)));
    return TruncateToInt(widest + 0.99f);
}

int32_t LFontText::GetHeightForWidth(int32_t width) const
{
    const uint32_t lines = mWordWrap ? WrapLines(TextMeasure(mFont), width, mText).GetCount()
                                     : SplitParagraphs(mText).GetCount();
    return static_cast<int32_t>(lines) * LineHeight(mFont);
}

void LFontText::GetTextSize(int32_t& width, int32_t& height)
{
    float left = 0, top = 0, right = 0, bottom = 0;
    const uint32_t count = GetLineCount();
    for (uint32_t i = 0; i < count; ++i)
    {
        const RectT<float>& rect = mLineRects.GetAt(i);
        left = std::min(left, rect.x);
        top = std::min(top, rect.y);
        right = std::max(right, rect.x + rect.width);
        bottom = std::max(bottom, rect.y + rect.height);
    }
    width = RoundClamped(right - left);
    height = RoundClamped(bottom - top);
}

void LFontText::ClearLayout()
{
    mLines.RemoveAll();
    mLineSizes.RemoveAll();
    mLineRects.RemoveAll();
}

void LFontText::LayOutLines()
{
    const TextMeasure measure(mFont);
    mLines = mWordWrap ? WrapLines(measure, mBoxWidth, mText) : SplitParagraphs(mText);
    if (mLines.GetCount() == 0)
        mLines.Add(WString());
    mLineSizes.RemoveAll();
    for (uint32_t i = 0; i < mLines.GetCount(); ++i)
        mLineSizes.Add(measure.Measure(mLines.GetAt(i)));
}

void LFontText::PlaceLines()
{
    const int64_t lineHeight = LineHeight(mFont);
    const int64_t lineCount = mLines.GetCount();
    // Signed: text taller than the box overflows it by the alignment (centred: as much above as below).
    const float top = static_cast<float>(mBoxHeight - lineHeight * lineCount) * mVerticalAlignment;
    for (uint32_t i = 0; i < mLines.GetCount(); ++i)
    {
        const RectT<float>& size = mLineSizes.GetAt(i);
        const float x = (static_cast<float>(mBoxWidth) - size.width) * mHorizontalAlignment;
        const float y = static_cast<float>(lineHeight * i) + top;
        mLineRects.Add(RectT<float>(x, y, size.width, size.height));
    }
}
} // namespace ZQ
