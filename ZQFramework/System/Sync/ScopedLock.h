#pragma once

namespace ZQ
{
// Holds a lock of type L (anything with Lock and Unlock) for the lifetime of a scope, released on every
// path out of it, exceptions included. A null lock makes the guard do nothing, for containers whose
// owner may lend them no lock.
template <class L>
class ScopedLock
{
public:
    explicit ScopedLock(L* lock) : mLock(lock)
    {
        if (mLock != nullptr)
            mLock->Lock();
    }
    ~ScopedLock()
    {
        if (mLock != nullptr)
            mLock->Unlock();
    }

    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    L* mLock;
};
} // namespace ZQ
