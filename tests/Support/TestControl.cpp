#include "Support/TestControl.h"

#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"

#include <string>

namespace ZQTest
{
ZQ::RCPtr<TestControl> TestControl::Create(const ZQ::RCPtr<ZQ::LControl>& parent, const ZQ::WString& name,
                                           const LayoutSetup& setup, bool withLayout)
{
    ZQ::RCPtr<TestControl> control(new TestControl(parent, name));
    if (withLayout || setup)
    {
        control->ChangeLayout(setup);
    }
    return control;
}

ZQ::RCPtr<ZQ::LControl> TestControl::CreateFromDescriptor(const ZQ::RCPtr<ZQ::LControl>& parent,
                                                          const ZQ::RCPtr<ZQ::LControlDescriptor>& descriptor)
{
    return ZQ::LControl::CreateFromDescriptor<TestControl>(parent, descriptor);
}

TestControl::~TestControl()
{
    if (DestroyedLog != nullptr)
    {
        DestroyedLog->push_back(GetName());
    }
}

void TestControl::ChangeLayout(const LayoutSetup& setup)
{
    ZQ::RCPtr<ZQ::LLayoutDescriptor> layout;
    if (GetLayout() != nullptr)
    {
        (void)GetLayout()->CopyTo(layout);
    }
    else
    {
        layout = ZQ::LLayoutDescriptor::Create();
    }
    if (setup)
    {
        setup(*layout);
    }
    SetLayoutCopy(*layout);
}

ZQ::RCPtr<ZQ::LNotificationHandler<ZQ::LControl>> TestControl::Handler()
{
    if (mHandler == nullptr)
    {
        mHandler = ZQ::LNotificationHandler<ZQ::LControl>::Create(this);
    }
    return mHandler;
}

void TestControl::OnChildrenChanged(const ZQ::RCPtr<ZQ::LControl>& child, int32_t index)
{
    ChildrenChanged.emplace_back(child->GetName(), index);
}

ZQRESULT TestControl::CountNotification(const ZQ::RCPtr<ZQ::LNotificationDistributor>& /*source*/,
                                        const ZQ::RCPtr<ZQ::LNotification>& /*notification*/)
{
    ++NotificationsReceived;
    return 0;
}
std::vector<ZQ::RCPtr<TestControl>>
AddChildren(const ZQ::RCPtr<ZQ::LControl>& parent, int32_t count,
            const std::function<void(int32_t, ZQ::LLayoutDescriptor&)>& setup)
{
    std::vector<ZQ::RCPtr<TestControl>> children;
    for (int32_t i = 0; i < count; ++i)
    {
        std::string text = "c";
        text += std::to_string(i);
        const ZQ::WString name(text.c_str());
        TestControl::LayoutSetup childSetup;
        if (setup)
        {
            childSetup = [&setup, i](ZQ::LLayoutDescriptor& layout) { setup(i, layout); };
        }
        children.push_back(TestControl::Create(parent, name, childSetup));
    }
    return children;
}
} // namespace ZQTest
