#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Control/Look.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationDistributor.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace ZQ
{
namespace
{
using ZQTest::TestControl;

TEST(Control, FreshControlIsNotFocusableAndDispatchesOnlyOnceCreated)
{
    const auto control = TestControl::Create(nullptr, u"control");
    const RCPtr<LNotificationDistributor> source(new LNotificationDistributor);
    EXPECT_TRUE(control->IsNotFocusable());
    ASSERT_EQ(control->Handler()->AddCallback(
                  static_cast<LNotificationHandler<LControl>::Callback>(&TestControl::CountNotification),
                  source, u"NID_TEST"),
              S_OK);

    (void)source->Notify(LNotification::Create(u"NID_TEST"));
    EXPECT_EQ(control->NotificationsReceived, 0);
    control->MarkCreated();
    (void)source->Notify(LNotification::Create(u"NID_TEST"));
    EXPECT_EQ(control->NotificationsReceived, 1);

    // A distributor letting go of its clients takes the binding away too.
    (void)source->UnregisterAllClients();
    EXPECT_FALSE(control->Handler()->HasCallback(source.Get(), u"NID_TEST"));
    EXPECT_EQ(control->LNotificationClient::GetRegistrationCount(), 0);
    (void)control->ReleaseInternalReferences();
}

TEST(Control, ReleaseInternalReferencesFreesTwoChildrenAndTheUpdater)
{
    std::vector<WString> destroyed;
    auto top = TestControl::Create(nullptr, u"top");
    auto a = TestControl::Create(top, u"a");
    auto b = TestControl::Create(top, u"b");
    a->DestroyedLog = b->DestroyedLog = top->DestroyedLog = &destroyed;
    const RCPtr<LMenuItemUpdater> updater = top->GetMenuItemUpdater();
    EXPECT_EQ(top->GetMenuItemUpdater(), updater);
    EXPECT_EQ(top->GetInternalRefCount(), 3);

    EXPECT_EQ(top->ReleaseInternalReferences(), S_OK);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(updater->GetControl(), nullptr);
    EXPECT_EQ(top->GetInternalRefCount(), 0);
    EXPECT_EQ(top->GetRefCount(), 1);
    const RCPtr<LControl> extra(top);
    EXPECT_EQ(top->ReleaseInternalReferences(), E_FAIL); // another holder remains

    a = nullptr;
    b = nullptr;
    top = nullptr;
    EXPECT_EQ(destroyed.size(), 2u);
    EXPECT_EQ(destroyed, (std::vector<WString>{u"a", u"b"}));
}

TEST(Control, DroppingTheLastOutsideReferenceReleasesTheWholeTree)
{
    std::vector<WString> destroyed;
    auto top = TestControl::Create(nullptr, u"top");
    top->DestroyedLog = &destroyed;
    for (const char16_t* name : {u"a", u"b"})
    {
        const auto child = TestControl::Create(top, name);
        child->DestroyedLog = &destroyed;
        TestControl::Create(child, u"leaf")->DestroyedLog = &destroyed;
    }
    (void)top->GetMenuItemUpdater();
    top = nullptr;
    EXPECT_EQ(destroyed.size(), 5u);
    EXPECT_EQ(destroyed.back(), u"top");
}

TEST(Control, PerformEditMustBeOverridden)
{
    const auto control = TestControl::Create(nullptr, u"control");
    try
    {
        (void)control->PerformEdit(1);
        ADD_FAILURE() << "no exception";
    }
    catch (const std::logic_error& error)
    {
        EXPECT_STREQ(error.what(),
                     "Logic Error : LControl::PerformEdit must be overridden : ZQ::LControl::PerformEdit "
                     ": ZQFramework\\include\\../ControlBase/Control : Line 591");
    }
}

// A control that takes edit commands itself.
class EditableControl : public LControl
{
public:
    explicit EditableControl(const RCPtr<LControl>& parent) : LControl(parent, u"editable") {}
    [[nodiscard]] bool IsEditTarget() const override { return true; }
};

TEST(Control, EditTargetIsTheNearestAncestorThatTakesEdits)
{
    const auto top = TestControl::Create(nullptr, u"top");
    const auto plain = TestControl::Create(top, u"plain");
    EXPECT_EQ(plain->GetEditTarget(), nullptr);

    const RCPtr<LControl> editable(new EditableControl(top));
    const auto inner = TestControl::Create(editable, u"inner");
    EXPECT_EQ(inner->GetEditTarget(), editable);
    (void)top->ReleaseInternalReferences();
}

TEST(Control, LooksKeepOneOpacityEachAndTheFirstVisibleWins)
{
    const auto control = TestControl::Create(nullptr, u"control");
    (void)control->SetRect({0, 0, 30, 20});
    EXPECT_EQ(control->GetLookRect(0), (RectT<double>{0, 0, 30, 20}));
    EXPECT_EQ(control->GetFirstVisibleLookIndex(), -1);

    EXPECT_EQ(control->AddLook(nullptr), 0);
    EXPECT_EQ(control->AddLook(RCPtr<LLook>(new LLook)), 1);
    EXPECT_EQ(control->AddLook(RCPtr<LLook>(new LLook)), 2);
    EXPECT_EQ(control->GetFirstVisibleLookIndex(), -1); // every opacity starts at 0

    EXPECT_EQ(control->SetLookOpacity(0, 1.0f, false), 0);
    EXPECT_EQ(control->GetFirstVisibleLookIndex(), -1); // a missing look is never visible
    EXPECT_EQ(control->SetLookOpacity(2, 0.5f, false), 0);
    EXPECT_EQ(control->GetFirstVisibleLookIndex(), 2);
    EXPECT_EQ(control->SelectLook(1), 0);
    EXPECT_EQ(control->GetFirstVisibleLookIndex(), 1);
    EXPECT_EQ(control->SetLookOpacity(1, 0.0f, false), 0);
    EXPECT_EQ(control->GetFirstVisibleLookIndex(), -1); // selecting cleared the others
    EXPECT_NE(control->GetLook(1), nullptr);

    EXPECT_EQ(control->SetLookOpacity(3, 1.0f, false), E_INVALIDARG);
    EXPECT_EQ(control->SetLookOpacity(-1, 1.0f, false), E_INVALIDARG);
    EXPECT_EQ(control->GetLook(-1), control->GetLook(1)); // no visible look: the first that exists
    EXPECT_EQ(control->SetLookOpacity(2, 1.5f, true), 0); // ignored, but the others are cleared
    EXPECT_EQ(control->GetFirstVisibleLookIndex(), -1);
    EXPECT_EQ(control->SetLookOpacity(2, 1.0f, false), 0);
    EXPECT_EQ(control->GetLook(-1), control->GetLook(2));
    EXPECT_EQ(control->GetLook(3), control->GetLook(2));
    EXPECT_EQ(control->GetLookRect(1), control->GetLook(1)->GetClientRect().ToDouble());
}
} // namespace
} // namespace ZQ
