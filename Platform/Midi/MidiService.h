#pragma once

#include "Platform/Io/PollLoop.h"
#include "Platform/Midi/MidiBackend.h"
#include "Platform/Midi/MidiPorts.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// The process-wide engine behind MidiPorts.h: the device lists, the table of open handles and the one
// dispatch thread that reads every open device and runs every callback. Control calls that hand buffers
// back (close, stop, reset) run on the dispatch thread and their caller waits for them, which is what makes
// "no callback after close returned" hold. Internal to Platform/Midi; made on first use, never destroyed.
namespace Platform
{
class MidiService
{
public:
    [[nodiscard]] static MidiService& Instance();

    [[nodiscard]] uint32_t Count(bool input);
    [[nodiscard]] MidiResult DeviceName(bool input, uint32_t deviceId, std::u16string& name);
    [[nodiscard]] MidiResult HandleName(bool input, uintptr_t handle, std::u16string& name);

    [[nodiscard]] MidiResult Open(bool input, uint32_t deviceId, MidiInCallback inCallback,
                                  MidiOutCallback outCallback, uintptr_t instance, uint32_t flags,
                                  uintptr_t& handle);
    [[nodiscard]] MidiResult Close(bool input, uintptr_t handle);
    [[nodiscard]] MidiResult Prepare(bool input, uintptr_t handle, MidiHeader* header);
    [[nodiscard]] MidiResult Unprepare(bool input, uintptr_t handle, MidiHeader* header);

    [[nodiscard]] MidiResult Start(uintptr_t handle);
    [[nodiscard]] MidiResult Stop(uintptr_t handle);
    [[nodiscard]] MidiResult ResetInput(uintptr_t handle);
    [[nodiscard]] MidiResult AddBuffer(uintptr_t handle, MidiHeader* header);

    [[nodiscard]] MidiResult ResetOutput(uintptr_t handle);
    [[nodiscard]] MidiResult SendShort(uintptr_t handle, uint32_t message);
    [[nodiscard]] MidiResult SendLong(uintptr_t handle, MidiHeader* header);

private:
    struct Device;
    struct Pending;
    struct Delivery
    {
        uintptr_t handle = 0;
        uint32_t message = 0;
        uintptr_t param1 = 0;
        uintptr_t param2 = 0;
    };
    using Deliveries = std::vector<Delivery>;

    MidiService();

    [[nodiscard]] std::vector<MidiDeviceInfo>& ListLocked(bool input);
    Device* FindLocked(bool input, uintptr_t handle);
    // Whether the device went away, as the dispatch thread saw it or as its connection shows it now.
    [[nodiscard]] static bool GoneLocked(const Device& device);
    void Wake();
    // Runs `work` on the dispatch thread and waits for it; inline when already there.
    MidiResult RunOnDispatch(const std::function<MidiResult()>& work);
    void Post(std::function<void()> work);
    // Stop (a partly filled buffer comes back) or reset (every queued buffer comes back).
    MidiResult StopInput(uintptr_t handle, bool returnAll);

    int PrepareWait(std::vector<pollfd>& watched);
    void OnReady(std::span<const pollfd> watched);
    void RunCommands();
    void ReadDevice(uintptr_t handle);
    void PumpAll();
    void PumpLocked(Device& device, Deliveries& deliveries);
    void ReturnFrontLocked(Device& device, uint32_t message, uint32_t stamp, Deliveries& deliveries);
    void Deliver(const Deliveries& deliveries);
    void ConfirmLocked(Device& device, uint32_t sequence, Deliveries& deliveries);

    std::vector<std::unique_ptr<IMidiBackend>> mBackends;

    // guarded by mLock
    std::mutex mLock;
    std::vector<MidiDeviceInfo> mInputs;
    std::vector<MidiDeviceInfo> mOutputs;
    bool mInputsListed = false;
    bool mOutputsListed = false;
    std::map<uintptr_t, std::unique_ptr<Device>> mDevices;
    std::deque<std::function<void()>> mCommands;
    uintptr_t mNextHandle = 1;
    uint32_t mNextSequence = 0;

    std::vector<uintptr_t> mWatched; // the device of each descriptor the last wait watched; dispatch only
    Io::PollLoop mLoop;              // the dispatch thread; runs until the process exits
};
} // namespace Platform
