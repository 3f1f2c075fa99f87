#include "Support/SimulatorFixture.h"

#include <thread>

using namespace TestSupport;
using namespace std::chrono_literals;
using TestSupport::WaitFor;
namespace Req = Platform::DriverRequests;

namespace
{
class SimulatorConcurrency : public SimulatorTestBase
{
};

// Two handles write at once while the release policy keeps changing: every byte arrives once, each
// handle's bytes in its own order, and every buffer comes back.
TEST_F(SimulatorConcurrency, ParallelWritersLoseNothingWhilePolicyChanges)
{
    mixer->Driver().SetExclusive(false);
    ASSERT_TRUE(DriverClient(path).UpdateControl(true));
    constexpr int Writes = 150;
    std::atomic<bool> failed{false};
    const auto writer = [&](uint8_t tag)
    {
        DriverClient pipe(path);
        if (!pipe.Pipe(Req::OpenOutputPort, tag))
            failed = true;
        std::vector<std::unique_ptr<Slot>> slots;
        for (int i = 0; i < Writes && !failed; ++i)
        {
            slots.push_back(std::make_unique<Slot>(std::vector<uint8_t>{tag, static_cast<uint8_t>(i)}));
            if (!pipe.Write(tag, *slots.back()))
                failed = true;
        }
        if (!WaitFor(
                [&] { return std::all_of(slots.begin(), slots.end(), [](auto& s) { return s->IsFree(); }); }))
            failed = true;
    };
    std::thread first(writer, 1);
    std::thread second(writer, 2);
    for (int i = 0; i < 20; ++i)
    {
        mixer->Driver().SetReleasePolicy(
            i % 2 ? Simulator::ReleasePolicy::Delayed : Simulator::ReleasePolicy::Paced, 1ms);
        std::this_thread::sleep_for(1ms);
    }
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Immediate);
    first.join();
    second.join();
    ASSERT_FALSE(failed);

    const auto firmware = mixer->Driver().Firmware();
    ASSERT_EQ(firmware.size(), 4u * Writes);
    int next[3] = {0, 0, 0};
    for (size_t i = 0; i < firmware.size(); i += 2)
    {
        ASSERT_TRUE(firmware[i] == 1 || firmware[i] == 2);
        EXPECT_EQ(firmware[i + 1], next[firmware[i]]++);
    }
}

// Unplugging and plugging again while a writer runs never crashes, hangs or touches a dropped buffer.
TEST_F(SimulatorConcurrency, UnplugWhileWritingIsSafe)
{
    mixer->Driver().SetReleasePolicy(Simulator::ReleasePolicy::Paced, 1ms);
    std::atomic<bool> stop{false};
    std::thread writer(
        [&]
        {
            while (!stop)
            {
                DriverClient pipe(path);
                if (!pipe.IsOpen() || !pipe.Pipe(Req::OpenOutputPort, 0))
                    continue;
                for (int i = 0; i < 20; ++i)
                {
                    auto slot = std::make_unique<Slot>(std::vector<uint8_t>{static_cast<uint8_t>(i)});
                    if (!pipe.Write(0, *slot))
                        break;
                    pipe.Pipe(Req::CloseAllPorts, 1); // lets go of the buffer, which then goes away
                    pipe.Pipe(Req::OpenOutputPort, 0);
                }
            }
        });
    for (int i = 0; i < 10; ++i)
    {
        mixer->Unplug();
        mixer->Plug();
    }
    stop = true;
    writer.join();
    EXPECT_TRUE(WaitFor([&] { return mixer->Driver().OpenHandleCount() == 0; }));
}
} // namespace
