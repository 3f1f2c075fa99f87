#include "ZQFramework/System/Sync/Event.h"

namespace ZQ
{
Event::Event(bool autoReset) : mHolder(std::make_unique<EventCore>(autoReset))
{
}

Event::~Event() = default;

bool Event::Set()
{
    return mHolder->Set();
}

bool Event::Reset()
{
    return mHolder->Reset();
}

uint32_t Event::Wait(uint32_t milliseconds)
{
    return mHolder->Wait(milliseconds);
}

bool Event::IsSignalled()
{
    return mHolder->IsSignalled();
}
} // namespace ZQ
