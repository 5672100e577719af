#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "platform/event.h"
#include "platform/lock.h"
#include "platform/process.h"
#include "platform/sleep.h"
#include "platform/thread.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;

TEST(Win32Lock, KeepsConcurrentIncrementsExact) {
    Lock lock;
    long counter = 0;  // plain, guarded by the lock only
    Thread a;
    Thread b;
    auto body = [&] {
        for (int i = 0; i < 200000; ++i) {
            LockGuard guard(lock);
            counter = counter + 1;
        }
    };
    ASSERT_TRUE(a.Start(body));
    ASSERT_TRUE(b.Start(body));
    ASSERT_TRUE(a.Join(20000));
    ASSERT_TRUE(b.Join(20000));
    EXPECT_EQ(counter, 400000);
}

TEST(Win32Event, ManualStaysSetAutoIsTakenByOneWait) {
    Event manual(EventReset::kManual, false);
    Event automatic(EventReset::kAuto, true);
    ASSERT_TRUE(manual.Valid());
    ASSERT_TRUE(automatic.Valid());

    EXPECT_FALSE(manual.Wait(0));
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(10));

    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0));
    // The native handle is what the combined waits use.
    automatic.Set();
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(automatic.NativeHandle()), 0),
              WAIT_OBJECT_0);
    EXPECT_FALSE(automatic.Wait(0));
}

TEST(Win32Thread, JoinIsBoundedAndTheThreadCanBeStartedAgain) {
    Event release(EventReset::kManual, false);
    std::atomic<DWORD> bodyThreadId{0};
    Thread thread;
    EXPECT_FALSE(thread.Started());
    EXPECT_TRUE(thread.Join(0));  // nothing runs

    ASSERT_TRUE(thread.Start([&] {
        bodyThreadId = GetCurrentThreadId();
        release.Wait(INFINITE);
    }));
    EXPECT_TRUE(thread.Started());
    EXPECT_FALSE(thread.Start([] {}));  // one body at a time

    auto start = Clock::now();
    EXPECT_FALSE(thread.Join(100));
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_GE(waited.count(), 80);
    EXPECT_LT(waited.count(), 2000);
    EXPECT_TRUE(thread.Started());
    EXPECT_EQ(thread.Id(), bodyThreadId.load());

    release.Set();
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_FALSE(thread.Started());

    std::atomic<bool> ranAgain{false};
    ASSERT_TRUE(thread.Start([&] { ranAgain = true; }));
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_TRUE(ranAgain);
}

// A serial reader that outlived its close wait is left unjoined while its connection stays
// captured by the body; the port must close when the body ends, not at the next join.
TEST(Win32Thread, WhatTheBodyCapturedIsReleasedWhenItEndsEvenWithoutAJoin) {
    auto held = std::make_shared<int>(7);
    std::weak_ptr<int> watch = held;
    Event release(EventReset::kManual, false);
    Thread thread;
    ASSERT_TRUE(thread.Start([held, &release] { release.Wait(INFINITE); }));
    held.reset();
    EXPECT_FALSE(watch.expired());  // the running body still holds it

    release.Set();
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!watch.expired() && Clock::now() < deadline) {
        SleepMilliseconds(5);
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(thread.Join(5000));
}

TEST(Win32Process, IdAndSleep) {
    EXPECT_EQ(CurrentProcessId(), GetCurrentProcessId());
    auto start = Clock::now();
    SleepMilliseconds(50);
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
              40);
}

}  // namespace
