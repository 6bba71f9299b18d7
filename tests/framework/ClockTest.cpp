#include "framework/Clock.h"

#include <gtest/gtest.h>

#include <ctime>

#include "framework/FakeClock.h"

TEST(Clock, SystemClockTellsTheDateAndWaitsForReal) {
    IClock& system = UClock::Current();
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    EXPECT_GE(UClock::Seconds(), now);
    EXPECT_LE(UClock::Seconds(), now + 5);
    const uint64_t start = UClock::Milliseconds();
    UClock::Sleep(30);
    EXPECT_GE(UClock::Milliseconds() - start, 30u);

    {
        CFakeClock fake(1234);
        EXPECT_EQ(&UClock::Current(), &fake);
        EXPECT_EQ(UClock::Seconds(), 1234);
        const uint64_t before = UClock::Milliseconds();
        UClock::Sleep(5000);
        UClock::Sleep(10);
        EXPECT_EQ(UClock::Milliseconds() - before, 5010u) << "a fake wait only moves the fake time";
        EXPECT_EQ(fake.Sleeps(), (std::vector<uint32_t>{5000, 10}));
    }
    EXPECT_EQ(&UClock::Current(), &system) << "the system clock is back";
    EXPECT_EQ(UClock::Replace(nullptr), &system);
}
