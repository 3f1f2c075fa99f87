#include "Engine/EngineFixture.h"
#include "Support/SimulatorProcess.h"

#include "Panel/Engine/UpdateProcessor.h"
#include "ZQFramework/Application/FrameworkServices.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

// The update processor in this process against zq-simulator running as a separate program: the device's
// ports, its identity replies, the driver's registry entries and its private channel all cross process
// boundaries, as they do between the updater and a real mixer.

namespace
{
using namespace std::chrono_literals;
using TestSupport::SimulatorProcess;
using TestSupport::WaitFor;

std::u16string Wide(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// The check value the simulator's "firmware" command prints: CRC-32 (reflected, 0xEDB88320), as eight
// upper-case hex digits.
std::string Crc32Text(const std::vector<uint8_t>& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const uint8_t byte : bytes)
    {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%08X", ~crc);
    return text;
}

// A SysEx image of 1000 bytes, so that the last piece sent is a short one; the simulator takes an image
// that ends with F7 as complete and reboots after it.
std::vector<uint8_t> MakeImage()
{
    std::vector<uint8_t> image(1000);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>((i * 37 + 11) & 0x7F);
    image.front() = 0xF0;
    image.back() = 0xF7;
    return image;
}

// A private environment shared with the simulator program, which each test starts with its options.
class EndToEndFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        program = SimulatorProcess::ProgramNextToThisTest();
        if (program.empty())
            GTEST_SKIP() << "zq-simulator is not built next to this test program";
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
        ZQ::ProcessExitValue = 0;
    }

    void TearDown() override
    {
        simulator.reset(); // kills and reaps a simulator that a failed test left running
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
    }

    void StartSimulator(const std::vector<std::string>& options)
    {
        simulator = std::make_unique<SimulatorProcess>(program, options);
        ASSERT_TRUE(simulator->IsReady()) << "the simulator did not announce its control socket";
        EXPECT_EQ(simulator->SocketPath(), environment.Root() + "/midi/zq-simulator.sock");
    }

    // Quits the simulator and checks that it ended well and took its sockets with it.
    void StopSimulator()
    {
        EXPECT_EQ(simulator->Ask("quit"), "OK quit");
        ASSERT_TRUE(simulator->WaitForExit(30s)) << "the simulator did not end after quit";
        EXPECT_TRUE(simulator->ExitedWith(0)) << "wait status " << simulator->ExitStatus();
        EXPECT_EQ(simulator->ReadOutputLine(), "zq-simulator: stopped");
        simulator.reset();
        EXPECT_TRUE(std::filesystem::is_empty(environment.Root() + "/midi"));
        const std::string driver = environment.Root() + "/driver";
        EXPECT_TRUE(!std::filesystem::exists(driver) || std::filesystem::is_empty(driver));
    }

    // Initializes a fresh processor with this command line.
    static ZQRESULT Run(ZQ::RCPtr<LUpdateProcessor>& processor, const std::u16string& commandLine)
    {
        processor = LUpdateProcessor::Create();
        return processor->Initialize(commandLine.c_str());
    }

    TestSupport::TempEnvironment environment; // first: the environment is set before anything opens
    std::string program;
    std::unique_ptr<SimulatorProcess> simulator;
};

using EndToEndTests = EndToEndFixture;
using EndToEndSlow = EndToEndFixture; // waits out the identity request that update mode leaves unanswered

TEST_F(EndToEndSlow, SilentUpdateDeliversTheImageAndTheDeviceComesBackWithTheNewVersion)
{
    ASSERT_NO_FATAL_FAILURE(StartSimulator(
        {"--update-mode", "--version", "1.1.5.7", "--new-version", "1.2.0.1", "--reboot-delay", "200"}));
    const std::vector<uint8_t> image = MakeImage();
    const std::string folder = environment.Root() + "/files/with space";
    std::filesystem::create_directories(folder);
    {
        std::ofstream out(folder + "/image.syx", std::ios::binary);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    const std::u16string file = u"-ABSOLUTE_FIRMWARE_FILE_PATH=\"" + Wide(folder) + u"/image.syx\"";

    ZQ::RCPtr<LUpdateProcessor> processor;
    EXPECT_EQ(Run(processor, u"-SILENT " + file), ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(processor->GetEngine()->GetUpdateResult(false), LUpdateEngineInterface::kResultDone);
    EXPECT_EQ(simulator->Ask("firmware"), "OK 1000 " + Crc32Text(image));

    // The complete image makes the device reboot: it comes back in normal mode with the new version,
    // which the updater then finds up to date.
    std::string status;
    EXPECT_TRUE(WaitFor(
        [&]
        {
            status = simulator->Ask("status");
            return status.rfind("OK plugged=1 mode=normal version=1.2.0.1 ", 0) == 0 &&
                   status.find(" reboots=1") != std::string::npos;
        },
        30s))
        << status;
    ZQ::ProcessExitValue = 0;
    EXPECT_EQ(Run(processor, u"-RETURN_UPDATE_MODE_STATUS " + file), ZQ_E_APP_WORK_DONE);
    EXPECT_EQ(ZQ::ProcessExitValue.load(), LUpdateProcessor::kExitNormalModeNotNeeded);

    processor = nullptr;
    StopSimulator();
}

TEST_F(EndToEndTests, StatusExitValueReflectsTheDeviceAndDriver)
{
    const std::string path = environment.WriteFile("image.syx", MakeImage());
    struct Case
    {
        const char* name;
        std::vector<std::string> options;
        int32_t exitValue;
    };
    const Case cases[] = {
        {"normal mode, old version", {"--version", "1.1.5.7"}, LUpdateProcessor::kExitNormalModeNeeded},
        {"no device", {"--unplugged"}, LUpdateProcessor::kExitNoDeviceOrDriverTooOld},
        {"driver too old", {"--driver-version", "1.0.4"}, LUpdateProcessor::kExitNoDeviceOrDriverTooOld},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(StartSimulator(c.options));
        ZQ::ProcessExitValue = 0;
        ZQ::RCPtr<LUpdateProcessor> processor;
        EXPECT_EQ(Run(processor, u"-RETURN_UPDATE_MODE_STATUS -ABSOLUTE_FIRMWARE_FILE_PATH=" + Wide(path)),
                  ZQ_E_APP_WORK_DONE);
        EXPECT_EQ(ZQ::ProcessExitValue.load(), c.exitValue);
        processor = nullptr;
        ASSERT_NO_FATAL_FAILURE(StopSimulator());
    }
}
} // namespace
