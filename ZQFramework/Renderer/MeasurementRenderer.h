#pragma once

#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Storage/Forward.h"

#include <cstdint>
#include <vector>

namespace ZQ
{
// The text-measuring half of a renderer. Fonts and text layouts measure only through the application's
// measurement renderer (below), so a layout comes out the same whichever renderer later draws it.
class LMeasurementRenderer : public virtual LRefCountedObject
{
public:
    // The font's line height, ascent and descent in pixels; the ascent is negative (from the baseline up
    // to the top of the cell). A back end that cannot measure may leave the outputs unwritten.
    virtual ZQRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                    int32_t& descent) = 0;
    // The box of the text in pixels: x 0, y the (negative) ascent, width and height of the text.
    [[nodiscard]] virtual RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) = 0;
    // The width of every prefix of the text: widths gets the text's length + 1 entries, entry i the width
    // MeasureText gives the text's first i UTF-16 units (0 for the empty prefix). This implementation
    // measures each prefix in turn; a back end that can measure them all in one pass overrides it with
    // exactly the same numbers.
    virtual void MeasurePrefixWidths(const WString& text, const ConstRCPtr<LFont>& font,
                                     std::vector<float>& widths);
};

// Answers "the application's measurement renderer": the application framework installs a provider at
// start-up (the renderer of its first root window), tests install their own. Runs on the UI thread.
using MeasurementRendererProvider = RCPtr<LMeasurementRenderer> (*)();

// Installs the provider (null removes it) and returns the one installed before.
MeasurementRendererProvider SetMeasurementRendererProvider(MeasurementRendererProvider provider);

// The application's measurement renderer; null when no provider is installed or it has no renderer.
// Fonts then leave their metrics unfetched and layouts measure every text as zero.
[[nodiscard]] RCPtr<LMeasurementRenderer> GetMeasurementRenderer();
} // namespace ZQ
