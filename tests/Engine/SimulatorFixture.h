#pragma once

#include "Support/WaitFor.h"

#include "Panel/Engine/UpdateEngine.h"
#include "Platform/Midi/MidiPeer.h"
#include "Simulator/Mixer.h"
#include "ZQFramework/Notification/Notification.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"
#include "ZQFramework/Notification/NotificationClient.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace EngineTest
{
// Private folders for MIDI sockets, registry and driver sockets, set before anything is opened and
// removed afterwards.
class TempEnvironment
{
public:
    TempEnvironment()
    {
        char pattern[] = "/tmp/zq-engine-test-XXXXXX";
        mRoot = ::mkdtemp(pattern);
        ::setenv("ZQ_MIDI_DIR", (mRoot + "/midi").c_str(), 1);
        ::setenv("ZQ_REGISTRY_ROOT", (mRoot + "/registry").c_str(), 1);
        ::setenv("ZQ_DRIVER_DIR", (mRoot + "/driver").c_str(), 1);
        std::filesystem::create_directories(mRoot + "/midi");
        std::filesystem::create_directories(mRoot + "/files");
    }
    ~TempEnvironment()
    {
        ::unsetenv("ZQ_MIDI_DIR");
        ::unsetenv("ZQ_REGISTRY_ROOT");
        ::unsetenv("ZQ_DRIVER_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    TempEnvironment(const TempEnvironment&) = delete;
    TempEnvironment& operator=(const TempEnvironment&) = delete;

    [[nodiscard]] const std::string& Root() const { return mRoot; }

    // Writes a file of these bytes under the private folder; returns its path.
    [[nodiscard]] std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const std::string path = mRoot + "/files/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::string mRoot;
};

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

// The simulated mixer's port name, the same in both modes.
inline const std::u16string kMixerPortName = u"Tavrin DJ Q3300 Splen";

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
    (void)definitions.Add(Definition(kMixerPortName, kMixerPortName));
    return definitions;
}

// The in-process simulator in a private environment, started plugged in normal mode, with a recorder
// on the default center that starts empty.
class SimulatorTestBase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        recorder = NotificationRecorder::Create();
        mixer->Start();
    }
    void TearDown() override
    {
        mixer->Stop();
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        (void)recorder->UnregisterFromAllDistributors();
    }

    TempEnvironment environment;
    std::unique_ptr<Simulator::Mixer> mixer = std::make_unique<Simulator::Mixer>();
    ZQ::RCPtr<NotificationRecorder> recorder;
};
} // namespace EngineTest
