#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/heart_beat.h"

using namespace axistune;

namespace {

struct CountingTarget : iHeartBeatListener {
    std::atomic<int> beats{0};
    void Beat() override { ++beats; }
};

using Clock = std::chrono::steady_clock;

TEST(HeartBeat, BeatsAboutEvery250Milliseconds) {
    CountingTarget target;
    HeartBeat heartBeat;
    heartBeat.Attach(&target);
    const auto start = Clock::now();
    ASSERT_TRUE(heartBeat.Start());
    std::this_thread::sleep_for(std::chrono::milliseconds(1130));
    ASSERT_TRUE(heartBeat.Stop());
    const auto ran = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    // Never faster than the period, however long the sleep above overran on a busy machine;
    // and it does beat.
    EXPECT_LE(target.beats.load(), ran.count() / HeartBeat::kPeriodMs + 1);
    EXPECT_GE(target.beats.load(), 2);
}

TEST(HeartBeat, NoBeatReachesADetachedTargetAlthoughTheThreadRuns) {
    CountingTarget target;
    HeartBeat heartBeat;
    heartBeat.Attach(&target);
    ASSERT_TRUE(heartBeat.Start());
    heartBeat.Detach();
    const int atDetach = target.beats.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(target.beats.load(), atDetach);
    EXPECT_TRUE(heartBeat.Stop());
}

TEST(HeartBeat, StopEndsTheThreadPromptlyAndRepeatedly) {
    for (int i = 0; i < 20; ++i) {
        CountingTarget target;
        HeartBeat heartBeat;
        heartBeat.Attach(&target);
        ASSERT_TRUE(heartBeat.Start());
        const auto start = Clock::now();
        ASSERT_TRUE(heartBeat.Stop());
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    }
}

}  // namespace
