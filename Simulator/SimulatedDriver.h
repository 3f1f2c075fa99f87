#pragma once

#include "Platform/Clock/Clock.h"
#include "Platform/Driver/DriverDevice.h"
#include "Platform/Driver/DriverEndpoint.h"
#include "Simulator/RequestLog.h"
#include "Simulator/Scheduler.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace Simulator
{
// When the simulated driver gives a write's buffer back (flips its first byte) after taking its bytes.
enum class ReleasePolicy
{
    Immediate, // at once
    Delayed,   // each write its delay after its bytes arrived
    Paced,     // one write per interval, in order, as a device that consumes at a steady rate
    Never,     // never (until the policy changes, ports are closed or the handle goes)
};

// The maker's driver as the simulator plays it: serves the update-control and pipe requests of program
// handles on the device socket, keeps every firmware byte written while update control is on, releases
// write buffers by its release policy and fails requests on demand. Owned by the Mixer, which plugs it
// (Listen) and unplugs it (Stop).
class SimulatedDriver final : public Platform::IDriverDevice
{
public:
    explicit SimulatedDriver(RequestLog& log);
    ~SimulatedDriver() override;

    bool Listen(const std::u16string& devicePath);
    void Stop();
    [[nodiscard]] bool IsListening() const { return mEndpoint.IsListening(); }

    void SetReleasePolicy(ReleasePolicy policy, Platform::Duration interval = {});
    [[nodiscard]] ReleasePolicy GetReleasePolicy() const;
    // Requests with this code succeed `after` times, then fail until cleared. Code 0 stands for opens.
    void FailAfter(uint32_t requestCode, uint32_t after);
    void ClearFailures();
    // A second open while one handle is open is refused. On by default: the program opens the device
    // without sharing, as one program at a time.
    void SetExclusive(bool exclusive);
    // Bits always reported by the ready-mask request (ports with queued input are added).
    void SetReadyMask(uint32_t mask);
    // Queues input for an input port, reported ready and read by the read request; signals wake events.
    void QueueInput(uint32_t port, std::vector<uint8_t> bytes);
    // Releases every write held back so far, whatever the policy.
    void ReleaseAll();

    // Firmware bytes received while update control was on, in order, since the last ClearFirmware.
    [[nodiscard]] std::vector<uint8_t> Firmware() const;
    [[nodiscard]] size_t FirmwareSize() const;
    void ClearFirmware();
    [[nodiscard]] bool IsExclusive() const;
    [[nodiscard]] bool IsUpdateControlOn() const;
    [[nodiscard]] size_t OpenHandleCount() const;
    [[nodiscard]] size_t HeldWriteCount() const; // writes taken but not yet released

    // Called (on the endpoint's thread, no lock held) when update control is switched; `sessionBytes`
    // counts the firmware bytes received since it was last switched on.
    void SetUpdateControlHandler(std::function<void(bool on, size_t sessionBytes)> handler);

    // Back to the defaults: immediate release, no failures, exclusive, no ready bits, no input.
    void ResetBehaviour();

    // IDriverDevice
    bool OnOpen(Platform::DriverConnectionId connection) override;
    void OnClose(Platform::DriverConnectionId connection) override;
    Platform::DriverReply OnRequest(Platform::DriverConnectionId connection,
                                    const Platform::DriverRequest& request) override;
    void OnWriteData(Platform::DriverConnectionId connection, uint32_t writeId,
                     std::vector<uint8_t> bytes) override;

private:
    struct Handle
    {
        std::set<intptr_t> wakeEvents;
        uint32_t openPorts = 0; // bit per output port
    };
    struct HeldWrite
    {
        Platform::DriverConnectionId connection = 0;
        uint32_t port = 0;
        bool arrived = false;
        uint64_t generation = 0;
    };

    bool CheckFailureLocked(uint32_t code);
    Platform::DriverReply PipeRequestLocked(Platform::DriverConnectionId connection, uint32_t code,
                                            const Platform::DriverRequest& request, std::string& detail);
    Platform::DriverReply UpdateControlLocked(const Platform::DriverRequest& request, std::string& detail);
    void ScheduleReleaseLocked(uint32_t writeId, HeldWrite& write);
    void ReleaseWrite(uint32_t writeId, uint64_t generation);
    void SignalWakeEvents();

    RequestLog& mLog;
    Platform::DriverEndpoint mEndpoint{*this};

    mutable std::mutex mLock; // guards every field below
    ReleasePolicy mPolicy = ReleasePolicy::Immediate;
    Platform::Duration mInterval{};
    Platform::TimePoint mLastPacedRelease{};
    std::map<uint32_t, std::pair<uint32_t, uint32_t>> mFailures; // code -> (allowed, seen)
    bool mExclusive = true;
    uint32_t mReadyMask = 0;
    std::map<uint32_t, std::deque<std::vector<uint8_t>>> mInput;
    std::map<Platform::DriverConnectionId, Handle> mHandles;
    std::map<uint32_t, HeldWrite> mHeld;
    uint32_t mNextWrite = 1;
    uint64_t mGeneration = 0;
    bool mUpdateControl = false;
    std::vector<uint8_t> mFirmware;
    size_t mSessionBytes = 0;
    std::function<void(bool, size_t)> mUpdateControlHandler;

    Scheduler mScheduler; // last: its thread ends before the fields it touches go
};
} // namespace Simulator
