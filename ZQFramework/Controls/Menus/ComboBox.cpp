#include "ZQFramework/Controls/Menus/ComboBox.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <algorithm>
#include <cmath>

namespace ZQ
{
namespace
{
// Kept clear at the window's top and bottom edges when the list opens.
constexpr int64_t kEdgeMargin = 5;

uint32_t CodeOf(const RCPtr<LKeyParam>& param)
{
    return param != nullptr ? param->mKeyCode.GetCode() : 0;
}

bool IsComboBox(const LControl& control)
{
    return dynamic_cast<const LComboBox*>(&control) != nullptr;
}

// The absolute part of the skin's maximum height of control; 0 without a skin layout.
double SkinMaximumHeight(const LControl& control)
{
    const RCPtr<LControlDescriptor>& descriptor = control.GetDescriptor();
    return descriptor != nullptr && descriptor->mLayout != nullptr ? descriptor->mLayout->mYMaximum.Abs : 0;
}
} // namespace

int32_t DropDownLookIndex(const LControl& control, bool open)
{
    if (!control.IsEnabled(true))
    {
        return 6;
    }
    const uint32_t conditions = control.GetConditions();
    const bool hover = (conditions & LControl::kConditionHover) != 0;
    if (open)
    {
        return hover ? 5 : 4;
    }
    const bool focused =
        (conditions & (LControl::kConditionFocused | LControl::kConditionContainsFocus)) != 0;
    return (hover ? 2 : 0) + (focused ? 1 : 0);
}

LComboBox::LComboBox(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LDropDownControl(parent, name)
{
    // A release outside the face and its list closes the list of a combo box.
    static const bool registered = (LListBox::AddDropDownOwnerTest(&IsComboBox), true);
    (void)registered;
}

LComboBox::~LComboBox() = default;

// --- Items ---

RCPtr<LListBox> LComboBox::GetListBox() const
{
    return FindTypedChild<LListBox>(*this, u"listBox");
}

RCPtr<LTextBox> LComboBox::GetTextBox() const
{
    return FindTypedChild<LTextBox>(*this, u"textBox");
}

int32_t LComboBox::AddItem(const WString& text)
{
    const RCPtr<LListBox> list = GetListBox();
    const auto count = list != nullptr ? static_cast<int32_t>(list->GetItemCount()) : 0;
    return InsertItem(count, LListBox::MakeTextItem(text));
}

int32_t LComboBox::InsertItem(int32_t index, const RCPtr<LTaggableObject>& item)
{
    if (item == nullptr)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LListBox> list = GetListBox();
    if (list == nullptr)
    {
        return E_FAIL;
    }
    const int32_t used = list->InsertItem(index, item);
    if (used < 0)
    {
        return used;
    }
    if (used <= mSelectedIndex)
    {
        ++mSelectedIndex;
    }
    else if (mSelectedIndex < 0 && WString(item->ToString()) == GetLabel())
    {
        SetSelectedIndex(used);
    }
    return used;
}

RCPtr<LTaggableObject> LComboBox::GetItem(int32_t index) const
{
    const RCPtr<LListBox> list = GetListBox();
    if (list == nullptr || index < 0 || static_cast<uint32_t>(index) >= list->GetItemCount())
    {
        return {};
    }
    return list->GetItemRecord(index).data;
}

// --- Appended operations ---

int32_t LComboBox::SetItemCount(int32_t count)
{
    const RCPtr<LListBox> list = GetListBox();
    if (list == nullptr)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const int32_t result = list->SetItemCount(count);
    if (mSelectedIndex >= count)
    {
        SetSelectedIndex(-1);
    }
    if (IsDropDownOpen())
    {
        ShowDropDown(true);
    }
    return result;
}

int32_t LComboBox::SetSelectedIndex(int32_t index)
{
    const RCPtr<LListBox> list = GetListBox();
    if (list == nullptr)
    {
        mSelectedIndex = -1;
        return -1;
    }
    if (index < 0)
    {
        mSelectedIndex = -1;
        list->DeselectAll();
        return -1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const int32_t selected = list->SelectRange(index, index, true);
    const bool changed = selected != mSelectedIndex;
    mSelectedIndex = selected < 0 ? -1 : selected;
    if (selected < 0)
    {
        return -1;
    }
    const RCPtr<LTaggableObject> item = GetItem(selected);
    const WString text = item != nullptr ? WString(item->ToString()) : WString();
    // The base's label update: no item search runs for the item's own text.
    UpdateLabel(text, true);
    if (const RCPtr<LTextBox> textBox = GetTextBox(); textBox != nullptr)
    {
        textBox->SetLabel(text);
    }
    if (changed)
    {
        Notify(LNotification::Create(kNidSelectionChange));
    }
    return mSelectedIndex;
}

ZQRESULT LComboBox::UpdateLook()
{
    SelectLook(StateLookIndex());
    return 0;
}

int32_t LComboBox::StateLookIndex() const
{
    return DropDownLookIndex(*this, IsDropDownOpen());
}

// --- Drop-down control operations ---

bool LComboBox::IsDropDownOpen() const
{
    const RCPtr<LListBox> list = GetListBox();
    if (list == nullptr || list->GetLayout() == nullptr)
    {
        return false;
    }
    const RectT<double>& rect = list->GetRect();
    return list->GetLayout()->mVisible && rect.width > 0 && rect.height > 0;
}

ZQRESULT LComboBox::ShowDropDown(bool open)
{
    const RCPtr<LListBox> list = GetListBox();
    if (list == nullptr)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (open && GetParent() != nullptr)
    {
        Notify(LNotification::Create(kNidDropdownOpening));
        PlaceDropDown(*list);
        HighlightLabelItem(*list);
    }
    list->SetVisible(open);
    if (!open)
    {
        return 0;
    }
    if (list->IsDropDownMode() && IsButtonDown(MouseButton::Left))
    {
        list->BeginMouseCapture(static_cast<int32_t>(ButtonBit(MouseButton::Left)),
                                static_cast<int32_t>(std::lround(mPressPoint.x)),
                                static_cast<int32_t>(std::lround(mPressPoint.y)));
    }
    list->SetFocus(true);
    return 0;
}

void LComboBox::PlaceDropDown(LListBox& list)
{
    const int64_t height = static_cast<int64_t>(GetRect().height);
    const int64_t top = static_cast<int64_t>(GetRectInWindow().y);
    const RCPtr<LRootWindow> window = GetRootWindow();
    const int64_t windowHeight = window != nullptr ? window->GetScreenRect().height : 0;
    const int64_t content = static_cast<int64_t>(list.GetRowHeight()) * list.GetItemCount();
    // Signed room: a face closer than the margin to an edge has no room on that side, never a huge one.
    const int64_t below = std::max<int64_t>(0, windowHeight - (top + height) - kEdgeMargin);
    const int64_t above = std::max<int64_t>(0, top - kEdgeMargin);

    LLayoutDescriptor::AxisLimit minimum;
    LLayoutDescriptor::AxisLimit maximum;
    list.GetLayout()->GetAxisLimits(1, minimum, maximum);
    const double current = maximum.Abs;
    const double skinMax = SkinMaximumHeight(list);
    bool downwards = false;
    if (current != 0 && skinMax > 0 && static_cast<double>(below) >= skinMax)
    {
        downwards = true;
    }
    else if (current != 0 && skinMax > 0 && static_cast<double>(above) >= skinMax)
    {
        downwards = false;
    }
    else
    {
        downwards = below >= content || below >= above;
    }
    const int64_t avail = downwards ? below : above;

    if (skinMax > 0)
    {
        maximum.Abs = std::min(static_cast<double>(avail), skinMax);
    }
    else
    {
        maximum.Abs = content > avail ? static_cast<double>(avail) : 0.0;
    }
    list.SetAxisLimits(1, minimum, maximum);

    LLayoutDescriptor::AxisPosition position;
    position.Anchor = downwards ? 0.0f : 1.0f;
    position.ToControl = LLayoutDescriptor::kPositionParent;
    position.Rel = downwards ? 1.0f : 0.0f;
    position.Abs = 0;
    position.Docked = false;
    LLayoutDescriptor::AxisPosition currentPosition;
    LLayoutDescriptor::AxisSize size;
    list.GetLayout()->GetAxis(1, currentPosition, size);
    size.Abs = static_cast<double>(std::min(content, avail));
    list.SetAxisPlacement(1, position, size);
    list.SnapHeightToRows();
}

void LComboBox::HighlightLabelItem(LListBox& list)
{
    bool matched = false;
    for (auto i = static_cast<int32_t>(list.GetItemCount()) - 1; i >= 0; --i)
    {
        const RCPtr<LTaggableObject>& item = list.GetItemRecord(i).data;
        if (item != nullptr && WString(item->ToString()) == GetLabel())
        {
            list.SelectRange(i, -1, true);
            list.EnsureVisible(i);
            matched = true;
        }
    }
    if (!matched)
    {
        list.SelectRange(0, -1, true);
        list.EnsureVisible(0);
    }
}

// --- Control base operations ---

ZQRESULT LComboBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mComboHandler != nullptr)
    {
        const ZQRESULT handled = mComboHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LDropDownControl::ReceiveNotification(source, notification);
}

ZQRESULT LComboBox::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                               NotificationID id)
{
    if (mComboHandler != nullptr)
    {
        mComboHandler->RemoveCallback(source.Get(), id);
    }
    return LDropDownControl::RemoveNotificationCallback(source, id);
}

ZQRESULT LComboBox::SetLabel(const WString& text)
{
    if (UpdateLabel(text, true) == 0)
    {
        return 1;
    }
    const RCPtr<LListBox> list = GetListBox();
    const int32_t found = list != nullptr ? list->FindLastItemByText(text, false) : -1;
    SetSelectedIndex(found);
    return 0;
}

void LComboBox::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (conditions == nullptr)
    {
        return;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    // The point is taken before the press opens the list, so that the list's capture starts where this
    // press went down.
    const bool leftNewlyDown =
        (conditions->mPrevious & kConditionLeftDown) == 0 && (conditions->mCurrent & kConditionLeftDown) != 0;
    if (leftNewlyDown)
    {
        const RCPtr<LListBox> list = GetListBox();
        const PointT<double> origin =
            list != nullptr ? PointT<double>{list->GetRect().x, list->GetRect().y} : PointT<double>{};
        mPressPoint = {conditions->mPressX - origin.x, conditions->mPressY - origin.y};
    }
    LDropDownControl::OnConditionsChanged(conditions);
    UpdateLook();
}

ZQRESULT LComboBox::HandleKeyPress(const RCPtr<LKeyParam>& param)
{
    const uint32_t code = CodeOf(param);
    if (!IsDropDownOpen())
    {
        if (code == Pressed(VKey::Down) || code == Pressed(VKey::Return))
        {
            ShowDropDown(true);
            return 0;
        }
        return 1;
    }
    if (code == Pressed(VKey::Escape))
    {
        if (const RCPtr<LListBox> list = GetListBox(); list != nullptr)
        {
            list->SetVisible(false);
        }
        return 0;
    }
    return 1;
}

ZQRESULT LComboBox::ProcessHotKey(const RCPtr<LKeyParam>& param)
{
    if (CodeOf(param) != Pressed(VKey::Escape))
    {
        return 1;
    }
    if (const RCPtr<LListBox> list = GetListBox(); list != nullptr)
    {
        list->SetVisible(false);
    }
    return 0;
}

ZQRESULT LComboBox::Initialize()
{
    if (LDropDownControl::Initialize() < 0)
    {
        return E_FAIL;
    }
    mListBox = GetListBox();
    if (mListBox == nullptr)
    {
        return E_FAIL;
    }
    if (mComboHandler == nullptr)
    {
        mComboHandler = LNotificationHandler<LComboBox>::Create(this);
    }
    if (mComboHandler != nullptr)
    {
        const RCPtr<LNotificationDistributor> list(mListBox);
        mComboHandler->AddCallback(&LComboBox::OnListVisibilityChanged, list, kNidVisibilityConditionChange);
        mComboHandler->AddCallback(&LComboBox::OnListItemActivated, list, kNidItemActivated);
        if (const RCPtr<LTextBox> textBox = GetTextBox(); textBox != nullptr)
        {
            const RCPtr<LNotificationDistributor> text(textBox);
            mComboHandler->AddCallback(&LComboBox::OnTextBoxValidating, text, kNidTextboxValidating);
            mComboHandler->AddCallback(&LComboBox::OnTextBoxValidated, text, kNidTextboxValidated);
            mComboHandler->AddCallback(&LComboBox::OnTextBoxTextChange, text, kNidTextboxTextChange);
            mComboHandler->AddCallback(&LComboBox::OnTextBoxFocusChanged, text, kNidHasFocusConditionChange);
        }
    }
    mListBox->SetDropDownMode(true);
    mListBox->SetVisible(false);
    if (const RCPtr<LStringTable> table = GetStringTable(); table != nullptr)
    {
        mListBox->LoadItemsFromCreateParams(table);
    }
    const int32_t initial = mInitialSelectedIndex;
    if (initial >= 0 && static_cast<uint32_t>(initial) < mListBox->GetItemCount() &&
        mListBox->SelectRange(initial, initial, true) >= 0)
    {
        const RCPtr<LTaggableObject> item = GetItem(initial);
        LControl::SetLabel(item != nullptr ? WString(item->ToString()) : WString());
        mSelectedIndex = initial;
    }
    return 0;
}

ZQRESULT LComboBox::ProcessCreateParams()
{
    const ZQRESULT result = LDropDownControl::ProcessCreateParams();
    mInitialSelectedIndex = 0;
    WString text;
    if (FindCreateParam(*this, u"INITIAL_SELECTED_INDEX", text))
    {
        mInitialSelectedIndex = CRT::ParseInt(text.GetBuffer());
    }
    return result;
}

ZQRESULT LComboBox::OnCreated()
{
    if (const RCPtr<LListBox> list = GetListBox(); list != nullptr)
    {
        list->SetVisible(false);
    }
    return ApplyDropDownSizeDefaults();
}

ZQRESULT LComboBox::ApplyDropDownSizeDefaults()
{
    const RCPtr<LListBox> list = GetListBox();
    if (list == nullptr || list->GetLayout() == nullptr)
    {
        return E_FAIL;
    }
    const RCPtr<LControlDescriptor>& descriptor = list->GetDescriptor();
    const RCPtr<LLayoutDescriptor> skin = descriptor != nullptr ? descriptor->mLayout : nullptr;
    if (skin != nullptr)
    {
        if (skin->mXMinimum.Abs == 0 || skin->mXMaximum.Abs == 0)
        {
            LLayoutDescriptor::AxisLimit minimum;
            LLayoutDescriptor::AxisLimit maximum;
            list->GetLayout()->GetAxisLimits(0, minimum, maximum);
            if (skin->mXMinimum.Abs == 0)
            {
                minimum.Abs = std::trunc(GetRect().width);
            }
            list->SetAxisLimits(0, minimum, maximum);
        }
        if (skin->mYMinimum.Abs == 0 || skin->mYMaximum.Abs == 0)
        {
            LLayoutDescriptor::AxisLimit minimum;
            LLayoutDescriptor::AxisLimit maximum;
            list->GetLayout()->GetAxisLimits(1, minimum, maximum);
            if (skin->mYMinimum.Abs == 0)
            {
                minimum.Rel = 0;
                minimum.Abs = list->GetRowHeight();
            }
            list->SetAxisLimits(1, minimum, maximum);
        }
    }
    if (list->GetLayout()->mYMaximum.Abs > 0)
    {
        list->SnapHeightToRows();
    }
    return 0;
}

WString LComboBox::GetToolTipText() const
{
    return LabelOrToolTipText(*this);
}

// --- Handlers ---

void LComboBox::Resend(const char16_t* name, const RCPtr<LNotification>& notification)
{
    const ConstRCPtr<LRefCountedObject> param(notification != nullptr ? notification->GetParam()
                                                                      : RCPtr<LRefCountedObject>());
    Notify(LNotification::Create(name, param));
}

ZQRESULT LComboBox::OnListVisibilityChanged(const RCPtr<LNotificationDistributor>& /*source*/,
                                            const RCPtr<LNotification>& /*notification*/)
{
    UpdateLook();
    return 0;
}

ZQRESULT LComboBox::OnListItemActivated(const RCPtr<LNotificationDistributor>& /*source*/,
                                        const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LListBox> list = GetListBox();
    if (list != nullptr)
    {
        const RCPtr<LControl> self = KeepControlAlive(this);
        const int32_t caret = list->GetCaretIndex();
        SetSelectedIndex(caret < static_cast<int32_t>(list->GetItemCount()) ? caret : -1);
    }
    return 1;
}

ZQRESULT LComboBox::OnTextBoxValidating(const RCPtr<LNotificationDistributor>& /*source*/,
                                        const RCPtr<LNotification>& notification)
{
    Resend(kNidTextboxValidating, notification);
    return 0;
}

ZQRESULT LComboBox::OnTextBoxValidated(const RCPtr<LNotificationDistributor>& /*source*/,
                                       const RCPtr<LNotification>& notification)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    const RCPtr<LTextValidationParams> params(notification != nullptr ? notification->GetParam()
                                                                      : RCPtr<LRefCountedObject>());
    const RCPtr<LListBox> list = GetListBox();
    if (params != nullptr && list != nullptr)
    {
        const int32_t found = list->FindAndSelectItemByText(params->mText, -1, false);
        SetSelectedIndex(found >= 0 ? found : -1);
    }
    Resend(kNidTextboxValidated, notification);
    return 0;
}

ZQRESULT LComboBox::OnTextBoxTextChange(const RCPtr<LNotificationDistributor>& /*source*/,
                                        const RCPtr<LNotification>& notification)
{
    Resend(kNidTextboxTextChange, notification);
    return 0;
}

ZQRESULT LComboBox::OnTextBoxFocusChanged(const RCPtr<LNotificationDistributor>& /*source*/,
                                          const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> conditions(notification != nullptr ? notification->GetParam()
                                                                     : RCPtr<LRefCountedObject>());
    const RCPtr<LListBox> list = GetListBox();
    if (conditions != nullptr && list != nullptr && (conditions->mCurrent & kConditionFocused) != 0 &&
        (conditions->mPrevious & kConditionFocused) == 0)
    {
        list->SetVisible(false);
    }
    return 0;
}
} // namespace ZQ
