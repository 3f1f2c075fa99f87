#include "tests/Support/MidiPortsFixture.h"

#include "Platform/Io/UnixSocket.h"
#include "Platform/Midi/MidiPeer.h"
#include "Platform/Midi/MidiPorts.h"
#include "Platform/Midi/MidiWire.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Port files left behind by a device whose process was killed: they refuse connections, are not listed,
// and give way to a new port of the same name.

using namespace Platform;

namespace
{
std::vector<std::u16string> DeviceNames(bool input)
{
    std::vector<std::u16string> names;
    for (uint32_t id = 0, count = input ? MidiInDeviceCount() : MidiOutDeviceCount(); id < count; ++id)
    {
        MidiInCaps inCaps;
        MidiOutCaps outCaps;
        const bool known =
            input ? MidiInCapabilities(id, inCaps) == kMidiOk : MidiOutCapabilities(id, outCaps) == kMidiOk;
        EXPECT_TRUE(known);
        names.emplace_back(input ? inCaps.name : outCaps.name);
    }
    return names;
}

class MidiStalePorts : public ::testing::Test
{
protected:
    // A port file as a peer published it (first in publishing order), whose socket is gone.
    std::string LeaveStalePort(bool input, const std::u16string& name)
    {
        const std::string path = folder.Path() + "/" + MidiWire::PortFileName(input, 1, 4242, mCounter++);
        std::error_code error;
        EXPECT_TRUE(MidiWire::WriteNameFile(path, name, error)) << error.message();
        Io::UniqueFd listener = Io::ListenUnix(path, Io::SocketType::SeqPacket, error);
        EXPECT_TRUE(listener) << error.message();
        listener.Reset();
        EXPECT_TRUE(Io::IsStaleSocket(path));
        return path;
    }

    TestSupport::TempMidiFolder folder;

private:
    uint32_t mCounter = 0;
};
} // namespace

TEST_F(MidiStalePorts, StalePortsAreNotListedAndGiveWayToANewPortOfTheirName)
{
    const std::string staleIn = LeaveStalePort(true, u"Mixer");
    const std::string staleOut = LeaveStalePort(false, u"Mixer");
    const std::string staleOther = LeaveStalePort(true, u"Other");
    EXPECT_TRUE(DeviceNames(true).empty());
    EXPECT_TRUE(DeviceNames(false).empty());

    MidiPeer peer;
    ASSERT_NE(peer.PublishInput(u"Mixer"), 0u);
    ASSERT_NE(peer.PublishOutput(u"Mixer"), 0u);
    EXPECT_EQ(DeviceNames(true), (std::vector<std::u16string>{u"Mixer"}));
    EXPECT_EQ(DeviceNames(false), (std::vector<std::u16string>{u"Mixer"}));
    for (const auto& stale : {staleIn, staleOut})
    {
        EXPECT_FALSE(std::filesystem::exists(stale));
        EXPECT_FALSE(std::filesystem::exists(MidiWire::NameFilePath(stale)));
    }
    // A stale port of another name is not the publisher's to remove; it stays unlisted.
    EXPECT_TRUE(std::filesystem::exists(staleOther));

    // The one device of the name is the live one and opens.
    const auto id = TestSupport::FindMidiDevice(false, u"Mixer");
    ASSERT_TRUE(id.has_value());
    MidiOutHandle handle{};
    ASSERT_EQ(MidiOutOpen(handle, *id, nullptr, 0, kMidiCallbackNull), kMidiOk);
    EXPECT_EQ(MidiOutShortMessage(handle, 0x007F3C90), kMidiOk);
    const auto received = peer.Receive(0, std::chrono::seconds(10));
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->bytes, (std::vector<uint8_t>{0x90, 0x3C, 0x7F}));
    EXPECT_EQ(MidiOutClose(handle), kMidiOk);
}

TEST_F(MidiStalePorts, PublishingNeverRemovesALivePortOfTheSameName)
{
    MidiPeer first;
    MidiPeer second;
    ASSERT_NE(first.PublishInput(u"Mixer"), 0u);
    ASSERT_NE(second.PublishInput(u"Mixer"), 0u);
    EXPECT_EQ(DeviceNames(true), (std::vector<std::u16string>{u"Mixer", u"Mixer"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 4); // sockets, names
}
