#pragma once

#include "Support/SimulatorFixture.h"
#include "Support/WaitFor.h"

#include "Panel/Engine/UpdateEngine.h"
#include "Platform/Midi/MidiPeer.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationClient.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace EngineTest
{
// One notification as a client of the default center saw it.
struct Seen
{
    std::u16string name;
    int32_t newValue = 0; // state changes: new state; completion: success
    int32_t oldValue = 0;
    double progress = 0;
};

// Registers with the default center "application" for the engine's notifications and records them in
// the order delivered. The test thread drains the center (as the UI thread would at idle).
class NotificationRecorder : public ZQ::LNotificationClient
{
public:
    static ZQ::RCPtr<NotificationRecorder> Create()
    {
        ZQ::RCPtr<NotificationRecorder> recorder(new NotificationRecorder());
        const ZQ::RCPtr<ZQ::LNotificationDistributor> center(ZQ::GetDefaultNotificationCenter());
        for (const char16_t* name :
             {kDeviceStateChangeNotificationName, kFirmwareFileStateChangeNotificationName,
              kFoundDeviceListChangeNotificationName, kFirmwareUpdateProgressNotificationName,
              kFirmwareUpdateCompletedNotificationName})
            (void)recorder->RegisterWithDistributor(center, name, 0);
        return recorder;
    }

    ZQRESULT ReceiveNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>&,
                                 const ZQ::RCPtr<ZQ::LNotification>& notification) override
    {
        Seen seen;
        seen.name = notification->GetID();
        const auto& param = notification->GetParam();
        if (const ZQ::RCPtr<ZQ::LDeviceStateChangeNotificationData> data(param); data)
        {
            seen.newValue = data->mNewState;
            seen.oldValue = data->mOldState;
        }
        else if (const ZQ::RCPtr<ZQ::LFirmwareFileStateChangeNotificationData> file(param); file)
        {
            seen.newValue = file->mNewState;
            seen.oldValue = file->mOldState;
        }
        else if (const ZQ::RCPtr<ZQ::LFirmwareUpdateCompletedNotificationData> done(param); done)
        {
            seen.newValue = done->mSuccess;
        }
        else if (const ZQ::RCPtr<ZQ::LFirmwareUpdateProgressNotificationData> progress(param); progress)
        {
            seen.progress = progress->mProgress;
            seen.newValue = progress->mEstimate;
            seen.oldValue = progress->mRemainingSeconds;
        }
        const std::lock_guard lock(mLock);
        mSeen.push_back(seen);
        return S_OK;
    }

    // Delivers what the center holds, then returns everything recorded so far.
    std::vector<Seen> Drain()
    {
        (void)ZQ::GetDefaultNotificationCenter()->ProcessNotifications(false);
        const std::lock_guard lock(mLock);
        return mSeen;
    }

    // The recorded notifications of one name.
    std::vector<Seen> Of(const char16_t* name)
    {
        std::vector<Seen> matching;
        for (const auto& seen : Drain())
            if (seen.name == name)
                matching.push_back(seen);
        return matching;
    }

    // The device-state changes as (new, old) pairs.
    std::vector<std::pair<int32_t, int32_t>> StateChanges()
    {
        std::vector<std::pair<int32_t, int32_t>> changes;
        for (const auto& seen : Of(kDeviceStateChangeNotificationName))
            changes.emplace_back(seen.newValue, seen.oldValue);
        return changes;
    }

    void Clear()
    {
        (void)ZQ::GetDefaultNotificationCenter()->ProcessNotifications(false);
        const std::lock_guard lock(mLock);
        mSeen.clear();
    }

private:
    NotificationRecorder() = default;

    std::mutex mLock; // guards mSeen
    std::vector<Seen> mSeen;
};

// The generic MIDI engine with its MIDI object in reach.
class TestEngine : public LUpdateEngine
{
public:
    static ZQ::RCPtr<TestEngine> Create() { return ZQ::RCPtr<TestEngine>(new TestEngine()); }
    using LUpdateEngine::GetMidiComm;
};

// A definition whose four port names are these.
inline LUpdateEngineInterface::DeviceDefinition Definition(const std::u16string& normal,
                                                           const std::u16string& update)
{
    LUpdateEngineInterface::DeviceDefinition definition;
    definition.mInputPortName = normal.c_str();
    definition.mOutputPortName = normal.c_str();
    definition.mInputPortNameUpdateMode = update.c_str();
    definition.mOutputPortNameUpdateMode = update.c_str();
    return definition;
}

inline ZQ::Array<LUpdateEngineInterface::DeviceDefinition> MixerDefinitions()
{
    ZQ::Array<LUpdateEngineInterface::DeviceDefinition> definitions;
    (void)definitions.Add(Definition(TestSupport::kMixerPortName, TestSupport::kMixerPortName));
    return definitions;
}

// The in-process simulator in a private environment, started plugged in normal mode, with a recorder
// on the default center that starts empty.
class EngineTestBase : public TestSupport::SimulatorTestBase
{
protected:
    void SetUp() override
    {
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        recorder = NotificationRecorder::Create();
        TestSupport::SimulatorTestBase::SetUp();
    }
    void TearDown() override
    {
        TestSupport::SimulatorTestBase::TearDown();
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        (void)recorder->UnregisterFromAllDistributors();
    }

    ZQ::RCPtr<NotificationRecorder> recorder;
};
} // namespace EngineTest
