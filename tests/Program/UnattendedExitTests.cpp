#include "Program/ChildProcess.h"
#include "Support/PrivateFolders.h"
#include "Support/SimulatorProcess.h"

#include "Panel/Engine/UpdateProcessor.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

// The updater program run as a script runs it, against zq-simulator as another process: every end of an
// unattended run has an exit value of its own, 0 only when the image went whole or none was needed, and
// no end leaves the driver's update handling switched on.
namespace
{
using namespace std::chrono_literals;
using TestSupport::ChildProcess;
using TestSupport::PrivateFolders;
using TestSupport::SimulatorProcess;

constexpr const char* kUpdater = "q3300-splen-updater";
constexpr const char* kOldVersion = "1.1.5.7";
constexpr const char* kNewVersion = "1.2.0.1";

// What happens once the device has taken the first bytes of the image.
enum class MidTransfer
{
    Nothing,
    Unplug,
    Terminate, // SIGTERM to the updater
    Interrupt, // SIGINT, as Ctrl-C sends it
};

struct Case
{
    const char* name;
    std::vector<std::string> simulatorOptions;
    std::vector<std::string> commands; // to the simulator before the updater starts
    std::vector<std::string> options;  // of the updater, before the firmware file's path
    size_t imageBytes;                 // 0: the firmware file is missing
    MidTransfer midTransfer;
    int exitCode;
};

// The value of one "name=value" field of the simulator's status line; empty when missing.
std::string StatusField(const std::string& status, const std::string& name)
{
    const std::string key = std::string(" ").append(name).append("=");
    const size_t at = status.find(key);
    if (at == std::string::npos)
        return {};
    const size_t begin = at + key.size();
    return status.substr(begin, status.find(' ', begin) - begin);
}

// The number of image bytes the device holds, by its status line.
size_t ReceivedBytes(const std::string& status)
{
    const std::string field = StatusField(status, "firmware");
    return field.empty() ? 0 : std::stoul(field);
}

// The updater started against a simulator with one case's settings and image.
class UnattendedRun
{
public:
    UnattendedRun(const std::string& simulatorProgram, const PrivateFolders& folders, const Case& c,
                  bool headless = true)
        : simulator(simulatorProgram, Options(c))
    {
        if (!simulator.IsReady())
            return;
        for (const std::string& command : c.commands)
            EXPECT_EQ(simulator.Ask(command).rfind("OK", 0), 0u) << c.name << ": " << command;
        image = folders.root + "/image.syx";
        std::filesystem::remove(image);
        if (c.imageBytes > 0)
            WriteImage(c.imageBytes);
        std::vector<std::string> arguments = c.options;
        arguments.push_back(std::string("-ABSOLUTE_FIRMWARE_FILE_PATH=").append(image));
        updater.emplace(kUpdater, arguments, headless);
    }

    // Waits until the device has taken some of the image; false when it took none in time.
    bool WaitForFirstBytes()
    {
        return TestSupport::WaitFor([&] { return ReceivedBytes(simulator.Ask("status")) > 0; }, 120s);
    }

    SimulatorProcess simulator;
    std::optional<ChildProcess> updater;
    std::string image;
    std::vector<uint8_t> bytes;

private:
    static std::vector<std::string> Options(const Case& c)
    {
        std::vector<std::string> options{"--version", kOldVersion, "--new-version", kNewVersion};
        options.insert(options.end(), c.simulatorOptions.begin(), c.simulatorOptions.end());
        return options;
    }

    void WriteImage(size_t size)
    {
        // Data bytes only: the device never takes the image for a whole one and stays in update mode.
        bytes.resize(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<uint8_t>((i * 37 + 11) & 0x7F);
        std::ofstream(image, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

// A small image goes in well under a second; a large one (about ten seconds at the device's pace) is
// still being sent when the test steps in.
constexpr size_t kSmallImage = 2048;
constexpr size_t kLargeImage = 64 * 1024;

// Runs one case to its end and checks its exit value, the driver's update handling and what the device
// received.
void Check(const std::string& simulatorProgram, const PrivateFolders& folders, const Case& c, bool headless)
{
    UnattendedRun run(simulatorProgram, folders, c, headless);
    ASSERT_TRUE(run.simulator.IsReady()) << c.name;
    ASSERT_TRUE(run.updater.has_value() && run.updater->IsStarted()) << c.name;
    if (c.midTransfer != MidTransfer::Nothing)
    {
        ASSERT_TRUE(run.WaitForFirstBytes()) << c.name;
        if (c.midTransfer == MidTransfer::Unplug)
            EXPECT_EQ(run.simulator.Ask("unplug"), "OK unplugged") << c.name;
        else
            run.updater->Signal(c.midTransfer == MidTransfer::Terminate ? SIGTERM : SIGINT);
    }
    EXPECT_EQ(run.updater->WaitForExit(180s), std::optional<int>(c.exitCode)) << c.name;

    const std::string status = run.simulator.Ask("status");
    // An unplugged device cannot be told to switch its update handling off.
    if (c.midTransfer != MidTransfer::Unplug)
    {
        EXPECT_EQ(StatusField(status, "update-control"), "0") << c.name << ": " << status;
    }
    const size_t received = ReceivedBytes(status);
    if (c.exitCode == 0 && c.simulatorOptions == std::vector<std::string>{"--update-mode"})
    {
        EXPECT_EQ(received, run.bytes.size()) << c.name;
    }
    else if (c.exitCode != 0 && !run.bytes.empty())
    {
        EXPECT_LT(received, run.bytes.size()) << c.name;
    }
    EXPECT_EQ(run.simulator.Ask("quit"), "OK quit") << c.name;
}

bool ProgramsAreBuilt(std::string& simulatorProgram)
{
    simulatorProgram = SimulatorProcess::ProgramNextToThisTest();
    return !ChildProcess::NextToThisTest(kUpdater).empty() && !simulatorProgram.empty();
}

TEST(UnattendedExit, EveryEndOfASilentRunHasItsOwnExitValue)
{
    std::string simulatorProgram;
    if (!ProgramsAreBuilt(simulatorProgram))
        GTEST_SKIP() << "the updater program or zq-simulator is not built next to this test";
    const PrivateFolders folders("zq-unattended");

    using P = LUpdateProcessor;
    const Case cases[] = {
        {"sent whole", {"--update-mode"}, {}, {"-SILENT"}, kSmallImage, MidTransfer::Nothing, 0},
        {"no update needed",
         {"--version", kNewVersion},
         {},
         {"-SILENT"},
         kSmallImage,
         MidTransfer::Nothing,
         0},
        {"normal mode, update needed",
         {},
         {},
         {"-SILENT"},
         kSmallImage,
         MidTransfer::Nothing,
         P::kExitUpdateNotStarted},
        {"no device", {"--unplugged"}, {}, {"-SILENT"}, kSmallImage, MidTransfer::Nothing, P::kExitNoDevice},
        {"old driver",
         {"--driver-version", "1.0.4"},
         {},
         {"-SILENT"},
         kSmallImage,
         MidTransfer::Nothing,
         P::kExitDriverTooOldOrEngineError},
        {"no file", {"--update-mode"}, {}, {"-SILENT"}, 0, MidTransfer::Nothing, P::kExitFirmwareFileInvalid},
        {"buffers never released",
         {"--update-mode"},
         {"release never"},
         {"-SILENT"},
         kLargeImage,
         MidTransfer::Nothing,
         P::kExitTransferFailed},
        {"a request fails",
         {"--update-mode"},
         {"fail 13 after 5"},
         {"-SILENT"},
         kLargeImage,
         MidTransfer::Nothing,
         P::kExitTransferFailed},
        {"unplugged mid-transfer",
         {"--update-mode"},
         {},
         {"-SILENT"},
         kLargeImage,
         MidTransfer::Unplug,
         P::kExitTransferFailed},
        {"SIGTERM mid-transfer",
         {"--update-mode"},
         {},
         {"-SILENT"},
         kLargeImage,
         MidTransfer::Terminate,
         P::kExitTransferFailed},
        {"Ctrl-C mid-transfer",
         {"--update-mode"},
         {},
         {"-SILENT"},
         kLargeImage,
         MidTransfer::Interrupt,
         P::kExitTransferFailed},
        {"the window needed, no display", {}, {}, {}, kSmallImage, MidTransfer::Nothing, P::kExitNoWindow},
        {"started for a window that cannot be made",
         {"--update-mode"},
         {},
         {"-START_UPDATE_AUTOMATICALLY"},
         kLargeImage,
         MidTransfer::Nothing,
         P::kExitNoWindow},
    };
    for (const Case& c : cases)
        Check(simulatorProgram, folders, c, true);
}

TEST(UnattendedExitX11, ASignalDuringATransferInTheWindowEndsTheTransferFirst)
{
    std::string simulatorProgram;
    if (!ProgramsAreBuilt(simulatorProgram))
        GTEST_SKIP() << "the updater program or zq-simulator is not built next to this test";
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no display";
    const PrivateFolders folders("zq-unattended");
    // cairo's X11 backend keeps a few bytes per display until the process ends, which the leak checker of
    // a sanitizer build would report as the program's exit value; the children go without it.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::optional<std::string> savedSanitizer =
        sanitizer != nullptr ? std::optional<std::string>(sanitizer) : std::nullopt;
    ::setenv("ASAN_OPTIONS", (savedSanitizer.value_or("") + ":detect_leaks=0").c_str(), 1);
    struct SanitizerRestored
    {
        const std::optional<std::string>& saved;
        ~SanitizerRestored()
        {
            if (saved.has_value())
                ::setenv("ASAN_OPTIONS", saved->c_str(), 1);
            else
                ::unsetenv("ASAN_OPTIONS");
        }
    } restored{savedSanitizer};
    Check(simulatorProgram, folders,
          {"SIGTERM mid-transfer in the window",
           {"--update-mode"},
           {},
           {"-START_UPDATE_AUTOMATICALLY"},
           kLargeImage,
           MidTransfer::Terminate,
           LUpdateProcessor::kExitTransferFailed},
          false);
}
} // namespace
