#include "Platform/Driver/Driver.h"

#include "Platform/Driver/DriverConnection.h"
#include "Platform/Driver/DriverWire.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace Platform
{
namespace
{
// Open handles. Values are large and never reused, so a stale handle fails instead of reaching another
// device, and a handle cut to 32 bits is noticed.
class HandleTable
{
public:
    DriverHandle Add(std::shared_ptr<DriverConnection> connection)
    {
        std::lock_guard lock(mLock);
        const DriverHandle handle = mNext;
        mNext += 4;
        mOpen.emplace(handle, std::move(connection));
        return handle;
    }

    std::shared_ptr<DriverConnection> Find(DriverHandle handle)
    {
        std::lock_guard lock(mLock);
        const auto found = mOpen.find(handle);
        return found == mOpen.end() ? nullptr : found->second;
    }

    std::shared_ptr<DriverConnection> Remove(DriverHandle handle)
    {
        std::lock_guard lock(mLock);
        const auto found = mOpen.find(handle);
        if (found == mOpen.end())
            return nullptr;
        auto connection = std::move(found->second);
        mOpen.erase(found);
        return connection;
    }

private:
    std::mutex mLock; // guards mOpen and mNext
    std::map<DriverHandle, std::shared_ptr<DriverConnection>> mOpen;
    DriverHandle mNext = static_cast<DriverHandle>(sizeof(void*) == 8 ? 0x7E5A00000100ll : 0x100);
};

// Registered wake events. A signal runs outside the lock; unregistering waits until it has finished.
class SignalTable
{
public:
    void Register(intptr_t handle, std::function<void()> signal)
    {
        std::unique_lock lock(mLock);
        mIdle.wait(lock, [&] { return !IsRunningElsewhere(handle); });
        mEntries[handle].signal = std::make_shared<std::function<void()>>(std::move(signal));
    }

    void Unregister(intptr_t handle)
    {
        std::unique_lock lock(mLock);
        mIdle.wait(lock, [&] { return !IsRunningElsewhere(handle); });
        const auto found = mEntries.find(handle);
        if (found != mEntries.end() && found->second.running.empty())
            mEntries.erase(found);
        else if (found != mEntries.end())
            found->second.signal.reset();
    }

    bool Signal(intptr_t handle)
    {
        std::shared_ptr<std::function<void()>> signal;
        {
            std::lock_guard lock(mLock);
            const auto found = mEntries.find(handle);
            if (found == mEntries.end() || !found->second.signal)
                return false;
            signal = found->second.signal;
            found->second.running.insert(std::this_thread::get_id());
        }
        (*signal)();
        std::lock_guard lock(mLock);
        auto& entry = mEntries[handle];
        entry.running.erase(entry.running.find(std::this_thread::get_id()));
        if (entry.running.empty() && !entry.signal)
            mEntries.erase(handle);
        mIdle.notify_all();
        return true;
    }

private:
    struct Entry
    {
        std::shared_ptr<std::function<void()>> signal;
        std::multiset<std::thread::id> running;
    };

    bool IsRunningElsewhere(intptr_t handle) const
    {
        const auto found = mEntries.find(handle);
        if (found == mEntries.end())
            return false;
        for (const auto& id : found->second.running)
            if (id != std::this_thread::get_id())
                return true;
        return false;
    }

    std::mutex mLock; // guards mEntries
    std::condition_variable mIdle;
    std::map<intptr_t, Entry> mEntries;
};

// Both tables live until the process ends: connection threads may still consult them during exit.
HandleTable& Handles()
{
    static auto* table = new HandleTable;
    return *table;
}

SignalTable& Signals()
{
    static auto* table = new SignalTable;
    return *table;
}
} // namespace

DriverHandle OpenDriverDevice(const std::u16string& devicePath)
{
    if (devicePath.empty())
        return InvalidDriverHandle;
    auto connection = DriverConnection::Connect(DriverWire::SocketPathFor(devicePath));
    if (!connection)
        return InvalidDriverHandle;
    return Handles().Add(std::move(connection));
}

bool DriverIoControl(DriverHandle handle, uint32_t ioControlCode, const void* input, uint32_t inputSize,
                     void* output, uint32_t outputSize, uint32_t* bytesReturned)
{
    if (bytesReturned)
        *bytesReturned = 0;
    const auto connection = Handles().Find(handle);
    if (!connection)
        return false;
    return connection->Control(ioControlCode, input, inputSize, output, outputSize, bytesReturned);
}

bool CloseDriverDevice(DriverHandle handle)
{
    const auto connection = Handles().Remove(handle);
    if (!connection)
        return false;
    connection->Close();
    return true;
}

void RegisterDriverSignal(intptr_t eventHandle, std::function<void()> signal)
{
    Signals().Register(eventHandle, std::move(signal));
}

void UnregisterDriverSignal(intptr_t eventHandle)
{
    Signals().Unregister(eventHandle);
}

bool SignalDriverEvent(intptr_t eventHandle)
{
    return Signals().Signal(eventHandle);
}
} // namespace Platform
