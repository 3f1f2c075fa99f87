#pragma once

#include "ZQFramework/System/Sync/Mutex.h"

namespace ZQ
{
// Holds a Mutex for the lifetime of a scope, released on every path out of it, exceptions included.
// A null mutex makes the guard do nothing.
class MutexLocker
{
public:
    explicit MutexLocker(Mutex* mutex) : mMutex(mutex)
    {
        if (mMutex)
            mMutex->Lock();
    }
    explicit MutexLocker(Mutex& mutex) : MutexLocker(&mutex) {}
    ~MutexLocker()
    {
        if (mMutex)
            mMutex->Unlock();
    }

    MutexLocker(const MutexLocker&) = delete;
    MutexLocker& operator=(const MutexLocker&) = delete;

private:
    Mutex* mMutex;
};
} // namespace ZQ
