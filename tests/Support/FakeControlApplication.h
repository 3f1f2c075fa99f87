#pragma once

#include "ZQFramework/ControlBase/ControlApplication.h"
#include "ZQFramework/ControlBase/ControlFactory.h"

// What the control base asks of the application object, answered from plain fields that a test sets. The
// object installs itself as the current application for its lifetime (one at a time).
namespace ZQTest
{
class FakeControlApplication : public ZQ::IControlApplication
{
public:
    explicit FakeControlApplication(ZQ::RCPtr<ZQ::LControlFactory> factory = nullptr);
    ~FakeControlApplication() override;
    FakeControlApplication(const FakeControlApplication&) = delete;
    FakeControlApplication& operator=(const FakeControlApplication&) = delete;

    [[nodiscard]] ZQ::RCPtr<ZQ::LControlFactory> GetControlFactory() const override { return Factory; }
    [[nodiscard]] ZQ::RectT<int32_t> GetWorkArea() const override { return WorkArea; }
    [[nodiscard]] ZQ::RCPtr<ZQ::LRefCountedObject> GetActiveRootWindow() const override
    {
        return ActiveRootWindow;
    }
    [[nodiscard]] ZQ::RCPtr<ZQ::LRefCountedObject> GetFirstRootWindow() const override
    {
        return FirstRootWindow;
    }
    [[nodiscard]] ZQ::PointT<int32_t> GetPointerScreenPosition() const override { return PointerPosition; }

    ZQ::RCPtr<ZQ::LControlFactory> Factory;
    ZQ::RectT<int32_t> WorkArea{0, 0, 1280, 1024};
    ZQ::RCPtr<ZQ::LRefCountedObject> ActiveRootWindow;
    ZQ::RCPtr<ZQ::LRefCountedObject> FirstRootWindow;
    ZQ::PointT<int32_t> PointerPosition{};
};
} // namespace ZQTest
