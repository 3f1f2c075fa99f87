#include "Support/SimulatorFixture.h"
#include "Support/WaitFor.h"

#include "Panel/Engine/BrevikDriverDiscovery.h"
#include "Panel/Engine/PrivateMidi.h"

#include <atomic>
#include <gtest/gtest.h>
#include <numeric>
#include <thread>

namespace
{
const std::u16string kDriverName = u"{d58471f8-2a4c-4860-a699-48bfb73a6313}";

class PrivateMidiFixture : public TestSupport::SimulatorTestBase
{
protected:
    BrevikDriverDeviceInfo Find()
    {
        BrevikDriverDeviceInfo record;
        EXPECT_EQ(FindDriverDevice(50, record, kDriverName, 0x15E4, 0x8007, BrevikInstanceId{}), 0);
        return record;
    }
    size_t Requests(uint32_t code) { return mixer->Log().Find("request", code).size(); }
    std::vector<Simulator::LogEntry> Writes() { return mixer->Log().Find("request", 13); }
};

using PrivateMidiTests = PrivateMidiFixture;
using PrivateMidiSlow = PrivateMidiFixture;
using PrivateMidiConcurrency = PrivateMidiFixture;

std::vector<uint8_t> Bytes(size_t count, uint8_t first = 0)
{
    std::vector<uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

TEST_F(PrivateMidiTests, OpensTheAttachedDeviceAndRegistersItsWakeEvent)
{
    PrivateMidi pipe(Find());
    EXPECT_TRUE(pipe.IsDeviceOpen());
    const auto registered = mixer->Log().Find("request", 2);
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_TRUE(registered[0].ok);

    // The driver signals the registered event: the reader wakes and asks which ports are ready.
    const size_t masks = Requests(11);
    mixer->Driver().QueueInput(3, {0xF0, 0x01, 0xF7});
    EXPECT_TRUE(TestSupport::WaitFor([&] { return Requests(11) > masks; }));
}

TEST_F(PrivateMidiTests, PortOpeningRules)
{
    PrivateMidi pipe(Find());
    EXPECT_EQ(pipe.OpenPort(32), PrivateMidi::kBadPortOrNoSlot);
    EXPECT_EQ(pipe.OpenPort(0), 0);
    EXPECT_EQ(pipe.OpenPort(0), PrivateMidi::kPortAlreadyOpen);
    EXPECT_EQ(pipe.CloseAllPorts(), 0);
    EXPECT_EQ(pipe.OpenPort(0), 0);

    mixer->Driver().FailAfter(4, 0);
    EXPECT_EQ(pipe.OpenPort(1), PrivateMidi::kOpenFailed);
    mixer->Driver().FailAfter(8, 0);
    EXPECT_EQ(pipe.CloseAllPorts(), PrivateMidi::kCloseFailed);
}

TEST_F(PrivateMidiTests, SendHandsTheBytesToTheDriver)
{
    const auto record = Find();
    ASSERT_TRUE(SetDriverUpdateRequest(record, true));
    PrivateMidi pipe(record);

    const size_t before = Writes().size();
    EXPECT_EQ(pipe.Send(0, Bytes(4).data(), 4), PrivateMidi::kPortNotOpen);
    EXPECT_EQ(pipe.Send(32, Bytes(4).data(), 4), PrivateMidi::kBadPortOrNoSlot);
    EXPECT_EQ(Writes().size(), before) << "nothing is asked of the driver";

    ASSERT_EQ(pipe.OpenPort(0), 0);
    std::vector<uint8_t> sent;
    // Far more sends than slots: released slots are taken again.
    for (int i = 0; i < 100; ++i)
    {
        const auto piece = Bytes(1 + i % 130, static_cast<uint8_t>(i));
        ASSERT_EQ(pipe.Send(0, piece.data(), static_cast<uint32_t>(piece.size())), 0) << i;
        sent.insert(sent.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(pipe.Send(0, nullptr, 0), 0);
    EXPECT_EQ(Writes().back().detail, "write port=0 count=0");
    ASSERT_TRUE(TestSupport::WaitFor([&] { return mixer->Driver().FirmwareSize() == sent.size(); }));
    EXPECT_EQ(mixer->Driver().Firmware(), sent);
}

TEST_F(PrivateMidiTests, FailedWriteGivesItsSlotBack)
{
    PrivateMidi pipe(Find());
    ASSERT_EQ(pipe.OpenPort(0), 0);
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Never);
    mixer->Driver().FailAfter(13, 15);
    const auto piece = Bytes(128);
    for (int i = 0; i < 15; ++i)
        ASSERT_EQ(pipe.Send(0, piece.data(), 128), 0) << i;
    EXPECT_EQ(pipe.Send(0, piece.data(), 128), PrivateMidi::kWriteFailed);
    mixer->Driver().ClearFailures();
    EXPECT_EQ(pipe.Send(0, piece.data(), 128), 0) << "the sixteenth slot is free again";
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Immediate);
    mixer->Driver().ReleaseAll();
}

TEST_F(PrivateMidiTests, SmallFreeSlotGetsALargerBlockWhenTheOthersAreInFlight)
{
    PrivateMidi pipe(Find());
    ASSERT_EQ(pipe.OpenPort(0), 0);
    const auto small = Bytes(64);
    ASSERT_EQ(pipe.Send(0, small.data(), 64), 0); // slot 0, released at once
    ASSERT_TRUE(TestSupport::WaitFor([&] { return mixer->Driver().HeldWriteCount() == 0; }));
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Never);
    const auto piece = Bytes(128, 7);
    for (int i = 0; i < 15; ++i)
        ASSERT_EQ(pipe.Send(0, piece.data(), 128), 0) << i;
    // All sixteen slots hold blocks; only the small one is free: it is enlarged at once.
    EXPECT_EQ(pipe.Send(0, piece.data(), 128), 0);
    EXPECT_EQ(Writes().back().detail, "write port=0 count=128");
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Immediate);
    mixer->Driver().ReleaseAll();
}

TEST_F(PrivateMidiTests, DetachClosesThePortsAndAttachReopensTheDevice)
{
    PrivateMidi pipe(Find());
    ASSERT_EQ(pipe.OpenPort(0), 0);
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Never);
    const auto piece = Bytes(128);
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(pipe.Send(0, piece.data(), 128), 0);

    mixer->Unplug();
    ASSERT_TRUE(TestSupport::WaitFor([&] { return !pipe.IsDeviceOpen(); }));
    EXPECT_EQ(pipe.Send(0, piece.data(), 128), PrivateMidi::kDeviceNotOpen);
    EXPECT_EQ(pipe.OpenPort(0), PrivateMidi::kDeviceNotOpen);

    mixer->Driver().ResetBehaviour();
    mixer->Plug();
    ASSERT_TRUE(TestSupport::WaitFor([&] { return pipe.IsDeviceOpen(); }));
    EXPECT_EQ(pipe.Send(0, piece.data(), 128), PrivateMidi::kPortNotOpen)
        << "ports are opened again by the user";
    ASSERT_EQ(pipe.OpenPort(0), 0);
    // The writes the old handle held were dropped with it: their slots serve again without a wait.
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(pipe.Send(0, piece.data(), 128), 0) << i;
}

TEST_F(PrivateMidiTests, DeviceNotAttachedAtFirstIsOpenedWhenItAttaches)
{
    mixer->Unplug();
    BrevikDriverDeviceInfo record;
    record.driverName = kDriverName;
    record.vendorId = 0x15E4;
    record.productId = 0x8007;
    uint32_t count = 0;
    uint32_t total = 0;
    EnumerateDriverInstances(kDriverName, &record, 1, count, total);
    ASSERT_EQ(count, 1u);
    PrivateMidi pipe(record);
    EXPECT_FALSE(pipe.IsDeviceOpen());
    EXPECT_EQ(pipe.OpenPort(0), PrivateMidi::kDeviceNotOpen);
    EXPECT_EQ(pipe.CloseAllPorts(), PrivateMidi::kDeviceNotOpen);
    mixer->Plug();
    ASSERT_TRUE(TestSupport::WaitFor([&] { return pipe.IsDeviceOpen(); }));
    EXPECT_EQ(pipe.OpenPort(0), 0);
}

TEST_F(PrivateMidiSlow, SeventeenthSendFailsWhenTheDriverReleasesNothing)
{
    PrivateMidi pipe(Find());
    ASSERT_EQ(pipe.OpenPort(0), 0);
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Never);
    const auto piece = Bytes(128);
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(pipe.Send(0, piece.data(), 128), 0) << i;
    EXPECT_EQ(pipe.Send(0, piece.data(), 128), PrivateMidi::kBadPortOrNoSlot);
    EXPECT_EQ(Writes().size(), 16u);
    // Destroying the pipe now waits for the held buffers, closes, and frees them only once the driver
    // has let go (AddressSanitizer watches the last part).
}
// Pipes made and destroyed while the device comes and goes: the watcher's attach and detach callbacks run
// into live pipes only, never into one being torn down.
TEST_F(PrivateMidiConcurrency, DestroyedWhileTheDeviceComesAndGoes)
{
    const BrevikDriverDeviceInfo record = Find();
    std::atomic<bool> stop{false};
    std::thread flapper(
        [&]
        {
            while (!stop)
            {
                mixer->Unplug();
                mixer->Plug();
            }
        });
    const auto piece = Bytes(16);
    for (int i = 0; i < 20; ++i)
    {
        PrivateMidi pipe(record);
        (void)pipe.OpenPort(0);
        (void)pipe.Send(0, piece.data(), static_cast<uint32_t>(piece.size()));
    }
    stop = true;
    flapper.join();
}
} // namespace
