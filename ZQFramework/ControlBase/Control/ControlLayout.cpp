// The layout members of the control: placing a control from its layout copy and cascading the result
// through its children, its later siblings and its parent.
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Control/LayoutEngine.h"
#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Renderer/FontText.h"

#include <cmath>
#include <utility>

namespace ZQ
{
namespace
{
constexpr double kSizeChangeThreshold = 2.2e-15;

// The engine's view of one control: its parent (or, for a top control, the screen and its root window),
// its siblings, its children and its default look's label.
class ControlLayoutContext final : public ILayoutContext
{
public:
    explicit ControlLayoutContext(const LControl& control) : mControl(control) {}

    bool GetReferences(References& references) override
    {
        const RCPtr<LControl>& parent = mControl.GetParent();
        if (parent == nullptr)
            return GetTopReferences(references);
        const RectT<double> client = parent->GetLookRect(-1);
        references.Parent = {-client.x, -client.y, parent->GetRect().width, parent->GetRect().height};
        references.Client = {0, 0, client.width, client.height};
        references.Scroll = parent->GetScrollOffset();
        return true;
    }

    bool FindSibling(const WString& name, RectT<double>& rect, bool& xDocked, bool& yDocked) override
    {
        if (mControl.GetParent() == nullptr)
        {
            // A top control's rules that name another control point at the pointer (pop-ups).
            rect = {mPointer.x, mPointer.y, 0, 0};
            xDocked = yDocked = false;
            return true;
        }
        const RCPtr<LControl> sibling = mControl.GetParent()->FindChild(name);
        if (sibling == nullptr)
            return false;
        rect = sibling->GetRect();
        const RCPtr<LLayoutDescriptor>& layout = sibling->GetLayout();
        xDocked = layout != nullptr && layout->mXDocked;
        yDocked = layout != nullptr && layout->mYDocked;
        return true;
    }

    bool HasChildren() override { return mControl.GetChildren().GetCount() > 0; }

    double GetChildrenExtent(const WString& name, int32_t axis) override
    {
        const auto count = static_cast<int32_t>(mControl.GetChildren().GetCount());
        if (name == u"Children")
            return mControl.GetChildrenExtent(0, count - 1, axis);
        const int32_t index = mControl.GetChildren().FindLastByName(name);
        return index < 0 ? 0 : mControl.GetChildrenExtent(index, index, axis);
    }

    bool GetTextArea(double width, double height, TextArea& area) override
    {
        mTextLook = mControl.GetLook(-1);
        if (mTextLook == nullptr || mTextLook->GetTextLayout() == nullptr ||
            mTextLook->GetDescriptor() == nullptr)
            return false;
        const LLookDescriptor::TextProperties& text = mTextLook->GetDescriptor()->mText;
        const auto w = static_cast<float>(width);
        const auto h = static_cast<float>(height);
        area.Width = (text.RightAbs + text.RightRel * w) - (text.LeftAbs + text.LeftRel * w);
        area.Height = (text.BottomAbs + text.BottomRel * h) - (text.TopAbs + text.TopRel * h);
        area.LeftFactor = text.LeftRel;
        area.RightFactor = text.RightRel;
        area.TopFactor = text.TopRel;
        area.BottomFactor = text.BottomRel;
        return true;
    }

    int32_t GetTextWidth() override { return mTextLook->GetTextLayout()->GetNaturalWidth(); }
    int32_t GetTextHeight(int32_t width) override
    {
        return mTextLook->GetTextLayout()->GetHeightForWidth(width);
    }
    void SetTextWrap(bool wrap) override { mTextLook->GetTextLayout()->SetWordWrap(wrap); }

private:
    // The screen is the work area and the client area the root window's, both in the window's client
    // coordinates, as is the pointer. The root window is the control's own, else the application's active
    // one, else its first one; one that is not an LRootWindow (a stand-in) puts the client area at the
    // screen's origin with the control's own size.
    bool GetTopReferences(References& references)
    {
        IControlApplication* application = IControlApplication::GetCurrent();
        RCPtr<LRefCountedObject> rootWindow = mControl.GetRootWindowObject();
        if (rootWindow == nullptr && !mControl.IsCreated() && application != nullptr)
        {
            rootWindow = application->GetActiveRootWindow();
            if (rootWindow == nullptr)
                rootWindow = application->GetFirstRootWindow();
        }
        if (rootWindow == nullptr || application == nullptr)
            return false;
        const RectT<int32_t> workArea = application->GetWorkArea();
        // The screen and the pointer in the window's client coordinates.
        PointT<double> clientOrigin;
        if (const RCPtr<LRootWindow> window(rootWindow); window != nullptr)
        {
            const RectT<int32_t> screen = window->GetScreenRect();
            clientOrigin = {static_cast<double>(screen.x), static_cast<double>(screen.y)};
            references.Client = {0, 0, static_cast<double>(screen.width), static_cast<double>(screen.height)};
        }
        else
        {
            references.Client = {0, 0, mControl.GetRect().width, mControl.GetRect().height};
        }
        references.Parent = {-clientOrigin.x, -clientOrigin.y, static_cast<double>(workArea.width),
                             static_cast<double>(workArea.height)};
        references.Scroll = {};
        const PointT<double> pointer = application->GetPointerScreenPosition().ToDouble();
        mPointer = {pointer.x - clientOrigin.x, pointer.y - clientOrigin.y};
        return true;
    }

    const LControl& mControl;
    RCPtr<LLook> mTextLook;
    PointT<double> mPointer;
};

LLayoutDescriptor::AxisPosition& PositionOf(LLayoutDescriptor& layout, int32_t axis)
{
    return axis == 0 ? layout.mXPosition : layout.mYPosition;
}

LLayoutDescriptor::AxisSize& SizeOf(LLayoutDescriptor& layout, int32_t axis)
{
    return axis == 0 ? layout.mXSize : layout.mYSize;
}

bool& DockedOf(LLayoutDescriptor& layout, int32_t axis)
{
    return axis == 0 ? layout.mXDocked : layout.mYDocked;
}

// A top control stands for its native window's client area: the window is moved and sized onto the
// control's rectangle (the root window skips a rectangle it already has).
void FitWindowToControl(const LControl& control)
{
    const RCPtr<LRootWindow> window = control.GetRootWindow();
    if (window == nullptr)
        return;
    const RectT<int32_t> screen = window->GetScreenRect();
    const RectT<double>& rect = control.GetRect();
    window->SetWindowRect({RoundToLong(screen.x + rect.x), RoundToLong(screen.y + rect.y),
                           RoundToLong(rect.width), RoundToLong(rect.height)});
}

// Rules may name earlier siblings: after a control moved, the siblings stored after it are laid out again
// in order while they stay where they were; the first one that moves carries the cascade on itself.
void LayOutLaterSiblings(const LControl& control)
{
    LControl::ChildControlList& siblings = control.GetParent()->GetChildren();
    const int32_t index = siblings.FindLast(&control);
    if (index < 0)
        return;
    for (auto i = static_cast<uint32_t>(index) + 1; i < siblings.GetCount(); ++i)
    {
        const RCPtr<LControl> sibling = siblings.GetAt(i, LControl::ChildControlList::kStorageOrder);
        if (sibling->UpdateLayout() == 0)
            break;
    }
}
} // namespace

LayoutResult LControl::ComputeLayoutRect() const
{
    if (mParent == nullptr && mCreated && mRootWindow == nullptr)
        return {E_FAIL, false, {}, {}};
    ControlLayoutContext context(*this);
    return ComputeLayout(mLayout.Get(), context);
}

ZQRESULT LControl::UpdateLayout()
{
    if (mLayout == nullptr)
        return E_FAIL;
    const LayoutResult result = ComputeLayoutRect();
    if (!result.Placed)
        return E_FAIL;
    return SetRect(result.Rect);
}

ZQRESULT LControl::GetLayoutSize(PointT<double>& size)
{
    size = {};
    if (mLayout == nullptr)
        return E_FAIL;
    const bool measuring = std::exchange(mMeasuringLayout, true);
    for (int32_t axis = 0; axis < 2; ++axis)
    {
        LLayoutDescriptor::AxisSize& rule = SizeOf(*mLayout, axis);
        const LLayoutDescriptor::AxisSize saved = rule;
        rule.ToControl = LLayoutDescriptor::kSizeSelf;
        rule.Rel = 0;
        rule.Abs = 0;
        UpdateLayout();
        (axis == 0 ? size.x : size.y) = axis == 0 ? mRect.width : mRect.height;
        SizeOf(*mLayout, axis) = saved;
        UpdateLayout();
    }
    mMeasuringLayout = measuring;
    return 0;
}

ZQRESULT LControl::GetMaximumSize(PointT<double>& size)
{
    size = {};
    if (mLayout == nullptr)
        return E_FAIL;
    size.x = mLayout->mXMaximum.ToOther ? 0 : mLayout->mXMaximum.Abs;
    size.y = mLayout->mYMaximum.ToOther ? 0 : mLayout->mYMaximum.Abs;
    return 0;
}

bool LControl::SetClipToParent(bool clip)
{
    if (mLayout == nullptr)
        return true;
    if (mLayout->mClipToParent == clip)
        return clip;
    const RectT<double> area{0, 0, mRect.width, mRect.height};
    // Switching on: the control may have been drawn outside its parent, so that area goes first.
    if (clip)
        Invalidate(area, false);
    mLayout->mClipToParent = clip;
    if (mParent != nullptr)
    {
        mParent->mChildren.IncrementChangeCount();
        mParent->AdjustUnclippedCount(clip ? -1 : 1);
    }
    if (!clip)
        Invalidate(area, false);
    return clip;
}

bool LControl::SetAxisPlacement(int32_t axis, const LLayoutDescriptor::AxisPosition& position,
                                const LLayoutDescriptor::AxisSize& size)
{
    if (mLayout == nullptr || (axis != 0 && axis != 1))
        return true;
    if (DockedOf(*mLayout, axis) != position.Docked && mParent != nullptr)
        mParent->mChildren.IncrementChangeCount();
    PositionOf(*mLayout, axis) = position;
    DockedOf(*mLayout, axis) = position.Docked;
    SizeOf(*mLayout, axis) = size;
    UpdateLayout();
    LLayoutDescriptor::AxisPosition storedPosition;
    LLayoutDescriptor::AxisSize storedSize;
    mLayout->GetAxis(axis, storedPosition, storedSize);
    return !(storedPosition == position && storedSize == size);
}

bool LControl::SetAxisPlacement(const LLayoutDescriptor::AxisPosition& xPosition,
                                const LLayoutDescriptor::AxisSize& xSize,
                                const LLayoutDescriptor::AxisPosition& yPosition,
                                const LLayoutDescriptor::AxisSize& ySize)
{
    if (mLayout == nullptr)
        return true;
    if ((mLayout->mXDocked != xPosition.Docked || mLayout->mYDocked != yPosition.Docked) &&
        mParent != nullptr)
        mParent->mChildren.IncrementChangeCount();
    mLayout->mXPosition = xPosition;
    mLayout->mXDocked = xPosition.Docked;
    mLayout->mXSize = xSize;
    mLayout->mYPosition = yPosition;
    mLayout->mYDocked = yPosition.Docked;
    mLayout->mYSize = ySize;
    UpdateLayout();
    LLayoutDescriptor::AxisPosition position[2];
    LLayoutDescriptor::AxisSize size[2];
    mLayout->GetAxis(0, position[0], size[0]);
    mLayout->GetAxis(1, position[1], size[1]);
    return !(position[0] == xPosition && size[0] == xSize && position[1] == yPosition && size[1] == ySize);
}

bool LControl::SetAxisLimits(int32_t axis, const LLayoutDescriptor::AxisLimit& minimum,
                             const LLayoutDescriptor::AxisLimit& maximum)
{
    if (mLayout == nullptr || (axis != 0 && axis != 1))
        return true;
    (axis == 0 ? mLayout->mXMinimum : mLayout->mYMinimum) = minimum;
    (axis == 0 ? mLayout->mXMaximum : mLayout->mYMaximum) = maximum;
    UpdateLayout();
    LLayoutDescriptor::AxisLimit storedMinimum, storedMaximum;
    mLayout->GetAxisLimits(axis, storedMinimum, storedMaximum);
    return !(storedMinimum == minimum && storedMaximum == maximum);
}

bool LControl::SetAxisLimits(const LLayoutDescriptor::AxisLimit& xMinimum,
                             const LLayoutDescriptor::AxisLimit& xMaximum,
                             const LLayoutDescriptor::AxisLimit& yMinimum,
                             const LLayoutDescriptor::AxisLimit& yMaximum)
{
    if (mLayout == nullptr)
        return true;
    mLayout->mXMinimum = xMinimum;
    mLayout->mXMaximum = xMaximum;
    mLayout->mYMinimum = yMinimum;
    mLayout->mYMaximum = yMaximum;
    UpdateLayout();
    return !(mLayout->mXMinimum == xMinimum && mLayout->mXMaximum == xMaximum &&
             mLayout->mYMinimum == yMinimum && mLayout->mYMaximum == yMaximum);
}

ZQRESULT LControl::SetRect(const RectT<double>& rect)
{
    if (rect == mRect)
        return 1;
    // Callers may hold the control only through the tree that this cascade re-lays.
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : RCPtr<LControl>();
    BeginUpdate();
    InvalidateWhole();
    const bool resized = std::fabs(rect.width - mRect.width) >= kSizeChangeThreshold ||
                         std::fabs(rect.height - mRect.height) >= kSizeChangeThreshold;
    mRect = rect;
    const int32_t width = RoundToLong(mRect.width);
    const int32_t height = RoundToLong(mRect.height);
    for (uint32_t i = 0; i < mLooks.GetCount(); ++i)
        if (const RCPtr<LLook>& look = mLooks.GetAt(i); look != nullptr)
            look->SetSize(width, height);
    InvalidateWhole();

    if (resized && !mInLayout)
    {
        mInLayout = true;
        for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
        {
            const RCPtr<LControl> child = mChildren.GetAt(i, ChildControlList::kStorageOrder);
            child->OnSize(width, height);
        }
        // The minimum and maximum may depend on the children just laid out.
        UpdateLayout();
        mInLayout = false;
    }
    EndUpdate();

    if (mParent != nullptr)
    {
        const RCPtr<LControl> parent = mParent;
        LayOutLaterSiblings(*this);
        parent->OnChildRectChanged(self);
        if ((mRect.width <= 0 || mRect.height <= 0) &&
            (mConditionFlags.Focused || mConditionFlags.ContainsFocus))
            parent->SetFocus(true);
    }
    else if (!mMeasuringLayout)
    {
        FitWindowToControl(*this);
    }
    return 0;
}

void LControl::OnScrollOffsetChanged()
{
    if (mLayout != nullptr && (mLayout->mXDocked || mLayout->mYDocked))
        UpdateLayout();
}

ZQRESULT LControl::OnSize(int32_t /*width*/, int32_t /*height*/)
{
    return UpdateLayout();
}

double LControl::GetChildrenExtent(int32_t first, int32_t last, int32_t axis) const
{
    const RectT<double> client = GetLookRect(-1);
    const RCPtr<LLook> look = GetLook(-1);
    const double lookSize = look != nullptr ? (axis == 0 ? look->GetWidth() : look->GetHeight())
                                            : (axis == 0 ? mRect.width : mRect.height);
    ChildrenExtentFrame frame;
    frame.ClientStart = axis == 0 ? client.x : client.y;
    frame.Scroll = mScrollOffset.OnAxis(axis);
    frame.FarMargin = lookSize - (axis == 0 ? client.width : client.height) - frame.ClientStart;
    return ComputeChildrenExtent(
        first, last, frame,
        [&](int32_t index)
        {
            const RCPtr<LControl>& child =
                mChildren.GetAt(static_cast<uint32_t>(index), ChildControlList::kStorageOrder);
            const RectT<double>& rect = child->GetRect();
            return ChildSpan{axis == 0 ? rect.x : rect.y, axis == 0 ? rect.width : rect.height,
                             child->IsClippedToParent()};
        });
}

void LControl::OnChildRectChanged(const RCPtr<LControl>& child)
{
    if (!mInLayout)
        UpdateLayout();
    InvalidateBufferedChild(child);
}
} // namespace ZQ
