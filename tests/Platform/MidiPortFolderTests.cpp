#include "tests/Support/MidiPortsFixture.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiPeer.h"
#include "Platform/Midi/MidiPorts.h"
#include "Platform/Midi/MidiWire.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

// Port folders of every length a socket port fits in, and what the program is told when a port cannot
// appear: a folder too long for any port, a port whose name cannot be read.

using namespace Platform;

namespace
{
const std::u16string kMixerName = u"Tavrin DJ Q3300 Splen";

// A folder of exactly `length` bytes inside the test's own folder, made and set as ZQ_MIDI_DIR.
std::string FolderOfLength(const TestSupport::TempMidiFolder& base, size_t length)
{
    const std::string folder = base.Path() + "/" + std::string(length - base.Path().size() - 1, 'f');
    std::filesystem::create_directories(folder);
    ::setenv("ZQ_MIDI_DIR", folder.c_str(), 1);
    return folder;
}

bool AnyProblemMentions(const std::vector<std::string>& problems, const std::string& text)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& problem) { return problem.find(text) != std::string::npos; });
}

// The longest folder a port's socket fits in.
constexpr size_t kLongestFolder = Io::kMaxSocketPathLength - 1 - MidiWire::kPortFileNameLength;
} // namespace

TEST(MidiPortFolder, PortsOfALongNameInTheLongestFolderAreListedAndReached)
{
    TestSupport::TempMidiFolder base;
    const std::string folder = FolderOfLength(base, kLongestFolder);
    MidiPeer peer;
    std::error_code error;
    ASSERT_NE(peer.PublishInput(kMixerName, error), 0u) << error.message();
    ASSERT_NE(peer.PublishOutput(kMixerName, error), 0u) << error.message();

    EXPECT_TRUE(TestSupport::FindMidiDevice(true, kMixerName).has_value());
    const auto output = TestSupport::FindMidiDevice(false, kMixerName);
    ASSERT_TRUE(output.has_value());
    MidiOutHandle handle{};
    ASSERT_EQ(MidiOutOpen(handle, *output, nullptr, 0, kMidiCallbackNull), kMidiOk);
    EXPECT_EQ(MidiOutShortMessage(handle, 0x007F3C90), kMidiOk);
    const auto received = peer.Receive(0, std::chrono::seconds(10));
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->bytes, (std::vector<uint8_t>{0x90, 0x3C, 0x7F}));
    EXPECT_EQ(MidiOutClose(handle), kMidiOk);
}

TEST(MidiPortFolder, AFolderTooLongForAnyPortIsRefusedAndReported)
{
    TestSupport::TempMidiFolder base;
    const std::string folder = FolderOfLength(base, kLongestFolder + 1);
    (void)TakeMidiPortProblems();
    MidiPeer peer;
    std::error_code error;
    EXPECT_EQ(peer.PublishInput(kMixerName, error), 0u);
    EXPECT_EQ(error, std::errc::filename_too_long);
    EXPECT_EQ(peer.PublishOutput(kMixerName, error), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(folder)); // no name file left behind

    EXPECT_EQ(MidiInDeviceCount(), MidiInDeviceCount()); // the same problem twice...
    const auto problems = TakeMidiPortProblems();
    EXPECT_EQ(std::count_if(problems.begin(), problems.end(),
                            [&](const std::string& problem)
                            { return problem.find(folder) != std::string::npos; }),
              1); // ...is given once
    EXPECT_TRUE(AnyProblemMentions(problems, "too long"));
}

TEST(MidiPortFolder, ASocketWithoutAReadableNameIsReportedNotListed)
{
    struct Case
    {
        const char* what;
        void (*makeNameFile)(const std::string& path);
    };
    const Case cases[] = {
        {"missing", [](const std::string&) {}},
        {"too large", [](const std::string& path)
         { std::ofstream(path) << std::string(MidiWire::kMaxNameFileBytes + 1, 'x'); }},
        {"a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TestSupport::TempMidiFolder folder;
        const std::string path = folder.Path() + "/" + MidiWire::PortFileName(true, 1, 1, 1);
        c.makeNameFile(MidiWire::NameFilePath(path));
        std::error_code error;
        const Io::UniqueFd live = Io::ListenUnix(path, Io::SocketType::SeqPacket, error);
        ASSERT_TRUE(live) << error.message();
        (void)TakeMidiPortProblems();

        EXPECT_EQ(MidiInDeviceCount(), 0u);
        EXPECT_TRUE(AnyProblemMentions(TakeMidiPortProblems(), path));
    }
}
