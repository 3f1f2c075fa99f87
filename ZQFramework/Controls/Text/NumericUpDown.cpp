#include "ZQFramework/Controls/Text/NumericUpDown.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Text/TextBox.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Utilities/Storage/WideCRT.h"

#include <algorithm>
#include <cmath>

namespace ZQ
{
namespace
{
int32_t CountOf(const WString& text, char16_t character)
{
    int32_t count = 0;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        count += text.GetAt(i) == character ? 1 : 0;
    }
    return count;
}

// Text that is no number of the accepted shapes: a minus sign anywhere but first, a lone minus sign or
// point, more than one point, nothing at all; and whatever reads as no finite number ("nan", "inf").
bool IsRefusedNumber(const WString& text, double number)
{
    const bool minusInside = text.GetLength() > 1 && CountOf(text.Mid(1), u'-') > 0;
    return text.IsEmpty() || text == u"-" || text == u"." || minusInside || CountOf(text, u'.') > 1 ||
           !std::isfinite(number);
}

bool IsFrom(const RCPtr<LNotificationDistributor>& source, const RCPtr<LButton>& button)
{
    return button != nullptr && source.Get() == static_cast<LNotificationDistributor*>(button.Get());
}
} // namespace

LNumericUpDown::LNumericUpDown(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LPanel(key, parent, name)
{
}

LNumericUpDown::~LNumericUpDown() = default;

WString LNumericUpDown::GetNumberText() const
{
    return WString::Format(u"%0.0f", ScaleValue(GetValue()));
}

void LNumericUpDown::UpdateCharacterFilter()
{
    if (mTextBox == nullptr)
    {
        return;
    }
    mTextBox->SetCharacterFilter(mRangeMin < 0 ? WString(u"0123456789-") : WString(u"0123456789"));
    mTextBox->SetFilterAllows(true);
}

void LNumericUpDown::ShowNumber()
{
    if (mTextBox != nullptr)
    {
        mTextBox->SetLabel(GetNumberText());
    }
}

// --- Control base operations ---

ZQRESULT LNumericUpDown::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mUpDownHandler != nullptr)
    {
        const ZQRESULT handled = mUpDownHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LPanel::ReceiveNotification(source, notification);
}

ZQRESULT LNumericUpDown::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                    NotificationID id)
{
    if (mUpDownHandler != nullptr)
    {
        mUpDownHandler->RemoveCallback(source.Get(), id);
    }
    return LPanel::RemoveNotificationCallback(source, id);
}

ZQRESULT LNumericUpDown::SetLabel(const WString& text)
{
    SetValue(UnscaleValue(CRT::ParseDouble(text.GetBuffer())));
    return 0;
}

void LNumericUpDown::OnValueChanged()
{
    if (mTextBox == nullptr)
    {
        return;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    ShowNumber();
    // The text box validates what it now shows.
    (void)mTextBox->CanReleaseFocus();
}

ZQRESULT LNumericUpDown::SetRange(double minimum, double maximum, int32_t taper)
{
    const ZQRESULT result = LPanel::SetRange(minimum, maximum, taper);
    if (result < 0)
    {
        return result;
    }
    UpdateCharacterFilter();
    ShowNumber();
    return 0;
}

ZQRESULT LNumericUpDown::ProcessHotKey(const RCPtr<LKeyParam>& param)
{
    if (param != nullptr)
    {
        const uint32_t code = param->mKeyCode.GetCode();
        RCPtr<LButton> button;
        if (code == Pressed(VKey::Up))
        {
            button = mButtonUp;
        }
        else if (code == Pressed(VKey::Down))
        {
            button = mButtonDown;
        }
        if (button != nullptr)
        {
            // Straight to the button, which binds the simulated click without a source.
            button->ReceiveNotification(nullptr, LNotification::Create(kNidSimulateClick));
            return 0;
        }
    }
    return LPanel::ProcessHotKey(param);
}

ZQRESULT LNumericUpDown::Initialize()
{
    const ZQRESULT result = LPanel::Initialize();
    mTextBox = FindTypedChild<LTextBox>(*this, u"textBox");
    mButtonUp = FindTypedChild<LButton>(*this, u"buttonUp");
    mButtonDown = FindTypedChild<LButton>(*this, u"buttonDown");
    for (const RCPtr<LButton>& button : {mButtonUp, mButtonDown})
    {
        if (button != nullptr)
        {
            button->SetAutoRepeat(true);
        }
    }
    UpdateCharacterFilter();
    mUpDownHandler = LNotificationHandler<LNumericUpDown>::Create(this);
    if (mUpDownHandler == nullptr)
    {
        return result;
    }
    if (mTextBox != nullptr)
    {
        const RCPtr<LNotificationDistributor> textBox(mTextBox);
        mUpDownHandler->AddCallback(&LNumericUpDown::OnTextValidating, textBox, kNidTextboxValidating, 0);
        mUpDownHandler->AddCallback(&LNumericUpDown::OnTextValidated, textBox, kNidTextboxValidated, 0);
    }
    for (const RCPtr<LButton>& button : {mButtonUp, mButtonDown})
    {
        if (button != nullptr)
        {
            mUpDownHandler->AddCallback(&LNumericUpDown::OnButtonRepeat,
                                        RCPtr<LNotificationDistributor>(button), kNidButtonAutorepeat, 0);
        }
    }
    // The field shows the value from the start (an initial value was set before the text box was known).
    ShowNumber();
    return result;
}

ZQRESULT LNumericUpDown::OnCreated()
{
    SetNotFocusable(false);
    for (const RCPtr<LButton>& button : {mButtonUp, mButtonDown})
    {
        if (button != nullptr)
        {
            button->SetNotFocusable(true);
        }
    }
    return 0;
}

// --- Handlers ---

ZQRESULT LNumericUpDown::OnTextValidating(const RCPtr<LNotificationDistributor>& /*source*/,
                                          const RCPtr<LNotification>& notification)
{
    const RCPtr<LTextValidationParams> params(notification != nullptr ? notification->GetParam()
                                                                      : RCPtr<LRefCountedObject>());
    if (params == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    Notify(LNotification::Create(kNidTextboxValidating, ConstRCPtr<LRefCountedObject>(params)));
    if (params->mValid == 0)
    {
        return 1;
    }
    const double current = ScaleValue(GetValue());
    const WString typed = params->mText;
    double number = CRT::ParseDouble(typed.GetBuffer());
    if (IsRefusedNumber(typed, number))
    {
        params->mText = GetNumberText();
        params->mValid = 1;
        number = current;
    }
    number = std::min(std::max(number, mRangeMin), mRangeMax);
    if (number == current)
    {
        // A bound or 0 shows in its own form; any other equal number keeps the text as typed ("007").
        if (current == mRangeMin || current == mRangeMax || number == 0)
        {
            params->mText = GetNumberText();
            params->mValid = 1;
        }
        return 1;
    }
    // The new value shows and validates its own text once more before this handler goes on.
    SetValue(UnscaleValue(number));
    params->mText = GetNumberText();
    params->mValid = 1;
    return 1;
}

ZQRESULT LNumericUpDown::OnTextValidated(const RCPtr<LNotificationDistributor>& /*source*/,
                                         const RCPtr<LNotification>& notification)
{
    const ConstRCPtr<LRefCountedObject> params(notification != nullptr ? notification->GetParam()
                                                                       : RCPtr<LRefCountedObject>());
    Notify(LNotification::Create(kNidTextboxValidated, params));
    return 1;
}

ZQRESULT LNumericUpDown::OnButtonRepeat(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& /*notification*/)
{
    double number = ScaleValue(GetValue());
    if (IsFrom(source, mButtonUp))
    {
        number += mStep;
    }
    else if (IsFrom(source, mButtonDown))
    {
        number -= mStep;
    }
    else
    {
        return 1;
    }
    SetValue(UnscaleValue(number));
    return 1;
}
} // namespace ZQ
