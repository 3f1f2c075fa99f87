#pragma once

#include "Panel/Engine/BrevikDriverDiscovery.h"
#include "Panel/Engine/BrevikMutex.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace Platform
{
class RegistryWatch;
}

class BrevikDriverDevice;

// Told when the instance of a device wrapper is attached or detached. Called with the wrapper's lock held.
class BrevikDeviceAttachedStateCallbackReceiver
{
public:
    virtual void OnAttachedStateChanged(bool attached, BrevikDriverDevice& device) = 0;

protected:
    ~BrevikDeviceAttachedStateCallbackReceiver() = default;
};

// One instance of a device served by the maker's driver: opens it by the path the driver published,
// serialises requests to it, and watches its "Attached" key on a thread of its own, closing the device
// when it goes and telling a receiver about every change. Owned by the pipe that talks through it.
class BrevikDriverDevice
{
public:
    explicit BrevikDriverDevice(const BrevikDriverDeviceInfo& info);
    ~BrevikDriverDevice();
    BrevikDriverDevice(const BrevikDriverDevice&) = delete;
    BrevikDriverDevice& operator=(const BrevikDriverDevice&) = delete;

    [[nodiscard]] bool IsOpen();
    // Opens the device when the instance is attached; true when it is open afterwards.
    bool Open();
    // Stores the receiver (null: none) and, when one is given, reports the current state to it at once.
    // Once this returns with null, no callback is running or will run.
    void SetAttachedCallback(BrevikDeviceAttachedStateCallbackReceiver* receiver);
    // Sends one request to the open device; false when it is not open or the driver failed the request.
    bool Control(uint32_t code, const void* input, uint32_t inputSize, void* output, uint32_t outputSize,
                 uint32_t* bytesReturned);

    [[nodiscard]] const BrevikDriverDeviceInfo& GetInfo() const { return mInfo; }

private:
    bool ReadAttachedLocked();
    void CloseLocked();
    // Opens the "Attached" key and a watch on it; false when the key is not there.
    bool OpenAttachedKey();
    void DropAttachedKey();
    void ReportAttachedState();
    void WatchAttached();

    const BrevikDriverDeviceInfo mInfo;
    const std::u16string mInstanceKeyPath;

    BrevikMutex mLock;                                              // guards the three fields below
    intptr_t mHandle;                                               // the device, closed while invalid
    intptr_t mAttachedKey = 0;                                      // 0 while not open
    BrevikDeviceAttachedStateCallbackReceiver* mReceiver = nullptr; // not owned

    std::mutex mWatchLock;                           // guards mWatch and mStop
    std::condition_variable mStopped;                // signalled when mStop is set
    std::unique_ptr<Platform::RegistryWatch> mWatch; // replaced only by the watcher thread
    bool mStop = false;
    std::thread mWatcher;
};
