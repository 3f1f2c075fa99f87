#include "ZQFramework/Controls/Lists/CheckedListBoxItem.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"

namespace ZQ
{
LCheckedListBoxItem::LCheckedListBoxItem(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LListBoxItem(key, parent, name)
{
}

LCheckedListBoxItem::~LCheckedListBoxItem() = default;

bool LCheckedListBoxItem::ShowLook(int32_t look, bool /*flag*/)
{
    return SetLookOpacity(look, 1.0f, true) >= 0;
}

ZQRESULT LCheckedListBoxItem::SelectCheckBoxLook(int32_t look, bool /*flag*/)
{
    if (!IsCreated() || mCheckBox == nullptr)
    {
        return 1;
    }
    return mCheckBox->SelectLook(look);
}

void LCheckedListBoxItem::SetCheckBoxValue(bool checked)
{
    if (mCheckBox != nullptr)
    {
        mCheckBox->SetValue(checked ? 1.0 : 0.0);
    }
}

void LCheckedListBoxItem::SetCheckBoxVisible(bool visible)
{
    if (mCheckBox != nullptr)
    {
        mCheckBox->SetVisible(visible);
    }
}

ZQRESULT LCheckedListBoxItem::SetCheckBoxBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    if (mCheckBox == nullptr)
    {
        return 0;
    }
    // Every look the check box has, last first; an empty slot refuses the bitmap.
    for (uint32_t index = mCheckBox->GetLookCount(); index-- > 0;)
    {
        mCheckBox->SetLookBitmap(static_cast<int32_t>(index), bitmap);
    }
    return 0;
}

ZQRESULT LCheckedListBoxItem::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                                  const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mItemHandler, source, notification);
}

ZQRESULT LCheckedListBoxItem::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                         NotificationID id)
{
    return RemoveClassCallback(*this, mItemHandler, source, id);
}

ZQRESULT LCheckedListBoxItem::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    mItemHandler = LNotificationHandler<LCheckedListBoxItem>::Create(this);
    mCheckBox = FindTypedChild<LButton>(*this, u"checkBox");
    // A skin without the check box is the skin's error; the row then works without one.
    if (mCheckBox == nullptr)
    {
        return result;
    }
    mItemHandler->AddCallback(&LCheckedListBoxItem::OnCheckBoxHoverChanged,
                              RCPtr<LNotificationDistributor>(mCheckBox), kNidHoverConditionChange);
    mCheckBox->SetNotFocusable(true);
    mCheckBox->SetUseParentToolTip(true);
    return result;
}

ZQRESULT LCheckedListBoxItem::OnCheckBoxHoverChanged(const RCPtr<LNotificationDistributor>& /*source*/,
                                                     const RCPtr<LNotification>& notification)
{
    const RCPtr<LConditionsParam> conditions(notification->GetParam());
    if (conditions == nullptr)
    {
        return 0;
    }
    const bool entered =
        (conditions->mCurrent & kConditionHover) != 0 && (conditions->mPrevious & kConditionHover) == 0;
    SetHighlight(entered);
    return 0;
}
} // namespace ZQ
