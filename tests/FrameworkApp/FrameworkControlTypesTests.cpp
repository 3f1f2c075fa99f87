#include "Support/FakeControlApplication.h"
#include "Support/TestControl.h"

#include "ZQFramework/Application/Framework/FrameworkControlTypes.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/Notification/Notification.h"

#include <array>
#include <gtest/gtest.h>

namespace ZQ
{
namespace
{
using ZQTest::TestControl;

// Sends itself a notification while it initialises and fails, as a control whose child reports during
// the creation would.
class EarlyReporter : public TestControl
{
public:
    EarlyReporter(const RCPtr<LControl>& parent, const WString& name) : TestControl(parent, name) {}

    ZQRESULT Initialize() override
    {
        (void)TestControl::Initialize();
        (void)Handler()->AddCallback(
            static_cast<LNotificationHandler<LControl>::Callback>(&EarlyReporter::CountNotification),
            RCPtr<LNotificationDistributor>(this), u"NID_TEST_REPORT");
        (void)Notify(LNotification::Create(u"NID_TEST_REPORT", nullptr));
        return E_FAIL;
    }
};

class Other : public TestControl
{
public:
    Other(const RCPtr<LControl>& parent, const WString& name) : TestControl(parent, name) {}
};

RCPtr<LControlDescriptor> Descriptor(const char16_t* className)
{
    const RCPtr<LControlDescriptor> descriptor = LControlDescriptor::Create(className, u"made", nullptr);
    descriptor->mLayout = LLayoutDescriptor::Create();
    return descriptor;
}

TEST(FrameworkControlTypes, NamesMapToTheirClassesAndAControlIsCreatedWhateverItsInitializeSays)
{
    const RCPtr<LControlFactory> factory = LControlFactory::Create(u"Test");
    ZQTest::FakeControlApplication application(factory);
    static constexpr std::array<FrameworkControlType, 3> kTypes{{
        {u"Test.Reporter", &CreateFrameworkControl<EarlyReporter>, 94},
        {u"Test.Overlay", &CreateFrameworkControl<Other>, 97},
        {u"Test.Other", &CreateFrameworkControl<Other>, 99},
    }};
    RegisterFrameworkControlTypes(*factory, kTypes);

    for (const char16_t* name : {u"Test.Overlay", u"Test.Other"})
    {
        const RCPtr<LControl> control = factory->CreateControl(Descriptor(name), nullptr);
        EXPECT_NE(RCPtr<Other>(control), nullptr);
        (void)control->ReleaseInternalReferences();
    }
    EXPECT_THROW((void)factory->CreateControl(Descriptor(u"Test.other"), nullptr), std::runtime_error);

    // What the control sent itself before it was created did not reach its handler; later it does.
    const RCPtr<EarlyReporter> reporter(factory->CreateControl(Descriptor(u"Test.Reporter"), nullptr));
    ASSERT_NE(reporter, nullptr);
    EXPECT_TRUE(reporter->IsCreated());
    EXPECT_EQ(reporter->NotificationsReceived, 0);
    (void)reporter->Notify(LNotification::Create(u"NID_TEST_REPORT", nullptr));
    EXPECT_EQ(reporter->NotificationsReceived, 1);
    (void)reporter->ReleaseInternalReferences();
}
} // namespace
} // namespace ZQ
