#include "ZQFramework/ControlBase/Windows/ControlApplication.h"

#include <atomic>

namespace ZQ
{
namespace
{
std::atomic<IControlApplication*> gCurrentApplication{nullptr};
} // namespace

IControlApplication* IControlApplication::GetCurrent() noexcept
{
    return gCurrentApplication.load(std::memory_order_acquire);
}

uint32_t IControlApplication::CurrentMilliseconds()
{
    IControlApplication* application = GetCurrent();
    return application != nullptr ? application->GetMilliseconds() : 0;
}

void IControlApplication::SetCurrent(IControlApplication* application) noexcept
{
    gCurrentApplication.store(application, std::memory_order_release);
}
} // namespace ZQ
