#include "Support/MidiPortsFixture.h"
#include "Support/UdpListener.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiWire.h"
#include "ZQFramework/Midi/MidiComm.h"
#include "ZQFramework/System/DebugConsole.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

// A MIDI port the program cannot reach is told on its debug output, so that a device missing for a
// reason of the machine's (a MIDI folder too long for the port's socket) can be traced.

using TestSupport::UdpListener;

TEST(MidiPortProblems, AFolderTooLongForAnyPortIsToldOnTheDebugOutput)
{
    UdpListener listener;
    ZQ::DebugConsole::SetUDPTarget("127.0.0.1", listener.Port());
    TestSupport::TempMidiFolder base;
    const size_t tooLong = Platform::Io::kMaxSocketPathLength - Platform::MidiWire::kPortFileNameLength;
    const std::string folder = base.Path() + "/" + std::string(tooLong - base.Path().size() - 1, 'f');
    std::filesystem::create_directories(folder);
    ::setenv("ZQ_MIDI_DIR", folder.c_str(), 1);

    const auto midi = ZQ::LMidiComm::Create();
    ZQ::RCPtr<ZQ::LRefCountedObject> port;
    (void)midi->OpenCapturePort(ZQ::WString(u"Tavrin DJ Q3300 Splen"), port);
    EXPECT_TRUE(port.IsNull());
    const auto received = listener.ReceiveUntil(folder);
    ZQ::DebugConsole::SetUDPTarget(nullptr, -1);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().rfind("MIDI: the MIDI port folder " + folder + " is too long", 0), 0u)
        << received.back();
}
