#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>

#include "elapsed.h"
#include "platform/event.h"
#include "platform/lock.h"
#include "platform/sleep.h"
#include "platform/thread.h"

using namespace axistune;

namespace {

bool Pollable(const Event& event) {
    pollfd fd{static_cast<int>(event.NativeHandle()), POLLIN, 0};
    return poll(&fd, 1, 0) == 1 && (fd.revents & POLLIN) != 0;
}

TEST(Event, ManualResetStaysSetUntilReset) {
    Event event(EventReset::kManual, false);
    ASSERT_TRUE(event.Valid());
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(Pollable(event));
    event.Set();
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(Pollable(event));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(Pollable(event));
    event.Reset();  // resetting a clear event keeps it clear
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, AutoResetIsConsumedByOneWait) {
    Event event(EventReset::kAuto, true);
    ASSERT_TRUE(event.Valid());
    EXPECT_TRUE(Pollable(event));
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Set();  // two sets before a wait count once
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, WaitTimesOutAfterItsBound) {
    for (EventReset reset : {EventReset::kManual, EventReset::kAuto}) {
        Event event(reset, false);
        const double start = NowMs();
        EXPECT_FALSE(event.Wait(60));
        const double elapsed = NowMs() - start;
        EXPECT_GE(elapsed, 59.0);
        EXPECT_LT(elapsed, 60 + kSlackMs);
    }
}

TEST(Event, SetFromAnotherThreadWakesTheWaiterPromptly) {
    Event event(EventReset::kAuto, false);
    Thread setter;
    ASSERT_TRUE(setter.Start([&] {
        SleepMilliseconds(30);
        event.Set();
    }));
    const double start = NowMs();
    EXPECT_TRUE(event.Wait(5000));
    EXPECT_LT(NowMs() - start, 30 + kSlackMs);
    EXPECT_TRUE(setter.Join(5000));
}

TEST(Event, AutoResetReleasesOneWaiterPerSet) {
    Event event(EventReset::kAuto, false);
    std::atomic<int> woken{0};
    Thread waiters[3];
    for (Thread& waiter : waiters) {
        ASSERT_TRUE(waiter.Start([&] {
            if (event.Wait(1000)) {
                woken.fetch_add(1);
            }
        }));
    }
    SleepMilliseconds(50);
    event.Set();
    for (Thread& waiter : waiters) {
        EXPECT_TRUE(waiter.Join(5000));
    }
    EXPECT_EQ(woken.load(), 1);
}

TEST(Thread, RunsTheBodyAndJoins) {
    Thread thread;
    EXPECT_FALSE(thread.Started());
    EXPECT_TRUE(thread.Join(0));  // nothing runs
    std::atomic<bool> ran{false};
    ASSERT_TRUE(thread.Start([&] { ran.store(true); }));
    EXPECT_TRUE(thread.Started());
    EXPECT_NE(thread.Id(), 0u);
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_TRUE(ran.load());
    EXPECT_FALSE(thread.Started());
}

TEST(Thread, IdsAreStableAndDistinct) {
    Event release(EventReset::kManual, false);
    Thread first;
    Thread second;
    ASSERT_TRUE(first.Start([&] { release.Wait(5000); }));
    ASSERT_TRUE(second.Start([&] { release.Wait(5000); }));
    const uint32_t firstId = first.Id();
    EXPECT_NE(firstId, second.Id());
    EXPECT_EQ(first.Id(), firstId);
    release.Set();
    EXPECT_TRUE(first.Join(5000));
    EXPECT_TRUE(second.Join(5000));
}

TEST(Thread, BoundedJoinGivesUpThenSucceedsOnceTheBodyEnds) {
    Event release(EventReset::kManual, false);
    std::atomic<bool> ended{false};
    Thread thread;
    ASSERT_TRUE(thread.Start([&] {
        release.Wait(10000);
        ended.store(true);
    }));
    const double start = NowMs();
    EXPECT_FALSE(thread.Join(80));
    const double elapsed = NowMs() - start;
    EXPECT_GE(elapsed, 79.0);
    EXPECT_LT(elapsed, 80 + kSlackMs);
    EXPECT_TRUE(thread.Started());
    EXPECT_FALSE(thread.Start([] {}));  // one thread at a time
    EXPECT_FALSE(ended.load());

    release.Set();
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_TRUE(ended.load());
    EXPECT_FALSE(thread.Started());

    // The handle is released: the same object starts again.
    std::atomic<bool> again{false};
    ASSERT_TRUE(thread.Start([&] { again.store(true); }));
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_TRUE(again.load());
}

TEST(Lock, SerialisesThreadsAndReenters) {
    Lock lock;
    int counter = 0;  // guarded by lock only
    Thread threads[4];
    for (Thread& thread : threads) {
        ASSERT_TRUE(thread.Start([&] {
            for (int i = 0; i < 20000; ++i) {
                LockGuard outer(lock);
                LockGuard inner(lock);  // same thread again, as a critical section allows
                ++counter;
            }
        }));
    }
    for (Thread& thread : threads) {
        EXPECT_TRUE(thread.Join(30000));
    }
    EXPECT_EQ(counter, 80000);
}

}  // namespace
