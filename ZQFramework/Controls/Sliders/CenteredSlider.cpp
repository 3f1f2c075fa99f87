#include "ZQFramework/Controls/Sliders/CenteredSlider.h"

#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/ObjectBase/Exception.h"

#include <stdexcept>

namespace ZQ
{
LCenteredSlider::LCenteredSlider(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LSlider(key, parent, name)
{
}

LCenteredSlider::~LCenteredSlider() = default;

void LCenteredSlider::SetBoundsPosFromThumbPos()
{
    const RCPtr<LButton>& thumb = GetThumb();
    if (thumb == nullptr)
    {
        throw Exception<std::runtime_error>(
            "Runtime Error : Null Pointer : Thumb Child was not created. : "
            "ZQ::LCenteredSlider::SetBoundsPosFromThumbPos : Controls\\CenteredSlider : Line 67");
    }
    const RCPtr<LLayoutDescriptor>& layout = thumb->GetLayout();
    if (layout == nullptr || GetThumbStart() == nullptr || GetThumbEnd() == nullptr)
    {
        return;
    }
    const RectT<double>& start = GetThumbStart()->GetRect();
    const RectT<double>& end = GetThumbEnd()->GetRect();
    // A slanted track leaves the bounds where the skin put them; markers at one place move both axes.
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const bool alongAxis = axis == 0 ? end.y == start.y : end.x == start.x;
        if (!alongAxis)
        {
            continue;
        }
        LLayoutDescriptor::AxisPosition position;
        LLayoutDescriptor::AxisSize size;
        layout->GetAxis(axis, position, size);
        const double center = position.Abs + size.Abs / 2;
        PlaceBounds(mLowRangeBounds, axis, center);
        PlaceBounds(mHighRangeBounds, axis, center);
    }
}

double LCenteredSlider::ApplyValue(double value)
{
    const double applied = LSlider::ApplyValue(value);
    // A value set while the slider initialises (the skin's "INITIAL_VALUE") comes before the thumb
    // exists; Initialize places the bounds once it does.
    if (mCenteredHandler != nullptr)
    {
        SetBoundsPosFromThumbPos();
    }
    return applied;
}

ZQRESULT LCenteredSlider::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mCenteredHandler != nullptr)
    {
        const ZQRESULT handled = mCenteredHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LSlider::ReceiveNotification(source, notification);
}

ZQRESULT LCenteredSlider::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                     NotificationID id)
{
    if (mCenteredHandler != nullptr)
    {
        mCenteredHandler->RemoveCallback(source.Get(), id);
    }
    return LSlider::RemoveNotificationCallback(source, id);
}

ZQRESULT LCenteredSlider::Initialize()
{
    if (LSlider::Initialize() < 0)
    {
        return E_FAIL;
    }
    mCenteredHandler = LNotificationHandler<LCenteredSlider>::Create(this);
    mLowRangeBounds = FindChild(u"lowRangeBounds");
    mHighRangeBounds = FindChild(u"highRangeBounds");
    for (const RCPtr<LControl>& bounds : {mLowRangeBounds, mHighRangeBounds})
    {
        if (bounds == nullptr)
        {
            continue;
        }
        // Presses and drags over the filled stretch reach the slider and its thumb.
        bounds->SetSkipInHitTest(true);
        if (const RCPtr<LControl> fill = bounds->FindChild(u"fill"); fill != nullptr)
        {
            fill->SetSkipInHitTest(true);
        }
    }
    if (GetThumb() != nullptr)
    {
        mCenteredHandler->AddCallback(&LCenteredSlider::OnThumbMouseMove,
                                      RCPtr<LNotificationDistributor>(GetThumb()), kNidMouseMove);
    }
    SetBoundsPosFromThumbPos();
    return 0;
}

ZQRESULT LCenteredSlider::OnThumbMouseMove(const RCPtr<LNotificationDistributor>& /*source*/,
                                           const RCPtr<LNotification>& /*notification*/)
{
    SetBoundsPosFromThumbPos();
    return 0;
}

void LCenteredSlider::PlaceBounds(const RCPtr<LControl>& bounds, int32_t axis, double center)
{
    if (bounds == nullptr || bounds->GetLayout() == nullptr)
    {
        return;
    }
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    bounds->GetLayout()->GetAxis(axis, position, size);
    position.Abs = center;
    bounds->SetAxisPlacement(axis, position, size);
}
} // namespace ZQ
