// Shutdown while the worker is blocked: in a frame write that the line cannot take, and in the
// pause before the handshake. Stop must end within its bounds and send nothing more.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "core/status_codes.h"
#include "engine/telescope_control.h"
#include "fault_report.h"
#include "platform/serial_port.h"
#include "stalling_controller.h"
#include "support/engine_harness.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kStallPort = 8;
constexpr uint8_t kSelector = 0x81;  // RA, tracking current

// A connected engine whose controller has stopped reading and whose line is full: the next
// frame write blocks for its whole 1000 ms.
class BlockedWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(controller_.Start());
        ports_.Assign(kStallPort, controller_.HostPath());
        engine_ = std::make_unique<TelescopeControl>(&listener_, &ports_);
        {
            FastTicker ticker(*engine_, kFastTickMs);
            engine_->Connect(kStallPort, 115200);
            ASSERT_TRUE(listener_.WaitForSettings(kSettingsConnected, 10000));
        }
        // No ticks from here on: the queue holds only what the test writes.
        controller_.StopReading();
        ASSERT_GT(controller_.FillLine(), 0u);
    }

    void TearDown() override {
        if (engine_) {
            EXPECT_TRUE(engine_->Stop());
        }
    }

    // One request alone, which the worker takes and blocks on; then eight more behind it,
    // which land in the queue as two reads of four messages each.
    Clock::time_point BlockTheWorker() {
        const auto start = Clock::now();
        engine_->SetCurrent(kSelector, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (uint16_t v : {101, 102, 103, 104, 201, 202, 203, 204}) {
            engine_->SetCurrent(kSelector, v);
        }
        return start;
    }

    StallingController controller_{"dx5"};
    RecordingListener listener_;
    PortCatalogue ports_;
    std::unique_ptr<TelescopeControl> engine_;
};

// The first write gives up after 1000 ms and the worker takes the next four messages: the
// stop comes while the first of them blocks, with three more of the same read still to go.
constexpr int kStopAfterMs = 1300;

TEST_F(BlockedWrite, StopEndsWithinOneFrameWriteWhileTheLineStaysFull) {
    const auto blocked = BlockTheWorker();
    std::this_thread::sleep_for(std::chrono::milliseconds(kStopAfterMs) - (Clock::now() - blocked));
    const auto start = Clock::now();
    ASSERT_TRUE(engine_->Stop());
    const long long stopMs = MsSince(start);
    std::printf("[ figure ] Stop while a frame write blocks on a full line: %lld ms\n", stopMs);
    // At most what is left of the one write in progress, never one more write per queued
    // request.
    EXPECT_LT(stopMs, 1000 + 300);
    ReportFault("stop-during-blocked-write", "the program closes in " + std::to_string(stopMs) +
                                                 " ms although the controller stopped reading");
}

TEST(ShutdownDuringHandshakePause, StopCutsThePauseShortAndSendsNoQuery) {
    EngineHarness harness("dx5");
    harness.TickEvery(kFastTickMs);
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnecting, 3000));
    // The worker now sits in the 500 ms pause before the version query.
    const auto start = Clock::now();
    ASSERT_TRUE(harness.Engine().Stop());
    const long long stopMs = MsSince(start);
    std::printf("[ figure ] Stop during the pause before the handshake: %lld ms\n", stopMs);
    EXPECT_LT(stopMs, 500);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(harness.Sim().GetCounters().frames, 0u);
    EXPECT_EQ(harness.Sim().GetCounters().droppedBytes, 0u);
    ReportFault("stop-during-handshake-pause", "the program closes in " + std::to_string(stopMs) +
                                                   " ms and the controller receives nothing");
}

}  // namespace
