#pragma once

#include "Platform/Midi/MidiPeer.h"
#include "Platform/Midi/MidiPorts.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace TestSupport
{
using Bytes = std::vector<uint8_t>;

// A system-exclusive message of `size` bytes: F0, a counting body starting from seed, F7.
inline Bytes SysEx(size_t size, uint8_t seed = 0)
{
    Bytes bytes(size);
    for (size_t i = 1; i + 1 < size; ++i)
        bytes[i] = static_cast<uint8_t>((i + seed) & 0x7F);
    if (!bytes.empty())
    {
        bytes.front() = 0xF0;
        bytes.back() = 0xF7;
    }
    return bytes;
}

// A private ZQ_MIDI_DIR for one test: made fresh, set in the environment, removed afterwards.
class TempMidiFolder
{
public:
    TempMidiFolder()
    {
        char pattern[] = "/tmp/zq-midi-test-XXXXXX";
        mPath = ::mkdtemp(pattern);
        ::setenv("ZQ_MIDI_DIR", mPath.c_str(), 1);
    }
    ~TempMidiFolder()
    {
        ::unsetenv("ZQ_MIDI_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TempMidiFolder(const TempMidiFolder&) = delete;
    TempMidiFolder& operator=(const TempMidiFolder&) = delete;

    [[nodiscard]] const std::string& Path() const { return mPath; }

private:
    std::string mPath;
};

// A private port folder and a peer publishing devices into it.
class MidiPeerTest : public ::testing::Test
{
protected:
    TempMidiFolder folder;
    Platform::MidiPeer peer;
};

// The device id of the `occurrence`-th device called `name` (counting from 0), after a fresh count.
inline std::optional<uint32_t> FindMidiDevice(bool input, const std::u16string& name, int occurrence = 0)
{
    const uint32_t count = input ? Platform::MidiInDeviceCount() : Platform::MidiOutDeviceCount();
    for (uint32_t id = 0; id < count; ++id)
    {
        std::u16string found;
        if (input)
        {
            Platform::MidiInCaps caps;
            if (Platform::MidiInCapabilities(id, caps) != Platform::kMidiOk)
                break;
            found = caps.name;
        }
        else
        {
            Platform::MidiOutCaps caps;
            if (Platform::MidiOutCapabilities(id, caps) != Platform::kMidiOk)
                break;
            found = caps.name;
        }
        if (found == name && occurrence-- == 0)
            return id;
    }
    return std::nullopt;
}

// Records what the port layer reports for one handle; input buffers handed back are copied and queued
// again while `requeue` holds, the way the MIDI layer does it.
class MidiRecorder
{
public:
    struct Event
    {
        uint32_t message = 0;
        uintptr_t param1 = 0;
        uintptr_t param2 = 0;
        std::vector<uint8_t> bytes; // long data: the recorded bytes
        std::thread::id thread;
        uint32_t headerFlags = 0; // long data: the header's flags as the callback saw them
    };

    static void OnInput(Platform::MidiInHandle handle, uint32_t message, uintptr_t instance, uintptr_t param1,
                        uintptr_t param2)
    {
        auto& self = *reinterpret_cast<MidiRecorder*>(instance);
        Event event{message, param1, param2, {}, std::this_thread::get_id()};
        if (message == Platform::kMidiInLongData || message == Platform::kMidiInLongError)
        {
            auto* header = reinterpret_cast<Platform::MidiHeader*>(param1);
            event.bytes.assign(header->data, header->data + header->bytesRecorded);
            event.headerFlags = header->flags.load();
            if (self.requeue.load())
                (void)Platform::MidiInAddBuffer(handle, header);
        }
        self.Add(std::move(event));
    }

    static void OnOutput(Platform::MidiOutHandle, uint32_t message, uintptr_t instance, uintptr_t param1,
                         uintptr_t param2)
    {
        reinterpret_cast<MidiRecorder*>(instance)->Add(
            {message, param1, param2, {}, std::this_thread::get_id()});
    }

    [[nodiscard]] uintptr_t Instance() { return reinterpret_cast<uintptr_t>(this); }

    // Waits (real time, generous) until `count` events of `message` arrived.
    bool WaitFor(uint32_t message, size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        std::unique_lock lock(mLock);
        return mChanged.wait_for(lock, timeout, [&] { return CountLocked(message) >= count; });
    }

    [[nodiscard]] std::vector<Event> Events(uint32_t message)
    {
        const std::lock_guard lock(mLock);
        std::vector<Event> matching;
        for (const auto& event : mEvents)
            if (event.message == message)
                matching.push_back(event);
        return matching;
    }

    [[nodiscard]] std::vector<Event> All()
    {
        const std::lock_guard lock(mLock);
        return mEvents;
    }

    [[nodiscard]] size_t Count(uint32_t message)
    {
        const std::lock_guard lock(mLock);
        return CountLocked(message);
    }

    std::atomic<bool> requeue{true};

private:
    void Add(Event event)
    {
        const std::lock_guard lock(mLock);
        mEvents.push_back(std::move(event));
        mChanged.notify_all();
    }

    size_t CountLocked(uint32_t message) const
    {
        size_t count = 0;
        for (const auto& event : mEvents)
            count += event.message == message ? 1 : 0;
        return count;
    }

    std::mutex mLock;
    std::condition_variable mChanged;
    std::vector<Event> mEvents;
};

// Three 256-byte input buffers, as the MIDI layer keeps them.
struct MidiInputBuffers
{
    std::array<std::array<uint8_t, 256>, 3> bytes{};
    std::array<Platform::MidiHeader, 3> headers;

    // Prepares and queues all three; the first failure is returned.
    Platform::MidiResult Queue(Platform::MidiInHandle handle)
    {
        for (size_t i = 0; i < headers.size(); ++i)
        {
            headers[i].data = bytes[i].data();
            headers[i].bufferLength = 256;
            headers[i].user = i;
            if (auto result = Platform::MidiInPrepareHeader(handle, &headers[i]); result != Platform::kMidiOk)
                return result;
            if (auto result = Platform::MidiInAddBuffer(handle, &headers[i]); result != Platform::kMidiOk)
                return result;
        }
        return Platform::kMidiOk;
    }

    // Reset, unprepare, close: the orderly end of an input handle.
    Platform::MidiResult Close(Platform::MidiInHandle handle, MidiRecorder& recorder)
    {
        recorder.requeue = false;
        (void)Platform::MidiInStop(handle);
        (void)Platform::MidiInReset(handle);
        for (auto& header : headers)
            (void)Platform::MidiInUnprepareHeader(handle, &header);
        return Platform::MidiInClose(handle);
    }
};
} // namespace TestSupport
