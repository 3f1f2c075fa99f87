#include "ZQFramework/Controls/Lists/ListBox.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/ListBoxItem.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/ItemConditionsParam.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Assert.h"
#include "ZQFramework/ObjectBase/Holder.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/MeasurementRenderer.h"
#include "ZQFramework/Utilities/Storage/ToString.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"
#include "ZQFramework/Utilities/Storage/WrapperStringable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <utility>

namespace ZQ
{
namespace
{
using TextItem = LWrapperStringable<WString, &StringToString>;

constexpr const char16_t* kRowHeightSample = u"{WXyg|}";
constexpr int32_t kDefaultRowHeight = 14;

WString TextOf(const ItemRecord& record)
{
    return record.data != nullptr ? WString(record.data->ToString()) : WString();
}

bool TextsMatch(const WString& a, const WString& b, bool exact)
{
    return exact ? a == b : CRT::CompareNoCase(a.GetBuffer(), b.GetBuffer()) == 0;
}

// Sets a flag for the length of a scope and restores the previous value.
class ScopedFlag
{
public:
    ScopedFlag(bool& flag, bool value) : mFlag(flag), mPrevious(flag) { mFlag = value; }
    ~ScopedFlag() { mFlag = mPrevious; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& mFlag;
    bool mPrevious;
};
} // namespace

std::vector<LListBox::DropDownOwnerTest>& LListBox::DropDownOwnerTestList()
{
    static std::vector<DropDownOwnerTest> tests;
    return tests;
}

LListBox::CursorPositioner& LListBox::InstalledCursorPositioner()
{
    static CursorPositioner positioner = nullptr;
    return positioner;
}

void LListBox::AddDropDownOwnerTest(DropDownOwnerTest test)
{
    if (test != nullptr)
    {
        DropDownOwnerTestList().push_back(test);
    }
}

LListBox::CursorPositioner LListBox::SetCursorPositioner(CursorPositioner positioner)
{
    return std::exchange(InstalledCursorPositioner(), positioner);
}

LListBox::LListBox(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LScrollView(key, parent, name)
{
}

LListBox::~LListBox()
{
    mSelectedIndexes.clear();
    mTemplateDescriptor = nullptr;
    mItemControls.clear();
    mItems.Clear();
}

// --- Records ---

uint32_t LListBox::GetItemCount() const
{
    return mItems.GetCount();
}

ItemRecord& LListBox::GetItemRecord(int32_t index)
{
    return mItems.Get(index);
}

void LListBox::InsertItemRecord(int32_t index)
{
    mItems.Insert(index);
}

void LListBox::RemoveItemRecord(int32_t index)
{
    mItems.Remove(index);
}

ZQRESULT LListBox::SwapItems(int32_t a, int32_t b)
{
    mItems.Swap(a, b);
    return 0;
}

const ItemRecord& LListBox::GetItemOrEmpty(int32_t index)
{
    static const ItemRecord empty;
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return empty;
    }
    return GetItemRecord(index);
}

WString LListBox::GetItemText(int32_t index)
{
    return TextOf(GetItemOrEmpty(index));
}

int32_t LListBox::RowOfItem(int32_t index)
{
    return Records().RowOfItem(index);
}

RCPtr<LTaggableObject> LListBox::MakeTextItem(const WString& text)
{
    return RCPtr<LTaggableObject>(TextItem::Create(text));
}

// --- Hooks ---

void LListBox::OnSelectionChanged()
{
}

void LListBox::OnItemActivated()
{
}

bool LListBox::IsItemSelectable(int32_t /*index*/) const
{
    return true;
}

// --- Item controls ---

RCPtr<LListBoxItem> LListBox::GetItemControl(int32_t slot) const
{
    if (slot < 0 || static_cast<size_t>(slot) >= mItemControls.size())
    {
        return nullptr;
    }
    const uint32_t child = mItemControls[static_cast<size_t>(slot)];
    if (child >= GetChildren().GetCount())
    {
        return nullptr;
    }
    return RCPtr<LListBoxItem>(GetChildren().GetAt(child, ChildControlList::kStorageOrder));
}

int32_t LListBox::GetItemIndexOfControl(const LControl* control) const
{
    if (control == nullptr)
    {
        return -1;
    }
    for (size_t slot = 0; slot < mItemControls.size(); ++slot)
    {
        if (GetItemControl(static_cast<int32_t>(slot)).Get() != control)
        {
            continue;
        }
        // A hidden top item has no row: slot 0 shows the first shown item from the top, as
        // GetItemControlSlot counts.
        int32_t index = Records().FirstShownItemFrom(static_cast<int32_t>(mTopIndex));
        for (size_t step = 0; step < slot; ++step)
        {
            index = Records().NextShownItem(index);
        }
        return index;
    }
    return -1;
}

int32_t LListBox::GetItemControlSlot(int32_t index) const
{
    if (index < 0 || static_cast<uint32_t>(index) < mTopIndex || Records().IsHidden(index))
    {
        return -1;
    }
    // The slots between the top and index: the shown items, then one for each index past the end.
    const auto pool = static_cast<int64_t>(mItemControls.size());
    const auto count = static_cast<int32_t>(GetItemCount());
    const auto top = static_cast<int32_t>(std::min<uint32_t>(mTopIndex, static_cast<uint32_t>(count)));
    const int32_t end = std::min(index, count);
    int64_t slot = end > top ? Records().RowOfItem(end) - Records().RowOfItem(top) : 0;
    slot += std::max<int64_t>(0, static_cast<int64_t>(index) - std::max<int64_t>(mTopIndex, count));
    return slot < pool ? static_cast<int32_t>(slot) : -1;
}

ZQRESULT LListBox::UpdateItemControl(int32_t index, int32_t& slot)
{
    slot = GetItemControlSlot(index);
    if (slot < 0)
    {
        return 1;
    }
    const RCPtr<LListBoxItem> control = GetItemControl(slot);
    if (control == nullptr)
    {
        return 1;
    }
    // The row in the slot counted from the top index counts back to index.
    ZQ_ASSERT(GetItemIndexOfControl(control.Get()) == index);
    const bool inRange = static_cast<uint32_t>(index) < GetItemCount();
    const ItemRecord& record = GetItemOrEmpty(index);
    control->SetLabel(TextOf(record));
    control->SetValue(record.selection);
    if (control->IsAltLook() != record.altLook)
    {
        control->SetAltLook(record.altLook);
        control->RefreshLook();
    }
    control->SetEnabled(inRange);
    control->SetBlank(record.blank);
    return 0;
}

ZQRESULT LListBox::UpdateItemControlsFrom(int32_t index)
{
    if (mItemControls.empty())
    {
        return 1;
    }
    const int32_t last =
        GetItemIndexOfControl(GetItemControl(static_cast<int32_t>(mItemControls.size()) - 1).Get());
    ZQRESULT result = 1;
    for (int32_t i = index; i <= last; ++i)
    {
        int32_t slot = -1;
        result = UpdateItemControl(i, slot);
        if (result < 0)
        {
            break;
        }
    }
    return result;
}

void LListBox::BindItemControl(const RCPtr<LListBoxItem>& control)
{
    if (mListHandler != nullptr)
    {
        const RCPtr<LNotificationDistributor> source(control);
        mListHandler->AddCallback(&LListBox::OnItemMouseDown, source, kNidMouseDown);
        mListHandler->AddCallback(&LListBox::OnItemMouseUp, source, kNidMouseUp);
        mListHandler->AddCallback(&LListBox::OnItemLeftDragChanged, source, kNidLeftDragConditionChange);
        mListHandler->AddCallback(&LListBox::OnItemHoverChanged, source, kNidHoverConditionChange);
    }
    control->SetForwardCapture(mDropDownMode);
    control->SetDragThreshold(mItemDragThreshold);
}

ZQRESULT LListBox::CreateItemControl()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : nullptr;
    if (mTemplateDescriptor == nullptr || mTemplateDescriptor->mLayout == nullptr || factory == nullptr)
    {
        return E_FAIL;
    }
    RCPtr<LLayoutDescriptor> layout;
    mTemplateDescriptor->mLayout->CopyTo(layout);
    layout->mYDocked = true;
    layout->mYPosition.Docked = true;
    layout->mYPosition.Anchor = 0;
    layout->mYPosition.Abs = 0;
    layout->mTextOverflowX = LLayoutDescriptor::kOverflowClip;
    const RCPtr<LListBoxItem> last = GetItemControl(static_cast<int32_t>(mItemControls.size()) - 1);
    if (last == nullptr)
    {
        layout->mYPosition.ToControl = LLayoutDescriptor::kPositionClient;
        layout->mYPosition.ReferenceName = WString();
        layout->mYPosition.Rel = 0;
    }
    else
    {
        layout->mYPosition.ToControl = LLayoutDescriptor::kPositionSibling;
        layout->mYPosition.ReferenceName = last->GetName();
        layout->mYPosition.Rel = 1.0f;
    }
    const WString name = WString::Format(u"ItemControl%d", static_cast<int32_t>(mItemControls.size() + 1));
    RCPtr<LListBoxItem> control;
    try
    {
        const RCPtr<LControlDescriptor> copy =
            factory->CopyDescriptor(ConstRCPtr<LControlDescriptor>(mTemplateDescriptor), layout, name);
        control = RCPtr<LListBoxItem>(factory->CreateControl(copy, RCPtr<LControl>(this)));
    }
    catch (const std::exception&)
    {
        // An unregistered row class: the pool stays as it is.
        control = nullptr;
    }
    if (control == nullptr)
    {
        return E_FAIL;
    }
    BindItemControl(control);
    control->SetUseParentToolTip(true);
    mItemControls.push_back(static_cast<uint32_t>(GetChildren().FindLast(control.Get())));
    int32_t slot = -1;
    UpdateItemControl(static_cast<int32_t>(mTopIndex + mItemControls.size() - 1), slot);
    return 0;
}

ZQRESULT LListBox::FillItemControls()
{
    if (mFilling || mFillSuspended)
    {
        return 0;
    }
    if (!mTemplateApplied || mTemplateDescriptor == nullptr)
    {
        return 1;
    }
    const ScopedFlag filling(mFilling, true);
    const RectT<double> look = GetLookRect(-1);
    const double target = look.y + look.height + mScrollOffset.y;
    const auto bottomOfLast = [this]
    {
        const RCPtr<LListBoxItem> last = GetItemControl(static_cast<int32_t>(mItemControls.size()) - 1);
        return last != nullptr ? last->GetRect().y + last->GetRect().height : 0.0;
    };
    double bottom = bottomOfLast();
    while (bottom < target)
    {
        if (CreateItemControl() < 0)
        {
            break;
        }
        const double next = bottomOfLast();
        if (next <= bottom)
        {
            // A row without height would never fill the room.
            break;
        }
        bottom = next;
    }
    return 0;
}

// --- Scrolling ---

void LListBox::ScrollBufferedContent(const PointT<double>& oldOffset, const PointT<double>& newOffset)
{
    if (oldOffset.y != newOffset.y)
    {
        const auto count = static_cast<int32_t>(GetItemCount());
        const auto row = static_cast<int32_t>(std::trunc(newOffset.y / std::max(1, mRowHeight)));
        const int32_t index = Records().ItemAtScrollRow(row);
        if (count == 0)
        {
            mTopIndex = 0;
        }
        else if (static_cast<uint32_t>(index) != mTopIndex && index >= 0)
        {
            mTopIndex = static_cast<uint32_t>(index);
            UpdateItemControlsFrom(index);
            const RCPtr<LRootWindow> window = GetRootWindow();
            const RCPtr<LListBoxItem> focus =
                window != nullptr ? RCPtr<LListBoxItem>(window->GetFocusControl()) : nullptr;
            if (focus != nullptr && focus->GetParent().Get() == this)
            {
                focus->SetVisible(false);
                focus->SetVisible(true);
            }
        }
    }
    LScrollView::ScrollBufferedContent(oldOffset, newOffset);
}

ZQRESULT LListBox::EnsureVisible(int32_t index)
{
    const auto count = static_cast<int32_t>(GetItemCount());
    if (index < 0 || index >= count)
    {
        return E_INVALIDARG;
    }
    const LItemRecordStoreBase& records = Records();
    const int32_t shown = records.GetShownCount();
    index = records.NearestShownItem(index);
    if (records.IsHidden(index) || mItemControls.empty())
    {
        return 1;
    }
    const RectT<double> look = GetLookRect(-1);
    const double visibleBottom = look.y + look.height + mScrollOffset.y;
    int32_t fully = 0;
    for (size_t slot = 0; slot < mItemControls.size(); ++slot)
    {
        const RCPtr<LListBoxItem> control = GetItemControl(static_cast<int32_t>(slot));
        if (control == nullptr || control->GetRect().y + control->GetRect().height > visibleBottom)
        {
            break;
        }
        ++fully;
    }
    const int32_t n = std::max(1, fully);
    // The top that shows the last shown item in the last fully shown row.
    const int64_t maxTop = shown - n >= 0 ? records.ShownItemAtRow(shown - n) : -1;
    // Compared unsigned: a maxTop of -1 lies past every index.
    const auto unsignedMaxTop = static_cast<uint32_t>(maxTop < 0 ? -1 : maxTop);
    const auto bottom = static_cast<uint32_t>(GetItemIndexOfControl(GetItemControl(n - 1).Get()));
    const auto target = static_cast<uint32_t>(index);
    if (mTopIndex <= target && target <= bottom && mTopIndex <= unsignedMaxTop)
    {
        return 0;
    }
    int32_t top = 0;
    if (target > unsignedMaxTop)
    {
        top = static_cast<int32_t>(maxTop);
    }
    else if (target < mTopIndex)
    {
        top = index;
    }
    else
    {
        // n - 1 shown items before index, or the first shown item when there are fewer.
        top = records.ShownItemAtRow(std::max(0, records.RowOfItem(index) - (n - 1)));
    }
    if (static_cast<uint32_t>(top) == mTopIndex)
    {
        return 0;
    }
    const int32_t row = records.RowOfItem(top);
    if (row != records.RowOfItem(static_cast<int32_t>(mTopIndex)))
    {
        const ScopedFlag notDropDown(mDropDownMode, false);
        SetScrollOffset({mScrollOffset.x, static_cast<double>(mRowHeight) * row});
    }
    return 0;
}

void LListBox::EndUpdate()
{
    LScrollView::EndUpdate();
    FillItemControls();
    EnsureVisible(static_cast<int32_t>(mTopIndex));
}

void LListBox::InvalidateBufferedChild(const RCPtr<LControl>& child)
{
    LScrollView::InvalidateBufferedChild(child);
    FillItemControls();
}

// --- Widths and heights ---

bool LListBox::TemplateExpands() const
{
    return mTemplateDescriptor != nullptr && mTemplateDescriptor->mLayout != nullptr &&
           mTemplateDescriptor->mLayout->mTextOverflowX == LLayoutDescriptor::kOverflowExpand;
}

int32_t LListBox::MeasureItemWidth(int32_t index) const
{
    auto* self = const_cast<LListBox*>(this);
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount() || mItemControls.empty())
    {
        return 0;
    }
    const RCPtr<LMeasurementRenderer> renderer = GetMeasurementRenderer();
    const RCPtr<LListBoxItem> first = GetItemControl(0);
    float width = 0;
    if (renderer != nullptr && first != nullptr)
    {
        const WString text = TextOf(self->GetItemRecord(index));
        if (!text.IsEmpty())
        {
            width = renderer->MeasureText(text, ConstRCPtr<LFont>(first->GetFont())).width;
        }
    }
    return static_cast<int32_t>(static_cast<float>(mTemplateLabelWidth) + (width + 0.5f));
}

ZQRESULT LListBox::UpdateItemWidths()
{
    if (mBulkUpdate)
    {
        return 1;
    }
    const bool sized = mTemplateDescriptor == nullptr || mTemplateDescriptor->mLayout == nullptr ||
                       mTemplateDescriptor->mLayout->mXSize.ToControl == LLayoutDescriptor::kSizeSelf;
    const int32_t width = sized ? mMaxItemWidth : 0;
    const ZQRESULT result = SetClientExtent(width, GetContentHeight());
    if (!sized)
    {
        return result;
    }
    for (size_t slot = 0; slot < mItemControls.size(); ++slot)
    {
        const RCPtr<LListBoxItem> control = GetItemControl(static_cast<int32_t>(slot));
        if (control == nullptr || control->GetLayout() == nullptr)
        {
            continue;
        }
        LLayoutDescriptor::AxisPosition position;
        LLayoutDescriptor::AxisSize size;
        control->GetLayout()->GetAxis(0, position, size);
        position.ToControl = LLayoutDescriptor::kPositionClient;
        position.Anchor = 0.5f;
        position.Rel = 0.5f;
        position.Abs = 0;
        size = LLayoutDescriptor::AxisSize{};
        size.ToControl = LLayoutDescriptor::kSizeSelf;
        size.Abs = width;
        control->SetAxisPlacement(0, position, size);
    }
    return result;
}

ZQRESULT LListBox::UpdateMaxItemWidth()
{
    if (mBulkUpdate)
    {
        return 1;
    }
    int32_t widest = 0;
    const auto count = static_cast<int32_t>(GetItemCount());
    for (int32_t i = 0; i < count; ++i)
    {
        widest = std::max(widest, MeasureItemWidth(i));
    }
    if (mBulkUpdate || widest == mMaxItemWidth)
    {
        return 1;
    }
    mMaxItemWidth = widest;
    UpdateItemWidths();
    if (TemplateExpands())
    {
        SetContentWidth(static_cast<int32_t>(GetScrollBarThickness().x) + widest);
    }
    return 0;
}

ZQRESULT LListBox::SetMaxItemWidth(int32_t width)
{
    if (mBulkUpdate || width == mMaxItemWidth)
    {
        return 1;
    }
    mMaxItemWidth = width;
    UpdateItemWidths();
    if (TemplateExpands())
    {
        SetContentWidth(static_cast<int32_t>(GetScrollBarThickness().x) + width);
    }
    return 0;
}

ZQRESULT LListBox::SetContentWidth(int32_t width)
{
    if (mLayout == nullptr)
    {
        return E_FAIL;
    }
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    mLayout->GetAxis(0, position, size);
    size = LLayoutDescriptor::AxisSize{};
    size.ToControl = LLayoutDescriptor::kSizeSelf;
    size.Abs = std::round(mRect.width - GetLookRect(-1).width + width);
    return SetAxisPlacement(0, position, size) ? 1 : 0;
}

int32_t LListBox::GetContentHeight() const
{
    return mRowHeight * Records().GetShownCount();
}

ZQRESULT LListBox::SetContentHeight(int32_t height)
{
    if (mBulkUpdate || mLayout == nullptr)
    {
        return 1;
    }
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    mLayout->GetAxis(1, position, size);
    size = LLayoutDescriptor::AxisSize{};
    size.ToControl = LLayoutDescriptor::kSizeSelf;
    size.Abs = std::round(mRect.height - GetLookRect(-1).height + height);
    return SetAxisPlacement(1, position, size) ? 1 : 0;
}

void LListBox::SnapHeightToRows()
{
    if (mLayout == nullptr)
    {
        return;
    }
    const double d = std::trunc(mRect.height - GetLookRect(-1).height);
    const double row = std::max(1, mRowHeight);
    LLayoutDescriptor::AxisLimit minimum;
    LLayoutDescriptor::AxisLimit maximum;
    mLayout->GetAxisLimits(1, minimum, maximum);
    for (LLayoutDescriptor::AxisLimit* limit : {&minimum, &maximum})
    {
        if (limit->Abs > d)
        {
            limit->Abs = std::max(d + row, d + row * std::trunc((limit->Abs - d) / row));
        }
    }
    if (minimum.Abs > 0 || maximum.Abs > 0)
    {
        SetAxisLimits(1, minimum, maximum);
    }
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    mLayout->GetAxis(1, position, size);
    if (size.Abs > 0)
    {
        size.Abs = std::max(d + row, d + row * std::trunc(size.Abs / row));
        SetAxisPlacement(1, position, size);
    }
}

void LListBox::OnScrollBarVisibilityChanged(int32_t axis)
{
    if (axis == 1 && TemplateExpands())
    {
        SetContentWidth(static_cast<int32_t>(GetScrollBarThickness().x) + mMaxItemWidth);
    }
}

// --- Template ---

ZQRESULT LListBox::ApplyItemTemplate(const RCPtr<LListBoxItem>& t)
{
    if (t == nullptr || mLayout == nullptr)
    {
        return E_INVALIDARG;
    }
    const double ownWidth = mRect.width;
    const double padY = std::trunc(mRect.height - GetLookRect(-1).height);
    LLayoutDescriptor::AxisLimit minimum;
    LLayoutDescriptor::AxisLimit maximum;
    mLayout->GetAxisLimits(0, minimum, maximum);
    SetAxisLimits(0, LLayoutDescriptor::AxisLimit{}, maximum);
    RectT<double> client;
    GetClientRect(client);
    SetContentWidth(static_cast<int32_t>(std::trunc(mRect.width - client.width)));

    const WString label = t->GetLabel();
    t->SetLabel(WString());
    mTemplateLabelWidth = RoundToInt(t->GetRect().width);
    t->SetLabel(WString(kRowHeightSample));
    const int32_t height = RoundToInt(t->GetRect().height);
    mRowHeight = height >= 1 ? height : kDefaultRowHeight;
    t->SetLabel(label);

    if (TemplateExpands() && minimum.Abs == 0)
    {
        minimum.Abs = std::trunc(ownWidth);
    }
    SetAxisLimits(0, minimum, maximum);
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    mLayout->GetAxis(0, position, size);
    if (GetDescriptor() != nullptr && GetDescriptor()->mLayout != nullptr)
    {
        SetAxisPlacement(0, position, GetDescriptor()->mLayout->mXSize);
    }
    if (mDropDownMode)
    {
        SetContentHeight(mRowHeight * std::max<int32_t>(static_cast<int32_t>(GetItemCount()), 1) +
                         static_cast<int32_t>(padY));
    }
    mTemplateApplied = true;
    return 0;
}

ZQRESULT LListBox::Initialize()
{
    const ZQRESULT result = LScrollView::Initialize();
    mListHandler = LNotificationHandler<LListBox>::Create(this);
    if (result < 0)
    {
        return result;
    }
    SetAutoClientExtent(0, 0, 0);
    const RCPtr<LListBoxItem> t = FindTypedChild<LListBoxItem>(*this, u"templateItem");
    if (t != nullptr)
    {
        mTemplateDescriptor = t->GetDescriptor();
        ApplyItemTemplate(t);
        t->Detach();
        mLineMode[1] = 1;
        mLineUnit[1] = mRowHeight;
        UpdateScrollBarRanges();
        LoadItemsFromCreateParams(GetStringTable());
        return result;
    }
    int32_t found = 0;
    for (int32_t n = 1;; ++n)
    {
        const RCPtr<LListBoxItem> c = FindTypedChild<LListBoxItem>(*this, WString::Format(u"item%d", n));
        if (c == nullptr)
        {
            break;
        }
        const int32_t k = n - 1;
        if (k == 0)
        {
            ApplyItemTemplate(c);
        }
        mItemControls.push_back(static_cast<uint32_t>(GetChildren().FindLast(c.Get())));
        InsertItemRecord(k);
        SetItemData(k, MakeTextItem(c->GetLabel()));
        BindItemControl(c);
        ++found;
    }
    if (found > 0)
    {
        UpdateItemControlsFrom(0);
        if (mDropDownMode)
        {
            SetContentHeight(GetContentHeight());
        }
        UpdateItemWidths();
    }
    return result;
}

ZQRESULT LListBox::AddChildControl(const RCPtr<LControl>& control,
                                   const RCPtr<LControlDescriptor>& descriptor)
{
    if (control == nullptr)
    {
        if (descriptor == nullptr || descriptor->mName != u"templateItem")
        {
            return E_FAIL;
        }
        mTemplateDescriptor = descriptor;
        const IControlApplication* application = IControlApplication::GetCurrent();
        const RCPtr<LControlFactory> factory =
            application != nullptr ? application->GetControlFactory() : nullptr;
        if (factory == nullptr)
        {
            return E_FAIL;
        }
        const RCPtr<LListBoxItem> t(factory->CreateControl(descriptor, RCPtr<LControl>(this)));
        if (t == nullptr)
        {
            return E_FAIL;
        }
        ApplyItemTemplate(t);
        t->Detach();
        return 0;
    }
    if (descriptor == nullptr)
    {
        return 0;
    }
    if (const RCPtr<LListBoxItem> item(control); item != nullptr)
    {
        const WString& name = control->GetName();
        if (name.GetLength() > 4)
        {
            const int32_t n = CRT::ParseInt(name.GetBuffer() + 4);
            // A number that names no slot of the pool is skipped.
            if (n >= 1 && static_cast<size_t>(n) <= mItemControls.size())
            {
                const int32_t child = GetChildren().FindLast(control.Get());
                if (child >= 0)
                {
                    mItemControls[static_cast<size_t>(n - 1)] = static_cast<uint32_t>(child);
                }
            }
        }
    }
    return LScrollView::AddChildControl(control, descriptor);
}

ZQRESULT LListBox::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    // A skin change: the control base takes out the children the new skin does not name, the rows among
    // them, and never offers the template back. The rows are kept and put back in their slots, and the
    // template is read again from the new descriptor.
    std::vector<RCPtr<LListBoxItem>> rows;
    if (IsCreated() && mTemplateDescriptor != nullptr)
    {
        for (size_t slot = 0; slot < mItemControls.size(); ++slot)
        {
            rows.push_back(GetItemControl(static_cast<int32_t>(slot)));
        }
    }
    mFillSuspended = true;
    mTemplateDescriptor = nullptr;
    const ZQRESULT result = LScrollView::ApplyDescriptor(descriptor);
    if (IsCreated() && descriptor != nullptr)
    {
        RestoreRows(rows);
        for (uint32_t i = 0; i < descriptor->mChildren.GetCount(); ++i)
        {
            const RCPtr<LControlDescriptor>& child = descriptor->mChildren.GetAt(i);
            if (child != nullptr && child->mName == u"templateItem" && mTemplateDescriptor == nullptr)
            {
                AddChildControl(nullptr, child);
            }
        }
    }
    mFillSuspended = false;
    FillItemControls();
    UpdateItemControlsFrom(static_cast<int32_t>(mTopIndex));
    if (IsCreated())
    {
        UpdateMaxItemWidth();
    }
    return result;
}

void LListBox::RestoreRows(const std::vector<RCPtr<LListBoxItem>>& rows)
{
    if (rows.empty())
    {
        return;
    }
    mItemControls.clear();
    for (const RCPtr<LListBoxItem>& row : rows)
    {
        if (row == nullptr)
        {
            break;
        }
        if (row->GetParent().Get() != this && row->SetParent(RCPtr<LControl>(this)) < 0)
        {
            break;
        }
        row->SetVisible(true);
        mItemControls.push_back(static_cast<uint32_t>(GetChildren().FindLast(row.Get())));
    }
}

void LListBox::OnChildrenChanged(const RCPtr<LControl>& child, int32_t index)
{
    // Every pool entry above the removed child moves down, whatever the child was; only a removed row's
    // own entry leaves the pool.
    if (index >= 0)
    {
        const auto removed = static_cast<uint32_t>(index);
        const RCPtr<LListBoxItem> row(child);
        for (size_t slot = 0; slot < mItemControls.size();)
        {
            if (row != nullptr && mItemControls[slot] == removed)
            {
                mItemControls.erase(mItemControls.begin() + static_cast<std::ptrdiff_t>(slot));
                continue;
            }
            if (mItemControls[slot] > removed)
            {
                --mItemControls[slot];
            }
            ++slot;
        }
    }
    LScrollView::OnChildrenChanged(child, index);
}

ZQRESULT LListBox::LoadItemsFromCreateParams(const RCPtr<LStringTable>& table)
{
    if (table == nullptr)
    {
        return E_INVALIDARG;
    }
    RemoveAllItems();
    LStringTable::PairArray pairs;
    table->GetPairsWithPrefix(u"ITEM.", pairs);
    std::vector<WString> texts;
    for (uint32_t i = 0; i < pairs.GetCount(); ++i)
    {
        const auto& pair = pairs.GetAt(i);
        const int32_t n = CRT::ParseInt(pair.first.GetBuffer() + 5);
        // Numbers below 0 or beyond what a list of rows sensibly holds are skipped.
        if (n < 0 || n > 65535)
        {
            continue;
        }
        if (texts.size() < static_cast<size_t>(n) + 1)
        {
            texts.resize(static_cast<size_t>(n) + 1);
        }
        texts[static_cast<size_t>(n)] = pair.second;
    }
    mBulkUpdate = true;
    SetItemCount(static_cast<int32_t>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i)
    {
        SetItemData(static_cast<int32_t>(i), MakeTextItem(texts[i]));
    }
    mBulkUpdate = false;
    UpdateItemWidths();
    UpdateMaxItemWidth();
    if (mDropDownMode)
    {
        SetContentHeight(GetContentHeight());
    }
    return 0;
}

// --- Item operations ---

int32_t LListBox::InsertItem(int32_t index, const RCPtr<LTaggableObject>& item)
{
    if (index < 0 || static_cast<uint32_t>(index) > GetItemCount())
    {
        return E_INVALIDARG;
    }
    InsertItemRecord(index);
    GetItemRecord(index).data = item;
    // The caret and the anchor stay with their items.
    if (mCaretIndex >= index)
    {
        ++mCaretIndex;
    }
    if (mAnchorIndex >= index)
    {
        ++mAnchorIndex;
    }
    FillItemControls();
    UpdateItemControlsFrom(index);
    UpdateItemWidths();
    const int32_t width = MeasureItemWidth(index);
    if (width > mMaxItemWidth)
    {
        SetMaxItemWidth(width);
    }
    if (mDropDownMode)
    {
        SetContentHeight(GetContentHeight());
    }
    return index;
}

int32_t LListBox::SetItemCount(int32_t n)
{
    if (n < 0)
    {
        return E_INVALIDARG;
    }
    if (static_cast<uint32_t>(n) == GetItemCount())
    {
        return n;
    }
    const ScopedFlag bulk(mBulkUpdate, true);
    while (GetItemCount() < static_cast<uint32_t>(n))
    {
        if (InsertItem(static_cast<int32_t>(GetItemCount()), nullptr) < 0)
        {
            break;
        }
    }
    for (auto i = static_cast<int32_t>(GetItemCount()) - 1; i >= n; --i)
    {
        if (RemoveItem(i) < 0)
        {
            break;
        }
    }
    mBulkUpdate = false;
    UpdateItemWidths();
    UpdateMaxItemWidth();
    if (mDropDownMode)
    {
        SetContentHeight(GetContentHeight());
    }
    const auto count = static_cast<int32_t>(GetItemCount());
    return count == n ? n : -count;
}

int32_t LListBox::RemoveItem(int32_t index)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return E_INVALIDARG;
    }
    const int32_t width = MeasureItemWidth(index);
    DeselectItem(index);
    RemoveItemRecord(index);
    if (index < mCaretIndex && index < mAnchorIndex)
    {
        --mCaretIndex;
        --mAnchorIndex;
    }
    else if (!(index >= mCaretIndex && index >= mAnchorIndex))
    {
        mCaretIndex = -1;
        mAnchorIndex = -1;
    }
    FillItemControls();
    UpdateItemControlsFrom(index);
    if (width == mMaxItemWidth)
    {
        UpdateMaxItemWidth();
    }
    if (mDropDownMode)
    {
        SetContentHeight(GetContentHeight());
    }
    const auto count = static_cast<int32_t>(GetItemCount());
    if (count > 0)
    {
        EnsureVisible(count - 1 <= static_cast<int32_t>(mTopIndex) ? count - 1
                                                                   : static_cast<int32_t>(mTopIndex));
    }
    return count;
}

ZQRESULT LListBox::RemoveAllItems()
{
    if (GetItemCount() == 0)
    {
        return 1;
    }
    EnsureVisible(0);
    DeselectAll();
    for (auto i = static_cast<int32_t>(GetItemCount()) - 1; i >= 0; --i)
    {
        RemoveItemRecord(i);
    }
    FillItemControls();
    UpdateItemControlsFrom(0);
    UpdateMaxItemWidth();
    if (mDropDownMode)
    {
        SetContentHeight(GetContentHeight());
    }
    return GetItemCount() == 0 ? 0 : E_FAIL;
}

ZQRESULT LListBox::SetItemData(int32_t index, const RCPtr<LTaggableObject>& item)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return 0;
    }
    const int32_t before = MeasureItemWidth(index);
    GetItemRecord(index).data = item;
    RefreshItemText(index);
    if (before == mMaxItemWidth)
    {
        UpdateMaxItemWidth();
    }
    else if (const int32_t after = MeasureItemWidth(index); after > mMaxItemWidth)
    {
        SetMaxItemWidth(after);
    }
    return 0;
}

ZQRESULT LListBox::SetItem(int32_t index, const RCPtr<LTaggableObject>& item, double selection, bool altLook,
                           bool blank)
{
    if (index >= 0 && static_cast<uint32_t>(index) < GetItemCount())
    {
        ItemRecord& record = GetItemRecord(index);
        record.data = item;
        record.selection = selection;
        record.altLook = altLook;
        record.blank = blank;
        RefreshItemText(index);
    }
    return 0;
}

bool LListBox::SetItemBlank(int32_t index, bool blank)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return false;
    }
    GetItemRecord(index).blank = blank;
    int32_t slot = -1;
    UpdateItemControl(index, slot);
    return true;
}

bool LListBox::SetItemAltLook(int32_t index, bool altLook)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return false;
    }
    GetItemRecord(index).altLook = altLook;
    int32_t slot = -1;
    UpdateItemControl(index, slot);
    return true;
}

bool LListBox::GetItemAltLook(int32_t index)
{
    return GetItemOrEmpty(index).altLook;
}

ZQRESULT LListBox::RefreshItemText(int32_t index)
{
    const int32_t slot = GetItemControlSlot(index);
    if (const RCPtr<LListBoxItem> control = GetItemControl(slot); slot >= 0 && control != nullptr)
    {
        control->SetLabel(GetItemText(index));
        int32_t shown = -1;
        UpdateItemControl(index, shown);
    }
    if (mDropDownMode)
    {
        UpdateItemWidths();
        SetContentHeight(GetContentHeight());
    }
    return 0;
}

ZQRESULT LListBox::SetItemHidden(int32_t index, bool hidden)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount())
    {
        return E_INVALIDARG;
    }
    LItemRecordStoreBase& records = Records();
    if (!records.SetHidden(index, hidden))
    {
        return 1;
    }
    if (hidden)
    {
        DeselectItem(index);
        if (static_cast<uint32_t>(index) == mTopIndex)
        {
            // The first shown item after the hidden one (else the last before it) becomes the top, so that
            // every slot stays right even when no scroll follows.
            const auto count = static_cast<int32_t>(GetItemCount());
            int32_t top = records.NextShownItem(index);
            if (top >= count)
            {
                const int32_t before = records.RowOfItem(index);
                top = before > 0 ? records.ShownItemAtRow(before - 1) : 0;
            }
            mTopIndex = static_cast<uint32_t>(top);
            EnsureVisible(index);
        }
    }
    return 0;
}

// --- Search and sort ---

int32_t LListBox::FindLastItemByText(const WString& text, bool exact)
{
    for (auto i = static_cast<int32_t>(GetItemCount()) - 1; i >= 0; --i)
    {
        const ItemRecord& record = GetItemRecord(i);
        if (record.data != nullptr && TextsMatch(TextOf(record), text, exact))
        {
            return i;
        }
    }
    return -1;
}

int32_t LListBox::FindAndSelectItemByText(const WString& text, int32_t start, bool exact)
{
    const auto count = static_cast<int32_t>(GetItemCount());
    if (start >= count || start < -1)
    {
        start = -1;
    }
    for (int32_t step = 1; step <= count; ++step)
    {
        const int32_t i = (start + step) % count;
        const ItemRecord& record = GetItemRecord(i);
        if (record.data != nullptr && TextsMatch(TextOf(record), text, exact))
        {
            return SelectRange(i, -1, true);
        }
    }
    return -1;
}

bool LListBox::SortItems()
{
    return SortItemRange(0, static_cast<int32_t>(GetItemCount())) >= 0;
}

ZQRESULT LListBox::SortItemRange(int32_t first, int32_t count)
{
    if (count == 0)
    {
        return 1;
    }
    if (first < 0 || count < 0 || static_cast<int64_t>(first) + count > GetItemCount())
    {
        return E_INVALIDARG;
    }
    struct Entry
    {
        int32_t source;
        WString text;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int32_t i = first; i < first + count; ++i)
    {
        entries.push_back({i, TextOf(GetItemRecord(i))});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b)
              { return CRT::CompareNoCase(a.text.GetBuffer(), b.text.GetBuffer()) < 0; });
    // Each of caret and anchor is mapped once, from its old index to the new one.
    int32_t caret = mCaretIndex;
    int32_t anchor = mAnchorIndex;
    for (int32_t p = 0; p < count; ++p)
    {
        if (entries[static_cast<size_t>(p)].source == mCaretIndex)
        {
            caret = first + p;
        }
        if (entries[static_cast<size_t>(p)].source == mAnchorIndex)
        {
            anchor = first + p;
        }
    }
    mCaretIndex = caret;
    mAnchorIndex = anchor;
    std::vector<int32_t> sources;
    sources.reserve(entries.size());
    for (const Entry& entry : entries)
    {
        sources.push_back(entry.source);
    }
    ReorderBySwaps(first, std::move(sources), [this](int32_t a, int32_t b) { return SwapItems(a, b); });
    UpdateItemControlsFrom(static_cast<int32_t>(mTopIndex));
    if (mCaretIndex >= 0)
    {
        EnsureVisible(mCaretIndex);
    }
    return 0;
}
} // namespace ZQ
