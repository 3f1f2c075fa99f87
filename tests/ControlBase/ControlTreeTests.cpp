#include "ZQFramework/ControlBase/Control.h"

#include <gtest/gtest.h>

namespace ZQ
{
namespace
{
TEST(ControlTreeTests, ChildJoinsParentAndReleaseBreaksTheCycle)
{
    RCPtr<LControl> parent(new LControl(nullptr, u"Top"));
    RCPtr<LControl> child(new LControl(parent, u"Child"));
    ASSERT_EQ(parent->GetChildren().GetCount(), 1u);
    EXPECT_EQ(child->GetParent(), parent);
    EXPECT_EQ(parent->GetInternalRefCount(), 1);
    child = nullptr;
    EXPECT_EQ(parent->ReleaseInternalReferences(), S_OK);
}
} // namespace
} // namespace ZQ
