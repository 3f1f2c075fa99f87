#include "Support/TempRegistry.h"

#include "Platform/Registry/Registry.h"
#include "Platform/Registry/RegistryValues.h"
#include "Platform/Registry/RegistryWatch.h"

#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Platform;
using Result = RegistryWatch::Result;

namespace
{
constexpr uint32_t kGenerous = 10000; // a bound on a hang, not a measure of speed
constexpr uint32_t kQuiet = 150;      // how long a watch must stay quiet to count as not fired

class RegistryWatchTests : public TestSupport::TempRegistry
{
protected:
    void SetUp() override
    {
        TempRegistry::SetUp();
        ASSERT_EQ(RegistryCreateKey(RegLocalMachine, u"Instance\\Attached", RegKeyAllAccess, &mKey),
                  RegSuccess);
    }
    void TearDown() override
    {
        RegistryCloseKey(mKey);
        TempRegistry::TearDown();
    }

    RegKey mKey = 0;
};

using RegistryWatchConcurrency = RegistryWatchTests;
} // namespace

TEST_F(RegistryWatchTests, ReportsOnlyTheChangesItsFilterSelects)
{
    struct Case
    {
        const char* what;
        uint32_t filter;
        bool subtree;
        void (*change)();
        Result expected;
    };
    const Case cases[] = {
        {"value set", RegNotifyLastSet, false,
         [] { ASSERT_EQ(RegistryWriteBinary(RegLocalMachine, u"Instance\\Attached", u"", "\1", 1), 0); },
         Result::Changed},
        {"subkey added, names", RegNotifyName, false,
         [] { ASSERT_EQ(RegistryWriteDword(RegLocalMachine, u"Instance\\Attached\\Sub", u"x", 1), 0); },
         Result::Changed},
        {"subkey added, values only", RegNotifyLastSet, false,
         []
         {
             RegKey k = 0;
             ASSERT_EQ(RegistryCreateKey(RegLocalMachine, u"Instance\\Attached\\Sub", 0, &k), 0);
             RegistryCloseKey(k);
         },
         Result::TimedOut},
        {"value in a subkey, key only", RegNotifyLastSet, false,
         [] { ASSERT_EQ(RegistryWriteDword(RegLocalMachine, u"Instance\\Attached\\Deep", u"x", 1), 0); },
         Result::TimedOut},
        {"value in the parent", RegNotifyLastSet | RegNotifyName, true,
         [] { ASSERT_EQ(RegistryWriteDword(RegLocalMachine, u"Instance", u"x", 1), 0); }, Result::TimedOut},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        RegKey watched = 0;
        ASSERT_EQ(RegistryOpenKey(RegLocalMachine, u"Instance\\Attached", RegKeyRead, &watched), RegSuccess);
        auto watch = RegistryWatch::Create(watched, c.subtree, c.filter);
        ASSERT_NE(watch, nullptr);
        c.change();
        EXPECT_EQ(watch->Wait(c.expected == Result::Changed ? kGenerous : kQuiet), c.expected);
        RegistryCloseKey(watched);
    }
}

TEST_F(RegistryWatchTests, SubtreeWatchSeesValuesInSubkeysMadeAfterItStarted)
{
    auto watch = RegistryWatch::Create(mKey, true, RegNotifyLastSet);
    ASSERT_NE(watch, nullptr);
    ASSERT_EQ(RegistryWriteDword(RegLocalMachine, u"Instance\\Attached\\A\\B", u"x", 1), RegSuccess);
    EXPECT_EQ(watch->Wait(kGenerous), Result::Changed);
    // Drain whatever else the creation produced, then a change deep down is still seen.
    while (watch->Wait(kQuiet) == Result::Changed)
    {
    }
    ASSERT_EQ(RegistryWriteDword(RegLocalMachine, u"Instance\\Attached\\A\\B", u"x", 2), RegSuccess);
    EXPECT_EQ(watch->Wait(kGenerous), Result::Changed);
}

TEST_F(RegistryWatchTests, ChangesBetweenWaitsAreKeptAndReportedOnce)
{
    auto watch = RegistryWatch::Create(mKey, false, RegNotifyLastSet);
    ASSERT_NE(watch, nullptr);
    ASSERT_EQ(RegistryWriteBinary(RegLocalMachine, u"Instance\\Attached", u"", "\1", 1), RegSuccess);
    ASSERT_EQ(RegistryWriteBinary(RegLocalMachine, u"Instance\\Attached", u"", "\0", 1), RegSuccess);
    EXPECT_EQ(watch->Wait(kGenerous), Result::Changed);
    EXPECT_EQ(watch->Wait(kQuiet), Result::TimedOut);
}

TEST_F(RegistryWatchTests, DeletionOfTheKeyFiresAndItsHandleThenFails)
{
    ASSERT_EQ(RegistryWriteBinary(RegLocalMachine, u"Instance\\Attached", u"", "\1", 1), RegSuccess);
    auto watch = RegistryWatch::Create(mKey, false, RegNotifyName | RegNotifyLastSet);
    ASSERT_NE(watch, nullptr);
    ASSERT_EQ(RegistryDeleteKey(RegLocalMachine, u"Instance"), RegSuccess);
    Result result = watch->Wait(kGenerous);
    while (result == Result::Changed)
        result = watch->Wait(kGenerous);
    EXPECT_EQ(result, Result::KeyDeleted);
    EXPECT_EQ(watch->Wait(0), Result::KeyDeleted);
    uint32_t size = 0;
    EXPECT_EQ(RegistryQueryValue(mKey, u"", nullptr, nullptr, &size), RegKeyDeleted);
    int32_t error = 0;
    EXPECT_EQ(RegistryWatch::Create(mKey, false, RegNotifyLastSet, &error), nullptr);
    EXPECT_EQ(error, RegKeyDeleted);
}

TEST_F(RegistryWatchTests, CreateRejectsBadArguments)
{
    int32_t error = 0;
    EXPECT_EQ(RegistryWatch::Create(mKey, false, 0, &error), nullptr);
    EXPECT_EQ(error, RegInvalidParameter);
    EXPECT_EQ(RegistryWatch::Create(999999, false, RegNotifyName, &error), nullptr);
    EXPECT_EQ(error, RegInvalidHandle);
}

TEST_F(RegistryWatchConcurrency, CancelFromAnotherThreadEndsAnEndlessWait)
{
    auto watch = RegistryWatch::Create(mKey, false, RegNotifyLastSet);
    ASSERT_NE(watch, nullptr);
    std::thread canceller(
        [&]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            watch->Cancel();
        });
    EXPECT_EQ(watch->Wait(RegistryWatch::kInfinite), Result::Cancelled);
    canceller.join();
    EXPECT_EQ(watch->Wait(RegistryWatch::kInfinite), Result::Cancelled);
}

TEST_F(RegistryWatchConcurrency, ChangeMadeByAnotherProcessWakesTheWatcher)
{
    auto watch = RegistryWatch::Create(mKey, false, RegNotifyLastSet);
    ASSERT_NE(watch, nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        const int32_t result = RegistryWriteBinary(RegLocalMachine, u"Instance\\Attached", u"", "\1", 1);
        ::_exit(result == RegSuccess ? 0 : 1);
    }
    EXPECT_EQ(watch->Wait(kGenerous), Result::Changed);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::vector<uint8_t> bytes;
    EXPECT_EQ(RegistryReadBinary(RegLocalMachine, u"Instance\\Attached", u"", &bytes), RegSuccess);
    EXPECT_EQ(bytes, std::vector<uint8_t>{1});
}
