#pragma once

#include "ZQFramework/System/Sync/Event.h"

namespace ZQ
{
// A manual-reset event that starts red (not signalled): Set turns it green for every waiter until Reset.
class TrafficLight : public Event
{
public:
    TrafficLight() : Event(false) {}
};
} // namespace ZQ
