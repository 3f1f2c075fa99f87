#include "ZQFramework/Controls/Menus/ComboMenu.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Lists/ListBox.h"
#include "ZQFramework/Controls/Menus/PopupMenu.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/NotificationNames.h"

#include <cmath>

namespace ZQ
{
namespace
{
bool IsComboMenu(const LControl& control)
{
    return dynamic_cast<const LComboMenu*>(&control) != nullptr;
}
} // namespace

LComboMenu::LComboMenu(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LDropDownControl(parent, name)
{
    // A release outside both the popup and its title closes the popup's list.
    static const bool registered = []
    {
        LListBox::AddDropDownOwnerTest(&IsComboMenu);
        return true;
    }();
    (void)registered;
}

LComboMenu::~LComboMenu() = default;

RCPtr<LPopupMenu> LComboMenu::GetPopup() const
{
    return FindTypedChild<LPopupMenu>(*this, u"popupMenu");
}

ZQRESULT LComboMenu::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
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

ZQRESULT LComboMenu::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                NotificationID id)
{
    if (mComboHandler != nullptr)
    {
        mComboHandler->RemoveCallback(source.Get(), id);
    }
    return LDropDownControl::RemoveNotificationCallback(source, id);
}

ZQRESULT LComboMenu::Initialize()
{
    if (LDropDownControl::Initialize() < 0)
    {
        return E_FAIL;
    }
    mComboHandler = LNotificationHandler<LComboMenu>::Create(this);
    const RCPtr<LPopupMenu> popup = GetPopup();
    if (mComboHandler != nullptr && popup != nullptr)
    {
        const RCPtr<LNotificationDistributor> source(popup);
        mComboHandler->AddCallback(&LComboMenu::OnPopupVisibilityChanged, source,
                                   kNidVisibilityConditionChange);
        mComboHandler->AddCallback(&LComboMenu::OnPopupItemActivated, source, kNidItemActivated);
    }
    if (popup != nullptr)
    {
        popup->SetAutoClose(false);
    }
    return 0;
}

ZQRESULT LComboMenu::OnCreated()
{
    const RCPtr<LPopupMenu> popup = GetPopup();
    if (popup != nullptr && popup->GetLayout() != nullptr)
    {
        mPopupOffsetX = popup->GetLayout()->mXPosition.Abs;
    }
    return 0;
}

bool LComboMenu::IsDropDownOpen() const
{
    const RCPtr<LPopupMenu> popup = GetPopup();
    return popup != nullptr && popup->GetLayout() != nullptr && popup->GetLayout()->mVisible &&
           popup->GetRect().width > 0 && popup->GetRect().height > 0;
}

ZQRESULT LComboMenu::ShowDropDown(bool open)
{
    const RCPtr<LPopupMenu> popup = GetPopup();
    if (popup == nullptr)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (open && popup->GetLayout() != nullptr)
    {
        // The popup stays inside the top control: pushed left at its right edge, never past its left edge.
        const RCPtr<LControl> top = GetRootControl();
        double x = mPopupOffsetX;
        if (top != nullptr)
        {
            const double width = popup->GetRect().width;
            double topX = top->ConvertPointFromControl({x, 0}, *this).x;
            if (width + topX > top->GetRect().width)
            {
                topX = std::max(top->GetRect().width - width, 0.0);
            }
            x = ConvertPointFromControl({topX, 0}, *top).x;
        }
        const RCPtr<LLayoutDescriptor>& layout = popup->GetLayout();
        if (layout->mXPosition.Abs != x)
        {
            LLayoutDescriptor::AxisPosition position = layout->mXPosition;
            position.Abs = x;
            popup->SetAxisPlacement(0, position, layout->mXSize);
        }
    }
    popup->SetVisible(open);
    if (open)
    {
        popup->SetFocus(true);
        SelectLook(kLookOpen);
        if (IsButtonDown(MouseButton::Left))
        {
            popup->BeginMouseCapture(static_cast<int32_t>(ButtonBit(MouseButton::Left)),
                                     static_cast<int32_t>(std::lround(mPressOffset.x)),
                                     static_cast<int32_t>(std::lround(mPressOffset.y)));
        }
    }
    else
    {
        SelectClosedLook();
    }
    return 0;
}

void LComboMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (conditions == nullptr)
    {
        return;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const uint32_t changed = conditions->mPrevious ^ conditions->mCurrent;
    if (IsEnabled(true))
    {
        SelectLook(IsDropDownOpen() ? kLookOpen : (IsHovered() ? kLookHover : kLookClosed));
        if ((changed & kConditionHover) != 0 && (conditions->mCurrent & kConditionHover) != 0 &&
            GetParent() != nullptr)
        {
            // The pointer entering a title while another title's menu is open moves the menu here.
            const LControl::ChildControlList& siblings = GetParent()->GetChildren();
            for (uint32_t i = siblings.GetCount(); i-- > 0;)
            {
                const RCPtr<LComboMenu> other(siblings.GetAt(i, ChildControlList::kStorageOrder));
                if (other == nullptr || !other->IsDropDownOpen())
                {
                    continue;
                }
                if (other.Get() != this)
                {
                    other->GetPopup()->SetVisible(false);
                    other->SelectClosedLook();
                    ShowDropDown(true);
                }
                break;
            }
        }
    }
    else
    {
        SelectLook(kLookDisabled);
    }
    if ((conditions->mPrevious & kConditionLeftDown) == 0 && (conditions->mCurrent & kConditionLeftDown) != 0)
    {
        // The press point is in the parent's coordinates: made the title's first, then the popup's.
        const RCPtr<LPopupMenu> popup = GetPopup();
        const PointT<double> popupAt =
            popup != nullptr ? PointT<double>{popup->GetRect().x, popup->GetRect().y} : PointT<double>{0, 0};
        mPressOffset = {conditions->mPressX - GetRect().x - popupAt.x,
                        conditions->mPressY - GetRect().y - popupAt.y};
    }
    LDropDownControl::OnConditionsChanged(conditions);
}

ZQRESULT LComboMenu::OnPopupVisibilityChanged(const RCPtr<LNotificationDistributor>& /*source*/,
                                              const RCPtr<LNotification>& /*notification*/)
{
    SelectLook(IsDropDownOpen() ? kLookOpen : (IsHovered() ? kLookHover : kLookClosed));
    return 0;
}

ZQRESULT LComboMenu::OnPopupItemActivated(const RCPtr<LNotificationDistributor>& /*source*/,
                                          const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LPopupMenu> popup = GetPopup();
    if (popup != nullptr)
    {
        popup->SetVisible(false);
    }
    SelectClosedLook();
    return 1;
}
} // namespace ZQ
