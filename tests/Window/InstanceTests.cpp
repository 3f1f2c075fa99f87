#include "Platform/Window/CopyData.h"
#include "Platform/Window/NamedLock.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
using namespace Platform::Window;

std::string UniqueName()
{
    return "zq-window-test-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Runs body in a child process and returns its exit code.
template <typename Body>
int InChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(WindowNamedLock, SecondProcessSeesTheLockUntilTheFirstLetsGo)
{
    const std::string name = UniqueName();
    const auto childSeesExisting = [&] { return NamedLock(name).AlreadyExisted() ? 1 : 0; };
    {
        NamedLock first(name);
        ASSERT_TRUE(first.IsHeld());
        EXPECT_FALSE(first.AlreadyExisted());
        EXPECT_EQ(InChild(childSeesExisting), 1);
        NamedLock second(name);
        EXPECT_TRUE(second.AlreadyExisted()) << "within one process too";
        EXPECT_FALSE(second.IsHeld());
    }
    EXPECT_EQ(InChild(childSeesExisting), 0);
    ::unlink(NamedLock::PathFor(name).c_str());
}

TEST(WindowCopyData, TextStopsAtTheTerminatorOrTheByteCount)
{
    const uint8_t terminated[] = {'-', 'a', 0, 'x'};
    const uint8_t bare[] = {'-', 'f', '=', '1'};
    EXPECT_EQ(CopyDataText(terminated), "-a");
    EXPECT_EQ(CopyDataText(bare), "-f=1");
    EXPECT_EQ(CopyDataText(std::span(bare).first(2)), "-f");
    EXPECT_EQ(CopyDataText({}), "");
}
} // namespace
