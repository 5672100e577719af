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
    ASSERT_TRUE(heartBeat.Start());
    std::this_thread::sleep_for(std::chrono::milliseconds(1130));
    ASSERT_TRUE(heartBeat.Stop());
    // Four beats fit in 1.13 s at 250 ms; allow one either way for a loaded machine.
    EXPECT_GE(target.beats.load(), 3);
    EXPECT_LE(target.beats.load(), 5);
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
