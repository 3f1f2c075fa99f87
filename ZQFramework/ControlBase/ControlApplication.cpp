#include "ZQFramework/ControlBase/ControlApplication.h"

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

void IControlApplication::SetCurrent(IControlApplication* application) noexcept
{
    gCurrentApplication.store(application, std::memory_order_release);
}
} // namespace ZQ
