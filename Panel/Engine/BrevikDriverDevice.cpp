#include "Panel/Engine/BrevikDriverDevice.h"

#include "Panel/Engine/AudioDriverInterface.h"
#include "Platform/Driver/Driver.h"
#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryWatch.h"
#include "ZQFramework/System/Sync/MutexLocker.h"

#include <chrono>

namespace
{
constexpr uint32_t kAccess = Platform::RegKeyRead | Platform::RegWow64_32Key;
// How often a watcher without its "Attached" key looks whether the key has come (back).
constexpr auto kKeyRetry = std::chrono::milliseconds(250);
} // namespace

BrevikDriverDevice::BrevikDriverDevice(const BrevikDriverDeviceInfo& info)
    : mInfo(info), mInstanceKeyPath(BrevikInstanceKeyPath(info)), mHandle(Platform::InvalidDriverHandle)
{
    (void)OpenAttachedKey();
    mWatcher = std::thread([this] { WatchAttached(); });
}

BrevikDriverDevice::~BrevikDriverDevice()
{
    {
        std::lock_guard lock(mWatchLock);
        mStop = true;
        if (mWatch)
            mWatch->Cancel();
    }
    mStopped.notify_all();
    if (mWatcher.joinable())
        mWatcher.join();
    ZQ::MutexLocker locker(mLock);
    CloseLocked();
    mWatch.reset();
    if (mAttachedKey != 0)
        Platform::RegistryCloseKey(mAttachedKey);
    mAttachedKey = 0;
}

bool BrevikDriverDevice::IsOpen()
{
    ZQ::MutexLocker locker(mLock);
    return mHandle != Platform::InvalidDriverHandle;
}

bool BrevikDriverDevice::Open()
{
    ZQ::MutexLocker locker(mLock);
    if (mHandle != Platform::InvalidDriverHandle)
        return true;
    if (!ReadAttachedLocked())
        return false;
    mHandle = OpenBrevikInstanceDevice(mInfo);
    return mHandle != Platform::InvalidDriverHandle;
}

void BrevikDriverDevice::SetAttachedCallback(BrevikDeviceAttachedStateCallbackReceiver* receiver)
{
    ZQ::MutexLocker locker(mLock);
    mReceiver = receiver;
    if (mReceiver)
        mReceiver->OnAttachedStateChanged(ReadAttachedLocked(), *this);
}

bool BrevikDriverDevice::Control(uint32_t code, const void* input, uint32_t inputSize, void* output,
                                 uint32_t outputSize, uint32_t* bytesReturned)
{
    ZQ::MutexLocker locker(mLock);
    if (mHandle == Platform::InvalidDriverHandle)
        return false;
    return Platform::DriverIoControl(mHandle, code, input, inputSize, output, outputSize, bytesReturned);
}

bool BrevikDriverDevice::ReadAttachedLocked()
{
    return mAttachedKey != 0 && ReadBrevikAttachedState(mAttachedKey);
}

void BrevikDriverDevice::CloseLocked()
{
    if (mHandle != Platform::InvalidDriverHandle)
        Platform::CloseDriverDevice(mHandle);
    mHandle = Platform::InvalidDriverHandle;
}

bool BrevikDriverDevice::OpenAttachedKey()
{
    Platform::RegKey key = 0;
    if (Platform::RegistryOpenKey(Platform::RegLocalMachine,
                                  mInstanceKeyPath + u"\\" + AudioDriverInterface::kAttachedValue, kAccess,
                                  &key) != Platform::RegSuccess)
        return false;
    auto watch =
        Platform::RegistryWatch::Create(key, false, Platform::RegNotifyName | Platform::RegNotifyLastSet);
    if (!watch)
    {
        Platform::RegistryCloseKey(key);
        return false;
    }
    {
        ZQ::MutexLocker locker(mLock);
        mAttachedKey = key;
    }
    std::lock_guard lock(mWatchLock);
    mWatch = std::move(watch);
    if (mStop)
        mWatch->Cancel();
    return true;
}

void BrevikDriverDevice::DropAttachedKey()
{
    {
        ZQ::MutexLocker locker(mLock);
        if (mAttachedKey != 0)
            Platform::RegistryCloseKey(mAttachedKey);
        mAttachedKey = 0;
    }
    std::lock_guard lock(mWatchLock);
    mWatch.reset();
}

void BrevikDriverDevice::ReportAttachedState()
{
    ZQ::MutexLocker locker(mLock);
    const bool attached = ReadAttachedLocked();
    if (!attached)
        CloseLocked();
    if (mReceiver)
        mReceiver->OnAttachedStateChanged(attached, *this);
}

void BrevikDriverDevice::WatchAttached()
{
    for (;;)
    {
        Platform::RegistryWatch* watch = nullptr;
        {
            std::unique_lock lock(mWatchLock);
            if (mStop)
                return;
            watch = mWatch.get();
            if (!watch)
            {
                // The key is gone (or never was): look for it again now and then, so that an instance
                // written anew is followed as well.
                if (mStopped.wait_for(lock, kKeyRetry, [this] { return mStop; }))
                    return;
            }
        }
        if (!watch)
        {
            if (OpenAttachedKey())
                ReportAttachedState();
            continue;
        }
        const auto result = watch->Wait(Platform::RegistryWatch::kInfinite);
        {
            std::lock_guard lock(mWatchLock);
            if (mStop || result == Platform::RegistryWatch::Result::Cancelled)
                return;
        }
        if (result == Platform::RegistryWatch::Result::KeyDeleted ||
            result == Platform::RegistryWatch::Result::Failed)
            DropAttachedKey();
        ReportAttachedState();
    }
}
