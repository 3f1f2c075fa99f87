#include "Support/FakeControlApplication.h"

#include <utility>

namespace ZQTest
{
FakeControlApplication::FakeControlApplication(ZQ::RCPtr<ZQ::LControlFactory> factory)
    : Factory(std::move(factory))
{
    ZQ::IControlApplication::SetCurrent(this);
}

FakeControlApplication::~FakeControlApplication()
{
    ZQ::IControlApplication::SetCurrent(nullptr);
}
} // namespace ZQTest
