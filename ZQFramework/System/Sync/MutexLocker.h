#pragma once

#include "ZQFramework/System/Sync/Mutex.h"
#include "ZQFramework/System/Sync/ScopedLock.h"

namespace ZQ
{
// Holds a Mutex for the lifetime of a scope, released on every path out of it, exceptions included.
// A null mutex makes the guard do nothing.
class MutexLocker : public ScopedLock<Mutex>
{
public:
    explicit MutexLocker(Mutex* mutex) : ScopedLock<Mutex>(mutex) {}
    explicit MutexLocker(Mutex& mutex) : ScopedLock<Mutex>(&mutex) {}
};
} // namespace ZQ
