#pragma once

#include "Support/WaitFor.h"

#include "Platform/Driver/Driver.h"
#include "Platform/Driver/DriverRequests.h"
#include "Platform/Driver/DriverWire.h"
#include "Platform/Midi/MidiPorts.h"
#include "Simulator/Mixer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The simulated mixer for tests in this process: a private environment for it, the program's side of its
// MIDI ports and driver, and a fixture that runs it.
namespace TestSupport
{
// Private folders for MIDI sockets, registry and driver sockets, set before anything is opened and
// removed afterwards, and a folder for other files of the test.
class TempEnvironment
{
public:
    TempEnvironment()
    {
        char pattern[] = "/tmp/zq-simulator-test-XXXXXX";
        mRoot = ::mkdtemp(pattern);
        ::setenv("ZQ_MIDI_DIR", (mRoot + "/midi").c_str(), 1);
        ::setenv("ZQ_REGISTRY_ROOT", (mRoot + "/registry").c_str(), 1);
        ::setenv("ZQ_DRIVER_DIR", (mRoot + "/driver").c_str(), 1);
        std::filesystem::create_directories(mRoot + "/midi");
        std::filesystem::create_directories(mRoot + "/files");
    }
    ~TempEnvironment()
    {
        ::unsetenv("ZQ_MIDI_DIR");
        ::unsetenv("ZQ_REGISTRY_ROOT");
        ::unsetenv("ZQ_DRIVER_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    TempEnvironment(const TempEnvironment&) = delete;
    TempEnvironment& operator=(const TempEnvironment&) = delete;

    [[nodiscard]] const std::string& Root() const { return mRoot; }

    // Writes a file of these bytes in the folder for files; returns its path.
    [[nodiscard]] std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const std::string path = mRoot + "/files/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::string mRoot;
};

// The simulated mixer's port name, the same in both modes.
inline const std::u16string kMixerPortName = u"Tavrin DJ Q3300 Splen";

// The program's side of MIDI: opens the device's ports by name and collects whole SysEx replies.
class MidiProbe
{
public:
    explicit MidiProbe(const std::u16string& name = kMixerPortName)
    {
        for (uint32_t i = 0, n = Platform::MidiInDeviceCount(); i < n; ++i)
        {
            Platform::MidiInCaps caps;
            if (Platform::MidiInCapabilities(i, caps) == Platform::kMidiOk && name == caps.name &&
                Platform::MidiInOpen(mIn, i, &OnInput, reinterpret_cast<uintptr_t>(this),
                                     Platform::kMidiCallbackFunction) == Platform::kMidiOk)
                break;
        }
        for (uint32_t i = 0, n = Platform::MidiOutDeviceCount(); i < n; ++i)
        {
            Platform::MidiOutCaps caps;
            if (Platform::MidiOutCapabilities(i, caps) == Platform::kMidiOk && name == caps.name &&
                Platform::MidiOutOpen(mOut, i, nullptr, 0, Platform::kMidiCallbackNull) == Platform::kMidiOk)
                break;
        }
        if (IsOpen())
        {
            for (auto& buffer : mBuffers)
            {
                buffer.header.data = buffer.bytes;
                buffer.header.bufferLength = sizeof buffer.bytes;
                (void)Platform::MidiInPrepareHeader(mIn, &buffer.header);
                (void)Platform::MidiInAddBuffer(mIn, &buffer.header);
            }
            (void)Platform::MidiInStart(mIn);
        }
    }
    ~MidiProbe()
    {
        if (mIn != Platform::MidiInHandle{})
        {
            (void)Platform::MidiInReset(mIn);
            for (auto& buffer : mBuffers)
                (void)Platform::MidiInUnprepareHeader(mIn, &buffer.header);
            (void)Platform::MidiInClose(mIn);
        }
        if (mOut != Platform::MidiOutHandle{})
        {
            (void)Platform::MidiOutReset(mOut);
            (void)Platform::MidiOutClose(mOut);
        }
    }

    [[nodiscard]] bool IsOpen() const
    {
        return mIn != Platform::MidiInHandle{} && mOut != Platform::MidiOutHandle{};
    }

    bool SendIdentityRequest()
    {
        static uint8_t request[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
        mRequest.data = request;
        mRequest.bufferLength = sizeof request;
        return Platform::MidiOutPrepareHeader(mOut, &mRequest) == Platform::kMidiOk &&
               Platform::MidiOutLongMessage(mOut, &mRequest) == Platform::kMidiOk;
    }

    std::optional<std::vector<uint8_t>> AwaitSysEx(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mLock);
        if (!mArrived.wait_for(lock, timeout, [&] { return !mReceived.empty(); }))
            return std::nullopt;
        auto bytes = std::move(mReceived.front());
        mReceived.pop_front();
        return bytes;
    }

private:
    struct Buffer
    {
        Platform::MidiHeader header;
        uint8_t bytes[256] = {};
    };

    static void OnInput(Platform::MidiInHandle handle, uint32_t message, uintptr_t instance, uintptr_t param1,
                        uintptr_t)
    {
        if (message != Platform::kMidiInLongData)
            return;
        auto* self = reinterpret_cast<MidiProbe*>(instance);
        auto* header = reinterpret_cast<Platform::MidiHeader*>(param1);
        if (header->bytesRecorded > 0)
        {
            std::lock_guard lock(self->mLock);
            self->mReceived.emplace_back(header->data, header->data + header->bytesRecorded);
            self->mArrived.notify_all();
            (void)Platform::MidiInAddBuffer(handle, header);
        }
    }

    Platform::MidiInHandle mIn{};
    Platform::MidiOutHandle mOut{};
    Buffer mBuffers[3];
    Platform::MidiHeader mRequest;
    std::mutex mLock; // guards mReceived
    std::condition_variable mArrived;
    std::deque<std::vector<uint8_t>> mReceived;
};

// The device answers the identity request with this firmware version (the reply's bytes 11 to 14).
inline void ExpectIdentityVersion(const std::vector<uint8_t>& version)
{
    using namespace std::chrono_literals;
    MidiProbe probe;
    ASSERT_TRUE(probe.IsOpen());
    ASSERT_TRUE(probe.SendIdentityRequest());
    const auto reply = probe.AwaitSysEx(10s);
    ASSERT_TRUE(reply.has_value());
    ASSERT_EQ(reply->size(), 37u);
    EXPECT_EQ(std::vector<uint8_t>(reply->begin() + 11, reply->begin() + 15), version);
}

// A buffer slot as the pipe keeps one: in flight while its first byte differs from its guard.
struct Slot
{
    explicit Slot(std::vector<uint8_t> bytes)
        : data(bytes.empty() ? std::vector<uint8_t>{0} : bytes), count(bytes.size())
    {
        guard = static_cast<uint8_t>(~data[0]);
    }
    [[nodiscard]] bool IsFree() { return std::atomic_ref<uint8_t>(data[0]).load() == guard; }

    std::vector<uint8_t> data;
    size_t count;
    uint8_t guard;
};

// The program's side of the driver, as the pipe and the update request use it.
class DriverClient
{
public:
    explicit DriverClient(const std::u16string& path) : mHandle(Platform::OpenDriverDevice(path)) {}
    ~DriverClient()
    {
        if (IsOpen())
            Platform::CloseDriverDevice(mHandle);
    }
    [[nodiscard]] bool IsOpen() const { return mHandle != Platform::InvalidDriverHandle; }
    void Close()
    {
        Platform::CloseDriverDevice(mHandle);
        mHandle = Platform::InvalidDriverHandle;
    }

    bool Request(const Platform::DriverRequests::InterfaceId& id, uint32_t code, std::vector<uint8_t>& output,
                 std::vector<uint8_t> extraInput = {}, uint32_t group = 0)
    {
        std::vector<uint8_t> input(id.begin(), id.end());
        Platform::DriverWire::PutU32(input, code);
        Platform::DriverWire::PutU32(input, group ? group : Platform::DriverRequests::GroupOf(code));
        input.insert(input.end(), extraInput.begin(), extraInput.end());
        uint32_t returned = 0;
        return Platform::DriverIoControl(mHandle, Platform::DriverRequests::IoControlCode, input.data(),
                                         static_cast<uint32_t>(input.size()), output.data(),
                                         static_cast<uint32_t>(output.size()), &returned);
    }
    bool UpdateControl(bool on)
    {
        std::vector<uint8_t> value;
        Platform::DriverWire::PutU32(value, on ? 1 : 0);
        return Request(Platform::DriverRequests::UpdateControlInterface,
                       Platform::DriverRequests::UpdateControl, value);
    }
    bool Pipe(uint32_t code, uint64_t value)
    {
        std::vector<uint8_t> output;
        if (code == Platform::DriverRequests::RegisterWakeEvent ||
            code == Platform::DriverRequests::UnregisterWakeEvent)
            Platform::DriverWire::PutU64(output, value);
        else
            Platform::DriverWire::PutU32(output, static_cast<uint32_t>(value));
        return Request(Platform::DriverRequests::PipeInterface, code, output);
    }
    bool Write(uint32_t port, Slot& slot)
    {
        std::vector<uint8_t> output;
        Platform::DriverWire::PutU64(output, port);
        Platform::DriverWire::PutU64(output, reinterpret_cast<uintptr_t>(slot.data.data()));
        Platform::DriverWire::PutU64(output, slot.count);
        return Request(Platform::DriverRequests::PipeInterface, Platform::DriverRequests::Write, output);
    }
    std::optional<uint32_t> ReadyMask()
    {
        std::vector<uint8_t> output(4, 0);
        if (!Request(Platform::DriverRequests::PipeInterface, Platform::DriverRequests::ReadyMask, output))
            return std::nullopt;
        return Platform::DriverWire::GetU32(output.data());
    }

private:
    Platform::DriverHandle mHandle;
};

// The in-process simulator in a private environment, started plugged in normal mode, stopped at the end.
class SimulatorTestBase : public ::testing::Test
{
protected:
    void SetUp() override { mixer->Start(); }
    void TearDown() override { mixer->Stop(); }

    TempEnvironment environment; // first: the environment is set before anything opens
    std::unique_ptr<Simulator::Mixer> mixer = std::make_unique<Simulator::Mixer>();
    const std::u16string path = Simulator::MixerSettings{}.lastPath; // the driver's device path
};
} // namespace TestSupport
