#pragma once

#include "ZQFramework/ControlBase/Control/ConditionFlags.h"
#include "ZQFramework/ControlBase/Control/ContextMenu.h"
#include "ZQFramework/ControlBase/Control/DragState.h"
#include "ZQFramework/ControlBase/Control/UITarget.h"
#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Services/KeyBindingTable.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Notification/NotificationClient.h"
#include "ZQFramework/Notification/NotificationDistributor.h"
#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Graphics/Forward.h"
#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"
#include "ZQFramework/Utilities/Graphics/Region.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

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

    // --- Creation ---

    // The pass that only the control base can make: a control class takes it in the public constructor
    // that CreateFromDescriptor calls (and hands it on to its base class's), so the creation sequence can
    // construct the class without the class opening its private members to LControl.
    class CreateKey
    {
        friend class LControl;
        explicit CreateKey() = default;
    };

    // The create function of control class T that the control factory calls. T is constructed from a
    // CreateKey, a parent and a name when it has that constructor (every control of the library), else
    // from the parent and the name alone (a class that anyone may construct, as the plain control). Every
    // control is created by one sequence: T is constructed under parent with the descriptor's name, then
    // ApplyDescriptor, CreateChildControls, Initialize and OnCreated run, and the control is marked
    // created. Null for a null descriptor. When a step throws, the control leaves its parent again before
    // the exception passes on.
    template <class T>
    static RCPtr<LControl> CreateFromDescriptor(const RCPtr<LControl>& parent,
                                                const RCPtr<LControlDescriptor>& descriptor)
    {
        if (descriptor == nullptr)
        {
            return {};
        }
        RCPtr<LControl> control;
        if constexpr (std::is_constructible_v<T, CreateKey, const RCPtr<LControl>&, const WString&>)
        {
            control = RCPtr<LControl>(new T(CreateKey(), parent, NameOf(*descriptor)));
        }
        else
        {
            control = RCPtr<LControl>(new T(parent, NameOf(*descriptor)));
        }
        control->RunCreationSequence(descriptor);
        return control;
    }

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
    // Stores value clamped to 0..1 (NaN changes nothing); a change calls OnValueChanged and sends
    // "NID_VALUE_CHANGE" with the normalised and the scaled value. Returns the stored value.
    virtual double SetValue(double value);
    virtual void OnValueChanged();
    // taper 0 linear, 1 logarithmic (both ends above 0). E_INVALIDARG for anything else or a bound that is
    // not finite; else stores the range and returns 0 without sending the value again.
    virtual ZQRESULT SetRange(double minimum, double maximum, int32_t taper);
    // Called around multi-step changes (the rectangle setter) and after scrolling or a child's new
    // rectangle; the base does nothing visible. Derived controls recompute their buffers or scroll bars.
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
    // Rounds offset to whole pixels; 1 when that is the current offset, E_INVALIDARG for a coordinate that
    // is not finite. Otherwise moves the content, tells the children, invalidates, sends
    // "NID_SCROLL_OFFSET_CHANGE" and lets the hover follow the moved content; 0.
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
    // Takes the focus, or hands it to the first focusable child in tab order (the last with forward
    // false), or to the child that holds it already. E_FAIL when the focus control refuses to let go or
    // no child can take it. A control that can take nothing leaves the focus where it is: 1, or the top
    // control's answer when the tree holds the focus.
    virtual ZQRESULT SetFocus(bool forward);
    // Stores the flag and keeps the sign of the tab stop in step (negative: not focusable). The control
    // takes the focus from its focused parent once it can; a focused control that may no longer have it
    // hands it to its parent. 1 when nothing changed.
    virtual ZQRESULT SetNotFocusable(bool notFocusable);
    // Whether a child can take the focus (focusable, visible and enabled) or has such a descendant.
    [[nodiscard]] virtual bool HasFocusableDescendant() const;
    // Called by UpdateConditions with the conditions record before the notifications go out.
    virtual void OnConditionsChanged(const RCPtr<LConditionsParam>& conditions);
    // Takes the control out of its tree (see the tree members below).
    virtual ZQRESULT Detach();
    // The tree leaves its window: every control drops its "NID_IDLE" registration there (keeping its
    // requests for the next window), children last to first.
    virtual void ProcessRootWindowReleased();
    virtual void ProcessRootWindowAquired();
    virtual void OnChildrenChanged(const RCPtr<LControl>& child, int32_t index);
    // Shows or hides the control (moving the focus off a hidden one). Whether the control is now visible
    // with its ancestors.
    virtual bool SetVisible(bool visible);
    [[nodiscard]] virtual bool IsTransparentAtPoint(const PointT<int32_t>& point) const;
    [[nodiscard]] virtual uint32_t GetColorAtPoint(const PointT<int32_t>& point, int32_t lookIndex) const;
    // 1 in the base: the item keeps the state it has.
    virtual ZQRESULT UpdateMenuItemState(const RCPtr<LMenuDescriptor>& menu, int32_t itemIndex,
                                         int32_t command, MenuItemState& state);
    // The context menu (an LMenuDescriptor), or null.
    [[nodiscard]] virtual RCPtr<LRefCountedObject> GetContextMenu();
    // Lets the control adjust its context menu's pop-up before it is shown (the pop-up calls it from
    // IContextMenuPopup::LetOwnerPrepare); empty in the base.
    virtual void PrepareContextMenu(const RCPtr<LPopupMenu>& menu);
    // Makes look index fully opaque and every other look transparent (SetLookOpacity's result).
    virtual ZQRESULT SelectLook(int32_t index);
    // Appends look (may be null) with an opacity of 0; the new look's index.
    virtual int32_t AddLook(const RCPtr<LLook>& look);
    // 0 in the base; 1 makes the root window take the rectangle (screen position, control size).
    virtual int32_t AdjustWindowPlacement(RectT<int32_t>& rect);
    // 1 when the layout's flag already has that value; else 0.
    virtual ZQRESULT SetEnabled(bool enabled);
    // Applies a skin descriptor: the control takes its own copy of the layout, its looks, font, label and
    // focusability. Applied again to a created control (a changed skin), the control keeps its visibility,
    // enabled state and label, a top control keeps its window's place and size, and the children that the
    // new descriptor names are kept (the others are detached). E_INVALIDARG for null, else 0.
    virtual ZQRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor);
    virtual ZQRESULT Draw(const RCPtr<LRenderer>& renderer, const Region& dirty,
                          RCPtrArray<LControl, 1, 0>& deferred, bool unclippedPass);
    // Carries windowRect up the parents into the root window's dirty region; visiblePart (in this
    // control's coordinates) is cut by every clipped parent while clip holds. 1 when a hidden or
    // zero-sized control, or the clipping, leaves nothing; else 0.
    virtual ZQRESULT InvalidateRect(const RectT<double>& windowRect, bool clip,
                                    const RectT<double>& visiblePart);
    // rect in the control's own coordinates; clip is normally the control's ClipToParent.
    virtual ZQRESULT Invalidate(const RectT<double>& rect, bool clip);
    [[nodiscard]] virtual RCPtr<LControl> GetControlAtPoint(const PointT<int32_t>& point, bool insideClip,
                                                            PointT<int32_t>& localPoint, int32_t& z);
    virtual void OnFontChanged();
    // Takes the focus when this control may (focusable, and no ancestor up to a focus scope is marked
    // not focusable), else passes the request to the parent.
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
    [[nodiscard]] virtual RCPtr<LControl> GetNextTabStop(const RCPtr<LControl>& from, bool backward);
    // 1: not handled.
    virtual ZQRESULT HandleKeyPress(const RCPtr<LKeyParam>& param);
    virtual ZQRESULT OnSiblingKey(const RCPtr<LKeyParam>& param);
    virtual ZQRESULT ProcessHotKey(const RCPtr<LKeyParam>& param);
    virtual ZQRESULT OnTabKey(const RCPtr<LKeyParam>& param);
    virtual ZQRESULT GetSiblingKeyOrder(const KeyCode& key, const Array<LNotificationReceiver*>& listeners,
                                        Array<uint32_t>& order);
    // Takes the font again from its base (the parent's font or the default font) when the control
    // inherits any part of it; 1 when it inherits nothing.
    virtual ZQRESULT UpdateFont();
    // Called on every child when the parent's scroll offset changes; a docked control follows it.
    virtual void OnScrollOffsetChanged();
    // Called on the parent by a child's rectangle setter.
    virtual void OnChildRectChanged(const RCPtr<LControl>& child);
    virtual void OnIdle();
    virtual void DrawContent(const RCPtr<LRenderer>& renderer);
    virtual void DrawOverlay(const RCPtr<LRenderer>& renderer);
    // Replaces the children with controls made by the application's factory from descriptor's child
    // descriptors, in order, leaving out those whose create parameter "DEFER_CREATE" is true; a child that
    // fails to be made does not stop the others. Then lays the control out. 0.
    virtual ZQRESULT CreateChildControls(const RCPtr<LControlDescriptor>& descriptor);
    // Takes the default notification center and a handler, processes the create parameters, reads the
    // tooltip and the "LHK" key bindings from the string table, and with bindings listens for
    // "NID_SIBLING_KEY" from the parent and handed to itself. 0.
    virtual ZQRESULT Initialize();
    // Reads "INITIAL_VALUE" (SetValue), "NOT_FOCUSABLE", "USE_PARENT_TOOLTIP" and "WANTS_TAB" from the
    // descriptor's create parameters; without "NOT_FOCUSABLE" a negative tab stop makes the control not
    // focusable. 0.
    virtual ZQRESULT ProcessCreateParams();
    // Moves control under this one and applies descriptor to it. E_FAIL when either is null; otherwise
    // SetParent's result, the descriptor being applied only when that did not fail.
    virtual ZQRESULT AddChildControl(const RCPtr<LControl>& control,
                                     const RCPtr<LControlDescriptor>& descriptor);
    // The last step of creation, run again after a descriptor is re-applied; 0 in the base.
    virtual ZQRESULT OnCreated();
    [[nodiscard]] virtual WString GetToolTipText() const;
    // Show: with a tool-tip text and a "toolTip" descriptor in the skin, makes the tool tip under this
    // control, gives it the text and starts it (its Show). Hide: hides the child named "toolTip". 1 when
    // there is nothing to show or hide.
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
    // The number of look slots (a slot may hold no look).
    [[nodiscard]] uint32_t GetLookCount() const { return mLooks.GetCount(); }
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
    // Whether the default look's text area is narrower than the label's measured width; a look without a
    // text layout counts as truncated when the label is not empty.
    [[nodiscard]] bool IsLabelTruncated() const;
    // Look setters by look index. A look limited to a region draws itself and the children in its client
    // area only inside it. E_INVALIDARG without that look; else the look's region becomes a copy of
    // region, the control is invalidated and 0 is returned.
    ZQRESULT SetLookRegion(int32_t index, const Region& region);
    // The look's overlay picture (null removes it), drawn by resizeType over the client part or in its
    // place; invalidates when the look is the default one. E_FAIL without that look, else 0.
    ZQRESULT SetLookBitmap(int32_t index, const ConstRCPtr<LBitmap>& bitmap, int32_t resizeType = 0,
                           bool replacesClient = false);
    // The part that colours the look's label. E_FAIL without that look, E_INVALIDARG for null, else 0.
    ZQRESULT SetLookTextForegroundPart(int32_t index, const ConstRCPtr<LVisualPart>& part);
    // Empty the region of every look, or of one.
    void ClearLookRegions();
    void ClearLookRegion(int32_t index);
    // Look a's region becomes the control's area less look b's region, and the control is invalidated.
    // E_INVALIDARG unless both looks exist, else 0.
    ZQRESULT SetLookRegionExcluding(int32_t lookA, int32_t lookB);
    // A visual part sized from descriptor; null without one.
    [[nodiscard]] static ConstRCPtr<LVisualPart>
    CreateVisualPart(const ConstRCPtr<LVisualPartDescriptor>& descriptor);
    // The first key of the control's own bindings bound to action (the no-binding code without one), and
    // whether key is bound there.
    [[nodiscard]] KeyCode GetKeyForAction(const WString& action) const;
    [[nodiscard]] bool IsKeyBound(const KeyCode& key) const;
    // The "NID_SIBLING_KEY" handler that Initialize registers: while the control is visible and enabled,
    // a key bound in its own "LHK" bindings is claimed (the parameter's pending flag cleared) and the bound
    // action is delivered, with the parameter, to the control itself. 1.
    ZQRESULT OnSiblingKeyBinding(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);

    // --- Context menu ---

    // Replaces the context menu (an LMenuDescriptor; null removes it). Each command of the old menu stops
    // acting as its hot key; then each command of the new one (submenus included) that the root window's
    // hot keys or, failing those, the application's bind acts as that key when the control receives its
    // notification, sent by the control itself or handed to it directly (OnContextMenuCommand). 0.
    template <class M = LMenuDescriptor>
    ZQRESULT SetContextMenuDescriptor(const RCPtr<M>& menu)
    {
        Array<WString> commands;
        if (menu != nullptr)
        {
            AppendMenuCommands(*menu, commands);
        }
        return ReplaceContextMenu(RCPtr<LRefCountedObject>(menu), commands);
    }
    ZQRESULT SetContextMenuDescriptor(std::nullptr_t) { return ReplaceContextMenu(nullptr, {}); }
    // Appends one menu, built by M::CreateFromKeyValuePairs, for each menu that the create parameters
    // define with "CONTEXT_MENU" keys (GroupContextMenuPairs). 1.
    template <class M = LMenuDescriptor>
    ZQRESULT ReadContextMenuParams(RCPtrArray<M, 1, 0>& menus) const
    {
        Array<MenuDefinitionPairs> definitions;
        ReadContextMenuDefinitions(definitions);
        for (uint32_t i = 0; i < definitions.GetCount(); ++i)
        {
            menus.Add(M::CreateFromKeyValuePairs(definitions.GetAt(i)));
        }
        return 1;
    }
    // The commands now acting as hot keys, in the order they were bound.
    [[nodiscard]] const Array<WString>& GetContextMenuCommands() const { return mContextMenuCommands; }

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
    // Where the layout would place the control now, without moving it: the one computation UpdateLayout
    // applies, label text included. Not placed in the cases where UpdateLayout gives E_FAIL.
    [[nodiscard]] LayoutResult ComputeLayoutRect() const;
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
    // siblings, tells the parent, and returns 0. A top control moves and sizes its native window onto
    // the new rectangle instead.
    ZQRESULT SetRect(const RectT<double>& rect);
    // The far edge of the children first..last (storage order) on axis, in this control's coordinates.
    [[nodiscard]] double GetChildrenExtent(int32_t first, int32_t last, int32_t axis) const;
    [[nodiscard]] const RCPtr<LLayoutDescriptor>& GetLayout() const { return mLayout; }
    // Whether the control is clipped to its parent (a control without a layout is).
    [[nodiscard]] bool IsClippedToParent() const { return mLayout == nullptr || mLayout->mClipToParent; }
    [[nodiscard]] bool IsInLayout() const { return mInLayout; }

    // --- Conditions and state ---

    // Condition bits.
    static constexpr uint32_t kConditionFocused = 0x1;
    static constexpr uint32_t kConditionContainsFocus = 0x2;
    static constexpr uint32_t kConditionHover = 0x4;
    static constexpr uint32_t kConditionCapture = 0x8;
    static constexpr uint32_t kConditionLeftDown = 0x10;
    static constexpr uint32_t kConditionMiddleDown = 0x20;
    static constexpr uint32_t kConditionRightDown = 0x40;
    static constexpr uint32_t kConditionLeftDrag = 0x80;
    static constexpr uint32_t kConditionMiddleDrag = 0x100;
    static constexpr uint32_t kConditionRightDrag = 0x200;
    static constexpr uint32_t kConditionEnabled = 0x400;
    static constexpr uint32_t kConditionVisible = 0x800;
    static constexpr uint32_t kConditionHoverOrHighlight = 0x1000;

    // The condition mask computed now; enabled and visible count the ancestors too.
    [[nodiscard]] uint32_t GetConditions() const;
    // Recomputes the mask. When it changed: updates the record, moves the hover cursor, ends or begins a
    // left drag, calls OnConditionsChanged, sends "NID_CONDITION_CHANGE" and one notification per changed
    // group, lets the hover move off a control that was hidden or released, and, when the enabled or
    // visible bit changed, updates the children.
    void UpdateConditions();
    [[nodiscard]] double GetValue() const { return mValue; }
    // The normalised value in the range: minimum x (maximum / minimum)^value for the logarithmic taper,
    // else minimum + (maximum - minimum) x value.
    [[nodiscard]] double ScaleValue(double value) const;
    // The inverse of ScaleValue for value clamped to the range; 0 for an empty range.
    [[nodiscard]] double UnscaleValue(double value) const;
    // Shows as the hover-or-highlight bit.
    void SetHighlight(bool highlight);
    // The cursor shown while the pointer is over the control (0: none of its own).
    void SetCursor(intptr_t cursor);
    // Gives the font to every look; 1 when it is the current font, E_INVALIDARG for null. Otherwise the
    // control takes it as its own (inheriting nothing), its children update theirs, and it is laid out
    // and invalidated; 0.
    ZQRESULT SetFont(const RCPtr<LFont>& font);
    // The font from a description whose empty name, size of 0 or less (or relative size) and style -1
    // come from the base font: the parent's when the control inherits its font and the parent has one,
    // else the application's default font. A relative size multiplies the base size. E_FAIL when no font
    // can be made; else the SetFont result, after which the inherited parts are remembered for UpdateFont.
    ZQRESULT SetFontSpec(const WString& name, float size, int32_t style, bool relative);

    // --- Input ---

    // Pixels the pointer must move with a button down before a drag starts (0: at the capture). 0;
    // E_INVALIDARG for a negative value.
    ZQRESULT SetDragThreshold(int32_t pixels);
    // Offers the wheel to this control and up its parents; a floating control that does not take it
    // passes it to the control under the pointer instead. The last answer (1: nobody took it); -1 for null.
    ZQRESULT RouteMouseWheel(const RCPtr<LMouseWheelParam>& param);
    // Automatic scrolling of this control's content on one axis (0 X, 1 Y), advanced at idle.
    ZQRESULT StartAutoScroll(int32_t axis, double speed, double maximum, double minimum,
                             const RCPtr<LControl>& carried);
    // 0 when the axis was running, else 1.
    ZQRESULT StopAutoScroll(int32_t axis);

    // The control whose tool tip shows for this one: itself, unless its tool-tip text is empty and it
    // uses its parent's tool tip, in which case the parent's owner.
    [[nodiscard]] RCPtr<LControl> GetToolTipOwner();
    // Parts of a composite control (a row's check box, a meter's overlays) show their owner's tool tip.
    void SetUseParentToolTip(bool use) { mUseParentToolTip = use; }

    // --- Focus ---

    // The parent's side of a child taking the focus.
    ZQRESULT ChildFocused(const RCPtr<LControl>& child);
    [[nodiscard]] bool IsFocused() const { return mConditionFlags.Focused; }
    [[nodiscard]] bool ContainsFocus() const { return mConditionFlags.ContainsFocus; }

    // --- Invalidation ---

    // Invalidates the control's whole area, clipped as the control is.
    ZQRESULT InvalidateWhole();
    // Invalidates the areas that may lie outside the parent: the control's own when it is not clipped,
    // or those of its unclipped descendants.
    void InvalidateFloating();
    // Whether the descriptor's create parameter "DEFER_CREATE" is true.
    [[nodiscard]] bool IsDeferredCreate() const;

    // --- State used across the base ---

    // While set, the hit test passes over the control itself; its children are still asked.
    void SetSkipInHitTest(bool skip) { mConditionFlags.SkipInHitTest = skip; }
    [[nodiscard]] bool IsSkipInHitTest() const { return mConditionFlags.SkipInHitTest; }
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
    // had no binding to remove, else the unregistration's result (0 without a root window, and 0 with no
    // request out: the count never goes below 0).
    ZQRESULT ReleaseIdle();

protected:
    // Takes a copy of layout as the control's own and keeps the parent's unclipped counts and orders in
    // step with its clipping, docking, Z order and tab stop.
    void SetLayoutCopy(const LLayoutDescriptor& layout);

    // Derived classes set it when their creation sequence has finished.
    void SetCreated(bool created) { mCreated = created; }

    // The condition flags a derived control draws and acts by.
    [[nodiscard]] bool IsHover() const { return mConditionFlags.Hover; }
    [[nodiscard]] bool HasCapture() const { return mConditionFlags.Capture; }
    [[nodiscard]] bool IsHighlighted() const { return mConditionFlags.Highlight; }
    // Whether button is down and has not yet moved past the drag threshold.
    [[nodiscard]] bool IsButtonDown(MouseButton button) const { return mConditionFlags.IsButtonDown(button); }
    // Whether button is down and has moved past the drag threshold.
    [[nodiscard]] bool IsDragging(MouseButton button) const { return mConditionFlags.IsDragging(button); }

    // The press and drag state: the press point in the parent's content coordinates and the pointer's
    // displacement from it that the drag last applied.
    [[nodiscard]] const PointT<double>& GetPressPoint() const { return mDrag.GetPressPoint(); }
    [[nodiscard]] const PointT<double>& GetDragDisplacement() const { return mDrag.GetDisplacement(); }

    // Counted handler table of received notifications; created by Initialize.
    RCPtr<LNotificationHandler<LControl>> mHandler;
    WString mName;
    RCPtr<LControlDescriptor> mDescriptor;
    RCPtr<LLayoutDescriptor> mLayout;
    RectT<double> mRect;
    PointT<double> mScrollOffset;
    int32_t mUnclippedCount = 0;
    RCPtr<LConditionsParam> mConditionsParam;
    ConditionFlags mConditionFlags;
    // Mouse, drag and press state.
    DragState mDrag;
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
    float mFontRelativeSizeFactor = 1.0f;
    RCPtr<LFont> mFont;
    WString mLabel;
    RCPtr<LRefCountedObject> mContextMenu; // an LMenuDescriptor
    // The context menu's commands bound to act as hot keys.
    Array<WString> mContextMenuCommands;
    WString mToolTipText;
    bool mUseParentToolTip = false;
    bool mCreated = false;
    bool mInLayout = false;
    // GetLayoutSize's trial layouts are under way: the native window does not follow them.
    bool mMeasuringLayout = false;
    int32_t mIdleRequests = 0;
    // Automatic scrolling, per axis.
    struct AutoScrollAxis
    {
        bool Running = false;
        bool Decelerating = false;
        double LastTick = 0; // the application clock, in seconds
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

    // Creation and descriptors.
    [[nodiscard]] static const WString& NameOf(const LControlDescriptor& descriptor);
    // ApplyDescriptor, CreateChildControls, Initialize, OnCreated, then Created; leaves the parent when a
    // step throws.
    void RunCreationSequence(const RCPtr<LControlDescriptor>& descriptor);
    // A top control is one shown by a root window; the placement is the client area's screen position and
    // the control's size.
    [[nodiscard]] bool IsTopControl() const { return mParent == nullptr && mRootWindow != nullptr; }
    [[nodiscard]] RectT<int32_t> GetWindowPlacement() const;
    // Position rules "Parent" at the placement's screen position, size rules "Self" at its size, so that a
    // new layout neither moves nor resizes the window.
    void PinToWindow(const RectT<int32_t>& placement);
    // Focusability from the create parameter "NOT_FOCUSABLE", else from the sign of the tab stop.
    void ApplyFocusability();
    void ReplaceLooks();
    void ApplySkinFont();
    // Takes out the children that none of descriptor's child descriptors names, each detached while still
    // in the tree so that its window forgets it and its idle requests go.
    void DetachUnmatchedChildren(const LControlDescriptor& descriptor);
    // Puts back the set-aside children that descriptor's child descriptors name, re-applying those.
    void RestoreMatchedChildren(const LControlDescriptor& descriptor, RCPtrArray<LControl, 1, 0>& setAside);
    void RefreshConditionsRecord();
    // Whether one of the string table's "LHK" entries was bound.
    [[nodiscard]] bool HasLocalKeyBindings() const;
    // Whether the "LHK" bindings listen to the parent's "NID_SIBLING_KEY" (the keys its siblings pass on).
    [[nodiscard]] bool ListensToSiblingKeys() const;
    // Binds the "LHK" bindings to the parent's "NID_SIBLING_KEY"; nothing without a parent.
    void ListenToSiblingKeys();
    // The look at index when it exists, else null.
    [[nodiscard]] LLook* FindLook(int32_t index) const;

    // Binds the "NID_IDLE" handler to the root window; E_FAIL when the tree has no root window that
    // distributes notifications.
    ZQRESULT RegisterForIdle();
    // Drops the "NID_IDLE" registration with the root window and keeps the request count, so that the
    // control registers again in the next window it joins. E_FAIL when the handler had no binding, else
    // the unregistration's result (0 without a root window).
    ZQRESULT UnregisterFromIdle();
    // The "NID_IDLE" handler: automatic scrolling, pending removals, then OnIdle. 0.
    ZQRESULT OnIdleNotification(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);
    // The hover cursor's part of a condition change from previous to current.
    void UpdateHoverCursor(uint32_t previous, uint32_t current);
    // "NID_CONDITION_CHANGE", then one notification per changed group, each with the record.
    void SendConditionNotifications(uint32_t previous, uint32_t current);
    // The root window hit-tests the pointer again and moves the hover to the control under it.
    void RehitPointer();
    // Adds delta to the unclipped counts of this control and every ancestor.
    void AdjustUnclippedCount(int32_t delta);
    void AppendDescendants(RCPtrArray<LControl, 1, 0>& descendants) const;

    // Input: whether the control takes mouse and key input now (shown, enabled, under enabled ancestors).
    [[nodiscard]] bool TakesInput() const;
    // Sends name with param through the control's own distributor.
    void Send(const char16_t* name, const RCPtr<LRefCountedObject>& param);
    void MoveFocusOnPress();
    using ClickedHook = void (LControl::*)(const RCPtr<LMouseButtonParam>&);
    // A click's hook, then its notification; E_INVALIDARG for null.
    ZQRESULT DeliverClick(const RCPtr<LMouseButtonParam>& param, ClickedHook clicked, const char16_t* name);
    // Opens the control's context menu, when it has one: a pop-up made from the skin's "contextMenu"
    // descriptor under this control. Nothing opens without that descriptor or when it makes no pop-up.
    void ShowContextMenu();
    // Every command of node's items and of their submenus, depth first. M is a menu descriptor class.
    template <class M>
    static void AppendMenuCommands(const M& node, Array<WString>& commands)
    {
        for (uint32_t i = 0; i < node.mItems.GetCount(); ++i)
        {
            const auto& item = node.mItems.GetAt(i);
            if (item == nullptr)
            {
                continue;
            }
            if (!item->mCommand.IsEmpty())
            {
                commands.Add(item->mCommand);
            }
            AppendMenuCommands(*item, commands);
        }
    }
    // SetContextMenuDescriptor's body: menu is stored, and commands are its items' commands.
    ZQRESULT ReplaceContextMenu(const RCPtr<LRefCountedObject>& menu, const Array<WString>& commands);
    void BindContextMenuCommands(const Array<WString>& commands);
    void UnbindContextMenuCommands();
    // The hot keys that bind command: the root window's, else the application's; null when neither does.
    [[nodiscard]] RCPtr<LGlobalHotKeyManager> FindHotKeysFor(const WString& command) const;
    // A context-menu command received: handed on as its first key to the hot keys that bind it. 1.
    ZQRESULT OnContextMenuCommand(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    // The create parameters' "CONTEXT_MENU" definitions, grouped per menu.
    void ReadContextMenuDefinitions(Array<MenuDefinitionPairs>& menus) const;
    // A move's hook, notification and drag step.
    void DeliverMove(const RCPtr<LPointWithModifiersParam>& param);
    // The pan released fast enough keeps scrolling.
    void StartKineticScroll();

    // Dragging helpers.
    // One step of the automatic scrolling, run first on every idle pass.
    void AdvanceAutoScroll();
    // One axis of AdvanceAutoScroll: moves the content by the time passed and slows a kinetic scroll.
    void AdvanceAutoScrollAxis(int32_t axis, uint32_t nowTicks);
    // The parent's scroll offset; 0, 0 without a parent.
    [[nodiscard]] PointT<double> GetParentScrollOffset() const;
    // Records the size, the parent's scroll offset and the four absolute layout values.
    void RecordDragStart();
    // DragDrop to ResizeScrolling: the new position or size from the displacement.
    void ApplyDragPlacement(const PointT<double>& displacement);
    // Every mode but DragDrop: the pointer kept inside the parent's visible area as GetDragLimits narrows
    // it (DragState::LimitDisplacement).
    void LimitDragDisplacement(PointT<double>& displacement, DragState::EdgeDepth& edges);
    // Pan: the own scroll offset follows the pointer and the speed is measured.
    void PanContent(const PointT<double>& displacement);
    // DragDrop: finds the drop target under windowPoint, tells old and new targets, sets the cursor and
    // scrolls the target near its edges.
    void TrackDropTarget(const PointT<int32_t>& windowPoint);
    // Sets or stops scroller's automatic scrolling on axis: a depth of -1 stops it, else the speed grows
    // with the depth into the edge margin (toward the start edge when towardStart).
    void DriveEdgeScroll(const RCPtr<LControl>& scroller, int32_t axis, double depth, bool towardStart);
    // Whether this control or an ancestor is not clipped to its parent.
    [[nodiscard]] bool IsFloating() const;
    // Tab left this control: to the parent's tab navigation, or at the top to the window cycling.
    void PassTabUp(const RCPtr<LKeyParam>& param);
    // A new Tab key (Shift when backward) with this control visited, passed up.
    void PassTabKeyUp(const RCPtr<LKeyParam>& param, bool backward);
    // The root window's hot keys, then the application's. 0 when one took the key, else 1.
    ZQRESULT OfferToHotKeyManagers(const RCPtr<LKeyParam>& param);
    [[nodiscard]] Array<LNotificationReceiver*> GetSiblingKeyListeners() const;
    // The tab-order position of the child that is listener, or -1.
    [[nodiscard]] int32_t TabPositionOf(const LNotificationReceiver* listener) const;

    // The control that offered the key, while OnSiblingKey orders the listeners.
    const LNotificationReceiver* mSiblingKeySource = nullptr;

    // Focus helpers.
    // Not marked not focusable, and visible and enabled with its ancestors.
    [[nodiscard]] bool CanTakeFocus() const;
    // Marked not focusable, or an ancestor up to the first focus scope is.
    [[nodiscard]] bool IsNotFocusableUpToScope() const;
    // The last child (storage order) other than except that is focused or contains the focus; null when
    // none.
    [[nodiscard]] RCPtr<LControl> FindFocusedChild(const LControl* except) const;
    // The first child in tab order (the last, with forward false) that is visible, enabled and can take
    // the focus or has a focusable descendant; null when none.
    [[nodiscard]] RCPtr<LControl> FindFocusableChild(bool forward) const;
    // SetFocus's steps: hand it down to a child, take it here, or leave it to the top control.
    ZQRESULT PassFocusToChild(bool forward);
    ZQRESULT TakeFocus(const RCPtr<LRootWindow>& window);
    ZQRESULT PassFocusToRoot();

    // Invalidation helpers.
    // The top control's answer to InvalidateRect: the rectangle, rounded, into the root window's dirty
    // region.
    ZQRESULT InvalidateInRootWindow(const RectT<double>& windowRect, bool clip,
                                    const RectT<double>& visiblePart);
    // Invalidates the control's whole area with the clip flag off when it is not clipped to its parent.
    void InvalidateWholeIfFloating();

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
    [[nodiscard]] RCPtr<LControl> GetChildAtPoint(const PointT<int32_t>& point, bool insideClip,
                                                  bool contains, PointT<int32_t>& localPoint, int32_t& z);
    // The control's own part of the hit test.
    [[nodiscard]] bool IsHitItself(const PointT<int32_t>& point, bool insideClip, bool contains,
                                   int32_t z) const;
};
} // namespace ZQ
