#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Notification/Forward.h"
#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"

#include <cstdint>

namespace ZQ
{
// How a left drag moves its control; the values are SetDragMode's modes.
enum class DragMode : int32_t
{
    None = 0,            // no drag: a press and release is a click
    DragDrop = 1,        // carried over drop targets, floating above its parent
    Move = 2,            // moved inside the parent's visible area
    MoveScrolling = 3,   // moved, the parent scrolling while the pointer is near its edges
    Resize = 4,          // the edges the flags name follow the pointer
    ResizeScrolling = 5, // resized, the parent scrolling near its edges
    Pan = 6,             // the control's own content follows the pointer and coasts after a fast release
};

// The press and drag state of one control: where the button went down, how a left drag moves the control
// and what the drag measured on the way. The arithmetic of a drag lives here over plain values; the
// control gathers those values from its tree (its parent's visible area, its layout, its scroll range)
// and applies the results. A plain member of LControl; UI thread. Axis 0 is X, 1 is Y.
class DragState
{
public:
    // SetDragMode's flags: the axes a move or a pan follows, and the edges a resize takes.
    static constexpr uint32_t kMoveX = 0x1;
    static constexpr uint32_t kMoveY = 0x2;
    static constexpr uint32_t kRightEdge = 0x4;
    static constexpr uint32_t kLeftEdge = 0x8;
    static constexpr uint32_t kTopEdge = 0x10;
    static constexpr uint32_t kBottomEdge = 0x20;

    // What the drag started from: the control's size, the parent's scroll offset and the four absolute
    // layout values.
    struct Start
    {
        PointT<double> Size;
        PointT<double> ParentScrollOffset;
        double XPositionAbs = 0;
        double YPositionAbs = 0;
        double XSizeAbs = 0;
        double YSizeAbs = 0;
    };
    // A drag and drop under way: what the control gave up to float, and the target under the pointer.
    struct Drop
    {
        bool WasClipped = false;
        bool XUndocked = false;
        bool YUndocked = false;
        RCPtr<LControl> Target;
        intptr_t PreviousCursor = 0;
    };
    // Both axes' placement rules, each position with its axis's docked flag.
    struct Placement
    {
        LLayoutDescriptor::AxisPosition XPosition;
        LLayoutDescriptor::AxisSize XSize;
        LLayoutDescriptor::AxisPosition YPosition;
        LLayoutDescriptor::AxisSize YSize;
    };
    // Per axis, how deep the pointer is in an edge margin (-1: in none) and whether that edge is the
    // start edge (left or top).
    struct EdgeDepth
    {
        double Depth[2] = {-1, -1};
        bool TowardStart[2] = {false, false};
    };

    // Pixels from an edge within which a drag scrolls, and the scroll speed per pixel into that margin.
    static constexpr double kEdgeMargin = 30.0;
    static constexpr double kEdgeSpeedPerPixel = 15.0;

    DragState();
    ~DragState();
    DragState(const DragState&) = delete;
    DragState& operator=(const DragState&) = delete;

    // --- Mode ---

    // Any number is kept as given; only DragMode's values drag.
    void SetMode(int32_t mode, uint32_t flags);
    // A new left press starts without a mode; the press's handlers may set one.
    void ClearMode() { mMode = DragMode::None; }
    [[nodiscard]] DragMode GetMode() const { return mMode; }
    [[nodiscard]] uint32_t GetFlags() const { return mFlags; }
    [[nodiscard]] bool Is(DragMode mode) const { return mMode == mode; }
    // Whether a left drag moves the control or its content at all.
    [[nodiscard]] bool HasMode() const { return mMode != DragMode::None; }
    // Whether the mode is one of the dragging modes (DragDrop to Pan).
    [[nodiscard]] bool IsDragging() const;
    [[nodiscard]] bool IsResizing() const { return Is(DragMode::Resize) || Is(DragMode::ResizeScrolling); }
    [[nodiscard]] bool IsEdgeScrolling() const
    {
        return Is(DragMode::MoveScrolling) || Is(DragMode::ResizeScrolling);
    }

    // --- Press ---

    // The press at point (in the parent's content coordinates) starts a new measure.
    void Press(const PointT<double>& point);
    [[nodiscard]] const PointT<double>& GetPressPoint() const { return mPressPoint; }
    // The last left press, kept until the capture ends.
    void SetLastLeftPress(const RCPtr<LMouseButtonParam>& param);
    [[nodiscard]] const RCPtr<LMouseButtonParam>& GetLastLeftPress() const { return mLastLeftButtonDown; }
    // Pixels the pointer must move with a button down before a drag starts (0: at the press). E_INVALIDARG
    // for a negative value, else 0.
    ZQRESULT SetThreshold(int32_t pixels);
    [[nodiscard]] int32_t GetThreshold() const { return mThreshold; }
    // Whether a pointer at (x, y) in the control's coordinates is far enough from the press, with the
    // control at origin in its parent's content.
    [[nodiscard]] bool PassesThreshold(int32_t x, int32_t y, const PointT<double>& origin) const;
    // The press point in the control's coordinates, with the control at origin.
    [[nodiscard]] PointT<int32_t> PressInControl(const PointT<double>& origin) const;

    // --- Moving ---

    [[nodiscard]] const PointT<double>& GetDisplacement() const { return mDisplacement; }
    // The pointer's displacement from the press, pointer in the parent's content coordinates.
    [[nodiscard]] PointT<double> DisplacementTo(const PointT<double>& pointer) const;
    // The pointer stays where it is and the drag measures from there.
    void MoveOriginToPointer();
    // The drag starts from the control's size, the parent's scroll offset and placement's absolute values.
    void RecordStart(const PointT<double>& size, const PointT<double>& parentScrollOffset,
                     const Placement& placement);
    [[nodiscard]] const Start& GetStart() const { return mStart; }
    // Every mode but DragDrop keeps the pointer inside limits (the parent's visible area as the control
    // narrows it); modes below Pan clamp the displacement so, a resize keeping at least one pixel. The
    // edge-scrolling modes measure in edges how deep the pointer is in the visible area's edge margins,
    // on the axes their flags name; a margin shrinks by as much as the limits reach beyond the area.
    void LimitDisplacement(PointT<double>& displacement, const RectT<double>& visible,
                           const RectT<double>& limits, EdgeDepth& edges) const;
    // Moves or resizes (modes DragDrop to ResizeScrolling): stores displacement and returns placement with
    // the flagged rules moved from the start values. A docked position already follows the parent's
    // scroll offset, so only the pointer's move is added there.
    [[nodiscard]] Placement Place(const PointT<double>& displacement, Placement placement,
                                  const PointT<double>& parentScrollOffset);
    // Pan: offset moves against the pointer's move on the flagged axes, clamped to range (spanning
    // [x, x + width] and [y, y + height]); the pointer's speed is measured from the time since the
    // previous move. Whether offset changed.
    bool Pan(const PointT<double>& displacement, const RectT<double>& range, PointT<double>& offset);

    // --- Times and speed ---

    // The capture began at now: the speed is measured afresh.
    void BeginMeasure(uint32_t now);
    // A move arrived at now; FinishMove after it has been handled.
    void NoteMove(uint32_t now) { mLastMoveTime = now; }
    void FinishMove() { mPreviousMoveTime = mLastMoveTime; }
    // The button went up at now. Per axis the speed a pan keeps when the release came soon enough after
    // the last move and the pointer was fast enough on a flagged axis, else 0.
    [[nodiscard]] PointT<double> Release(uint32_t now);
    // Whether a coasting scroll has had its time at full speed by now.
    [[nodiscard]] bool CoastOver(uint32_t now) const;

    // --- Drag and drop ---

    [[nodiscard]] Drop& GetDrop() { return mDrop; }

private:
    // The fields in the order the control's own rows had them.
    RCPtr<LMouseButtonParam> mLastLeftButtonDown;
    PointT<double> mPressPoint;
    Start mStart;
    Drop mDrop;
    DragMode mMode = DragMode::None;
    uint32_t mFlags = 0;
    PointT<double> mDisplacement;
    int32_t mThreshold = 1;
    uint32_t mLastMoveTime = 0;
    uint32_t mPressTime = 0;
    uint32_t mPreviousMoveTime = 0;
    uint32_t mReleaseTime = 0;
    // The pointer's speed during a drag, per axis, in pixels per second.
    PointT<double> mSpeed;
};
} // namespace ZQ
