// The text box's text, caret, selection, geometry, looks and drawing; its input lives in TextBoxInput.cpp.
#include "ZQFramework/Controls/Text/TextBox.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Assert.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"
#include "ZQFramework/Renderer/Renderer.h"
#include "ZQFramework/Utilities/Graphics/Color.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"
#include "ZQFramework/Utilities/Graphics/Region.h"

#include <algorithm>
#include <cmath>

namespace ZQ
{
namespace
{
constexpr double kExtentLimit = 4503599627370496.0; // 2^52
constexpr float kCoordinateLimit = 8388608.0f;      // 2^23
constexpr double kCaretShownSeconds = 0.5;
constexpr double kCaretHiddenSeconds = 0.3;

constexpr int32_t kLookNormal = 0;
constexpr int32_t kLookHot = 1;
constexpr int32_t kLookAroundCaption = 2;
constexpr int32_t kLookFocused = 3;
constexpr int32_t kLookFocusedHot = 4;
constexpr int32_t kLookDisabled = 6;
constexpr int32_t kLookCaption = 9;
constexpr int32_t kLookSelection = 10;
constexpr int32_t kLookSelectionHot = 11;

// Adds one half and drops the fraction, as the look regions are rounded.
int32_t RoundRegionEdge(float value)
{
    return static_cast<int32_t>(value + 0.5f);
}

float ClampCoordinate(double value)
{
    return std::clamp(static_cast<float>(value), -kCoordinateLimit, kCoordinateLimit);
}
} // namespace

// --- Validation record ---

LTextValidationParams::LTextValidationParams(const WString& text) : mText(text), mInitialText(text)
{
}

LTextValidationParams::~LTextValidationParams() = default;

RCPtr<LTextValidationParams> LTextValidationParams::Create(const WString& text)
{
    return RCPtr<LTextValidationParams>(new LTextValidationParams(text));
}

// --- Construction ---

LTextBox::LTextBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LScrollView(key, parent, name)
{
}

LTextBox::~LTextBox() = default;

double LTextBox::Now()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    return application != nullptr ? application->GetElapsedSeconds() : 0.0;
}

void LTextBox::Announce(const char16_t* name, const RCPtr<LRefCountedObject>& param)
{
    Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>(param)));
}

// --- Text ---

ZQRESULT LTextBox::SetText(const WString& text, bool resetCaret)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    // Whatever the re-layout runs reads the new text from the model as from the label.
    mEdit.SetText(text);
    if (UpdateLabel(text, true) == 0)
    {
        return 1;
    }
    double width = 0;
    double height = 0;
    if (LFontText* layout = GetLookTextLayout(kLookNormal); layout != nullptr)
    {
        int32_t textWidth = 0;
        int32_t textHeight = 0;
        layout->GetTextSize(textWidth, textHeight);
        width = std::clamp(static_cast<double>(textWidth), -kExtentLimit, kExtentLimit);
        height = std::clamp(static_cast<double>(textHeight), -kExtentLimit, kExtentLimit);
    }
    SetClientExtent(width, height);
    ClearSelection();
    // A caret left past a shortened text could neither move left nor be measured: it stops at the end.
    SetCaretPosition(resetCaret ? 0 : std::min(mEdit.GetCaret(), mEdit.GetLength()), true);
    if (LLook* caption = LookAt(kLookCaption); caption != nullptr && !mCaption.IsEmpty())
    {
        caption->SetText(mCaption);
        UpdateLooks();
    }
    Announce(kNidTextboxTextChange, RCPtr<LRefCountedObject>(self));
    return 0;
}

RCPtr<LTextValidationParams> LTextBox::Validate()
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    const RCPtr<LTextValidationParams> params = LTextValidationParams::Create(mLabel);
    Announce(kNidTextboxValidating, RCPtr<LRefCountedObject>(params));
    if (params->mValid != 0 && params->mText != mLabel)
    {
        SetText(params->mText, false);
    }
    if (params->mValid != 0)
    {
        Announce(kNidTextboxValidated, RCPtr<LRefCountedObject>(params));
    }
    return params;
}

// --- Editing ---

ZQRESULT LTextBox::ApplyEdit(const TextEditModel& edited, bool forceCaret)
{
    const ZQRESULT result = SetText(edited.GetText(), false);
    SetCaretPosition(edited.GetCaret(), result == 0 || forceCaret);
    Show(mEdit.SetSelection(edited.GetSelectionStart(), edited.GetSelectionLength(),
                            edited.GetSelectionAnchor()));
    return result;
}

void LTextBox::TypeCharacter(char16_t character)
{
    TextEditModel edited = mEdit;
    edited.TypeCharacter(character);
    ApplyEdit(edited, false);
}

void LTextBox::Delete(bool (TextEditModel::*deletion)())
{
    TextEditModel edited = mEdit;
    if ((edited.*deletion)())
    {
        ApplyEdit(edited, false);
    }
}

void LTextBox::DeleteSelection()
{
    Delete(&TextEditModel::DeleteSelection);
}

ZQRESULT LTextBox::ReplaceSelection(const WString& text)
{
    TextEditModel edited = mEdit;
    if (!edited.ReplaceSelection(text))
    {
        return E_FAIL;
    }
    // The caret goes after the new text even when it replaced an equal one.
    return ApplyEdit(edited, true);
}

ZQRESULT LTextBox::InsertAtCaret(const WString& text)
{
    TextEditModel edited = mEdit;
    if (!edited.InsertText(text))
    {
        return E_FAIL;
    }
    ApplyEdit(edited, false);
    return 0;
}

// --- Caret and selection ---

ZQRESULT LTextBox::SetCaretPosition(int32_t position, bool force)
{
    if (!mEdit.IsPosition(position))
    {
        return E_INVALIDARG;
    }
    const bool moved = mEdit.PlaceCaret(position).Caret;
    if (moved || force)
    {
        ShowCaret();
    }
    return moved ? 0 : 1;
}

void LTextBox::ShowCaret()
{
    UpdateCaretRect();
    mCaretVisible = true;
    mNextBlinkTime = Now() + kCaretShownSeconds;
    InvalidateWhole();
}

void LTextBox::Show(const TextEditModel::Change& change)
{
    if (change.Selection)
    {
        UpdateLooks();
    }
    if (change.Caret)
    {
        ShowCaret();
    }
}

void LTextBox::SelectRange(int32_t first, int32_t last)
{
    Show(mEdit.SelectRange(first, last));
}

void LTextBox::SetSelection(int32_t start, int32_t length, int32_t anchor)
{
    Show(mEdit.SetSelection(start, length, anchor));
}

void LTextBox::ExtendSelectionTo(int32_t position)
{
    Show(mEdit.MoveCaret(position, true));
}

void LTextBox::ClearSelection()
{
    Show(mEdit.ClearSelection());
}

// --- Geometry ---

LLook* LTextBox::LookAt(int32_t index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= mLooks.GetCount())
    {
        return nullptr;
    }
    return mLooks.GetAt(static_cast<uint32_t>(index)).Get();
}

LFontText* LTextBox::GetLookTextLayout(int32_t index) const
{
    const LLook* look = LookAt(index);
    return look != nullptr ? look->GetTextLayout().Get() : nullptr;
}

RectT<float> LTextBox::GetTextArea() const
{
    const LLook* look = LookAt(kLookNormal);
    if (look == nullptr || look->GetDescriptor() == nullptr || !look->GetDescriptor()->mHasTextProperties)
    {
        return {};
    }
    const LLookDescriptor::TextProperties& text = look->GetDescriptor()->mText;
    const float width = ClampCoordinate(mRect.width);
    const float height = ClampCoordinate(mRect.height);
    const float left = text.LeftRel * width + static_cast<float>(text.LeftAbs);
    const float top = text.TopRel * height + static_cast<float>(text.TopAbs);
    const float right = text.RightRel * width + static_cast<float>(text.RightAbs);
    const float bottom = text.BottomRel * height + static_cast<float>(text.BottomAbs);
    return {left, top, right - left, bottom - top};
}

PointT<float> LTextBox::GetTextOrigin() const
{
    const RectT<float> area = GetTextArea();
    PointT<float> origin{area.x, area.y};
    if (LFontText* layout = GetLookTextLayout(kLookNormal); layout != nullptr && layout->GetLineCount() > 0)
    {
        const RectT<float>& line = layout->GetLineRect(0);
        origin.x += line.x;
        origin.y += line.y;
    }
    return origin;
}

RectT<float> LTextBox::Measure(const WString& text) const
{
    const RCPtr<LMeasurementRenderer> renderer = GetMeasurementRenderer();
    if (text.IsEmpty() || renderer == nullptr || mFont == nullptr)
    {
        return {};
    }
    return renderer->MeasureText(text, ConstRCPtr<LFont>(mFont));
}

void LTextBox::PrepareMeasureCache() const
{
    const RCPtr<LMeasurementRenderer> renderer = GetMeasurementRenderer();
    // A held copy shares the text's buffer, so a changed text always lies in another buffer.
    const bool sameText = mMeasuredText.GetBuffer() == mLabel.GetBuffer() &&
                          mPrefixWidths.size() == static_cast<size_t>(mLabel.GetLength()) + 1;
    const bool sameMeasurer = mMeasuredFont == mFont && mMeasuredRenderer == renderer;
    if (sameText && sameMeasurer)
    {
        return;
    }
    if (!sameMeasurer)
    {
        mMeasuredFont = mFont;
        mMeasuredRenderer = renderer;
        mUnitBoxes.clear();
    }
    mMeasuredText = mLabel;
    const size_t prefixes = static_cast<size_t>(mLabel.GetLength()) + 1;
    if (renderer == nullptr || mFont == nullptr)
    {
        mPrefixWidths.assign(prefixes, 0.0f);
        return;
    }
    renderer->MeasurePrefixWidths(mLabel, ConstRCPtr<LFont>(mFont), mPrefixWidths);
    ZQ_ASSERT(mPrefixWidths.size() == prefixes);
    mPrefixWidths.resize(prefixes, 0.0f);
}

float LTextBox::GetPrefixWidth(int32_t count) const
{
    PrepareMeasureCache();
    return mPrefixWidths[static_cast<size_t>(count)];
}

RectT<float> LTextBox::GetUnitBox(int32_t index) const
{
    if (index >= mLabel.GetLength())
    {
        return Measure(WString());
    }
    const char16_t unit = mLabel.GetAt(index);
    const auto known = mUnitBoxes.find(unit);
    if (known != mUnitBoxes.end())
    {
        return known->second;
    }
    const RectT<float> box = Measure(mLabel.Mid(index, 1));
    mUnitBoxes.emplace(unit, box);
    return box;
}

RectT<float> LTextBox::GetCharRect(int32_t index) const
{
    const int32_t length = mLabel.GetLength();
    if (index < 0 || index > length)
    {
        return {};
    }
    PrepareMeasureCache();
    return GetMeasuredCharRect(GetTextOrigin(), index);
}

RectT<float> LTextBox::GetMeasuredCharRect(const PointT<float>& origin, int32_t index) const
{
    const RectT<float> character = GetUnitBox(index);
    return {origin.x + mPrefixWidths[static_cast<size_t>(index)], origin.y, character.width - 1.0f,
            character.height};
}

RectT<float> LTextBox::GetRangeRect(int32_t first, int32_t last) const
{
    const int32_t length = mLabel.GetLength();
    if (first < 0 || first > length || last < 0 || last > length)
    {
        return {};
    }
    if (first == last)
    {
        return GetCharRect(first);
    }
    const RectT<float> low = GetCharRect(std::min(first, last));
    const RectT<float> high = GetCharRect(std::max(first, last));
    return {low.x, low.y, high.x + high.width - low.x, low.height};
}

void LTextBox::UpdateCaretRect()
{
    const PointT<float> origin = GetTextOrigin();
    const int32_t caret = std::min(mEdit.GetCaret(), mEdit.GetLength());
    mCaretRect = {origin.x + GetPrefixWidth(caret) - 1.0f, origin.y, 1.0f,
                  mFont != nullptr ? static_cast<float>(mFont->GetHeight()) : 0.0f};
}

PointT<int32_t> LTextBox::ClampToTextArea(const PointT<int32_t>& point) const
{
    const RectT<float> area = GetTextArea();
    const int32_t left = RoundToLong(area.x);
    const int32_t top = RoundToLong(area.y);
    const int32_t right = std::max(left, RoundToLong(area.x + area.width));
    const int32_t bottom = std::max(top, RoundToLong(area.y + area.height));
    return {std::clamp(point.x, left, right), std::clamp(point.y, top, bottom)};
}

int32_t LTextBox::GetCharIndexAtPoint(const PointT<int32_t>& point)
{
    // One line: the characters are searched along the whole text, where the caret is measured too.
    const PointT<int32_t> inside = ClampToTextArea(point);
    const double x = inside.x + mScrollOffset.x;
    PrepareMeasureCache();
    const PointT<float> origin = GetTextOrigin();
    int32_t low = 0;
    int32_t high = mLabel.GetLength() - 1;
    while (low <= high)
    {
        const int32_t middle = low + (high - low) / 2;
        const RectT<float> character = GetMeasuredCharRect(origin, middle);
        if (x > character.x + character.width)
        {
            low = middle + 1;
        }
        else if (x < character.x)
        {
            high = middle - 1;
        }
        else
        {
            return x >= character.x + character.width / 2 ? middle + 1 : middle;
        }
    }
    // Between two characters' rectangles (or beyond the first or the last): the boundary reached.
    return low;
}

// --- Looks and drawing ---

void LTextBox::UpdateLooks()
{
    if (!IsEnabled(true))
    {
        ClearLookRegions();
        SelectLook(kLookDisabled);
        return;
    }
    const bool hot = IsHover() || IsDragging(MouseButton::Left);
    int32_t stateLook = hot ? kLookHot : kLookNormal;
    if (IsFocused())
    {
        stateLook = hot ? kLookFocusedHot : kLookFocused;
    }
    if (!IsFocused() && mLabel.IsEmpty() && !mCaption.IsEmpty())
    {
        ShowCaptionLooks();
        return;
    }
    if (IsFocused() && HasSelection())
    {
        ShowSelectionLooks(stateLook, hot);
        return;
    }
    ClearLookRegions();
    SelectLook(stateLook);
}

void LTextBox::ShowCaptionLooks()
{
    LFontText* layout = GetLookTextLayout(kLookCaption);
    if (layout == nullptr)
    {
        return;
    }
    const RectT<float> area = GetTextArea();
    const float lineWidth = layout->GetLineCount() > 0 ? layout->GetLineRect(0).width : 0.0f;
    const int32_t left = RoundRegionEdge(area.x);
    const int32_t top = RoundRegionEdge(area.y);
    Region region;
    region.AddRect(left, top, left + RoundRegionEdge(lineWidth), top + RoundRegionEdge(area.height));
    ClearLookRegions();
    SetLookRegion(kLookCaption, region);
    SetLookRegionExcluding(kLookAroundCaption, kLookCaption);
    SelectLook(kLookAroundCaption);
    SetLookOpacity(kLookCaption, 1.0f, false);
}

void LTextBox::ShowSelectionLooks(int32_t stateLook, bool hot)
{
    const int32_t selectionLook = hot ? kLookSelectionHot : kLookSelection;
    const int32_t start = mEdit.GetSelectionStart();
    const RectT<float> range = GetRangeRect(start, start + mEdit.GetSelectionLength() - 1);
    const float shiftX = ClampCoordinate(mScrollOffset.x);
    const float shiftY = ClampCoordinate(mScrollOffset.y);
    const RectT<float> area = GetTextArea();
    const float left = std::max(range.x - shiftX, area.x);
    const float top = std::max(range.y - shiftY, area.y);
    const float right = std::min(range.x + range.width - shiftX, area.x + area.width);
    const float bottom = std::min(range.y + range.height - shiftY, area.y + area.height);
    ClearLookRegions();
    // A look with an empty region draws everywhere: a selection scrolled out of sight shows no highlight.
    if (right <= left || bottom <= top)
    {
        SelectLook(stateLook);
        return;
    }
    Region region;
    region.AddRect(RoundRegionEdge(left), RoundRegionEdge(top), RoundRegionEdge(right),
                   RoundRegionEdge(bottom));
    SetLookRegion(selectionLook, region);
    SetLookRegionExcluding(stateLook, selectionLook);
    SelectLook(stateLook);
    SetLookOpacity(selectionLook, 1.0f, false);
}

void LTextBox::DrawOverlay(const RCPtr<LRenderer>& renderer)
{
    if (!IsFocused() || !mCaretVisible || renderer == nullptr)
    {
        return;
    }
    const float x = mCaretRect.x - ClampCoordinate(mScrollOffset.x);
    const float y = mCaretRect.y - ClampCoordinate(mScrollOffset.y);
    const PointT<int32_t> top{RoundToLong(x), RoundToLong(y)};
    const uint32_t below = GetColorAtPoint(top, GetFirstVisibleLookIndex());
    const uint32_t mean = (((below >> 16) & 0xFF) + ((below >> 8) & 0xFF) + (below & 0xFF)) / 3;
    // Light on a dark background, dark on a light one.
    const Color color(mean <= 128 ? 0xFFFFFFFFu : 0xFF000000u);
    renderer->DrawLine({x, y}, {x, y + mCaretRect.height}, color, 1.0f);
}

void LTextBox::OnIdle()
{
    const double now = Now();
    if (now < mNextBlinkTime)
    {
        return;
    }
    mCaretVisible = !mCaretVisible;
    mNextBlinkTime = now + (mCaretVisible ? kCaretShownSeconds : kCaretHiddenSeconds);
    InvalidateWhole();
}

// --- Control base operations ---

ZQRESULT LTextBox::SetLabel(const WString& text)
{
    return SetText(text, true);
}

ZQRESULT LTextBox::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const WString kept = mLabel;
    const ZQRESULT result = LScrollView::ApplyDescriptor(descriptor);
    // The base may have put another label in place.
    mEdit.SetText(GetLabel());
    // "LABEL" names the caption, wherever the skin gives it: the text that the base took from it is
    // put back.
    WString caption;
    const RCPtr<LStringTable> table = GetStringTable();
    if (FindCreateParam(*this, u"LABEL", caption) ||
        (table != nullptr && table->GetString(u"LABEL", caption)))
    {
        SetLabel(kept);
        mCaption = caption;
        if (LLook* look = LookAt(kLookCaption); look != nullptr && !mCaption.IsEmpty())
        {
            look->SetText(mCaption);
            UpdateLooks();
        }
    }
    return result;
}

ZQRESULT LTextBox::Initialize()
{
    const ZQRESULT result = LScrollView::Initialize();
    if (result < 0)
    {
        return result;
    }
    mLabelScrolls = true;
    UpdateCaretRect();
    return 0;
}

WString LTextBox::GetToolTipText() const
{
    return LabelOrToolTipText(*this);
}
} // namespace ZQ
