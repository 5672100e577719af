#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "core/status_codes.h"
#include "support/engine_harness.h"

using namespace axistune;

namespace {

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

TEST(Connection, APortThatDoesNotExistReportsSix) {
    EngineHarness harness("dx5");
    harness.Engine().Connect(9, 115200);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusCannotOpenPort, 3000));
    EXPECT_EQ(harness.Listener().Statuses(),
              (std::vector<int32_t>{kStatusOpeningPort, kStatusCannotOpenPort}));
}

TEST(Connection, ConnectTwiceThenDisconnectThenDisconnectAgain) {
    EngineHarness harness("dx5");
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    harness.Listener().Clear();
    harness.Engine().Connect(kSimPort, 115200);
    harness.Engine().Disconnect();
    harness.Engine().Disconnect();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusNotConnectedYet, 3000));
    EXPECT_EQ(harness.Listener().Statuses(),
              (std::vector<int32_t>{kStatusAlreadyConnected, kStatusConnectionClosed,
                                    kStatusNotConnectedYet}));
}

TEST(Connection, DisconnectDuringTheHandshakeClosesAtOnce) {
    dxsim::Faults slow;
    slow.replyDelayMs = 200;
    EngineHarness harness("dx5", slow);
    harness.TickEvery(20);
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnecting, 3000));
    harness.Engine().Disconnect();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnectionClosed, 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (const auto& e : harness.Listener().Events()) {
        EXPECT_NE(e.kind, RecordingListener::Event::kSettings);
    }
}

TEST(Connection, APulledCableClosesTheConnectionWithoutSpinningAndAReconnectWorks) {
    EngineHarness harness("dx5");
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    harness.Listener().Clear();

    harness.Sim().PullCable();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnectionClosed, 3000));
    // Nothing may spin once the port is gone: the process's CPU time over a second stays low
    // (the fast ticker alone wakes every 50 ms).
    const double before = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double used = ProcessCpuSeconds() - before;
    std::printf("[ figure ] CPU time in the second after the cable was pulled: %.1f ms\n",
                used * 1000);
    EXPECT_LT(used, 0.5);
    // The window would show the connection closed; requests are refused.
    harness.Engine().StoreSettings();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusNotConnectedYet, 3000));

    harness.Sim().Replug();
    harness.Listener().Clear();
    ASSERT_TRUE(harness.ConnectAndWait(115200));
}

TEST(Connection, StoppingTheEngineWhileConnectedSendsNothing) {
    EngineHarness harness("dx5");
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    const uint64_t framesBefore = harness.Sim().GetCounters().frames;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(harness.Engine().Stop());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(harness.Sim().GetCounters().frames, framesBefore);
    harness.Listener().Clear();
    // Requests after the stop go nowhere and report nothing.
    harness.Engine().StoreSettings();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(harness.Listener().Events().empty());
}

}  // namespace
