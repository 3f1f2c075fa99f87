#pragma once

#include "ZQFramework/ControlBase/Control/Control.h"

#include <cstdint>

namespace ZQ
{
// The row control of the list boxes ("Framework.ListBoxItem", "Framework.OverlayButton"). A list box
// never draws its items: it keeps a few of these and shows one item in each by setting the row's label,
// value (>= 0.5 selected), enabled flag and the three item flags below. The row turns that state and its
// pointer conditions into one of fourteen looks:
//   0 unselected, 1 hover, 2 pressed, 3 to 5 the same in the alternative looks, 6 disabled,
//   7 to 12 the same when selected, 13 blank (and disabled while selected).
// The list box that created a row keeps it for its whole life. UI thread only.
class LListBoxItem : public LControl
{
public:
    // Made by the control base's creation sequence, the only holder of a CreateKey.
    LListBoxItem(CreateKey key, const RCPtr<LControl>& parent, const WString& name);
    ~LListBoxItem() override;

    // --- Operations appended after the control base's, in slot order ---

    // The look index (0..13) for the current state; selects nothing.
    [[nodiscard]] virtual int32_t ComputeLookIndex() const;

    // --- Own operations ---

    // Selects the computed look and invalidates the row.
    void RefreshLook();
    // A blank row shows look 13 and no text; setting it clears the label (clearing it restores nothing:
    // the list box sets the text again when it next shows an item here).
    void SetBlank(bool blank);
    [[nodiscard]] bool IsBlank() const { return mBlank; }
    // Stored only; the list box calls RefreshLook after changing it.
    void SetAltLook(bool altLook) { mAltLook = altLook; }
    [[nodiscard]] bool IsAltLook() const { return mAltLook; }
    // A capture started on the row is started on its parent instead (the list box's drop-down mode).
    void SetForwardCapture(bool forward) { mForwardCapture = forward; }
    [[nodiscard]] bool IsForwardCapture() const { return mForwardCapture; }
    // The next capture the row would start is not taken: the list box has handed the press that is being
    // delivered to another row, which holds the capture already.
    void SkipNextCapture() { mSkipNextCapture = true; }

    // --- Control base operations ---

    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions) override;
    // A row never takes the focus by the base's rules. 0.
    ZQRESULT OnCreated() override;
    // The whole label when it is truncated, else the skin's "TOOLTIP" text.
    [[nodiscard]] WString GetToolTipText() const override;
    // With forward capture and a parent: the parent's capture at the point moved by the row's position
    // (rounded); else the base's.
    ZQRESULT BeginMouseCapture(int32_t button, int32_t x, int32_t y) override;

private:
    bool mAltLook = false;
    bool mForwardCapture = false;
    bool mBlank = false;
    bool mSkipNextCapture = false;
};
} // namespace ZQ
