#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Graphics/Region.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/ConstRCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// One look of a skin instantiated for one control: it places the look's client part, its borders and
// corners and its label box for the control's size, draws them through a renderer and answers the look's
// colour at a point (hit testing and transparency). Everything is placed in SetSize and kept; drawing only
// intersects the kept rectangles with the paint region. Look coordinates: (0, 0) is the control's top-left
// corner. Owned by its control; UI thread only.
class LLook : public LRefCountedObject
{
public:
    // A new look bound to descriptor; wordWrap when the control's text overflow in X is Wrap.
    [[nodiscard]] static RCPtr<LLook> Create(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap);

    LLook();
    ~LLook() override;

    // Binds the look to descriptor and lays it out again at its current size; 0.
    ZQRESULT Initialize(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap);
    // Places every part and the label box for the size; true (also when the size is unchanged, which
    // does nothing).
    bool SetSize(int32_t width, int32_t height);
    // Hand the label text or font to the text layout; true when it changed, and true without a layout.
    bool SetText(const WString& text);
    bool SetFont(const ConstRCPtr<LFont>& font);

    // The drawing operations take the region to paint in the renderer's absolute coordinates. Each
    // returns 1 when a part's Draw reported non-zero, else 0; DrawLabelText returns 1 without a text
    // layout. offset shifts the label's lines (a scrolled text box passes its scroll offset). Parts that
    // the skin could not build are left out, and a label without a foreground part is not drawn; a label
    // foreground with a picture or a gradient throws a domain error.
    virtual ZQRESULT DrawNonClientParts(const RCPtr<LRenderer>& renderer, const Region& region);
    virtual ZQRESULT DrawClientPart(const RCPtr<LRenderer>& renderer, const Region& region);
    virtual ZQRESULT DrawLabelText(const RCPtr<LRenderer>& renderer, const Region& region,
                                   const PointT<double>& offset);

    // 0xAARRGGBB at a point: the first border or corner part that is not fully transparent there, else
    // the overlay when it is not, else the client part; 0x00FFFFFF where nothing of the look is. Parts
    // that the skin could not build count as transparent.
    [[nodiscard]] uint32_t GetColorAtPoint(const PointT<int32_t>& point) const;

    // A picture over the client part (a null bitmap removes it); replacesClient hides the client part
    // while the overlay exists.
    void SetOverlay(const ConstRCPtr<LBitmap>& bitmap, int32_t resizeType, bool replacesClient);
    // Limits drawing to a copy of region (look coordinates); an empty region removes the limit.
    void SetRegion(const Region& region);
    void ClearRegion();
    // Replaces the part that colours the label.
    void SetTextForegroundPart(const ConstRCPtr<LVisualPart>& part);

    [[nodiscard]] const ConstRCPtr<LLookDescriptor>& GetDescriptor() const { return mDescriptor; }
    [[nodiscard]] int32_t GetWidth() const { return mWidth; }
    [[nodiscard]] int32_t GetHeight() const { return mHeight; }
    [[nodiscard]] const RectT<int32_t>& GetClientRect() const { return mClientRect; }
    [[nodiscard]] const Array<RectT<int32_t>>& GetNonClientRects() const { return mNonClientRects; }
    [[nodiscard]] const ConstRCPtr<LVisualPart>& GetTextForegroundPart() const { return mTextForegroundPart; }
    // The parts drawn; null where the skin's part yields none.
    [[nodiscard]] const ConstRCPtr<LVisualPart>& GetClientPart() const { return mClientPart; }
    [[nodiscard]] const ConstRCPtrArray<LVisualPart, 1, 0>& GetNonClientParts() const
    {
        return mNonClientParts;
    }
    [[nodiscard]] const ConstRCPtr<LVisualPart>& GetOverlay() const { return mOverlay; }
    // The label's layout; null when the descriptor has no text properties.
    [[nodiscard]] const RCPtr<LFontText>& GetTextLayout() const { return mTextLayout; }
    [[nodiscard]] const PointT<int32_t>& GetTextOrigin() const { return mTextOrigin; }
    [[nodiscard]] const Region& GetRegion() const { return mRegion; }

private:
    void PlaceClientPart();
    void PlaceNonClientParts();
    void PlaceTextBox();

    // The painting frame of the drawing operations: for each rectangle to paint (the given region, cut to
    // the look region when there is one) that meets target and the renderer's clip, draw() runs with the
    // renderer clipped to that part of target and its origin at bounds' corner. 1 when a draw() answered
    // non-zero, else 0.
    template <class DrawFunction>
    ZQRESULT Paint(const RCPtr<LRenderer>& renderer, const Region& region, const RectT<double>& target,
                   const RectT<double>& bounds, const DrawFunction& draw) const;
    [[nodiscard]] static bool OverlapsClip(const LRenderer& renderer, const RectT<double>& rect);
    void DrawLabelLines(const RCPtr<LRenderer>& renderer, const RectT<double>& textBox,
                        const PointT<double>& offset) const;
    // The part's colour at a look point, as the part is drawn into rect.
    [[nodiscard]] static uint32_t ColorOfPartAt(const LVisualPart& part, const PointT<int32_t>& point,
                                                const RectT<int32_t>& rect);

    ConstRCPtr<LLookDescriptor> mDescriptor;
    ConstRCPtr<LVisualPart> mTextForegroundPart;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    RectT<int32_t> mClientRect;
    Array<RectT<int32_t>> mNonClientRects;
    ConstRCPtrArray<LVisualPart, 1, 0> mNonClientParts;
    ConstRCPtr<LVisualPart> mClientPart;
    ConstRCPtr<LVisualPart> mOverlay;
    bool mOverlayReplacesClient = false;
    RCPtr<LFontText> mTextLayout;
    PointT<int32_t> mTextOrigin;
    Region mRegion;
};
} // namespace ZQ
