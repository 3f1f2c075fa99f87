#pragma once

#include "ZQFramework/Midi/MidiCommInterface.h"
#include "ZQFramework/System/Forward.h"
#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/ThreadWorker.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace ZQ
{
// The MIDI object over the platform's MIDI ports (Platform/Midi). It keeps the open ports in two lists,
// so that opening a name that is already open hands out the same port, and delivers captured messages
// on its own one-worker thread pool, one at a time in arrival order.
//
// Locks: mPortLock guards both port lists and every open and close of a device (held across device
// enumeration and opening); the filter lock of the interface guards the filter table. Port callbacks run
// on the platform's dispatch thread and take neither.
class LMidiComm : public LMidiCommInterface, public LThreadWorker
{
public:
    // Where a requested name stands among the unique device names.
    struct NameMatch
    {
        int32_t count = 0;     // names containing the request; 1 for an exact match
        int32_t position = -1; // the exact match, else the first name containing the request
    };

    [[nodiscard]] static RCPtr<LMidiComm> Create();
    ~LMidiComm() override;

    ZQRESULT OpenCapturePort(const WString& name, RCPtr<LRefCountedObject>& port) override;
    ZQRESULT OpenRenderPort(const WString& name, RCPtr<LRefCountedObject>& port) override;
    int32_t Send(const RCPtr<LRefCountedObject>& port, const ConstRCPtr<LIBuffer>& buffer) override;
    int32_t Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes) override;

    // Delivers one record (the work item's parameter) on the pool's worker.
    ZQRESULT DoWork(RCPtr<LRefCountedObject>& parameters) override;
    [[nodiscard]] WString ToString() const override;

    // The unique names of the devices present now, duplicates numbered " (1)", " (2)", ...
    void GetInputDeviceNames(WStringArray& names);
    void GetOutputDeviceNames(WStringArray& names);

    // The naming rules, on their own.
    // Each distinct name in the order of its first occurrence; a name that occurs k > 1 times becomes
    // k names numbered " (1)" to " (k)", kept together.
    [[nodiscard]] static WStringArray MakeUniqueNames(const WStringArray& deviceNames);
    // Case-insensitive search of request in the unique names; an exact match wins at once.
    [[nodiscard]] static NameMatch MatchName(const WString& request, const WStringArray& uniqueNames);
    // "Keys (2)" -> base "Keys", ordinal 1; without a " (n)" or " (nn)" ending the ordinal is 0.
    static void SplitOrdinal(const WString& request, WString& baseName, int32_t& ordinal);
    // The device that a port opened with requestedName selects: split off its ordinal, and count the
    // devices whose name ends with the base name (case-insensitive) until the ordinal's turn. deviceName
    // gets the name of every device examined, so it ends with the last one. False when none qualifies.
    [[nodiscard]] static bool SelectDevice(bool input, const WString& requestedName, uint32_t& deviceId,
                                           WString& deviceName);
    // The name of device id of the current list; false when it cannot be asked.
    [[nodiscard]] static bool ReadDeviceName(bool input, uint32_t deviceId, WString& name);

    // Used by the ports.
    void QueueForDelivery(const RCPtr<LMidiCaptureNotificationData>& data);
    [[nodiscard]] Mutex& GetPortLock() { return mPortLock; }
    // Drops a released port from its list; E_FAIL when it is not there.
    ZQRESULT RemoveCapturePort(const LMidiCapturePort* port);
    ZQRESULT RemoveRenderPort(const LMidiRenderPort* port);

private:
    LMidiComm();

    // Sends length bytes on port: see Send.
    int32_t SendBytes(const RCPtr<LRefCountedObject>& port, const uint8_t* data, uint32_t length);

    Mutex mPortLock;
    RCPtrArray<LMidiCapturePort, 1, 0> mCapturePorts; // guarded by mPortLock
    RCPtrArray<LMidiRenderPort, 1, 0> mRenderPorts;   // guarded by mPortLock
    RCPtr<LThreadPool> mDeliveryPool;                 // set at construction, released at destruction
    std::atomic<std::thread::id> mDeliveryThread{};   // the pool's worker, once it delivered
};
} // namespace ZQ
