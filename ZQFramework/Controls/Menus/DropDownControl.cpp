#include "ZQFramework/Controls/Menus/DropDownControl.h"

#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/NotificationNames.h"

namespace ZQ
{
LDropDownControl::LDropDownControl(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LDropDownControl::~LDropDownControl() = default;

ZQRESULT LDropDownControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                               const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mDropDownHandler, source, notification);
}

ZQRESULT LDropDownControl::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                      NotificationID id)
{
    return RemoveClassCallback(*this, mDropDownHandler, source, id);
}

ZQRESULT LDropDownControl::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    if (mDropDownHandler == nullptr)
    {
        mDropDownHandler = LNotificationHandler<LDropDownControl>::Create(this);
    }
    if (mDropDownHandler != nullptr)
    {
        mDropDownHandler->AddCallback(&LDropDownControl::OnOwnMouseDown,
                                      RCPtr<LNotificationDistributor>(this), kNidMouseDown);
    }
    return result;
}

ZQRESULT LDropDownControl::OnOwnMouseDown(const RCPtr<LNotificationDistributor>& /*source*/,
                                          const RCPtr<LNotification>& /*notification*/)
{
    // Assigned rather than only set: a press that closed the part without a left button (a right press)
    // leaves no swallowing behind for the next left press.
    mSwallowPress = mClosedByFocus;
    return 0;
}

ZQRESULT LDropDownControl::SetFocus(bool forward)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    const ZQRESULT result = LControl::SetFocus(forward);
    if (IsDropDownOpen())
    {
        ShowDropDown(false);
        mClosedByFocus = 1;
    }
    else
    {
        mClosedByFocus = 0;
    }
    return result;
}

void LDropDownControl::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    if (conditions == nullptr)
    {
        return;
    }
    const bool leftNewlyDown =
        (conditions->mPrevious & kConditionLeftDown) == 0 && (conditions->mCurrent & kConditionLeftDown) != 0;
    if (!leftNewlyDown)
    {
        return;
    }
    if (mSwallowPress == 0)
    {
        ShowDropDown(true);
    }
    else
    {
        mSwallowPress = 0;
    }
}

ZQRESULT LDropDownControl::KillFocus()
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    ShowDropDown(false);
    return LControl::KillFocus();
}
} // namespace ZQ
