#include "Support/MidiFixture.h"

#include "ZQFramework/Midi/MidiDeviceStatusChecker.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"

namespace
{
using namespace TestSupport;

struct StatusChange
{
    std::u16string id;
    std::u16string device;
    int32_t status;
    bool operator==(const StatusChange&) const = default;
};

// Records the status notifications that reach the default center.
class StatusCollector : public ZQ::LNotificationClient
{
public:
    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>&,
                                 const ZQ::RCPtr<ZQ::LNotification>& notification) override
    {
        const ZQ::RCPtr<ZQ::LMidiDeviceConnectionStatusChangedNotification> param(notification->GetParam());
        if (!param.IsNull())
            changes.push_back(
                {notification->GetID(), param->GetDeviceName().GetBuffer(), param->GetStatus()});
        return S_OK;
    }
    std::vector<StatusChange> changes;
};

class MidiDeviceStatusChecker : public MidiFixture
{
protected:
    MidiDeviceStatusChecker() : mCenter(ZQ::GetDefaultNotificationCenter()), mStatus(new StatusCollector)
    {
        (void)mCenter->ProcessNotifications(false); // whatever earlier tests left
        for (const char16_t* name : {ZQ::kMidiInputDeviceStatusChangedNotificationName,
                                     ZQ::kMidiOutputDeviceStatusChangedNotificationName})
            EXPECT_NE(
                mStatus->RegisterWithDistributor(ZQ::RCPtr<ZQ::LNotificationDistributor>(mCenter), name, 0),
                nullptr);
    }
    ~MidiDeviceStatusChecker() override { (void)mStatus->UnregisterFromAllDistributors(); }

    std::vector<StatusChange> Drain()
    {
        (void)mCenter->ProcessNotifications(false);
        return std::exchange(mStatus->changes, {});
    }

    ZQ::RCPtr<ZQ::LNotificationCenter> mCenter;
    ZQ::RCPtr<StatusCollector> mStatus;
};

TEST_F(MidiDeviceStatusChecker, AbsentOutputFailsTheCheckWithoutNotification)
{
    (void)mPeer.PublishInput(u"Splen");
    const auto checker = ZQ::LMidiDeviceStatusChecker::Create(mMidi);
    checker->AddInputDevice(ZQ::WString(u"Splen"));
    checker->AddOutputDevice(ZQ::WString(u"Splen"));
    EXPECT_FALSE(checker->Check());
    EXPECT_TRUE(Drain().empty());
}

TEST_F(MidiDeviceStatusChecker, ReportsEachChangeOnceAndSkipsOutputsWhileAnInputIsMissing)
{
    auto input = mPeer.PublishInput(u"Splen");
    auto output = mPeer.PublishOutput(u"Splen");
    const auto checker = ZQ::LMidiDeviceStatusChecker::Create(mMidi);
    checker->AddInputDevice(ZQ::WString(u"Splen"));
    checker->AddOutputDevice(ZQ::WString(u"Splen"));
    EXPECT_TRUE(checker->Check());
    EXPECT_TRUE(Drain().empty());

    mPeer.Unpublish(input);
    mPeer.Unpublish(output);
    EXPECT_FALSE(checker->Check());
    const std::u16string inputId = ZQ::kMidiInputDeviceStatusChangedNotificationName;
    const std::u16string outputId = ZQ::kMidiOutputDeviceStatusChangedNotificationName;
    EXPECT_EQ(Drain(), (std::vector<StatusChange>{{inputId, u"Splen", 1}})); // outputs not looked at
    EXPECT_FALSE(checker->Check());
    EXPECT_TRUE(Drain().empty());

    input = mPeer.PublishInput(u"Splen");
    EXPECT_FALSE(checker->Check());
    EXPECT_EQ(Drain(), (std::vector<StatusChange>{{inputId, u"Splen", 0}, {outputId, u"Splen", 1}}));

    output = mPeer.PublishOutput(u"Splen");
    EXPECT_TRUE(checker->Check());
    EXPECT_EQ(Drain(), (std::vector<StatusChange>{{outputId, u"Splen", 0}}));
}

TEST_F(MidiDeviceStatusChecker, AmbiguousNameCountsAsAbsent)
{
    (void)mPeer.PublishInput(u"Keys");
    (void)mPeer.PublishInput(u"Keys");
    const auto checker = ZQ::LMidiDeviceStatusChecker::Create(mMidi);
    checker->AddInputDevice(ZQ::WString(u"Keys"));
    EXPECT_FALSE(checker->GetInputDevices().GetAt(0).connected);
    EXPECT_FALSE(checker->Check());
    checker->AddInputDevice(ZQ::WString(u"Keys (2)"));
    EXPECT_TRUE(checker->GetInputDevices().GetAt(1).connected);
}
} // namespace
