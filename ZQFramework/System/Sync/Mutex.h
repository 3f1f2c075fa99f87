#pragma once

#include <mutex>

namespace ZQ
{
// A recursive lock for short critical sections: the thread that holds it may take it again and must
// release it as many times. Owners construct it in place and keep it for their whole life.
class Mutex
{
public:
    Mutex() = default;
    virtual ~Mutex() = default;

    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Lock() { mLock.lock(); }
    void Unlock() { mLock.unlock(); }

private:
    std::recursive_mutex mLock;
};
} // namespace ZQ
