#pragma once

#include "ZQFramework/System/Sync/Mutex.h"

// A recursive lock of the driver side (device wrapper, pipe and pipe ports): the thread that holds it may
// take it again, which the device wrapper's attach callbacks rely on. Owned by value by its user.
class BrevikMutex : public ZQ::Mutex
{
public:
    BrevikMutex() = default;
    ~BrevikMutex() override = default;
};
