// Construction, destruction and release of the control, its notification dispatch, its texts and looks,
// and the base answers of its virtual operations.
#include "ZQFramework/ControlBase/Control.h"

#include "ZQFramework/ControlBase/ControlApplication.h"
#include "ZQFramework/ControlBase/ControlDescriptor.h"
#include "ZQFramework/ControlBase/ControlFactory.h"
#include "ZQFramework/ControlBase/Look.h"
#include "ZQFramework/ControlBase/StringTable.h"
#include "ZQFramework/ControlBase/VisualPart.h"
#include "ZQFramework/ControlBase/VisualPartDescriptor.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/KeyParam.h"
#include "ZQFramework/Notification/MouseButtonParam.h"
#include "ZQFramework/Notification/MouseWheelParam.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationHandler.h"
#include "ZQFramework/Notification/PointWithModifiersParam.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Renderer/Font.h"

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
        (void)SetParent(parent);
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
    (void)UnregisterAllClients();
    if (mMenuItemUpdater != nullptr)
    {
        mMenuItemUpdater->ClearControl();
        mMenuItemUpdater = nullptr;
    }
    (void)mChildren.RemoveAll();
    (void)UnregisterFromAllDistributors();
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
        (void)mHandler->RemoveCallback(source.Get(), id);
    }
    return UnregisterFromDistributor(source, id);
}

// --- UITarget ---

// --- Virtual operations ---

ZQRESULT LControl::SetLabel(const WString& text)
{
    if (text == mLabel)
    {
        return S_FALSE;
    }
    mLabel = text;
    return S_OK;
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
// Until descriptors are applied whole, a descriptor gives the control only itself and its layout.
ZQRESULT LControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    if (descriptor == nullptr)
    {
        return E_INVALIDARG;
    }
    mDescriptor = descriptor;
    if (descriptor->mLayout != nullptr)
    {
        SetLayoutCopy(*descriptor->mLayout);
    }
    return 0;
}

void LControl::SetLayoutCopy(const LLayoutDescriptor& layout)
{
    const bool wasClipped = mLayout == nullptr || mLayout->mClipToParent;
    (void)layout.CopyTo(mLayout);
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
ZQRESULT LControl::CreateChildControls(const RCPtr<LControlDescriptor>& /*descriptor*/)
{
    return 1;
}
ZQRESULT LControl::Initialize()
{
    return 1;
}
ZQRESULT LControl::ProcessCreateParams()
{
    return 1;
}
ZQRESULT LControl::AddChildControl(const RCPtr<LControl>& /*control*/,
                                   const RCPtr<LControlDescriptor>& /*descriptor*/)
{
    return 1;
}
ZQRESULT LControl::OnCreated()
{
    return 0;
}
WString LControl::GetToolTipText() const
{
    return mToolTipText;
}
ZQRESULT LControl::CreateToolTip(bool /*show*/)
{
    return 1;
}
RectT<double> LControl::GetContentRect() const
{
    RectT<double> client;
    (void)GetClientRect(client);
    return {mScrollOffset.x, mScrollOffset.y, client.width, client.height};
}

// --- Texts, looks and menus ---

WString LControl::GetString(const WString& key) const
{
    WString text;
    if (mStringTable != nullptr)
    {
        (void)mStringTable->GetString(key, text);
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
    (void)mLooks.Add(look);
    if (mLookOpacity.GetCount() < mLooks.GetCount())
    {
        (void)mLookOpacity.Add(0.0f);
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
        (void)Invalidate({0, 0, mRect.width, mRect.height}, mLayout == nullptr || mLayout->mClipToParent);
    }
    return 0;
}

ZQRESULT LControl::UpdateLabel(const WString& text, bool /*relayout*/)
{
    if (text == mLabel)
    {
        return 0;
    }
    mLabel = text;
    return 1;
}

bool LControl::IsLabelTruncated() const
{
    return false;
}

ZQRESULT LControl::SetLookRegion(int32_t /*index*/, const Region& /*region*/)
{
    return E_NOTIMPL;
}

ZQRESULT LControl::SetLookBitmap(int32_t /*index*/, const ConstRCPtr<LVisualPart>& /*picture*/)
{
    return E_NOTIMPL;
}

ZQRESULT LControl::SetLookTextForegroundPart(int32_t /*index*/, const ConstRCPtr<LVisualPart>& /*part*/)
{
    return E_NOTIMPL;
}

void LControl::ClearLookRegions()
{
}

void LControl::ClearLookRegion(int32_t /*index*/)
{
}

ZQRESULT LControl::SetLookRegionExcluding(int32_t /*lookA*/, int32_t /*lookB*/)
{
    return E_NOTIMPL;
}

ConstRCPtr<LVisualPart> LControl::CreateVisualPart(const ConstRCPtr<LVisualPartDescriptor>& /*descriptor*/)
{
    return nullptr;
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
                                       const RCPtr<LNotification>& /*notification*/)
{
    return 1;
}
} // namespace ZQ
