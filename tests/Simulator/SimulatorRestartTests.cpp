#include "Support/SimulatorFixture.h"
#include "Support/SimulatorProcess.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

// A simulator killed outright (SIGKILL: no chance to clean up) leaves its sockets behind. The next one,
// started in the same folders, must still be the one device of its name that the updater finds and
// reaches: MIDI ports, driver device and control socket.

using namespace TestSupport;
using namespace std::chrono_literals;

namespace
{
// How many MIDI devices of each direction carry the device's name.
std::pair<int, int> DevicesNamed(const std::u16string& name)
{
    std::pair<int, int> count{0, 0};
    for (uint32_t id = 0, n = Platform::MidiInDeviceCount(); id < n; ++id)
    {
        Platform::MidiInCaps caps;
        count.first += Platform::MidiInCapabilities(id, caps) == Platform::kMidiOk && name == caps.name;
    }
    for (uint32_t id = 0, n = Platform::MidiOutDeviceCount(); id < n; ++id)
    {
        Platform::MidiOutCaps caps;
        count.second += Platform::MidiOutCapabilities(id, caps) == Platform::kMidiOk && name == caps.name;
    }
    return count;
}

size_t FileCount(const std::string& folder)
{
    std::error_code ignored;
    return std::filesystem::exists(folder, ignored)
               ? static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}))
               : 0;
}
} // namespace

TEST(SimulatorRestartTests, SimulatorStartedAfterOneWasKilledIsTheOneDeviceFound)
{
    const std::string program = SimulatorProcess::ProgramNextToThisTest();
    if (program.empty())
        GTEST_SKIP() << "zq-simulator is not built next to this test";
    TempEnvironment environment;
    const std::string midi = environment.Root() + "/midi";
    const std::string driver = environment.Root() + "/driver";
    const std::u16string name = Simulator::MixerSettings{}.portName;

    auto killed =
        std::make_unique<SimulatorProcess>(program, std::vector<std::string>{"--version", "1.1.5.7"});
    ASSERT_TRUE(killed->IsReady());
    ASSERT_NO_FATAL_FAILURE(ExpectIdentityVersion({1, 1, 5, 7}));
    killed.reset(); // SIGKILL, reaped
    // What it left: its two ports (each a socket and a name file) and control socket, its driver device
    // socket.
    ASSERT_EQ(FileCount(midi), 5u);
    ASSERT_EQ(FileCount(driver), 1u);
    EXPECT_EQ(DevicesNamed(name), std::make_pair(0, 0));
    EXPECT_FALSE(DriverClient(Simulator::MixerSettings{}.lastPath).IsOpen());

    SimulatorProcess next(program, {"--version", "1.2.0.1"});
    ASSERT_TRUE(next.IsReady()) << "the control socket left behind kept the new simulator from starting";
    EXPECT_EQ(next.SocketPath(), midi + "/zq-simulator.sock");
    EXPECT_EQ(DevicesNamed(name), std::make_pair(1, 1));
    ASSERT_NO_FATAL_FAILURE(ExpectIdentityVersion({1, 2, 0, 1}));
    EXPECT_TRUE(DriverClient(Simulator::MixerSettings{}.lastPath).IsOpen());

    // The new simulator took the old sockets' places, so a clean end leaves nothing behind.
    EXPECT_EQ(next.Ask("quit"), "OK quit");
    ASSERT_TRUE(next.WaitForExit(30s));
    EXPECT_TRUE(next.ExitedWith(0));
    EXPECT_EQ(FileCount(midi), 0u);
    EXPECT_EQ(FileCount(driver), 0u);
}
