// The control's conditions, its state setters (value, visibility, enabled state, scroll offset,
// highlight, cursor, font) and its idle requests.
#include "ZQFramework/ControlBase/Control.h"
#include "ZQFramework/ControlBase/ControlApplication.h"
#include "ZQFramework/ControlBase/RootWindow.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Renderer/Font.h"

namespace ZQ
{
ZQRESULT LControl::SetValue(double /*value*/)
{
    return 1;
}

void LControl::OnValueChanged()
{
}

ZQRESULT LControl::SetRange(double /*minimum*/, double /*maximum*/, int32_t /*taper*/)
{
    return 1;
}

ZQRESULT LControl::SetScrollOffset(const PointT<double>& /*offset*/)
{
    return 1;
}

void LControl::OnConditionsChanged()
{
}

bool LControl::SetVisible(bool /*visible*/)
{
    return IsVisible(true);
}

ZQRESULT LControl::SetEnabled(bool /*enabled*/)
{
    return 1;
}

void LControl::OnFontChanged()
{
}

ZQRESULT LControl::UpdateFont()
{
    return 1;
}

void LControl::OnIdle()
{
}

ZQRESULT LControl::RequestIdle()
{
    ++mIdleRequests;
    if (mIdleRequests == 1 && GetRootWindowObject() != nullptr && RegisterForIdle() != S_OK)
    {
        mIdleRequests = 0;
    }
    return 0;
}

ZQRESULT LControl::ReleaseIdle()
{
    if (mIdleRequests <= 0)
    {
        return 0;
    }
    if (--mIdleRequests > 0)
    {
        return 0;
    }
    const RCPtr<LNotificationDistributor> window(GetRootWindowObject());
    if (window == nullptr)
    {
        return 0;
    }
    const bool removed = mHandler != nullptr && mHandler->RemoveCallback(window.Get(), u"NID_IDLE");
    const ZQRESULT unregistered = UnregisterFromDistributor(window, u"NID_IDLE");
    return removed ? unregistered : E_FAIL;
}

ZQRESULT LControl::RegisterForIdle()
{
    const RCPtr<LNotificationDistributor> window(GetRootWindowObject());
    if (window == nullptr)
    {
        return E_FAIL;
    }
    if (mHandler == nullptr)
    {
        mHandler = LNotificationHandler<LControl>::Create(this);
    }
    return mHandler->AddCallback(&LControl::OnIdleNotification, window, u"NID_IDLE");
}

ZQRESULT LControl::OnIdleNotification(const RCPtr<LNotificationDistributor>& /*source*/,
                                      const RCPtr<LNotification>& /*notification*/)
{
    // Automatic scrolling advances here first once it exists.
    ProcessPendingRemovals();
    OnIdle();
    return 0;
}

uint32_t LControl::GetConditions() const
{
    return 0;
}

void LControl::UpdateConditions()
{
}

double LControl::ScaleValue(double value) const
{
    return value;
}

double LControl::UnscaleValue(double value) const
{
    return value;
}

void LControl::SetHighlight(bool highlight)
{
    mHighlight = highlight;
}

void LControl::SetCursor(intptr_t cursor)
{
    mCursor = cursor;
}

ZQRESULT LControl::SetFont(const RCPtr<LFont>& font)
{
    mFont = font;
    return 0;
}

ZQRESULT LControl::SetFontSpec(const WString& /*name*/, float /*size*/, int32_t /*style*/, bool /*relative*/)
{
    return E_NOTIMPL;
}
} // namespace ZQ
