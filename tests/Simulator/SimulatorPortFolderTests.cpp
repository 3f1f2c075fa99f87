#include "Support/SimulatorFixture.h"
#include "Support/SimulatorProcess.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiWire.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

// The simulator in a long MIDI folder, as a test run under a home directory gives it: its device is
// found and answers wherever its ports fit, and a port that cannot be published is printed and refused
// on plugging, never left out in silence.

using namespace TestSupport;
using namespace std::chrono_literals;

namespace
{
// The longest folder a port's socket fits in.
constexpr size_t kLongestFolder =
    Platform::Io::kMaxSocketPathLength - 1 - Platform::MidiWire::kPortFileNameLength;

// Points ZQ_MIDI_DIR at a new folder of exactly `length` bytes below the test's root.
std::string UseMidiFolderOfLength(const TempEnvironment& environment, size_t length)
{
    const std::string stem = environment.Root() + "/";
    const std::string folder = stem + std::string(length - stem.size(), 'm');
    std::filesystem::create_directories(folder);
    ::setenv("ZQ_MIDI_DIR", folder.c_str(), 1);
    return folder;
}
} // namespace

TEST(SimulatorPortFolderTests, DeviceInTheLongestFolderThatHoldsItsPortsIsFoundAndAnswers)
{
    const std::string program = SimulatorProcess::ProgramNextToThisTest();
    if (program.empty())
        GTEST_SKIP() << "zq-simulator is not built next to this test";
    TempEnvironment environment;
    (void)UseMidiFolderOfLength(environment, kLongestFolder);

    SimulatorProcess simulator(program, {"--version", "1.1.5.7"});
    ASSERT_TRUE(simulator.IsReady());
    const std::string log = simulator.Ask("log");
    EXPECT_NE(log.find(" plug ok"), std::string::npos) << log;
    ASSERT_NO_FATAL_FAILURE(ExpectIdentityVersion({1, 1, 5, 7}));
}

TEST(SimulatorPortFolderTests, PortsThatCannotBePublishedArePrintedAndRefuseThePlug)
{
    const std::string program = SimulatorProcess::ProgramNextToThisTest();
    if (program.empty())
        GTEST_SKIP() << "zq-simulator is not built next to this test";
    TempEnvironment environment;
    const std::string folder = UseMidiFolderOfLength(environment, kLongestFolder + 1);

    SimulatorProcess simulator(program, {});
    ASSERT_TRUE(simulator.IsReady()); // its control socket still fits
    for (const std::string direction : {"input", "output"})
    {
        const std::string line = simulator.ReadOutputLine(30s);
        EXPECT_EQ(line.rfind("zq-simulator: MIDI " + direction +
                                 " port \"Tavrin DJ Q3300 Splen\" could not be "
                                 "published in " +
                                 folder + ": ",
                             0),
                  0u)
            << line;
        EXPECT_NE(line.find("too long"), std::string::npos) << line;
    }

    EXPECT_EQ(simulator.Ask("unplug"), "OK unplugged");
    const std::string replug = simulator.Ask("plug");
    EXPECT_EQ(replug.rfind("ERR plugged, but MIDI input port", 0), 0u) << replug;
    EXPECT_NE(replug.find("MIDI output port"), std::string::npos) << replug;
}
