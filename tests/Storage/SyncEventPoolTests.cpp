#include "ZQFramework/System/Sync/EventPool.h"

#include <gtest/gtest.h>

namespace
{
TEST(SyncEvent, EventPoolReportsTheFiredEventOnceAndMinusOneOnTimeOut)
{
    ZQ::EventPool pool(4);
    ASSERT_EQ(pool.GetCount(), 4);
    EXPECT_EQ(pool.WaitForAny(0), -1);
    pool.GetEvent(2)->Set();
    EXPECT_EQ(pool.WaitForAny(0), 2);
    EXPECT_EQ(pool.WaitForAny(0), -1);
    EXPECT_FALSE(pool.GetEvent(4));

    auto event = ZQ::LEvent::Create(true);
    event->Set();
    EXPECT_TRUE(event->IsSignalled());
    EXPECT_FALSE(event->IsSignalled());
}

} // namespace
