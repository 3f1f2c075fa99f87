#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/KeyBindingTable.h"
#include "ZQFramework/ControlBase/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/UITarget.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Graphics/Region.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// Lets menus ask a control for the state of its items. Created by the control on first use and kept by
// it; its reference back to the control counts as an internal reference of the control, which the
// control's ReleaseInternalReferences gives back.
class LMenuItemUpdater : public LRefCountedObject
{
public:
    [[nodiscard]] static RCPtr<LMenuItemUpdater> Create(LControl* control);
    ~LMenuItemUpdater() override;

    [[nodiscard]] const RCPtr<LControl>& GetControl() const { return mControl; }
    // Drops the reference to the control (and with it the control's internal reference).
    void ClearControl();

private:
    explicit LMenuItemUpdater(LControl* control);

    RCPtr<LControl> mControl;
};

// The base of every control: a node of the control tree that holds its children and is held by its parent
// (or, for a top control, by the root window that shows it). It is placed by its layout, shows itself
// through looks, takes input through UITarget and talks to the program through named notifications, both
// as a distributor and as a client. Derived classes append their operations after the base's virtual
// operations. A control belongs to the UI thread; only its reference counts are interlocked.
//
// Ownership: children, looks, descriptor, layout copy, string table, font, context menu, conditions record,
// handler and menu-item updater are held by counted references. A child's reference to its parent also
// counts as an internal reference of the parent; the parent's ReleaseInternalReferences breaks that cycle.
class LControl : public virtual LNotificationClient,
                 public virtual LNotificationDistributor,
                 public virtual LTaggableObject,
                 public UITarget
{
public:
    // The children of one control in the order they were added (storage order, 0), with two further
    // orders sorted lazily on the first ordered access after a change: drawing order (1: clipped before
    // unclipped, fewer docked axes first, then ascending Z order) and tab order (2: ascending tab stop).
    // Ties go by storage index. A plain member of its owner; no lock (UI thread).
    class ChildControlList
    {
    public:
        static constexpr int32_t kStorageOrder = 0;
        static constexpr int32_t kZOrder = 1;
        static constexpr int32_t kTabOrder = 2;

        explicit ChildControlList(LControl* owner);
        virtual ~ChildControlList();
        ChildControlList(const ChildControlList&) = delete;
        ChildControlList& operator=(const ChildControlList&) = delete;

        [[nodiscard]] uint32_t GetCount() const { return mStorage.GetCount(); }
        // The child at index in the given order. Throws a runtime error for an index at or past the count
        // or for an unknown order.
        [[nodiscard]] const RCPtr<LControl>& GetAt(uint32_t index, int32_t order);
        [[nodiscard]] const RCPtr<LControl>& GetAt(uint32_t index, int32_t order) const;

        // 0; E_INVALIDARG for a null child; E_FAIL when a child of that name is already in the list.
        ZQRESULT Add(const RCPtr<LControl>& child);
        // The same for a control that may not be referenced yet (one under construction): the list takes
        // its reference only when it adds the child.
        ZQRESULT Add(LControl* child);
        // The child's former storage index, or -1 when it is not in the list.
        int32_t Remove(const RCPtr<LControl>& child);
        // 1 when the list was empty, else 0; removes from the last child to the first.
        ZQRESULT RemoveAll();
        // 1 when the name is unchanged; E_FAIL when a sibling has the new name; E_INVALIDARG when child is
        // not in the list; else 0, and later siblings' references to the old name follow the new one.
        ZQRESULT RenameChild(const RCPtr<LControl>& child, const WString& newName);

        // Storage index of the child (of the last child with that name), searching from the end; -1 when
        // absent.
        [[nodiscard]] int32_t FindLast(const LControl* child) const;
        [[nodiscard]] int32_t FindLastByName(const WString& name) const;

        // The change counter; the owner bumps it when a child's clipping or docking changes.
        [[nodiscard]] int32_t GetChangeCount() const { return mChangeCount; }
        void IncrementChangeCount() { ++mChangeCount; }
        // Sorts both index arrays when the list changed since they were last sorted.
        void SortIfChanged() const;
        // GetAt's body; the two forms differ only in their error texts.
        [[nodiscard]] const RCPtr<LControl>& At(uint32_t index, int32_t order, const char* indexError,
                                                const char* orderError) const;
        [[nodiscard]] const Array<unsigned int>& GetZOrderIndexes() const;
        [[nodiscard]] const Array<unsigned int>& GetTabOrderIndexes() const;

    private:
        // Compares two storage indexes for one of the sorted orders.
        struct ZOrderLess
        {
            const RCPtrArray<LControl, 1, 0>* Storage;
            bool operator()(unsigned int a, unsigned int b) const;
        };
        struct TabOrderLess
        {
            const RCPtrArray<LControl, 1, 0>* Storage;
            bool operator()(unsigned int a, unsigned int b) const;
        };

        ZOrderLess mZOrderLess;
        TabOrderLess mTabOrderLess;
        RCPtrArray<LControl, 1, 0> mStorage;
        mutable Array<unsigned int> mTabOrder;
        mutable Array<unsigned int> mZOrder;
        int32_t mChangeCount = 1;
        mutable int32_t mSortedAt = 0;
        LControl* mOwner;
    };

    // parent may be null (a top control). mostDerived says that this constructor runs for the most derived
    // class; the virtual bases are constructed there.
    LControl(const RCPtr<LControl>& parent, const WString& name, bool mostDerived = true);
    ~LControl() override;
    LControl(const LControl&) = delete;
    LControl& operator=(const LControl&) = delete;

    // --- Counted object and notification receiver ---

    // Unregisters clients, drops the menu-item updater's back reference, removes every child and
    // unregisters from every distributor. S_OK when afterwards only the caller's reference remains.
    ZQRESULT ReleaseInternalReferences() override;
    // Dispatches through the handler, only once the control has been created.
    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override;
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override;

    // --- UITarget (one body for every control class) ---

    ZQRESULT OnMouseEnter() override;
    ZQRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    ZQRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& param) override;
    ZQRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& param) override;
    ZQRESULT OnMouseLeave() override;
    ZQRESULT BeginMouseCapture(int32_t button, int32_t x, int32_t y) override;
    ZQRESULT EndMouseCapture() override;
    ZQRESULT OnKeyPress(const RCPtr<LKeyParam>& param) override;
    ZQRESULT OnWindowMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    ZQRESULT OnWindowMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    // Runs the layout; a top control whose size changed resizes its native window.
    ZQRESULT OnSize(int32_t width, int32_t height) override;
    [[nodiscard]] bool CanReleaseFocus() override;
    ZQRESULT KillFocus() override;

    // --- Virtual operations, in slot order ---

    // 0 when the label changed, 1 when it was equal.
    virtual ZQRESULT SetLabel(const WString& text);
    virtual ZQRESULT SetValue(double value);
    virtual void OnValueChanged();
    virtual ZQRESULT SetRange(double minimum, double maximum, int32_t taper);
    virtual void BeginUpdate();
    virtual void EndUpdate();
    virtual void ScrollBufferedContent(const PointT<double>& oldOffset, const PointT<double>& newOffset);
    virtual void InvalidateBufferedChild(const RCPtr<LControl>& child);
    // The size that the minimum rules alone give, per axis.
    virtual ZQRESULT GetLayoutSize(PointT<double>& size);
    // Per axis the maximum's Abs when the maximum refers to the control itself, else 0.
    virtual ZQRESULT GetMaximumSize(PointT<double>& size);
    // Returns the new value.
    virtual bool SetClipToParent(bool clip);
    virtual ZQRESULT SetScrollOffset(const PointT<double>& offset);
    [[nodiscard]] virtual RCPtr<LStringTable> GetStringTable() const;
    [[nodiscard]] virtual bool IsEditTarget() const;
    // This control when it is an edit target, else the parent's answer, else null.
    [[nodiscard]] virtual RCPtr<LControl> GetEditTarget();
    [[nodiscard]] virtual bool CanPerformEdit(int32_t command);
    // Throws a logic error: controls that are edit targets override it.
    virtual ZQRESULT PerformEdit(int32_t command);
    virtual ZQRESULT SetDragMode(int32_t mode, uint32_t flags);
    virtual ZQRESULT BeginDrag();
    virtual ZQRESULT UpdateDragOrigin();
    virtual ZQRESULT DragMove(const RCPtr<LPointWithModifiersParam>& param);
    virtual void OnDragMoved(const RCPtr<LPointWithModifiersParam>& param);
    virtual ZQRESULT EndDrag();
    virtual ZQRESULT FindDropTarget(RCPtr<LControl>& target, const RCPtr<LControl>& dragged,
                                    const PointT<int32_t>& windowPoint);
    [[nodiscard]] virtual bool AcceptsDrop(const RCPtr<LControl>& dragged);
    [[nodiscard]] virtual uint32_t GetDragScrollEdges(const RCPtr<LControl>& dragged);
    virtual ZQRESULT GetMaxScrollOffset(RectT<double>& range, const RCPtr<LControl>& child);
    // 0, 0 and the size of the default look's client rectangle (the control's size without looks).
    virtual ZQRESULT GetClientRect(RectT<double>& rect) const;
    virtual void GetDragLimits(RectT<double>& limits);
    virtual void OnDragEnter(const RCPtr<LControl>& dragged);
    virtual void OnDragOver(const RCPtr<LControl>& dragged, const PointT<int32_t>& point);
    virtual void OnDragLeave(const RCPtr<LControl>& dragged);
    virtual ZQRESULT OnDrop(const RCPtr<LControl>& dragged);
    virtual ZQRESULT SetFocus(bool forward);
    virtual ZQRESULT SetNotFocusable(bool notFocusable);
    [[nodiscard]] virtual bool HasFocusableDescendant() const;
    virtual void OnConditionsChanged();
    // Takes the control out of its tree (see the tree members below).
    virtual ZQRESULT Detach();
    virtual void ProcessRootWindowReleased();
    virtual void ProcessRootWindowAquired();
    virtual void OnChildrenChanged(const RCPtr<LControl>& child, int32_t index);
    // Whether the control is now visible with its ancestors.
    virtual bool SetVisible(bool visible);
    [[nodiscard]] virtual bool IsTransparentAtPoint(const PointT<int32_t>& point) const;
    [[nodiscard]] virtual uint32_t GetColorAtPoint(const PointT<int32_t>& point, int32_t lookIndex) const;
    // 1 in the base: the item keeps the state it has.
    virtual ZQRESULT UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex,
                                         int32_t command, MenuItemState& state);
    // The context menu (an LMenuDescriptor), or null.
    [[nodiscard]] virtual RCPtr<LRefCountedObject> GetContextMenu();
    virtual void PrepareContextMenu(const RCPtr<LPopupMenu>& menu);
    virtual ZQRESULT SelectLook(int32_t index);
    // The new look's index.
    virtual int32_t AddLook(const RCPtr<LLook>& look);
    // 0 in the base; 1 makes the root window take the rectangle (screen position, control size).
    virtual int32_t AdjustWindowPlacement(RectT<int32_t>& rect);
    virtual ZQRESULT SetEnabled(bool enabled);
    virtual ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor);
    virtual ZQRESULT Draw(const RCPtr<LRenderer>& renderer, const Region& dirty,
                          RCPtrArray<LControl, 1, 0>& deferred, bool unclippedPass);
    virtual ZQRESULT InvalidateRect(const RectT<double>& windowRect, bool clip,
                                    const RectT<double>& visiblePart);
    virtual ZQRESULT Invalidate(const RectT<double>& rect, bool clip);
    virtual RCPtr<LControl> GetControlAtPoint(const PointT<int32_t>& point, bool insideClip,
                                              PointT<int32_t>& localPoint, int32_t& z);
    virtual void OnFontChanged();
    virtual ZQRESULT RequestFocus(const RCPtr<LControl>& child);
    virtual void OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param);
    virtual void OnLeftButtonUp(const RCPtr<LMouseButtonParam>& param);
    virtual void OnMiddleButtonDown(const RCPtr<LMouseButtonParam>& param);
    virtual void OnMiddleButtonUp(const RCPtr<LMouseButtonParam>& param);
    virtual void OnRightButtonDown(const RCPtr<LMouseButtonParam>& param);
    virtual void OnRightButtonUp(const RCPtr<LMouseButtonParam>& param);
    virtual void OnMouseMoved(const RCPtr<LPointWithModifiersParam>& param);
    // 1: not handled.
    virtual ZQRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param);
    virtual ZQRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param);
    virtual ZQRESULT OnClick(const RCPtr<LMouseButtonParam>& param);
    virtual ZQRESULT OnLeftClick(const RCPtr<LMouseButtonParam>& param);
    virtual ZQRESULT OnMiddleClick(const RCPtr<LMouseButtonParam>& param);
    virtual ZQRESULT OnRightClick(const RCPtr<LMouseButtonParam>& param);
    virtual void OnLeftClicked(const RCPtr<LMouseButtonParam>& param);
    virtual void OnMiddleClicked(const RCPtr<LMouseButtonParam>& param);
    virtual void OnRightClicked(const RCPtr<LMouseButtonParam>& param);
    [[nodiscard]] virtual bool ContainsPoint(const PointT<int32_t>& point) const;
    virtual RCPtr<LControl> GetNextTabStop(const RCPtr<LControl>& from, bool backward);
    // 1: not handled.
    virtual ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param);
    virtual ZQRESULT OnSiblingKey(const RCPtr<LKeyParam>& param);
    virtual ZQRESULT ProcessHotKey(const RCPtr<LKeyParam>& param);
    virtual ZQRESULT OnTabKey(const RCPtr<LKeyParam>& param);
    virtual ZQRESULT GetSiblingKeyOrder(const KeyCode& key, const Array<LNotificationReceiver*>& listeners,
                                        Array<uint32_t>& order);
    virtual ZQRESULT UpdateFont();
    // Called on every child when the parent's scroll offset changes; a docked control follows it.
    virtual void OnScrollOffsetChanged();
    // Called on the parent by a child's rectangle setter.
    virtual void OnChildRectChanged(const RCPtr<LControl>& child);
    virtual void OnIdle();
    virtual void DrawContent(const RCPtr<LRenderer>& renderer);
    virtual void DrawOverlay(const RCPtr<LRenderer>& renderer);
    virtual ZQRESULT CreateChildControls(const RCPtr<LControlDescriptor>& descriptor);
    virtual ZQRESULT Initialize();
    virtual ZQRESULT ProcessCreateParams();
    virtual ZQRESULT AddChildControl(const RCPtr<LControl>& control,
                                     const RCPtr<LControlDescriptor>& descriptor);
    virtual ZQRESULT OnCreated();
    [[nodiscard]] virtual WString GetToolTipText() const;
    virtual ZQRESULT CreateToolTip(bool show);
    // Origin: the scroll offset; size: the client area's size.
    [[nodiscard]] virtual RectT<double> GetContentRect() const;

    // --- Texts, looks and menus ---

    // The text of key from the control's string table; empty without one.
    [[nodiscard]] WString GetString(const WString& key) const;
    [[nodiscard]] RCPtr<LMenuItemUpdater> GetMenuItemUpdater();
    // The look at index (may be null); for -1 or any index outside the list the default look: the first
    // look that exists and is visible, else the first that exists, else null.
    [[nodiscard]] RCPtr<LLook> GetLook(int32_t index) const;
    // The look's client rectangle; without that look 0, 0 and the control's size.
    [[nodiscard]] RectT<double> GetLookRect(int32_t index) const;
    // The first look that exists and has an opacity above 0, or -1.
    [[nodiscard]] int32_t GetFirstVisibleLookIndex() const;
    // E_INVALIDARG for an index without an opacity entry. An opacity outside 0..1 is ignored; exclusive
    // sets every other look's opacity to 0. Any change invalidates the control. Returns 0.
    ZQRESULT SetLookOpacity(int32_t index, float opacity, bool exclusive);
    [[nodiscard]] const RCPtr<LFont>& GetFont() const { return mFont; }
    // 0 when the text equals the label. Otherwise a top control also sets its window's title, the label
    // is stored and handed to every look (last first), relayout re-lays the control out when its text
    // expands or wraps, the control is invalidated and 1 is returned.
    ZQRESULT UpdateLabel(const WString& text, bool relayout);
    // Whether the default look's text area is narrower than the label's measured width.
    [[nodiscard]] bool IsLabelTruncated() const;
    ZQRESULT SetLookRegion(int32_t index, const Region& region);
    ZQRESULT SetLookBitmap(int32_t index, const ConstRCPtr<LVisualPart>& picture);
    ZQRESULT SetLookTextForegroundPart(int32_t index, const ConstRCPtr<LVisualPart>& part);
    void ClearLookRegions();
    void ClearLookRegion(int32_t index);
    ZQRESULT SetLookRegionExcluding(int32_t lookA, int32_t lookB);
    // A visual part sized from descriptor; null without one.
    [[nodiscard]] static ConstRCPtr<LVisualPart>
    CreateVisualPart(const ConstRCPtr<LVisualPartDescriptor>& descriptor);
    // The first key of the control's own bindings bound to action (the no-binding code without one), and
    // whether key is bound there.
    [[nodiscard]] KeyCode GetKeyForAction(const WString& action) const;
    [[nodiscard]] bool IsKeyBound(const KeyCode& key) const;
    // The "NID_SIBLING_KEY" handler that Initialize registers: a key bound in the control's own "LHK"
    // bindings is claimed and its action delivered to the control itself. 1.
    ZQRESULT OnSiblingKeyBinding(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);

    // --- Tree ---

    [[nodiscard]] const WString& GetName() const { return mName; }
    [[nodiscard]] const RCPtr<LControl>& GetParent() const { return mParent; }
    [[nodiscard]] ChildControlList& GetChildren() { return mChildren; }
    [[nodiscard]] const ChildControlList& GetChildren() const { return mChildren; }
    [[nodiscard]] int32_t GetUnclippedCount() const { return mUnclippedCount; }
    // Moves the control under another parent (or none). 1 when it is the parent already; E_FAIL when the
    // new parent has a child of that name (the control is then left without a parent).
    ZQRESULT SetParent(const RCPtr<LControl>& parent);
    // E_FAIL for a control with a parent; a root window's title becomes the label and the tree is told
    // that it is shown. W is the root window class (it needs GetTitle()).
    template <class W = LRootWindow>
    ZQRESULT AttachToRootWindow(const RCPtr<W>& rootWindow)
    {
        return AttachToRootWindowObject(RCPtr<LRefCountedObject>(rootWindow),
                                        rootWindow != nullptr ? WString(rootWindow->GetTitle()) : WString());
    }
    // Hides the child now and detaches it at the next idle pass.
    ZQRESULT RemoveChildLater(const RCPtr<LControl>& child);
    void ProcessPendingRemovals();
    [[nodiscard]] RCPtr<LControl> FindChild(const WString& name) const;
    [[nodiscard]] int32_t IndexOfChild(const RCPtr<LControl>& child, int32_t order) const;
    [[nodiscard]] RCPtr<LControl> GetRootControl();
    // The top control's root window (the tree is not shown when null). W is the root window class.
    template <class W = LRootWindow>
    [[nodiscard]] RCPtr<W> GetRootWindow() const
    {
        return RCPtr<W>(GetRootWindowObject());
    }
    [[nodiscard]] RCPtr<LRefCountedObject> GetRootWindowObject() const;
    // AttachToRootWindow for a caller that holds the root window as a counted object and passes its title.
    ZQRESULT AttachToRootWindowObject(const RCPtr<LRefCountedObject>& rootWindow, const WString& title);
    [[nodiscard]] bool IsVisible(bool recursive) const;
    [[nodiscard]] bool IsEnabled(bool recursive) const;
    // The union of the undocked children's rectangles; an empty box spans INT_MAX to INT_MIN.
    [[nodiscard]] RectT<double> GetChildrenBounds() const;
    // Every descendant, depth first and pre-order; returns the count.
    int32_t GetAllDescendants(RCPtrArray<LControl, 1, 0>& descendants) const;
    [[nodiscard]] int32_t GetEffectiveZOrder() const;

    // --- Coordinates ---

    [[nodiscard]] const RectT<double>& GetRect() const { return mRect; }
    [[nodiscard]] const PointT<double>& GetScrollOffset() const { return mScrollOffset; }
    [[nodiscard]] PointT<double> GetOriginInParentClient() const;
    [[nodiscard]] PointT<double> GetWindowOrigin() const;
    [[nodiscard]] PointT<double> GetWindowOriginOffset() const;
    [[nodiscard]] RectT<double> GetRectInWindow() const;
    // point, given in other's coordinates, in this control's coordinates.
    [[nodiscard]] PointT<double> ConvertPointFromControl(const PointT<double>& point,
                                                         const LControl& other) const;

    // --- Layout ---

    // 0 when the rectangle changed, 1 when equal; E_FAIL without a layout, and for a created top control
    // without a root window.
    ZQRESULT UpdateLayout();
    // Each returns whether the values stored after the layout differ from the requested ones.
    bool SetAxisPlacement(int32_t axis, const LLayoutDescriptor::AxisPosition& position,
                          const LLayoutDescriptor::AxisSize& size);
    bool SetAxisPlacement(const LLayoutDescriptor::AxisPosition& xPosition,
                          const LLayoutDescriptor::AxisSize& xSize,
                          const LLayoutDescriptor::AxisPosition& yPosition,
                          const LLayoutDescriptor::AxisSize& ySize);
    bool SetAxisLimits(int32_t axis, const LLayoutDescriptor::AxisLimit& minimum,
                       const LLayoutDescriptor::AxisLimit& maximum);
    bool SetAxisLimits(const LLayoutDescriptor::AxisLimit& xMinimum,
                       const LLayoutDescriptor::AxisLimit& xMaximum,
                       const LLayoutDescriptor::AxisLimit& yMinimum,
                       const LLayoutDescriptor::AxisLimit& yMaximum);
    // 1 when the rectangle is equal; else stores it, sizes the looks, lays out children and later
    // siblings, tells the parent, and returns 0.
    ZQRESULT SetRect(const RectT<double>& rect);
    // The far edge of the children first..last (storage order) on axis, in this control's coordinates.
    [[nodiscard]] double GetChildrenExtent(int32_t first, int32_t last, int32_t axis) const;
    [[nodiscard]] const RCPtr<LLayoutDescriptor>& GetLayout() const { return mLayout; }
    [[nodiscard]] bool IsInLayout() const { return mInLayout; }

    // --- Conditions and state ---

    // The condition mask computed now: 0x1 focused, 0x2 contains the focus, 0x4 hover, 0x8 capture,
    // 0x10/0x20/0x40 button down, 0x80/0x100/0x200 drag, 0x400 enabled, 0x800 visible, 0x1000 hover or
    // highlighted.
    [[nodiscard]] uint32_t GetConditions() const;
    // Recomputes the mask and, when it changed, updates the record and notifies.
    void UpdateConditions();
    [[nodiscard]] double GetValue() const { return mValue; }
    [[nodiscard]] double ScaleValue(double value) const;
    [[nodiscard]] double UnscaleValue(double value) const;
    void SetHighlight(bool highlight);
    void SetCursor(intptr_t cursor);
    ZQRESULT SetFont(const RCPtr<LFont>& font);
    ZQRESULT SetFontSpec(const WString& name, float size, int32_t style, bool relative);

    // --- Input ---

    // The control whose tool tip shows for this one: itself, unless its tool-tip text is empty and it
    // uses its parent's tool tip, in which case the parent's owner.
    [[nodiscard]] RCPtr<LControl> GetToolTipOwner();

    // --- Focus ---

    // The parent's side of a child taking the focus.
    ZQRESULT ChildFocused(const RCPtr<LControl>& child);
    [[nodiscard]] bool IsFocused() const { return mFocused; }
    [[nodiscard]] bool ContainsFocus() const { return mContainsFocus; }

    // --- Invalidation ---

    // Invalidates the areas that may lie outside the parent: the control's own when it is not clipped,
    // or those of its unclipped descendants.
    void InvalidateFloating();
    // Whether the descriptor's create parameter "DEFER_CREATE" is true.
    [[nodiscard]] bool IsDeferredCreate() const;

    // --- State used across the base ---

    // While set, the hit test passes over the control itself; its children are still asked.
    void SetSkipInHitTest(bool skip) { mSkipInHitTest = skip; }
    [[nodiscard]] bool IsSkipInHitTest() const { return mSkipInHitTest; }
    [[nodiscard]] const RCPtr<LControlDescriptor>& GetDescriptor() const { return mDescriptor; }
    // The conditions record: previous and current condition masks and the press point of the last change.
    [[nodiscard]] const RCPtr<LConditionsParam>& GetConditionsRecord() const { return mConditionsParam; }
    [[nodiscard]] bool IsCreated() const { return mCreated; }
    [[nodiscard]] bool IsNotFocusable() const { return mNotFocusable; }
    [[nodiscard]] const WString& GetLabel() const { return mLabel; }
    [[nodiscard]] int32_t GetIdleRequests() const { return mIdleRequests; }
    // Counts one idle request; on the first one a control shown in a root window registers for
    // "NID_IDLE" there (a refused registration sets the count back to 0). Returns 0.
    ZQRESULT RequestIdle();
    // Gives back one idle request; the last one unregisters from the root window. E_FAIL when the handler
    // had no binding to remove, else the unregistration's result (0 without a root window).
    ZQRESULT ReleaseIdle();

protected:
    // Takes a copy of layout as the control's own and keeps the parent's unclipped counts and orders in
    // step with its clipping, docking, Z order and tab stop.
    void SetLayoutCopy(const LLayoutDescriptor& layout);

    // Derived classes set it when their creation sequence has finished.
    void SetCreated(bool created) { mCreated = created; }

    // Counted handler table of received notifications; created by Initialize.
    RCPtr<LNotificationHandler<LControl>> mHandler;
    WString mName;
    RCPtr<LControlDescriptor> mDescriptor;
    RCPtr<LLayoutDescriptor> mLayout;
    RectT<double> mRect;
    PointT<double> mScrollOffset;
    int32_t mUnclippedCount = 0;
    RCPtr<LConditionsParam> mConditionsParam;
    // Condition flags.
    bool mFocused = false;
    bool mContainsFocus = false;
    bool mHover = false;
    bool mCapture = false;
    bool mLeftButtonDown = false;
    bool mMiddleButtonDown = false;
    bool mRightButtonDown = false;
    bool mLeftDrag = false;
    bool mMiddleDrag = false;
    bool mRightDrag = false;
    bool mHighlight = false;
    bool mSkipInHitTest = false;
    // Mouse, drag and press state.
    struct DragStart
    {
        PointT<double> Size;
        PointT<double> ParentScrollOffset;
        double XPositionAbs = 0;
        double YPositionAbs = 0;
        double XSizeAbs = 0;
        double YSizeAbs = 0;
    };
    struct DragDrop
    {
        RCPtr<LControl> Target;
        intptr_t PreviousCursor = 0;
    };
    RCPtr<LMouseButtonParam> mLastLeftButtonDown;
    PointT<double> mPressPoint;
    DragStart mDragStart;
    DragDrop mDragDrop;
    int32_t mDragMode = 0;
    uint32_t mDragFlags = 0;
    PointT<double> mDragDisplacement;
    int32_t mDragThreshold = 1;
    uint32_t mLastMoveTime = 0;
    uint32_t mPressTime = 0;
    double mValue = 0;
    double mRangeMin = 0;
    double mRangeMax = 0;
    int32_t mTaper = 0;
    RCPtrArray<LLook, 1, 0> mLooks;
    Array<float> mLookOpacity;
    float mOpacity = 1.0f;
    RCPtr<LControl> mParent;
    RCPtr<LRefCountedObject> mRootWindow; // an LRootWindow; set only on a top control
    RCPtr<LStringTable> mStringTable;
    bool mWantsTab = false;
    KeyBindingTable mKeyBindings;
    bool mNotFocusable = true;
    bool mFocusScope = false;
    bool mLabelScrolls = false;
    // Font settings, set when a descriptor is applied.
    bool mFontInherited = false;
    bool mFontNameInherited = false;
    bool mFontSizeInherited = false;
    bool mFontStyleInherited = false;
    bool mFontRelativeSize = false;
    float mFontRelativeSizeFactor = 0;
    RCPtr<LFont> mFont;
    WString mLabel;
    RCPtr<LRefCountedObject> mContextMenu; // an LMenuDescriptor
    WString mToolTipText;
    bool mUseParentToolTip = false;
    bool mCreated = false;
    bool mInLayout = false;
    int32_t mIdleRequests = 0;
    // Automatic scrolling, per axis.
    struct AutoScrollAxis
    {
        bool Running = false;
        bool Decelerating = false;
        uint32_t LastTick = 0;
        double Speed = 0;
        double Minimum = 0;
        double Maximum = 0;
        RCPtr<LControl> Carried;
    };
    AutoScrollAxis mAutoScroll[2];
    double mAutoScrollDeceleration = 1000.0;
    intptr_t mCursor = 0;
    intptr_t mReplacedCursor = 0;
    RCPtrArray<LControl, 1, 0> mPendingRemovals;
    RCPtr<LMenuItemUpdater> mMenuItemUpdater;
    RCPtr<LNotificationCenter> mNotificationCenter;
    ChildControlList mChildren;

private:
    friend class ChildControlList;

    // Binds the "NID_IDLE" handler to the root window; E_FAIL when the tree has no root window that
    // distributes notifications.
    ZQRESULT RegisterForIdle();
    // The "NID_IDLE" handler: pending removals, then OnIdle.
    ZQRESULT OnIdleNotification(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);
    // Adds delta to the unclipped counts of this control and every ancestor.
    void AdjustUnclippedCount(int32_t delta);
    void AppendDescendants(RCPtrArray<LControl, 1, 0>& descendants) const;

    // Drawing and hit testing.
    // Whether look index exists and has an opacity above 0.
    [[nodiscard]] bool IsLookDrawn(uint32_t index) const;
    // Appends the shown unclipped controls of the subtree (not this control) to deferred, children in Z
    // order, passing through controls without an area; does not descend into hidden controls nor into the
    // unclipped ones it appends, which hand over their own when they are drawn. The number appended.
    int32_t CollectUnclippedDescendants(RCPtrArray<LControl, 1, 0>& deferred) const;
    // Appends an unclipped control that is shown; for one without an area, the unclipped controls below
    // it instead. The number appended.
    static int32_t Defer(const RCPtr<LControl>& control, RCPtrArray<LControl, 1, 0>& deferred);
    void DrawLooks(const RCPtr<LRenderer>& renderer, const Region& dirty);
    void DrawLabelsAndChildren(const RCPtr<LRenderer>& renderer, const Region& dirty,
                               RCPtrArray<LControl, 1, 0>& deferred);
    // The clipped children inside look index's client area, then those docked on both axes over it.
    void DrawChildren(const RCPtr<LRenderer>& renderer, const Region& dirty,
                      RCPtrArray<LControl, 1, 0>& deferred, uint32_t lookIndex);
    // The best hit among the children, asked per drawn look from the top of the Z order down.
    RCPtr<LControl> GetChildAtPoint(const PointT<int32_t>& point, bool insideClip, bool contains,
                                    PointT<int32_t>& localPoint, int32_t& z);
    // The control's own part of the hit test.
    [[nodiscard]] bool IsHitItself(const PointT<int32_t>& point, bool insideClip, bool contains,
                                   int32_t z) const;
};
} // namespace ZQ
