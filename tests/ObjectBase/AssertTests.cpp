#include "ZQFramework/ObjectBase/Assert.h"

#include <gtest/gtest.h>

namespace
{
#ifdef NDEBUG
TEST(Assert, ReleaseBuildsDoNotEvaluateTheCondition)
{
    int evaluations = 0;
    ZQ_ASSERT([&evaluations] { return ++evaluations > 0; }());
    EXPECT_EQ(evaluations, 0);
}
#else
TEST(Assert, DebugBuildsEvaluateAHoldingConditionOnce)
{
    int evaluations = 0;
    ZQ_ASSERT([&evaluations] { return ++evaluations > 0; }());
    EXPECT_EQ(evaluations, 1);
}

TEST(Assert, ABreachNamesTheConditionAndAborts)
{
    const int index = 3;
    const int count = 2;
    EXPECT_DEATH(ZQ_ASSERT(index < count), "AssertTests.cpp:[0-9]+: .*assertion failed: index < count");
}
#endif
} // namespace
