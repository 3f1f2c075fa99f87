#include "ZQFramework/Controls/Menus/ComboSlider.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Controls/Containers/Panel.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Menus/ComboBox.h"
#include "ZQFramework/Controls/Sliders/Slider.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/ValueParam.h"

#include <algorithm>

namespace ZQ
{
namespace
{

uint32_t CodeOf(const RCPtr<LKeyParam>& param)
{
    return param != nullptr ? param->mKeyCode.GetCode() : 0;
}
} // namespace

LComboSlider::LComboSlider(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LDropDownControl(parent, name)
{
}

LComboSlider::~LComboSlider() = default;

RCPtr<LControl> LComboSlider::GetSlider() const
{
    return mDropDownPanel != nullptr ? mDropDownPanel->FindChild(u"slider") : RCPtr<LControl>();
}

// --- Drop-down control operations ---

bool LComboSlider::IsDropDownOpen() const
{
    if (mDropDownPanel == nullptr || mDropDownPanel->GetLayout() == nullptr)
    {
        return false;
    }
    const RectT<double>& rect = mDropDownPanel->GetRect();
    return mDropDownPanel->GetLayout()->mVisible && rect.width > 0 && rect.height > 0;
}

ZQRESULT LComboSlider::ShowDropDown(bool open)
{
    if (mDropDownPanel == nullptr)
    {
        return E_FAIL;
    }
    if (open)
    {
        KeepPanelInsideRoot();
    }
    mDropDownPanel->SetVisible(open);
    return 0;
}

void LComboSlider::KeepPanelInsideRoot()
{
    const RCPtr<LControlDescriptor>& descriptor = mDropDownPanel->GetDescriptor();
    const RCPtr<LControl> root = GetRootControl();
    if (descriptor == nullptr || descriptor->mLayout == nullptr || root == nullptr ||
        mDropDownPanel->GetLayout() == nullptr)
    {
        return;
    }
    double x = descriptor->mLayout->mXPosition.Abs;
    const PointT<double> inRoot = root->ConvertPointFromControl({x, 0}, *this);
    const double panelWidth = mDropDownPanel->GetRect().width;
    const double rootWidth = root->GetRect().width;
    if (inRoot.x + panelWidth > rootWidth)
    {
        const double fitted = std::max(0.0, rootWidth - panelWidth);
        x = ConvertPointFromControl({fitted, inRoot.y}, *root).x;
    }
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    mDropDownPanel->GetLayout()->GetAxis(0, position, size);
    if (position.Abs != x)
    {
        position.Abs = x;
        mDropDownPanel->SetAxisPlacement(0, position, size);
    }
}

// --- Control base operations ---

ZQRESULT LComboSlider::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mComboSliderHandler != nullptr)
    {
        const ZQRESULT handled = mComboSliderHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LDropDownControl::ReceiveNotification(source, notification);
}

ZQRESULT LComboSlider::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                  NotificationID id)
{
    if (mComboSliderHandler != nullptr)
    {
        mComboSliderHandler->RemoveCallback(source.Get(), id);
    }
    return LDropDownControl::RemoveNotificationCallback(source, id);
}

double LComboSlider::SetValue(double value)
{
    // Without a slider (a skin that gives none) only the control's own value is set.
    if (const RCPtr<LControl> slider = GetSlider(); slider != nullptr)
    {
        const RCPtr<LControl> self = KeepControlAlive(this);
        slider->SetValue(value);
    }
    return LControl::SetValue(value);
}

void LComboSlider::OnValueChanged()
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    if (const RCPtr<LControl> slider = GetSlider(); slider != nullptr)
    {
        slider->SetValue(GetValue());
    }
    SetLabel(WString::Format(u"%0.0f", ScaleValue(GetValue())));
}

void LComboSlider::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    const RCPtr<LControl> self = KeepControlAlive(this);
    LDropDownControl::OnConditionsChanged(conditions);
    SelectLook(DropDownLookIndex(*this, IsDropDownOpen()));
}

ZQRESULT LComboSlider::HandleKeyPress(const RCPtr<LKeyParam>& param)
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
        ShowDropDown(false);
        return 0;
    }
    return 1;
}

ZQRESULT LComboSlider::ProcessHotKey(const RCPtr<LKeyParam>& param)
{
    if (CodeOf(param) != Pressed(VKey::Escape))
    {
        return 1;
    }
    ShowDropDown(false);
    return 0;
}

ZQRESULT LComboSlider::Initialize()
{
    if (LDropDownControl::Initialize() < 0)
    {
        return E_FAIL;
    }
    mDropDownPanel = FindTypedChild<LPanel>(*this, u"dropDownPanel");
    if (mDropDownPanel == nullptr)
    {
        return 0;
    }
    mDropDownPanel->SetVisible(false);
    const RCPtr<LControl> slider = GetSlider();
    if (mComboSliderHandler == nullptr)
    {
        mComboSliderHandler = LNotificationHandler<LComboSlider>::Create(this);
    }
    if (mComboSliderHandler != nullptr && slider != nullptr)
    {
        mComboSliderHandler->AddCallback(&LComboSlider::OnSliderValueChange,
                                         RCPtr<LNotificationDistributor>(slider), kNidValueChange);
    }
    if (const RCPtr<LSlider> typed(slider); typed != nullptr)
    {
        typed->SetNotifyValueOnRelease(true);
    }
    // A value set while the control was being made (its initial value) reached no slider yet.
    if (slider != nullptr)
    {
        slider->SetValue(GetValue());
    }
    return 0;
}

ZQRESULT LComboSlider::OnSliderValueChange(const RCPtr<LNotificationDistributor>& /*source*/,
                                           const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LControl> slider = GetSlider();
    if (slider == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const double value = slider->GetValue();
    if (value == GetValue())
    {
        const RCPtr<LValueParam> param = LValueParam::Create(value, ScaleValue(value));
        Notify(LNotification::Create(kNidValueChange,
                                     ConstRCPtr<LRefCountedObject>(RCPtr<LRefCountedObject>(param))));
    }
    else
    {
        LControl::SetValue(value);
    }
    return 1;
}
} // namespace ZQ
