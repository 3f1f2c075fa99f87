#include "Platform/Process/Process.h"

#include <gtest/gtest.h>
#include <thread>

namespace
{
TEST(Process, ExecutablePathNamesThisTestProgram)
{
    const std::string path = Platform::ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.find_last_of('/') + 1), "test_Platform");
}

TEST(Process, EachThreadHasItsOwnId)
{
    const Platform::ThreadId mine = Platform::CurrentThreadId();
    Platform::ThreadId other = 0;
    std::thread([&other] { other = Platform::CurrentThreadId(); }).join();
    EXPECT_NE(mine, 0);
    EXPECT_NE(other, 0);
    EXPECT_NE(mine, other);
}

TEST(Process, PriorityOfNoThreadIsRefusedAndLoweringOneIsAllowed)
{
    EXPECT_FALSE(Platform::SetThreadPriority(0, 0));
    std::thread([] { EXPECT_TRUE(Platform::SetThreadPriority(Platform::CurrentThreadId(), -2)); }).join();
}
} // namespace
