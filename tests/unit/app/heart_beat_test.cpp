#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/connect_beat_phase.h"
#include "app/heart_beat.h"
#include "engine/serial_link.h"

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

// Notes when the first beat after Arm came.
struct FirstBeatTarget : iHeartBeatListener {
    std::mutex lock;
    std::condition_variable beaten;
    bool armed = false;
    Clock::time_point at;
    void Beat() override {
        std::lock_guard<std::mutex> guard(lock);
        if (armed) {
            at = Clock::now();
            armed = false;
            beaten.notify_all();
        }
    }
    void Arm() {
        std::lock_guard<std::mutex> guard(lock);
        armed = true;
    }
    bool Wait(Clock::time_point* when) {
        std::unique_lock<std::mutex> guard(lock);
        const bool came =
            beaten.wait_for(guard, std::chrono::seconds(10), [this] { return !armed; });
        *when = at;
        return came;
    }
};

// The command line re-phases the beats before each connect: the target stays attached, the
// ticker keeps running, and no beat comes before the new first wait is over (a bound that
// holds however busy the machine is).
TEST(HeartBeat, RestartKeepsTheTargetAndBeginsTheNewPhase) {
    FirstBeatTarget target;
    HeartBeat heartBeat;
    heartBeat.Attach(&target);
    ASSERT_TRUE(heartBeat.Start(1));
    for (uint32_t firstBeatMs : {120u, 1u, 120u}) {
        target.Arm();
        const auto restarted = Clock::now();
        ASSERT_TRUE(heartBeat.Restart(firstBeatMs));
        Clock::time_point beat;
        ASSERT_TRUE(target.Wait(&beat));
        EXPECT_GE(beat - restarted, std::chrono::milliseconds(firstBeatMs));
    }
    EXPECT_TRUE(heartBeat.Stop());
}

// At every rate, the beat that follows a connect by the phase comes, two periods later (the
// pause), after the version answer's line time, and less than a period after it.
TEST(ConnectBeatPhase, PutsABeatJustAfterTheVersionAnswer) {
    const struct {
        uint32_t baud;
        uint32_t lineMs;  // AA 01 01 and the seven-byte answer
    } rows[] = {{115200, 1}, {57600, 2}, {19200, 6}, {9600, 11}, {2400, 42}, {300, 334}};
    for (const auto& row : rows) {
        const uint32_t phase = ConnectBeatPhaseMs(row.baud);
        const uint32_t answer = SerialLink::kHandshakePauseMs + row.lineMs;
        uint32_t beat = phase;
        while (beat <= answer) {
            beat += HeartBeat::kPeriodMs;
        }
        EXPECT_GE(phase, 1u) << row.baud;
        EXPECT_LE(phase, HeartBeat::kPeriodMs) << row.baud;
        EXPECT_GE(beat - answer, 10u) << row.baud;  // a margin for the answer's own latency
        EXPECT_LT(beat - answer, HeartBeat::kPeriodMs) << row.baud;
    }
}

}  // namespace
