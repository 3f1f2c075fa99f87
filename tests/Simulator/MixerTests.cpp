#include "Support/SimulatorFixture.h"

#include "Platform/Driver/DriverEvent.h"
#include "Platform/Registry/RegistryValues.h"

using namespace TestSupport;
using namespace std::chrono_literals;
using Simulator::DeviceMode;
using Simulator::ReleasePolicy;
using TestSupport::WaitFor;
namespace Req = Platform::DriverRequests;

namespace
{
class MixerTest : public SimulatorTestBase
{
protected:
    // Log entries as "kind code ok" words, for comparing the order of what happened.
    std::vector<std::string> Trace(const std::vector<std::string>& kinds)
    {
        std::vector<std::string> trace;
        for (const auto& entry : mixer->Log().Entries())
            if (std::find(kinds.begin(), kinds.end(), entry.kind) != kinds.end())
                trace.push_back(entry.kind + " " + std::to_string(entry.code) + (entry.ok ? "" : " fail"));
        return trace;
    }

    std::vector<uint8_t> Attached(uint32_t instance = 0)
    {
        std::vector<uint8_t> bytes;
        if (Platform::RegistryReadBinary(Platform::RegLocalMachine,
                                         Simulator::Mixer::InstanceKey(instance) + u"\\Attached", u"",
                                         &bytes) != 0)
            return {0xEE};
        return bytes;
    }
};

TEST_F(MixerTest, IdentityRequestIsAnsweredInNormalModeOnly)
{
    mixer->SetVersion({1, 1, 5, 7});
    {
        MidiProbe probe;
        ASSERT_TRUE(probe.IsOpen());
        ASSERT_TRUE(probe.SendIdentityRequest());
        const auto reply = probe.AwaitSysEx(10s);
        ASSERT_TRUE(reply.has_value());
        ASSERT_EQ(reply->size(), 37u);
        EXPECT_EQ((*reply)[0], 0xF0);
        EXPECT_EQ((*reply)[1], 0x7E);
        EXPECT_EQ((*reply)[3], 0x06);
        EXPECT_EQ((*reply)[4], 0x02);
        EXPECT_EQ(std::vector<uint8_t>(reply->begin() + 11, reply->begin() + 15),
                  (std::vector<uint8_t>{1, 1, 5, 7}));
        EXPECT_EQ(reply->back(), 0xF7);
    }

    mixer->SetMode(DeviceMode::Update);
    MidiProbe probe;
    ASSERT_TRUE(probe.IsOpen()) << "the ports stay present in update mode";
    ASSERT_TRUE(probe.SendIdentityRequest());
    ASSERT_TRUE(WaitFor([&] { return mixer->Log().Find("identity").size() == 2; }));
    EXPECT_FALSE(mixer->Log().Find("identity").back().ok);
    EXPECT_FALSE(probe.AwaitSysEx(200ms).has_value());
    EXPECT_EQ(mixer->Log().Find("reply").size(), 1u);
}

TEST_F(MixerTest, RawReplyBytesAreSentAsGiven)
{
    const std::vector<uint8_t> raw = {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x01, 0xF7};
    mixer->SetRawReply(raw);
    MidiProbe probe;
    ASSERT_TRUE(probe.IsOpen());
    ASSERT_TRUE(probe.SendIdentityRequest());
    EXPECT_EQ(probe.AwaitSysEx(10s), raw);
}

TEST_F(MixerTest, RegistryEntriesFollowSettingsAndPresenceAndGoAtStop)
{
    using Platform::RegLocalMachine;
    std::u16string text;
    const auto uninstall = Simulator::Mixer::UninstallKey(*Simulator::MixerSettings{}.productCode);
    ASSERT_EQ(
        Platform::RegistryReadString(RegLocalMachine, Simulator::Mixer::DriverKey(), u"ProductCode", &text),
        0);
    EXPECT_EQ(text, *Simulator::MixerSettings{}.productCode);
    ASSERT_EQ(Platform::RegistryReadString(RegLocalMachine, uninstall, u"DisplayVersion", &text), 0);
    EXPECT_EQ(text, u"1.0.5");
    ASSERT_EQ(
        Platform::RegistryReadString(RegLocalMachine, Simulator::Mixer::InstanceKey(0), u"LastPath", &text),
        0);
    EXPECT_EQ(text, path);
    EXPECT_EQ(Attached(), std::vector<uint8_t>{1});

    mixer->Unplug();
    EXPECT_EQ(Attached(), std::vector<uint8_t>{0});
    mixer->SetAttached(Simulator::AttachedMode::Fixed, {0x00, 0x07});
    EXPECT_EQ(Attached(), (std::vector<uint8_t>{0x00, 0x07}));
    mixer->SetAttached(Simulator::AttachedMode::Missing);
    EXPECT_EQ(Attached(), std::vector<uint8_t>{0xEE});

    mixer->SetDriverVersion(u"1.0.10");
    ASSERT_EQ(Platform::RegistryReadString(RegLocalMachine, uninstall, u"DisplayVersion", &text), 0);
    EXPECT_EQ(text, u"1.0.10");
    mixer->SetDriverVersion(std::nullopt);
    EXPECT_NE(Platform::RegistryReadString(RegLocalMachine, uninstall, u"DisplayVersion", &text), 0);
    mixer->SetProductCode(std::nullopt);
    EXPECT_NE(
        Platform::RegistryReadString(RegLocalMachine, Simulator::Mixer::DriverKey(), u"ProductCode", &text),
        0);

    mixer->SetInstanceCount(3);
    EXPECT_EQ(Attached(2), std::vector<uint8_t>{0});
    mixer->SetInstanceCount(1);
    EXPECT_EQ(Attached(2), std::vector<uint8_t>{0xEE});

    mixer->Stop();
    Platform::RegKey key = 0;
    EXPECT_NE(
        Platform::RegistryOpenKey(RegLocalMachine, Simulator::Mixer::DriverKey(), Platform::RegKeyRead, &key),
        0);
    EXPECT_NE(Platform::RegistryOpenKey(RegLocalMachine, uninstall, Platform::RegKeyRead, &key), 0);
    EXPECT_TRUE(std::filesystem::is_empty(environment.Root() + "/midi"));
}

TEST_F(MixerTest, RequestLogShowsTheOrderOfAnUpdate)
{
    {
        DriverClient control(path);
        ASSERT_TRUE(control.IsOpen());
        ASSERT_TRUE(control.UpdateControl(true));
    }
    {
        DriverClient pipe(path);
        ASSERT_TRUE(pipe.Pipe(Req::RegisterWakeEvent, 0x123456789A));
        ASSERT_TRUE(pipe.Pipe(Req::OpenOutputPort, 0));
        Slot first({0xF0, 1, 2});
        Slot second({3, 0xF7});
        ASSERT_TRUE(pipe.Write(0, first));
        ASSERT_TRUE(WaitFor([&] { return first.IsFree(); }));
        ASSERT_TRUE(pipe.Write(0, second));
        ASSERT_TRUE(WaitFor([&] { return second.IsFree(); }));
        ASSERT_TRUE(pipe.Pipe(Req::CloseAllPorts, 1));
        ASSERT_TRUE(pipe.Pipe(Req::UnregisterWakeEvent, 0x123456789A));
    }
    ASSERT_TRUE(WaitFor([&] { return mixer->Driver().OpenHandleCount() == 0; }));

    EXPECT_EQ(Trace({"open", "close", "request", "data", "release"}),
              (std::vector<std::string>{"open 0", "request 16", "close 0", "open 0", "request 2", "request 4",
                                        "request 13", "data 13", "release 13", "request 13", "data 13",
                                        "release 13", "request 8", "request 3", "close 0"}));
    EXPECT_EQ(mixer->Driver().Firmware(), (std::vector<uint8_t>{0xF0, 1, 2, 3, 0xF7}));
    const auto entries = mixer->Log().Entries();
    for (size_t i = 1; i < entries.size(); ++i)
        EXPECT_LE(entries[i - 1].time, entries[i].time);
    EXPECT_NE(mixer->Log().Find("request", Req::RegisterWakeEvent)[0].detail.find("0x123456789a"),
              std::string::npos)
        << "the event handle keeps its upper half";
}

// Each policy, driven by the manual clock so that "not yet" is a fact and not a guess.
TEST_F(MixerTest, ReleasePoliciesHandBuffersBackAsConfigured)
{
    // Threads of the simulator may still read the clock while the test ends: it outlives them all.
    static Platform::ManualClock clock;
    clock.Advance(Platform::Now() - clock.Now());
    Platform::SetClock(&clock);
    struct Case
    {
        ReleasePolicy policy;
        Platform::Duration interval;
        std::vector<size_t> freeAfterEachStep; // after arrival, then after each 10 ms step
    };
    const std::vector<Case> cases = {
        {ReleasePolicy::Immediate, 0ms, {3, 3, 3}},
        {ReleasePolicy::Delayed, 10ms, {0, 3, 3}},
        {ReleasePolicy::Paced, 10ms, {0, 1, 2}},
        {ReleasePolicy::Never, 0ms, {0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.policy));
        mixer->Driver().SetReleasePolicy(c.policy, c.interval);
        DriverClient pipe(path);
        ASSERT_TRUE(pipe.Pipe(Req::OpenOutputPort, 0));
        std::vector<std::unique_ptr<Slot>> slots;
        const size_t before = mixer->Log().Find("data").size();
        for (uint8_t i = 0; i < 3; ++i)
        {
            slots.push_back(std::make_unique<Slot>(std::vector<uint8_t>{i, 0x55}));
            ASSERT_TRUE(pipe.Write(0, *slots.back()));
        }
        ASSERT_TRUE(WaitFor([&] { return mixer->Log().Find("data").size() == before + 3; }));
        for (size_t step = 0; step < c.freeAfterEachStep.size(); ++step)
        {
            if (step > 0)
                clock.Advance(10ms);
            const size_t expected = c.freeAfterEachStep[step];
            const auto freeCount = [&]
            {
                return static_cast<size_t>(
                    std::count_if(slots.begin(), slots.end(), [](auto& s) { return s->IsFree(); }));
            };
            // Held writes are counted by the device at once; the flips travel to this side a moment later.
            ASSERT_TRUE(WaitFor([&] { return 3 - mixer->Driver().HeldWriteCount() == expected; }));
            EXPECT_TRUE(WaitFor([&] { return freeCount() == expected; })) << "step " << step;
            if (expected > 0)
            {
                EXPECT_TRUE(slots[expected - 1]->IsFree()) << "released in order";
            }
        }
        if (c.policy == ReleasePolicy::Never)
        {
            mixer->Driver().ReleaseAll();
            EXPECT_TRUE(WaitFor([&] { return slots[2]->IsFree(); }));
        }
        pipe.Close();
    }
    Platform::SetClock(nullptr);
}

TEST_F(MixerTest, UnplugMidWriteFailsTheHandleAndLeavesHeldBuffersAlone)
{
    mixer->Driver().SetReleasePolicy(ReleasePolicy::Never);
    DriverClient pipe(path);
    ASSERT_TRUE(pipe.Pipe(Req::OpenOutputPort, 0));
    Slot slot({0x10, 0x20});
    ASSERT_TRUE(pipe.Write(0, slot));
    ASSERT_TRUE(WaitFor([&] { return mixer->Log().Find("data").size() == 1; }));

    mixer->Unplug();
    EXPECT_EQ(Attached(), std::vector<uint8_t>{0});
    Slot next({0x30});
    EXPECT_FALSE(pipe.Write(0, next));
    EXPECT_FALSE(slot.IsFree());
    EXPECT_FALSE(DriverClient(path).IsOpen());
    EXPECT_FALSE(MidiProbe().IsOpen());

    mixer->Plug();
    EXPECT_EQ(Attached(), std::vector<uint8_t>{1});
    DriverClient again(path);
    EXPECT_TRUE(again.IsOpen());
    EXPECT_TRUE(again.Pipe(Req::OpenOutputPort, 0));
}

TEST_F(MixerTest, InjectedFailuresExclusiveOpenAndBadRequests)
{
    mixer->Driver().SetExclusive(true);
    DriverClient pipe(path);
    ASSERT_TRUE(pipe.IsOpen());
    EXPECT_FALSE(DriverClient(path).IsOpen()) << "held exclusively";

    Slot closedPort({1});
    EXPECT_FALSE(pipe.Write(0, closedPort)) << "port not open";
    ASSERT_TRUE(pipe.Pipe(Req::OpenOutputPort, 0));
    EXPECT_FALSE(pipe.Pipe(Req::OpenOutputPort, 32));
    mixer->Driver().FailAfter(Req::Write, 2); // two more writes pass, then every one fails
    Slot a({1}), b({2}), c({3});
    EXPECT_TRUE(pipe.Write(0, a));
    EXPECT_TRUE(pipe.Write(0, b));
    EXPECT_FALSE(pipe.Write(0, c));
    mixer->Driver().ClearFailures();
    EXPECT_TRUE(pipe.Write(0, c));

    std::vector<uint8_t> out(4, 0);
    EXPECT_FALSE(pipe.Request(Req::PipeInterface, Req::OpenOutputPort, out, {}, Req::InputGroup))
        << "wrong group";
    EXPECT_FALSE(pipe.Request(Req::UpdateControlInterface, Req::Write, out)) << "wrong interface";
    pipe.Close();
    EXPECT_TRUE(DriverClient(path).IsOpen()) << "a closed handle frees the device at once";
}

// The device is opened without sharing. The update opens it three times in a row, each after the
// previous handle closed; every one of them must be taken, however the threads are scheduled.
TEST_F(MixerTest, ExclusiveDeviceOpensAgainAsSoonAsTheHandleIsClosed)
{
    ASSERT_TRUE(mixer->Driver().IsExclusive()) << "exclusive by default";
    mixer->SetImageSize(1u << 30); // no reboot in between
    for (int round = 0; round < 100; ++round)
    {
        SCOPED_TRACE(round);
        ASSERT_TRUE(DriverClient(path).UpdateControl(true));
        {
            DriverClient pipe(path);
            ASSERT_TRUE(pipe.IsOpen());
            ASSERT_TRUE(pipe.Pipe(Req::OpenOutputPort, 0));
            Slot slot({0x01});
            ASSERT_TRUE(pipe.Write(0, slot));
            ASSERT_TRUE(pipe.Pipe(Req::CloseAllPorts, 1));
        }
        ASSERT_TRUE(DriverClient(path).UpdateControl(false));
    }
    EXPECT_EQ(mixer->Log().Find("open").size(), 300u);
    for (const auto& open : mixer->Log().Find("open"))
        EXPECT_TRUE(open.ok) << open.detail;
}

TEST_F(MixerTest, QueuedInputIsReportedReadAndSignalled)
{
    DriverClient pipe(path);
    Platform::DriverEvent wake;
    ASSERT_TRUE(pipe.Pipe(Req::RegisterWakeEvent, static_cast<uint64_t>(wake.Handle())));
    EXPECT_EQ(pipe.ReadyMask(), 0u);
    mixer->Driver().SetReadyMask(0x8);
    mixer->Driver().QueueInput(2, {0xF0, 0x01, 0xF7});
    EXPECT_TRUE(wake.Wait(10000));
    EXPECT_EQ(pipe.ReadyMask(), 0xCu);

    uint8_t buffer[8] = {};
    std::vector<uint8_t> extra;
    Platform::DriverWire::PutU64(extra, 2);
    Platform::DriverWire::PutU64(extra, reinterpret_cast<uintptr_t>(buffer));
    Platform::DriverWire::PutU64(extra, sizeof buffer);
    std::vector<uint8_t> out(16, 0xAA);
    ASSERT_TRUE(pipe.Request(Req::PipeInterface, Req::Read, out, extra));
    EXPECT_EQ(Platform::DriverWire::GetU32(out.data() + 8), 3u);
    EXPECT_EQ(Platform::DriverWire::GetU32(out.data() + 12), 1u);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 3), (std::vector<uint8_t>{0xF0, 0x01, 0xF7}));
    EXPECT_EQ(pipe.ReadyMask(), 0x8u);
}

TEST_F(MixerTest, CompleteUpdateRebootsIntoTheNewVersion)
{
    mixer->SetRebootDelay(50ms);
    const auto update = [&](std::vector<uint8_t> image)
    {
        ASSERT_TRUE(DriverClient(path).UpdateControl(true));
        {
            DriverClient pipe(path);
            ASSERT_TRUE(pipe.Pipe(Req::OpenOutputPort, 0));
            Slot slot(image);
            ASSERT_TRUE(pipe.Write(0, slot));
            ASSERT_TRUE(WaitFor([&] { return slot.IsFree(); }));
        }
        ASSERT_TRUE(DriverClient(path).UpdateControl(false));
    };
    struct Case
    {
        size_t imageSize;
        std::vector<uint8_t> image;
        bool complete;
    };
    const std::vector<Case> cases = {
        {0, {0xF0, 1, 2}, false},   // cut short, as by an abort: it stays in update mode
        {0, {0xF0, 3, 0xF7}, true}, // ends as a SysEx image ends
        {4, {1, 2, 3}, false},      // short of the image size given
        {4, {4, 5, 6, 7}, true},
    };
    uint32_t reboots = 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.image.size());
        mixer->SetImageSize(c.imageSize);
        mixer->SetMode(DeviceMode::Update);
        update(c.image);
        // Judged before the switch-off is answered.
        const auto judged = mixer->Log().Find("image");
        ASSERT_FALSE(judged.empty());
        EXPECT_EQ(judged.back().ok, c.complete);
        if (c.complete)
        {
            ++reboots;
            ASSERT_TRUE(WaitFor([&] { return mixer->RebootCount() == reboots && mixer->IsPlugged(); }));
            EXPECT_EQ(mixer->Settings().mode, DeviceMode::Normal);
        }
        else
        {
            EXPECT_EQ(mixer->Settings().mode, DeviceMode::Update);
        }
    }
    EXPECT_EQ(mixer->Driver().Firmware(),
              (std::vector<uint8_t>{0xF0, 1, 2, 0xF0, 3, 0xF7, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(mixer->Log().Find("unplug").size(), 2u);
    EXPECT_EQ(mixer->RebootCount(), 2u);

    MidiProbe probe;
    ASSERT_TRUE(probe.IsOpen());
    ASSERT_TRUE(probe.SendIdentityRequest());
    const auto reply = probe.AwaitSysEx(10s);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(std::vector<uint8_t>(reply->begin() + 11, reply->begin() + 15),
              (std::vector<uint8_t>{1, 2, 0, 1}));
}
} // namespace
