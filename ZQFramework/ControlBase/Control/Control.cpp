// Construction, destruction and release of the control, its notification dispatch, its texts and looks,
// its creation from a skin descriptor, and the base answers of its virtual operations.
#include "ZQFramework/ControlBase/Control/Control.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/ControlBase/Control/ToolTipControl.h"
#include "ZQFramework/ControlBase/Control/VisualPart.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Notification/NotificationNames.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/Notification/SiblingKeyParam.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/Font.h"
#include "ZQFramework/Renderer/FontText.h"
#include "ZQFramework/Utilities/Graphics/Bitmap.h"
#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <algorithm>
#include <stdexcept>

namespace ZQ
{
// --- LMenuItemUpdater ---

RCPtr<LMenuItemUpdater> LMenuItemUpdater::Create(LControl* control)
{
    return RCPtr<LMenuItemUpdater>(new LMenuItemUpdater(control));
}

LMenuItemUpdater::LMenuItemUpdater(LControl* control) : mControl(control)
{
    LRefCountedObject::AdjustInternalRefCount(control, 1);
}

LMenuItemUpdater::~LMenuItemUpdater()
{
    ClearControl();
}

void LMenuItemUpdater::ClearControl()
{
    if (mControl == nullptr)
    {
        return;
    }
    LControl* control = mControl.Get();
    LRefCountedObject::AdjustInternalRefCount(control, -1);
    mControl = nullptr;
}

// --- Construction and release ---

LControl::LControl(const RCPtr<LControl>& parent, const WString& name, bool /*mostDerived*/)
    : mName(name), mConditionsParam(LConditionsParam::Create(0, 0, 0, 0)), mChildren(this)
{
    if (parent != nullptr)
    {
        SetParent(parent);
    }
    if (IControlApplication* application = IControlApplication::GetCurrent())
    {
        if (const RCPtr<LControlFactory> factory = application->GetControlFactory())
        {
            mStringTable = factory->GetControlStringTable(parent, mName);
        }
    }
}

LControl::~LControl() = default;

ZQRESULT LControl::ReleaseInternalReferences()
{
    UnregisterAllClients();
    if (mMenuItemUpdater != nullptr)
    {
        mMenuItemUpdater->ClearControl();
        mMenuItemUpdater = nullptr;
    }
    mChildren.RemoveAll();
    UnregisterFromAllDistributors();
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

ZQRESULT LControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification)
{
    if (mHandler == nullptr || !mCreated)
    {
        return 1;
    }
    return mHandler->Dispatch(source, notification);
}

ZQRESULT LControl::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                              NotificationID id)
{
    if (mHandler != nullptr)
    {
        mHandler->RemoveCallback(source.Get(), id);
    }
    return UnregisterFromDistributor(source, id);
}

// --- UITarget ---

// --- Virtual operations ---

ZQRESULT LControl::SetLabel(const WString& text)
{
    return UpdateLabel(text, true) == 1 ? S_OK : S_FALSE;
}
RCPtr<LStringTable> LControl::GetStringTable() const
{
    return mStringTable;
}
bool LControl::IsEditTarget() const
{
    return false;
}
RCPtr<LControl> LControl::GetEditTarget()
{
    if (IsEditTarget())
    {
        return RCPtr<LControl>(this);
    }
    return mParent != nullptr ? mParent->GetEditTarget() : RCPtr<LControl>();
}
bool LControl::CanPerformEdit(int32_t /*command*/)
{
    return false;
}
ZQRESULT LControl::PerformEdit(int32_t /*command*/)
{
    throw Exception<std::logic_error>(
        "Logic Error : LControl::PerformEdit must be overridden : "
        "ZQ::LControl::PerformEdit : ZQFramework\\include\\../ControlBase/Control : "
        "Line 591");
}
ZQRESULT LControl::GetClientRect(RectT<double>& rect) const
{
    const RectT<double> client = GetLookRect(-1);
    rect = {0, 0, client.width, client.height};
    return 0;
}
ZQRESULT LControl::UpdateMenuItemState(const RCPtr<LMenuDescriptor>& /*menu*/, int32_t /*itemIndex*/,
                                       int32_t /*command*/, MenuItemState& /*state*/)
{
    return 1;
}
RCPtr<LRefCountedObject> LControl::GetContextMenu()
{
    return mContextMenu;
}
void LControl::PrepareContextMenu(const RCPtr<LPopupMenu>& /*menu*/)
{
}
ZQRESULT LControl::SelectLook(int32_t index)
{
    return SetLookOpacity(index, 1.0f, true);
}
int32_t LControl::AdjustWindowPlacement(RectT<int32_t>& /*rect*/)
{
    return 0;
}
void LControl::SetLayoutCopy(const LLayoutDescriptor& layout)
{
    const bool wasClipped = IsClippedToParent();
    layout.CopyTo(mLayout);
    const bool clipped = mLayout->mClipToParent;
    if (mParent == nullptr)
    {
        return;
    }
    if (wasClipped != clipped)
    {
        mParent->AdjustUnclippedCount(clipped ? -1 : 1);
    }
    mParent->mChildren.IncrementChangeCount();
}
ZQRESULT LControl::OnCreated()
{
    return 0;
}
WString LControl::GetToolTipText() const
{
    return mToolTipText;
}
ZQRESULT LControl::CreateToolTip(bool show)
{
    if (!show)
    {
        const RCPtr<LControl> shown = FindChild(u"toolTip");
        auto* const toolTip = dynamic_cast<IToolTip*>(shown.Get());
        return toolTip != nullptr ? toolTip->Hide() : S_FALSE;
    }
    const WString text = GetToolTipText();
    const IControlApplication* const application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : RCPtr<LControlFactory>();
    if (text.IsEmpty() || factory == nullptr)
        return S_FALSE;
    const RCPtr<LControlDescriptor> descriptor = factory->FindSkinDescriptor(u"toolTip");
    if (descriptor == nullptr)
        return S_FALSE;
    RCPtr<LControl> made;
    try
    {
        made = factory->CreateControl(descriptor, RCPtr<LControl>(this));
    }
    catch (const std::exception&)
    {
        return S_FALSE; // the skin's tool tip is of a class nobody registered: no tool tip
    }
    auto* const toolTip = dynamic_cast<IToolTip*>(made.Get());
    if (toolTip == nullptr)
        return S_FALSE;
    made->SetLabel(text);
    return toolTip->Show();
}
RectT<double> LControl::GetContentRect() const
{
    RectT<double> client;
    GetClientRect(client);
    return {mScrollOffset.x, mScrollOffset.y, client.width, client.height};
}

// --- Texts, looks and menus ---

WString LControl::GetString(const WString& key) const
{
    WString text;
    if (mStringTable != nullptr)
    {
        mStringTable->GetString(key, text);
    }
    return text;
}
RCPtr<LMenuItemUpdater> LControl::GetMenuItemUpdater()
{
    if (mMenuItemUpdater == nullptr)
    {
        mMenuItemUpdater = LMenuItemUpdater::Create(this);
    }
    return mMenuItemUpdater;
}

RCPtr<LLook> LControl::GetLook(int32_t index) const
{
    if (index >= 0 && static_cast<uint32_t>(index) < mLooks.GetCount())
    {
        return mLooks.GetAt(static_cast<uint32_t>(index));
    }
    // Any other index asks for the default look: the first visible one, else the first that exists.
    const int32_t visible = GetFirstVisibleLookIndex();
    if (visible >= 0)
    {
        return mLooks.GetAt(static_cast<uint32_t>(visible));
    }
    for (uint32_t i = 0; i < mLooks.GetCount(); ++i)
    {
        if (mLooks.GetAt(i) != nullptr)
        {
            return mLooks.GetAt(i);
        }
    }
    return {};
}

RectT<double> LControl::GetLookRect(int32_t index) const
{
    const RCPtr<LLook> look = GetLook(index);
    if (look == nullptr)
    {
        return {0, 0, mRect.width, mRect.height};
    }
    return look->GetClientRect().ToDouble();
}

int32_t LControl::GetFirstVisibleLookIndex() const
{
    const uint32_t count = std::min(mLooks.GetCount(), mLookOpacity.GetCount());
    for (uint32_t i = 0; i < count; ++i)
    {
        if (mLooks.GetAt(i) != nullptr && mLookOpacity.GetAt(i) > 0)
        {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t LControl::AddLook(const RCPtr<LLook>& look)
{
    const auto index = static_cast<int32_t>(mLooks.GetCount());
    mLooks.Add(look);
    if (mLookOpacity.GetCount() < mLooks.GetCount())
    {
        mLookOpacity.Add(0.0f);
    }
    return index;
}

ZQRESULT LControl::SetLookOpacity(int32_t index, float opacity, bool exclusive)
{
    if (index < 0 || static_cast<uint32_t>(index) >= mLookOpacity.GetCount())
    {
        return E_INVALIDARG;
    }
    const bool store = opacity >= 0.0f && opacity <= 1.0f;
    bool changed = false;
    for (uint32_t i = 0; i < mLookOpacity.GetCount(); ++i)
    {
        const bool selected = i == static_cast<uint32_t>(index);
        if ((selected && !store) || (!selected && !exclusive))
        {
            continue;
        }
        float& entry = mLookOpacity.GetAt(i);
        const float value = selected ? opacity : 0.0f;
        changed = changed || entry != value;
        entry = value;
    }
    if (changed)
    {
        InvalidateWhole();
    }
    return 0;
}

ZQRESULT LControl::UpdateLabel(const WString& text, bool relayout)
{
    if (text == mLabel)
    {
        return 0;
    }
    if (IsTopControl())
    {
        if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
        {
            window->SetTitle(text);
        }
    }
    mLabel = text;
    for (uint32_t i = mLooks.GetCount(); i-- > 0;)
    {
        if (const RCPtr<LLook>& look = mLooks.GetAt(i); look != nullptr)
        {
            look->SetText(mLabel);
        }
    }
    if (relayout && mLayout != nullptr &&
        (mLayout->mTextOverflowX != LLayoutDescriptor::kOverflowClip ||
         mLayout->mTextOverflowY != LLayoutDescriptor::kOverflowClip))
    {
        UpdateLayout();
    }
    InvalidateWhole();
    return 1;
}

bool LControl::IsLabelTruncated() const
{
    const RCPtr<LLook> look = GetLook(-1);
    if (look == nullptr || look->GetTextLayout() == nullptr || look->GetDescriptor() == nullptr)
    {
        return !mLabel.IsEmpty();
    }
    constexpr float kLimit = 8388608.0f; // 2^23
    const LLookDescriptor::TextProperties& text = look->GetDescriptor()->mText;
    const auto width = static_cast<float>(look->GetWidth());
    const float left = std::clamp(text.LeftRel * width + static_cast<float>(text.LeftAbs), -kLimit, kLimit);
    const float right =
        std::clamp(text.RightRel * width + static_cast<float>(text.RightAbs), -kLimit, kLimit);
    return right - left < static_cast<float>(look->GetTextLayout()->GetNaturalWidth());
}

LLook* LControl::FindLook(int32_t index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= mLooks.GetCount())
    {
        return nullptr;
    }
    return mLooks.GetAt(static_cast<uint32_t>(index)).Get();
}

ZQRESULT LControl::SetLookRegion(int32_t index, const Region& region)
{
    LLook* look = FindLook(index);
    if (look == nullptr)
    {
        return E_INVALIDARG;
    }
    look->SetRegion(region);
    InvalidateWhole();
    return 0;
}

ZQRESULT LControl::SetLookBitmap(int32_t index, const ConstRCPtr<LBitmap>& bitmap, int32_t resizeType,
                                 bool replacesClient)
{
    LLook* look = FindLook(index);
    if (look == nullptr)
    {
        return E_FAIL;
    }
    look->SetOverlay(bitmap, resizeType, replacesClient);
    if (GetLook(-1).Get() == look)
    {
        InvalidateWhole();
    }
    return 0;
}

ZQRESULT LControl::SetLookTextForegroundPart(int32_t index, const ConstRCPtr<LVisualPart>& part)
{
    LLook* look = FindLook(index);
    if (look == nullptr)
    {
        return E_FAIL;
    }
    if (part == nullptr)
    {
        return E_INVALIDARG;
    }
    if (look->GetTextForegroundPart() != part)
    {
        look->SetTextForegroundPart(part);
    }
    return 0;
}

void LControl::ClearLookRegions()
{
    for (uint32_t i = mLooks.GetCount(); i-- > 0;)
    {
        if (const RCPtr<LLook>& look = mLooks.GetAt(i); look != nullptr)
        {
            look->ClearRegion();
        }
    }
}

void LControl::ClearLookRegion(int32_t index)
{
    if (LLook* look = FindLook(index); look != nullptr)
    {
        look->ClearRegion();
    }
}

ZQRESULT LControl::SetLookRegionExcluding(int32_t lookA, int32_t lookB)
{
    LLook* target = FindLook(lookA);
    const LLook* excluded = FindLook(lookB);
    if (target == nullptr || excluded == nullptr)
    {
        return E_INVALIDARG;
    }
    Region region;
    region.AddRect(0, 0, static_cast<int32_t>(mRect.width + 0.5), static_cast<int32_t>(mRect.height + 0.5));
    region.SubtractRegion(excluded->GetRegion());
    region.Optimize();
    target->SetRegion(region);
    InvalidateWhole();
    return 0;
}

ConstRCPtr<LVisualPart> LControl::CreateVisualPart(const ConstRCPtr<LVisualPartDescriptor>& descriptor)
{
    if (descriptor == nullptr)
    {
        return nullptr;
    }
    return RCPtr<LVisualPart>(new LVisualPart(
        descriptor->mName, nullptr, {descriptor->mWidth, descriptor->mHeight}, descriptor->mResizeType,
        descriptor->mColorizer, descriptor->mColorizerAlphaMod, nullptr));
}

KeyCode LControl::GetKeyForAction(const WString& action) const
{
    return mKeyBindings.GetFirstKeyForAction(action);
}

bool LControl::IsKeyBound(const KeyCode& key) const
{
    return !mKeyBindings.GetActionForKey(key).IsEmpty();
}

ZQRESULT LControl::OnSiblingKeyBinding(const RCPtr<LNotificationDistributor>& /*source*/,
                                       const RCPtr<LNotification>& notification)
{
    const RCPtr<LSiblingKeyParam> param = notification != nullptr
                                              ? RCPtr<LSiblingKeyParam>(notification->GetParam())
                                              : RCPtr<LSiblingKeyParam>();
    if (param == nullptr || !TakesInput())
    {
        return 1;
    }
    const WString action = mKeyBindings.GetActionForKey(param->mKeyCode);
    if (action.IsEmpty())
    {
        return 1;
    }
    param->mPending = 0;
    if (const RCPtr<LNotification> bound = LNotification::Create(action.GetBuffer(), param); bound != nullptr)
    {
        ReceiveNotification(RCPtr<LNotificationDistributor>(), bound);
    }
    return 1;
}

// --- Creation and descriptors ---

namespace
{
// A yes/no create parameter: true when its text, trimmed and lower-cased, is "true".
bool IsYes(const WString& text)
{
    return text.Trim().ToLower() == u"true";
}

// The create parameter key of params, when there is one.
bool FindParam(const ConstRCPtr<LStringTable>& params, const char16_t* key, WString& text)
{
    return params != nullptr && params->GetString(key, text);
}

bool IsDeferred(const LControlDescriptor& descriptor)
{
    WString text;
    return FindParam(descriptor.mCreateParams, u"DEFER_CREATE", text) && IsYes(text);
}

int32_t TabStopOf(const RCPtr<LLayoutDescriptor>& layout)
{
    return layout != nullptr ? layout->mTabStop : 0;
}
} // namespace

const WString& LControl::NameOf(const LControlDescriptor& descriptor)
{
    return descriptor.mName;
}

void LControl::RunCreationSequence(const RCPtr<LControlDescriptor>& descriptor)
{
    try
    {
        ApplyDescriptor(descriptor);
        CreateChildControls(descriptor);
        Initialize();
        OnCreated();
        SetCreated(true);
    }
    catch (...)
    {
        // A half-made control must not stay in its parent's tree.
        SetParent(nullptr);
        throw;
    }
}

ZQRESULT LControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (descriptor == nullptr)
    {
        return E_INVALIDARG;
    }
    // Children let go below may hold the last references to this control; none is taken for a control
    // that nobody holds yet, which a temporary reference would delete.
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : RCPtr<LControl>();
    const bool reapplied = mCreated;
    const bool wasVisible = mLayout == nullptr || mLayout->mVisible;
    const bool wasEnabled = mLayout == nullptr || mLayout->mEnabled;
    if (reapplied)
    {
        // The new layout's clipping is counted afresh below.
        SetClipToParent(true);
    }

    mDescriptor = descriptor;
    SetLayoutCopy(descriptor->mLayout != nullptr ? *descriptor->mLayout : *LLayoutDescriptor::Create());

    RectT<int32_t> placement;
    const bool pinned = reapplied && IsTopControl();
    if (IsTopControl())
    {
        mLayout->mVisible = true;
    }
    if (pinned)
    {
        placement = GetWindowPlacement();
        RectT<int32_t> adjusted = placement;
        if (AdjustWindowPlacement(adjusted) == 1)
        {
            if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
            {
                window->SetWindowRect(adjusted);
            }
            placement = adjusted;
        }
        PinToWindow(placement);
    }

    if (reapplied)
    {
        const bool visible = mLayout->mVisible;
        if (visible != wasVisible)
        {
            // The change goes through the setter, with its notifications.
            mLayout->mVisible = wasVisible;
            SetVisible(visible);
        }
        // The skin carries no enabled state: the control keeps its own.
        mLayout->mEnabled = wasEnabled;
    }
    ApplyFocusability();
    ReplaceLooks();
    ApplySkinFont();

    if (reapplied)
    {
        // Changing the stored label makes the new looks take the text and the control re-lay itself out.
        const WString label = mLabel;
        mLabel += u'~';
        UpdateLabel(label, true);
        DetachUnmatchedChildren(*descriptor);
    }
    else if (mStringTable != nullptr)
    {
        UpdateLabel(GetString(u"LABEL"), false);
    }

    RCPtrArray<LControl, 1, 0> setAside;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        setAside.Add(mChildren.GetAt(i, ChildControlList::kStorageOrder));
    }
    mChildren.RemoveAll();
    InvalidateWhole();
    mRect = {};
    UpdateLayout();

    if (!reapplied)
    {
        SelectLook(0);
        RefreshConditionsRecord();
        return 0;
    }
    RestoreMatchedChildren(*descriptor, setAside);
    if (mChildren.GetCount() > 0)
    {
        UpdateLayout();
    }
    UpdateConditions();
    OnCreated();
    mChildren.IncrementChangeCount();
    if (pinned)
    {
        PinToWindow(placement);
    }
    return 0;
}

RectT<int32_t> LControl::GetWindowPlacement() const
{
    RectT<int32_t> placement{0, 0, RoundToLong(mRect.width), RoundToLong(mRect.height)};
    if (const RCPtr<LRootWindow> window = GetRootWindow(); window != nullptr)
    {
        const RectT<int32_t> screen = window->GetScreenRect();
        placement.x = screen.x;
        placement.y = screen.y;
    }
    return placement;
}

void LControl::PinToWindow(const RectT<int32_t>& placement)
{
    LLayoutDescriptor::AxisPosition x;
    x.ToControl = LLayoutDescriptor::kPositionParent;
    x.Abs = placement.x;
    LLayoutDescriptor::AxisPosition y = x;
    y.Abs = placement.y;
    LLayoutDescriptor::AxisSize width;
    width.ToControl = LLayoutDescriptor::kSizeSelf;
    width.Abs = placement.width;
    LLayoutDescriptor::AxisSize height = width;
    height.Abs = placement.height;
    SetAxisPlacement(x, width, y, height);
}

void LControl::ApplyFocusability()
{
    WString text;
    if (mDescriptor != nullptr && FindParam(mDescriptor->mCreateParams, u"NOT_FOCUSABLE", text))
    {
        SetNotFocusable(IsYes(text));
        return;
    }
    SetNotFocusable(TabStopOf(mLayout) < 0);
}

void LControl::ReplaceLooks()
{
    mLooks.SetCount(0);
    mLookOpacity.SetCount(0);
    const LSkinDescriptor* skin = mDescriptor->mSkin.Get();
    if (skin == nullptr || skin->mLookList == nullptr)
    {
        return;
    }
    const bool wordWrap = mLayout->mTextOverflowX == LLayoutDescriptor::kOverflowWrap;
    const LLookList& list = *skin->mLookList;
    for (uint32_t i = 0; i < list.GetCount(); ++i)
    {
        RCPtr<LLook> look;
        if (const ConstRCPtr<LLookDescriptor> entry = list.GetAt(i); entry != nullptr)
        {
            try
            {
                look = LLook::Create(entry, wordWrap);
            }
            catch (const std::exception&)
            {
                // A look whose parts cannot be built stays an empty entry; drawing skips it.
                look = nullptr;
            }
        }
        AddLook(look);
    }
}

void LControl::ApplySkinFont()
{
    const LSkinDescriptor* skin = mDescriptor->mSkin.Get();
    if (skin == nullptr)
    {
        // Without a skin of its own the control shows its parent's font.
        mFontInherited = true;
        mFontRelativeSize = false;
        SetFontSpec(WString(), 0, -1, false);
        return;
    }
    mFontInherited = skin->mFontInheritsFromParent;
    mFontRelativeSize = skin->mFontSizeIsRelative;
    SetFontSpec(skin->mFontName, skin->mFontSize, skin->mFontStyle, skin->mFontSizeIsRelative);
}

void LControl::DetachUnmatchedChildren(const LControlDescriptor& descriptor)
{
    RCPtrArray<LControl, 1, 0> unmatched;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i)
    {
        unmatched.Add(mChildren.GetAt(i, ChildControlList::kStorageOrder));
    }
    for (uint32_t d = 0; d < descriptor.mChildren.GetCount() && unmatched.GetCount() > 0; ++d)
    {
        const RCPtr<LControlDescriptor>& childDescriptor = descriptor.mChildren.GetAt(d);
        for (uint32_t i = 0; childDescriptor != nullptr && i < unmatched.GetCount(); ++i)
        {
            if (unmatched.GetAt(i)->GetName() == childDescriptor->mName)
            {
                unmatched.RemoveAt(i, 1);
                break;
            }
        }
    }
    const RCPtr<LRootWindow> window = GetRootWindow();
    for (uint32_t i = 0; i < unmatched.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = unmatched.GetAt(i);
        child->Detach();
        if (window != nullptr)
        {
            window->ForgetControl(*child);
        }
    }
}

void LControl::RestoreMatchedChildren(const LControlDescriptor& descriptor,
                                      RCPtrArray<LControl, 1, 0>& setAside)
{
    mInLayout = true;
    for (uint32_t d = 0; d < descriptor.mChildren.GetCount(); ++d)
    {
        const RCPtr<LControlDescriptor>& childDescriptor = descriptor.mChildren.GetAt(d);
        for (uint32_t i = 0; childDescriptor != nullptr && i < setAside.GetCount(); ++i)
        {
            if (setAside.GetAt(i)->GetName() == childDescriptor->mName)
            {
                const RCPtr<LControl> child = setAside.GetAt(i);
                setAside.RemoveAt(i, 1);
                AddChildControl(child, childDescriptor);
                break;
            }
        }
    }
    mInLayout = false;
}

void LControl::RefreshConditionsRecord()
{
    mConditionsParam->mPrevious = mConditionsParam->mCurrent;
    mConditionsParam->mCurrent = GetConditions();
    mConditionsParam->mPressX = mDrag.GetPressPoint().x;
    mConditionsParam->mPressY = mDrag.GetPressPoint().y;
}

ZQRESULT LControl::CreateChildControls(const RCPtr<LControlDescriptor>& descriptor)
{
    mChildren.RemoveAll();
    IControlApplication* application = IControlApplication::GetCurrent();
    const RCPtr<LControlFactory> factory =
        application != nullptr ? application->GetControlFactory() : RCPtr<LControlFactory>();
    if (descriptor != nullptr && factory != nullptr)
    {
        const RCPtr<LControl> self(this);
        for (uint32_t i = 0; i < descriptor->mChildren.GetCount(); ++i)
        {
            const RCPtr<LControlDescriptor>& child = descriptor->mChildren.GetAt(i);
            if (child == nullptr || IsDeferred(*child))
            {
                continue;
            }
            try
            {
                (void)factory->CreateControl(child, self);
            }
            catch (const std::exception&)
            {
                // One child that cannot be made (an unregistered class) leaves the others to be made.
            }
        }
    }
    UpdateLayout();
    return 0;
}

ZQRESULT LControl::AddChildControl(const RCPtr<LControl>& control,
                                   const RCPtr<LControlDescriptor>& descriptor)
{
    if (control == nullptr || descriptor == nullptr)
    {
        return E_FAIL;
    }
    const ZQRESULT result = control->SetParent(RCPtr<LControl>(this));
    if (result == 0 || result == 1)
    {
        control->ApplyDescriptor(descriptor);
    }
    return result;
}

ZQRESULT LControl::Initialize()
{
    mNotificationCenter = GetDefaultNotificationCenter();
    // Bindings made before (an idle request) stay with the handler.
    if (mHandler == nullptr)
    {
        mHandler = LNotificationHandler<LControl>::Create(this);
    }
    ProcessCreateParams();
    if (mStringTable == nullptr)
    {
        return 0;
    }
    mToolTipText = GetString(u"TOOLTIP");
    mKeyBindings.RemoveAll();
    mKeyBindings.LoadBindings(ConstRCPtr<LStringTable>(mStringTable), u"LHK");
    if (mParent != nullptr && HasLocalKeyBindings())
    {
        ListenToSiblingKeys();
        mHandler->AddDirectCallback(&LControl::OnSiblingKeyBinding, kNidSiblingKey);
    }
    return 0;
}

bool LControl::ListensToSiblingKeys() const
{
    return mHandler != nullptr && mParent != nullptr && mHandler->HasCallback(mParent.Get(), kNidSiblingKey);
}

void LControl::ListenToSiblingKeys()
{
    if (mParent != nullptr)
    {
        mHandler->AddCallback(&LControl::OnSiblingKeyBinding, RCPtr<LNotificationDistributor>(mParent),
                              kNidSiblingKey, 0);
    }
}

bool LControl::HasLocalKeyBindings() const
{
    LStringTable::PairArray entries;
    mStringTable->GetPairsWithPrefix(u"LHK.", entries);
    for (uint32_t i = 0; i < entries.GetCount(); ++i)
    {
        const WString& key = entries.GetAt(i).first;
        const int32_t dot = key.ReverseFind('.');
        if (mKeyBindings.HasBinding(key.Mid(dot + 1)))
        {
            return true;
        }
    }
    return false;
}

ZQRESULT LControl::ProcessCreateParams()
{
    const ConstRCPtr<LStringTable> params =
        mDescriptor != nullptr ? mDescriptor->mCreateParams : ConstRCPtr<LStringTable>();
    WString text;
    if (FindParam(params, u"INITIAL_VALUE", text))
    {
        SetValue(text.ToDouble());
    }
    ApplyFocusability();
    if (FindParam(params, u"USE_PARENT_TOOLTIP", text))
    {
        mUseParentToolTip = IsYes(text);
    }
    if (FindParam(params, u"WANTS_TAB", text))
    {
        mWantsTab = IsYes(text);
    }
    return 0;
}
} // namespace ZQ
