#include "ZQFramework/Controls/Containers/ScrollView.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Controls/Sliders/ScrollBar.h"
#include "ZQFramework/Notification/AutoNotificationDisabler.h"
#include "ZQFramework/Notification/KeyCode.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"

#include <algorithm>
#include <cmath>

namespace ZQ
{
namespace
{
constexpr double kUnbounded = 4503599627370496.0; // 2^52
constexpr double kExtentTolerance = 2.220446049250313e-15;
constexpr int32_t kLinear = 0;

// Sets flag for the lifetime of the guard and puts the previous value back.
class FlagGuard
{
public:
    explicit FlagGuard(bool& flag) : mFlag(flag), mPrevious(flag) { mFlag = true; }
    ~FlagGuard() { mFlag = mPrevious; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& mFlag;
    bool mPrevious;
};

bool IsTrueTrimmed(const WString& text)
{
    WString value = text;
    return value.Trim().ToLower() == u"true";
}

double ClientLength(const RectT<double>& client, int32_t axis)
{
    return axis == 0 ? client.width : client.height;
}

bool IsDockedOn(const LControl& control, int32_t axis)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    return layout != nullptr && (axis == 0 ? layout->mXDocked : layout->mYDocked);
}
} // namespace

LScrollView::LScrollView(CreateKey /*key*/, const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LScrollView::~LScrollView() = default;

// --- Added operations ---

void LScrollView::OnClientExtentChanged()
{
    UpdateScrollBars();
}

void LScrollView::OnClientRectChanged()
{
}

void LScrollView::OnScrollBarVisibilityChanged(int32_t /*axis*/)
{
}

// --- Own operations ---

ZQRESULT LScrollView::SetClientExtent(double width, double height)
{
    if (std::fabs(width - mClientExtent.x) <= kExtentTolerance &&
        std::fabs(height - mClientExtent.y) <= kExtentTolerance)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    mClientExtent = {width, height};
    OnClientExtentChanged();
    Notify(LNotification::Create(kNidClientExtentChange));
    return 0;
}

ZQRESULT LScrollView::SetAutoClientExtent(int32_t mode, int32_t marginX, int32_t marginY)
{
    mAutoClientExtent = mode;
    mAutoExtentMargin = {marginX, marginY};
    ApplyAutoClientExtent();
    return 0;
}

PointT<double> LScrollView::GetScrollBarThickness() const
{
    if (mCorner != nullptr)
    {
        return {mCorner->GetRect().width, mCorner->GetRect().height};
    }
    return {mVBar != nullptr ? mVBar->GetRect().width : 0.0,
            mHBar != nullptr ? mHBar->GetRect().height : 0.0};
}

bool LScrollView::IsScrollBarShown(int32_t axis) const
{
    const RCPtr<LScrollbar>& bar = BarOf(axis);
    return bar != nullptr && bar->IsVisible(false);
}

double LScrollView::LineUnitOf(int32_t axis) const
{
    // A unit of 0 or less would divide by nothing: it counts as one pixel.
    return mLineUnit[axis] > 0 ? mLineUnit[axis] : 1.0;
}

void LScrollView::UpdateScrollBarRanges()
{
    UpdateBarRange(0);
    UpdateBarRange(1);
}

void LScrollView::UpdateBarRange(int32_t axis)
{
    const RCPtr<LScrollbar> bar = BarOf(axis);
    if (bar == nullptr || bar->GetParent() == nullptr)
    {
        return;
    }
    RectT<double> client;
    GetClientRect(client);
    const double length = ClientLength(client, axis);
    const double extent = mClientExtent.OnAxis(axis);
    if (mLineMode[axis] == 0)
    {
        float proportion = 1;
        float page = 1;
        if (extent > length)
        {
            proportion = static_cast<float>(length) / static_cast<float>(extent);
            page = std::clamp(static_cast<float>(length) / static_cast<float>(extent - length), 0.0f, 1.0f);
        }
        bar->SetRange(0, extent - length, kLinear);
        bar->SetThumbProportion(proportion);
        bar->UpdateThumbLength();
        bar->SetPageStep(page);
        bar->SetLineStep(static_cast<double>(page) / 10);
        GetClientRect(client);
        const double offset =
            std::max(0.0, std::round((extent - ClientLength(client, axis)) * bar->GetValue()));
        if (offset != mScrollOffset.OnAxis(axis))
        {
            PointT<double> scrolled = mScrollOffset;
            scrolled.OnAxis(axis) = offset;
            SetScrollOffset(scrolled);
        }
        return;
    }
    const double unit = LineUnitOf(axis);
    const double total = std::trunc(extent / unit);
    const double visible = std::trunc(length / unit);
    const double lineStep = total > visible ? 1.0 / (total - visible) : 1.0;
    bar->SetLineStep(lineStep);
    bar->SetPageStep(std::min(1.0, visible * lineStep));
    bar->SetThumbProportion(total > visible ? visible / total : 1.0);
    bar->UpdateThumbLength();
    const double lines = bar->ScaleValue(bar->GetValue());
    const double maximum = std::max(0.0, total - visible);
    bar->SetRange(0, maximum, kLinear);
    bar->SetValue(bar->UnscaleValue(std::min(lines, maximum)));
}

ZQRESULT LScrollView::UpdateScrollBars()
{
    if (mUpdatingBars)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const FlagGuard updating(mUpdatingBars);
    const PointT<double> taken = GetScrollBarThickness();
    const bool vTaken = taken.x > 0;
    const bool hTaken = taken.y > 0;
    RectT<double> client;
    GetClientRect(client);
    // The room with no bars shown.
    const double roomWidth = client.width + (vTaken ? mVBarWidth : 0.0);
    const double roomHeight = client.height + (hTaken ? mHBarHeight : 0.0);
    ApplyAutoClientExtent();

    bool needV = roomHeight < mClientExtent.y;
    const bool needH = roomWidth - (needV ? mVBarWidth : 0.0) < mClientExtent.x;
    if (needH && !needV)
    {
        needV = roomHeight - mHBarHeight < mClientExtent.y;
    }
    ShowScrollBar(1, needV);
    ShowScrollBar(0, needH);
    UpdateScrollBarRanges();
    if (IsScrollBarShown(1) != vTaken)
    {
        OnScrollBarVisibilityChanged(1);
    }
    if (IsScrollBarShown(0) != hTaken)
    {
        OnScrollBarVisibilityChanged(0);
    }
    RectT<double> now;
    GetClientRect(now);
    if (now != client)
    {
        OnClientRectChanged();
    }
    ApplyAutoClientExtent();
    return 0;
}

void LScrollView::ShowScrollBar(int32_t axis, bool show)
{
    const RCPtr<LScrollbar> bar = BarOf(axis);
    if (bar == nullptr || IsScrollBarShown(axis) == show)
    {
        return;
    }
    const RCPtr<LControl> target = mCorner != nullptr ? mCorner : RCPtr<LControl>(bar);
    const RCPtr<LLayoutDescriptor> layout = target->GetLayout();
    if (layout == nullptr)
    {
        return;
    }
    const int32_t crossAxis = axis == 0 ? 1 : 0;
    LLayoutDescriptor::AxisPosition position;
    LLayoutDescriptor::AxisSize size;
    layout->GetAxis(crossAxis, position, size);
    const double thickness = axis == 0 ? mHBarHeight : mVBarWidth;
    size = LLayoutDescriptor::AxisSize{};
    size.ToControl = LLayoutDescriptor::kSizeSelf;
    size.Abs = show ? std::trunc(thickness) : 0.0;
    target->SetAxisPlacement(crossAxis, position, size);
}

ZQRESULT LScrollView::ApplyAutoClientExtent()
{
    if (mAutoClientExtent == 0)
    {
        return 1;
    }
    const PointT<double> children = GetChildrenExtent();
    const double width = std::clamp(children.x + mAutoExtentMargin.x, -kUnbounded, kUnbounded);
    const double height = std::clamp(children.y + mAutoExtentMargin.y, -kUnbounded, kUnbounded);
    switch (mAutoClientExtent)
    {
    case 1:
        return SetClientExtent(width, mClientExtent.y);
    case 2:
        return SetClientExtent(mClientExtent.x, height);
    case 3:
        return SetClientExtent(width, height);
    default:
        return 0;
    }
}

ZQRESULT LScrollView::BindScrollBars()
{
    const double previousVBarWidth = mVBarWidth;
    const double previousHBarHeight = mHBarHeight;
    mVBarWidth = 0;
    mHBarHeight = 0;
    if (mCorner != nullptr && mCorner->GetDescriptor() != nullptr &&
        mCorner->GetDescriptor()->mLayout != nullptr)
    {
        // The skin's size, not the current one: a hidden bar has set the corner's size to 0.
        const LLayoutDescriptor& skinLayout = *mCorner->GetDescriptor()->mLayout;
        mVBarWidth = skinLayout.mXSize.Abs;
        mHBarHeight = skinLayout.mYSize.Abs;
    }
    for (const RCPtr<LScrollbar>& bar : {mHBar, mVBar})
    {
        if (bar == nullptr)
        {
            continue;
        }
        if (!IsCreated() && mViewHandler != nullptr)
        {
            mViewHandler->AddCallback(&LScrollView::OnScrollBarValueChange,
                                      RCPtr<LNotificationDistributor>(bar), kNidValueChange);
        }
        double& thickness = bar == mHBar ? mHBarHeight : mVBarWidth;
        if (thickness == 0)
        {
            thickness = bar == mHBar ? bar->GetRect().height : bar->GetRect().width;
        }
        if (thickness == 0)
        {
            // A bar that this view has hidden is 0 thick now; binding it again keeps the thickness it had,
            // or it could never be shown again.
            thickness = bar == mHBar ? previousHBarHeight : previousVBarWidth;
        }
    }
    UpdateScrollBars();
    return 0;
}

PointT<double> LScrollView::GetChildrenExtent() const
{
    PointT<double> extent{};
    const ChildControlList& children = GetChildren();
    for (uint32_t i = children.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl>& child = children.GetAt(i, ChildControlList::kStorageOrder);
        const RectT<int32_t> rect = child->GetRect().RoundToLong();
        if (!IsDockedOn(*child, 0))
        {
            extent.x = std::max(extent.x, static_cast<double>(rect.x) + rect.width);
        }
        if (!IsDockedOn(*child, 1))
        {
            extent.y = std::max(extent.y, static_cast<double>(rect.y) + rect.height);
        }
    }
    return extent;
}

// --- Control base operations ---

ZQRESULT LScrollView::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification)
{
    return DispatchClassFirst(*this, mViewHandler, source, notification);
}

ZQRESULT LScrollView::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                 NotificationID id)
{
    return RemoveClassCallback(*this, mViewHandler, source, id);
}

void LScrollView::BeginUpdate()
{
    mInUpdate = true;
    LControl::BeginUpdate();
}

void LScrollView::EndUpdate()
{
    LControl::EndUpdate();
    mInUpdate = false;
    ApplyAutoClientExtent();
    UpdateScrollBars();
}

void LScrollView::ScrollBufferedContent(const PointT<double>& oldOffset, const PointT<double>& newOffset)
{
    RectT<double> client;
    GetClientRect(client);
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const RCPtr<LScrollbar> bar = BarOf(axis);
        if (bar == nullptr)
        {
            continue;
        }
        const double maximum = std::max(0.0, mClientExtent.OnAxis(axis) - ClientLength(client, axis));
        const double value = maximum > 0 ? newOffset.OnAxis(axis) / maximum : 0.0;
        const RCPtr<LNotificationDistributor> source(bar);
        if (mViewHandler != nullptr && mViewHandler->HasCallback(source.Get(), kNidValueChange))
        {
            // The bar follows the offset; its change must not come back as a new offset.
            const CAutoNotificationDisabler<LScrollView> suspended(mViewHandler, source, kNidValueChange);
            bar->SetValue(value);
        }
        else
        {
            bar->SetValue(value);
        }
    }
    LControl::ScrollBufferedContent(oldOffset, newOffset);
}

void LScrollView::InvalidateBufferedChild(const RCPtr<LControl>& child)
{
    if (!AnyGuardSet() && child != nullptr)
    {
        if (IsDockedOn(*child, 0) && IsDockedOn(*child, 1))
        {
            UpdateScrollBars();
        }
        else
        {
            ApplyAutoClientExtent();
        }
    }
    LControl::InvalidateBufferedChild(child);
}

ZQRESULT LScrollView::GetMaximumSize(PointT<double>& size)
{
    size = {};
    if (mLayout == nullptr)
    {
        return E_FAIL;
    }
    const PointT<double> children = GetChildrenExtent();
    size.x = mLayout->mXMaximum.ToOther ? children.x : mLayout->mXMaximum.Abs;
    size.y = mLayout->mYMaximum.ToOther ? children.y : mLayout->mYMaximum.Abs;
    return 0;
}

ZQRESULT LScrollView::SetScrollOffset(const PointT<double>& offset)
{
    const FlagGuard setting(mSettingScrollOffset);
    return LControl::SetScrollOffset(offset);
}

ZQRESULT LScrollView::GetMaxScrollOffset(RectT<double>& range, const RCPtr<LControl>& /*child*/)
{
    RectT<double> client;
    GetClientRect(client);
    const auto maximum = [&](int32_t axis)
    {
        const double extent = mClientExtent.OnAxis(axis);
        return extent <= 0 ? kUnbounded : std::max(0.0, extent - ClientLength(client, axis));
    };
    range = {0, 0, maximum(0), maximum(1)};
    return 0;
}

ZQRESULT LScrollView::GetClientRect(RectT<double>& rect) const
{
    const RectT<double> look = GetLookRect(-1);
    const PointT<double> thickness = GetScrollBarThickness();
    double width = look.width;
    double height = look.height;
    if (IsScrollBarShown(1))
    {
        width -= thickness.x;
    }
    if (IsScrollBarShown(0))
    {
        height -= thickness.y;
    }
    // In the children's coordinates, as the control base gives it.
    rect = {0, 0, std::max(0.0, width), std::max(0.0, height)};
    return 0;
}

void LScrollView::OnConditionsChanged(const RCPtr<LConditionsParam>& /*conditions*/)
{
}

void LScrollView::OnChildrenChanged(const RCPtr<LControl>& child, int32_t index)
{
    LControl::OnChildrenChanged(child, index);
    if (GetRootWindowObject() != nullptr)
    {
        ApplyAutoClientExtent();
    }
}

ZQRESULT LScrollView::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (!IsCreated())
    {
        return LControl::ApplyDescriptor(descriptor);
    }
    const int32_t mode = mAutoClientExtent;
    mAutoClientExtent = 0;
    const ZQRESULT result = LControl::ApplyDescriptor(descriptor);
    BindScrollBars();
    mAutoClientExtent = mode;
    ApplyAutoClientExtent();
    UpdateScrollBars();
    EndUpdate();
    return result;
}

ZQRESULT LScrollView::OnMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    const bool horizontalShown = IsScrollBarShown(0);
    const bool verticalShown = IsScrollBarShown(1);
    if (param == nullptr || (!horizontalShown && !verticalShown))
    {
        return 1;
    }
    const bool alt = (param->mModifiers & KeyCode::kInputAlt) != 0;
    const bool horizontal = horizontalShown && (!verticalShown || alt);
    // Towards the user (0) scrolls on towards the end.
    return ScrollByWheel(horizontal ? mHBar : mVBar, param->mModifiers, param->mDirection == 0 ? 1.0 : -1.0);
}

ZQRESULT LScrollView::OnMouseHWheel(const RCPtr<LMouseWheelParam>& param)
{
    const bool horizontalShown = IsScrollBarShown(0);
    if (param == nullptr || (!horizontalShown && !IsScrollBarShown(1)))
    {
        return 1;
    }
    return ScrollByWheel(horizontalShown ? mHBar : mVBar, param->mModifiers,
                         param->mDirection == 2 ? 1.0 : -1.0);
}

ZQRESULT LScrollView::ScrollByWheel(const RCPtr<LScrollbar>& bar, uint32_t modifiers, double direction)
{
    const double step = (modifiers & KeyCode::kInputShift) != 0 ? bar->GetPageStep() : bar->GetLineStep();
    bar->SetValue(bar->GetValue() + direction * step);
    return 0;
}

ZQRESULT LScrollView::Initialize()
{
    const ZQRESULT result = LControl::Initialize();
    if (result < 0)
    {
        return result;
    }
    mViewHandler = LNotificationHandler<LScrollView>::Create(this);
    mCorner = FindChild(u"corner");
    mHBar = FindTypedChild<LScrollbar>(*this, u"hBar");
    mVBar = FindTypedChild<LScrollbar>(*this, u"vBar");
    return BindScrollBars();
}

ZQRESULT LScrollView::ProcessCreateParams()
{
    const ZQRESULT result = LControl::ProcessCreateParams();
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    if (descriptor == nullptr || descriptor->mCreateParams == nullptr)
    {
        return result;
    }
    int32_t mode = 0;
    WString text;
    if (descriptor->mCreateParams->GetString(u"AUTO_CLIENT_EXTENT_X", text) && IsTrueTrimmed(text))
    {
        mode |= 1;
    }
    text = WString();
    if (descriptor->mCreateParams->GetString(u"AUTO_CLIENT_EXTENT_Y", text) && IsTrueTrimmed(text))
    {
        mode |= 2;
    }
    mAutoClientExtent = mode;
    mAutoExtentMargin = {};
    ApplyAutoClientExtent();
    return result;
}

RectT<double> LScrollView::GetContentRect() const
{
    const RectT<double> look = GetLookRect(-1);
    const RectT<double> bounds = GetChildrenBounds();
    const double width = std::max(1.0, std::min(look.width, bounds.x + bounds.width));
    const double height = std::max(1.0, std::min(look.height, bounds.y + bounds.height));
    return {std::max(0.0, mScrollOffset.x), std::max(0.0, mScrollOffset.y), width, height};
}

// --- Helpers ---

ZQRESULT LScrollView::OnScrollBarValueChange(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>& /*notification*/)
{
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        const RCPtr<LScrollbar>& bar = BarOf(axis);
        if (bar == nullptr || source.Get() != static_cast<LNotificationDistributor*>(bar.Get()))
        {
            continue;
        }
        const double scaled = bar->ScaleValue(bar->GetValue());
        PointT<double> offset = mScrollOffset;
        offset.OnAxis(axis) =
            mLineMode[axis] == 0 ? std::round(scaled) : std::trunc(scaled) * LineUnitOf(axis);
        SetScrollOffset(offset);
    }
    return 1;
}
} // namespace ZQ
