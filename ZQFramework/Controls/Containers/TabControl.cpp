#include "ZQFramework/Controls/Containers/TabControl.h"

#include "ZQFramework/Controls/Buttons/Button.h"
#include "ZQFramework/Controls/ControlPattern.h"
#include "ZQFramework/Notification/ConditionsParam.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationNames.h"

namespace ZQ
{
namespace
{
// The child at a storage position of holder; null without a holder or for a position past its children
// (negative positions included).
RCPtr<LControl> ChildAt(const RCPtr<LControl>& holder, int32_t index)
{
    if (holder == nullptr || static_cast<uint32_t>(index) >= holder->GetChildren().GetCount())
    {
        return {};
    }
    return holder->GetChildren().GetAt(static_cast<uint32_t>(index),
                                       LControl::ChildControlList::kStorageOrder);
}
} // namespace

RCPtr<LTabBecomingUnselectedParams> LTabBecomingUnselectedParams::Create(int32_t currentIndex,
                                                                         int32_t newIndex)
{
    return RCPtr<LTabBecomingUnselectedParams>(new LTabBecomingUnselectedParams(currentIndex, newIndex));
}

LTabBecomingUnselectedParams::LTabBecomingUnselectedParams(int32_t currentIndex, int32_t newIndex)
    : mCurrentIndex(currentIndex), mNewIndex(newIndex)
{
}

LTabControl::LTabControl(CreateKey key, const RCPtr<LControl>& parent, const WString& name)
    : LPanel(key, parent, name)
{
}

LTabControl::~LTabControl() = default;

// --- Own operations ---

int32_t LTabControl::GetTabCount()
{
    return mButtonHolder != nullptr ? static_cast<int32_t>(mButtonHolder->GetChildren().GetCount()) : 0;
}

int32_t LTabControl::FindTabIndex(const WString& name)
{
    return mButtonHolder != nullptr ? mButtonHolder->GetChildren().FindLastByName(name) : -1;
}

int32_t LTabControl::GetSelectedIndex()
{
    return FindTabIndex(mSelectedTabName);
}

RCPtr<LControl> LTabControl::GetSelectedPage()
{
    return ChildAt(mPageHolder, GetSelectedIndex());
}

const WString& LTabControl::GetSelectedTabName()
{
    return mSelectedTabName;
}

RCPtr<LControl> LTabControl::GetPage(const WString& name)
{
    return GetPageAt(FindTabIndex(name));
}

RCPtr<LControl> LTabControl::GetPageAt(int32_t index)
{
    if (mPageHolder == nullptr || static_cast<uint32_t>(index) >= static_cast<uint32_t>(GetTabCount()))
    {
        return {};
    }
    // A tab without a page (fewer pages than tabs) has none to give.
    return ChildAt(mPageHolder, index);
}

RCPtr<LControl> LTabControl::GetButton(const WString& name)
{
    return ChildAt(mButtonHolder, FindTabIndex(name));
}

RCPtr<LControl> LTabControl::GetButtonAt(int32_t index)
{
    return ChildAt(mButtonHolder, index);
}

ZQRESULT LTabControl::SelectTab(const WString& name)
{
    if (mButtonHolder == nullptr || mPageHolder == nullptr)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const WString newName(name); // name may be the stored selection, which changes below
    const int32_t current = GetSelectedIndex();
    const int32_t asked = FindTabIndex(newName);
    if (current >= 0 && current != asked)
    {
        const RCPtr<LTabBecomingUnselectedParams> params =
            LTabBecomingUnselectedParams::Create(current, asked);
        SendNotification(kNidTabBecomingUnselected, RCPtr<LRefCountedObject>(params));
        if (params->mNewIndex != asked)
        {
            // Receivers that hand every change on would pass it round without end.
            if (mRedirects >= kMaxRedirects)
            {
                return E_FAIL;
            }
            // The receiver names a storage position, like the indexes it was given.
            ++mRedirects;
            const ZQRESULT result = SelectTabAtStoragePosition(params->mNewIndex);
            --mRedirects;
            return result;
        }
    }
    for (int32_t i = GetTabCount() - 1; i >= 0; --i)
    {
        if (const RCPtr<LControl> page = GetPageAt(i); page != nullptr && i != asked)
        {
            page->SetVisible(false);
        }
    }
    mSelectedTabName = newName;
    OnTabSelected(asked);
    if (const RCPtr<LControl> page = GetPageAt(asked); page != nullptr)
    {
        page->SetVisible(true);
    }
    SendNotification(kNidTabSelected, RCPtr<LRefCountedObject>(GetSelectedPage()));
    return 0;
}

ZQRESULT LTabControl::SelectTabAt(int32_t index)
{
    if (mButtonHolder == nullptr || static_cast<uint32_t>(index) >= mButtonHolder->GetChildren().GetCount())
    {
        return E_FAIL;
    }
    const RCPtr<LButton> button(
        mButtonHolder->GetChildren().GetAt(static_cast<uint32_t>(index), ChildControlList::kTabOrder));
    return button != nullptr ? SelectTab(button->GetName()) : E_FAIL;
}

void LTabControl::OnTabSelected(int32_t /*index*/)
{
}

// --- Control base operations ---

ZQRESULT LTabControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification)
{
    if (IsCreated() && mTabHandler != nullptr)
    {
        const ZQRESULT handled = mTabHandler->Dispatch(source, notification);
        if (handled != 0)
        {
            return handled;
        }
    }
    return LPanel::ReceiveNotification(source, notification);
}

ZQRESULT LTabControl::RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                                 NotificationID id)
{
    if (mTabHandler != nullptr)
    {
        mTabHandler->RemoveCallback(source.Get(), id);
    }
    return LPanel::RemoveNotificationCallback(source, id);
}

void LTabControl::OnConditionsChanged(const RCPtr<LConditionsParam>& conditions)
{
    const bool shown = conditions != nullptr && (conditions->mPrevious & kConditionVisible) == 0 &&
                       (conditions->mCurrent & kConditionVisible) != 0;
    if (shown && GetParent() == nullptr && GetRootWindowObject() != nullptr)
    {
        if (const RCPtr<LControl> page = GetSelectedPage(); page != nullptr)
        {
            page->SetFocus(true);
        }
    }
    LPanel::OnConditionsChanged(conditions);
}

ZQRESULT LTabControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const ZQRESULT result = LPanel::ApplyDescriptor(descriptor);
    if (IsCreated())
    {
        SelectTab(mSelectedTabName);
    }
    return result;
}

ZQRESULT LTabControl::Initialize()
{
    const ZQRESULT result = LPanel::Initialize();
    if (result < 0)
    {
        return E_FAIL;
    }
    mButtonHolder = FindChild(u"buttonHolder");
    mPageHolder = FindChild(u"pageHolder");
    const ZQRESULT selected = SelectTabAt(0);
    if (selected < 0)
    {
        return selected;
    }
    mTabHandler = LNotificationHandler<LTabControl>::Create(this);
    for (uint32_t i = 0; i < mButtonHolder->GetChildren().GetCount(); ++i)
    {
        const RCPtr<LButton> button(mButtonHolder->GetChildren().GetAt(i, ChildControlList::kStorageOrder));
        if (button != nullptr)
        {
            mTabHandler->AddCallback(&LTabControl::OnTabButtonClick, RCPtr<LNotificationDistributor>(button),
                                     kNidLeftClick);
        }
    }
    return selected;
}

// --- Helpers ---

ZQRESULT LTabControl::OnTabButtonClick(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& /*notification*/)
{
    const RCPtr<LControl> button(source);
    if (button == nullptr)
    {
        return 1;
    }
    const RCPtr<LControl> self = KeepControlAlive(this);
    const WString name(button->GetName());
    const int32_t clicked = FindTabIndex(name);
    if (clicked >= 0)
    {
        SendNotification(kNidTabButtonClicked, RCPtr<LRefCountedObject>(button));
    }
    SelectTab(name);
    const int32_t selected = GetSelectedIndex();
    if (selected < 0)
    {
        return 1;
    }
    if (selected != clicked)
    {
        // The change was refused or redirected: the selected tab's button shows as pressed again.
        if (const RCPtr<LControl> selectedButton = GetButtonAt(selected); selectedButton != nullptr)
        {
            selectedButton->SetValue(1.0);
        }
    }
    if (const RCPtr<LControl> page = GetPageAt(selected); page != nullptr)
    {
        page->SetFocus(true);
    }
    return 1;
}

ZQRESULT LTabControl::SelectTabAtStoragePosition(int32_t index)
{
    const RCPtr<LButton> button(GetButtonAt(index));
    return button != nullptr ? SelectTab(button->GetName()) : E_FAIL;
}

void LTabControl::SendNotification(const char16_t* name, const RCPtr<LRefCountedObject>& param)
{
    Notify(LNotification::Create(name, ConstRCPtr<LRefCountedObject>(param)));
}
} // namespace ZQ
