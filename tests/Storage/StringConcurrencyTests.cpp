#include "Support/StringPrinting.h"

#include "ZQFramework/Utilities/Storage/String.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace
{
using TestSupport::Units;
using ZQ::WString;

// Strings on different threads share one buffer: copies, releases and private copies made by Lock and
// Append never disturb the shared text, and the buffer's count comes back to where it started.
TEST(StringConcurrency, ThreadsShareOneBufferSafely)
{
    const WString shared(u"shared text");
    const int before = shared.GetStorage()->GetRefCount();
    constexpr int kThreads = 8;
    constexpr int kRounds = 2000;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&shared, &mismatches, t]
            {
                for (int i = 0; i < kRounds; ++i)
                {
                    WString copy(shared);
                    WString edited(copy);
                    edited.Append(WString::FromInt(t));
                    char16_t* data = copy.Lock(0);
                    data[0] = u'S';
                    copy.Unlock();
                    if (Units(copy) != u"Shared text" || edited.GetLength() != 12 ||
                        Units(shared) != u"shared text")
                        ++mismatches;
                    WString empty;
                    empty.Append(shared);
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(shared.GetStorage()->GetRefCount(), before);
}
} // namespace
