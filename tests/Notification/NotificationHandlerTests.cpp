#include "Recorder.h"

#include "ZQFramework/Notification/AutoNotificationDisabler.h"
#include "ZQFramework/Notification/NotificationHandler.h"

#include <gtest/gtest.h>
#include <type_traits>

using namespace ZQ;

namespace
{
// A receiving class as the framework writes them: a handler of its own, dispatch on receive, and the
// binding dropped when a distributor lets go.
class Owner : public LNotificationClient
{
public:
    Owner() : mHandler(LNotificationHandler<Owner>::Create(this)) {}

    ZQRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification) override
    {
        return mHandler->Dispatch(source, notification);
    }
    ZQRESULT RemoveNotificationCallback(const RCPtr<LNotificationDistributor>& source,
                                        NotificationID id) override
    {
        mHandler->RemoveCallback(source.Get(), id);
        return UnregisterFromDistributor(source, id);
    }

    ZQRESULT OnFirst(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        mCalls.push_back("first");
        return 11;
    }
    ZQRESULT OnSecond(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        mCalls.push_back("second");
        return 22;
    }

    RCPtr<LNotificationHandler<Owner>> mHandler;
    std::vector<std::string> mCalls;
};

RCPtr<LNotificationDistributor> NewSource()
{
    return RCPtr<LNotificationDistributor>(new LNotificationDistributor);
}
} // namespace

ZQ_DECLARE_TYPE_NAME(Owner, "class Owner")

TEST(NotificationHandler, DispatchesPerSourceAndIdentifierKeepingTheFirstBinding)
{
    const RCPtr<Owner> owner(new Owner);
    const auto slider = NewSource(), other = NewSource();
    auto& h = *owner->mHandler;
    EXPECT_EQ(h.AddCallback(&Owner::OnFirst, slider, u"NID_VALUE_CHANGE"), S_OK);
    EXPECT_EQ(h.AddCallback(&Owner::OnSecond, slider, u"NID_VALUE_CHANGE"), S_OK); // first stays
    EXPECT_EQ(h.AddCallback(&Owner::OnSecond, other, u"NID_VALUE_CHANGE"), S_OK);
    EXPECT_EQ(h.AddCallback(&Owner::OnFirst, nullptr, u"NID_VALUE_CHANGE"), E_INVALIDARG);
    EXPECT_EQ(h.AddCallback(&Owner::OnFirst, slider, u""), E_FAIL);
    EXPECT_EQ(h.AddDirectCallback(&Owner::OnSecond, u"NID_HOT_KEY"), S_OK);

    const auto change = LNotification::Create(u"NID_VALUE_CHANGE");
    EXPECT_EQ(h.Dispatch(slider, change), 11);
    EXPECT_EQ(h.Dispatch(other, change), 22);
    EXPECT_EQ(h.Dispatch(NewSource(), change), 0); // nothing bound for that source
    EXPECT_EQ(h.Dispatch(nullptr, change), 0);     // nor directly
    EXPECT_EQ(h.Dispatch(nullptr, LNotification::Create(u"NID_HOT_KEY")), 22);
    slider->Notify(change);
    EXPECT_EQ(owner->mCalls, (std::vector<std::string>{"first", "second", "second", "first"}));

    EXPECT_TRUE(h.RemoveCallback(slider.Get(), u"NID_VALUE_CHANGE"));
    EXPECT_FALSE(h.RemoveCallback(slider.Get(), u"NID_VALUE_CHANGE"));
    EXPECT_FALSE(h.HasCallback(slider.Get(), u"NID_VALUE_CHANGE"));
    EXPECT_TRUE(h.HasCallback(other.Get(), u"NID_VALUE_CHANGE"));
}

TEST(NotificationClient, ListsADistributorWhileAnyRegistrationThereRemains)
{
    const RCPtr<Owner> owner(new Owner);
    const auto source = NewSource();
    EXPECT_EQ(owner->UnregisterFromDistributor(nullptr, nullptr), S_FALSE); // nothing registered: no checks
    owner->RegisterWithDistributor(source, u"NID_ONE", 0);
    owner->RegisterWithDistributor(source, u"NID_TWO", 0);
    EXPECT_EQ(owner->RegisterWithDistributor(nullptr, u"NID_ONE", 0), nullptr);
    EXPECT_EQ(owner->GetRegistrationCount(), 2);
    EXPECT_EQ(owner->GetInternalRefCount(), 2);
    EXPECT_EQ(owner->UnregisterFromDistributor(nullptr, u"NID_ONE"), E_INVALIDARG);

    EXPECT_EQ(owner->UnregisterFromDistributor(source, u"NID_ONE"), S_OK);
    EXPECT_EQ(owner->GetDistributors().GetCount(), 1u);
    EXPECT_EQ(owner->UnregisterFromDistributor(source, u"NID_ONE"), S_FALSE);
    EXPECT_EQ(owner->UnregisterFromDistributor(source, u"NID_TWO"), S_OK);
    EXPECT_EQ(owner->GetDistributors().GetCount(), 0u);
    EXPECT_EQ(owner->GetInternalRefCount(), 0);
}

TEST(NotificationClient, LastOutsideReleaseUnregistersEverywhereBeforeDeletion)
{
    const auto first = NewSource(), second = NewSource();
    ZQTest::Recorder::Log log;
    {
        auto client = ZQTest::MakeRecorder("c", &log);
        client->RegisterWithDistributor(first, u"NID_ONE", 0);
        client->RegisterWithDistributor(first, u"NID_TWO", 0);
        client->RegisterWithDistributor(second, u"NID_ONE", 0);
    }
    EXPECT_EQ(first->GetRegistrationCount(), 0);
    EXPECT_EQ(second->GetRegistrationCount(), 0);
    EXPECT_EQ(first->Notify(LNotification::Create(u"NID_ONE")), S_FALSE);
    EXPECT_TRUE(log.empty());
}

TEST(CAutoNotificationDisabler, SilencesTheBindingForItsLifetimeAndRestoresFlags)
{
    const RCPtr<Owner> owner(new Owner);
    const auto source = NewSource();
    owner->mHandler->AddCallback(&Owner::OnFirst, source, u"NID_PING", LNotificationDistributor::kLatestOnly);
    owner->mHandler->AddCallback(&Owner::OnSecond, source, u"NID_PONG");
    {
        const CAutoNotificationDisabler<Owner> off(owner->mHandler, source, u"NID_PING");
        EXPECT_EQ(source->GetClientPool(LNotification::GetIDFromName(u"NID_PING"))->FindClient(owner.Get()),
                  -1);
        EXPECT_FALSE(owner->mHandler->HasCallback(source.Get(), u"NID_PING"));
        source->Notify(LNotification::Create(u"NID_PONG")); // other bindings still work
    }
    EXPECT_EQ(owner->mCalls, (std::vector<std::string>{"second"}));
    uint32_t flags = 0;
    EXPECT_EQ(source->GetClientFlags(owner.Get(), u"NID_PING", flags), S_OK);
    EXPECT_EQ(flags, LNotificationDistributor::kLatestOnly);
    EXPECT_TRUE(owner->mHandler->HasCallback(source.Get(), u"NID_PING"));
}

// Ending the scope must never throw: it may run while another exception unwinds.
static_assert(std::is_nothrow_destructible_v<CAutoNotificationDisabler<Owner>>);

TEST(CAutoNotificationDisabler, ThrowsTheFailedResultTextWhenNothingIsBound)
{
    const RCPtr<Owner> owner(new Owner);
    const auto source = NewSource();
    try
    {
        const CAutoNotificationDisabler<Owner> off(owner->mHandler, source, u"NID_PING");
        FAIL() << "no exception";
    }
    catch (const FailedResultException& e)
    {
        EXPECT_STREQ(e.what(),
                     "Failed Result : ZQRESULT = 80004005 : ZQ::CAutoNotificationDisabler<class "
                     "Owner>::CAutoNotificationDisabler : notification\\NotificationHandler : Line 247");
    }
}
