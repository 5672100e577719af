// Two COM ports that Wine maps to the two ends of a pseudo-terminal pair (com_pty_test.sh sets
// that up): whatever one port writes, the other reads.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/serial_port.h"
#include "platform/serial_port_list.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

uint8_t PortFromEnvironment(const char* name, uint8_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? static_cast<uint8_t>(std::atoi(value)) : fallback;
}

const uint8_t kPortA = PortFromEnvironment("AXISTUNE_COM_A", 5);
const uint8_t kPortB = PortFromEnvironment("AXISTUNE_COM_B", 6);

std::vector<uint8_t> ReadAtLeast(SerialPort& port, Event& stop, size_t wanted) {
    std::vector<uint8_t> got;
    auto start = Clock::now();
    while (got.size() < wanted && MillisecondsSince(start) < 10000) {
        ReadResult r = port.Read(stop, 200);
        if (r.outcome == WaitOutcome::kTimedOut) {
            continue;
        }
        if (r.outcome != WaitOutcome::kData) {
            ADD_FAILURE() << "read ended with outcome " << static_cast<int>(r.outcome);
            break;
        }
        EXPECT_LE(r.count, SerialPort::kReadChunk);
        got.insert(got.end(), r.bytes, r.bytes + r.count);
    }
    return got;
}

class ComPtyTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(a_.Open("COM" + std::to_string(kPortA), 115200).Opened())
            << "COM" << int(kPortA);
        ASSERT_TRUE(b_.Open("COM" + std::to_string(kPortB), 9600).Opened()) << "COM" << int(kPortB);
    }

    SerialPort a_;
    SerialPort b_;
    Event stop_{EventReset::kManual, false};
};

TEST_F(ComPtyTest, AllByteValuesArriveIntactBothWays) {
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<uint8_t>(i);
    }
    ASSERT_EQ(a_.Write(all.data(), all.size(), 1000), WriteOutcome::kWritten);
    EXPECT_EQ(ReadAtLeast(b_, stop_, all.size()), all);

    // The other way, in frame-sized pieces, highest values first.
    std::vector<uint8_t> reversed(all.rbegin(), all.rend());
    for (size_t at = 0; at < reversed.size(); at += 7) {
        size_t n = std::min<size_t>(7, reversed.size() - at);
        ASSERT_EQ(b_.Write(reversed.data() + at, n, 1000), WriteOutcome::kWritten);
    }
    EXPECT_EQ(ReadAtLeast(a_, stop_, reversed.size()), reversed);
}

TEST_F(ComPtyTest, TimedOutReadStillDeliversWhatArrivesLater) {
    auto start = Clock::now();
    EXPECT_EQ(b_.Read(stop_, 200).outcome, WaitOutcome::kTimedOut);
    EXPECT_GE(MillisecondsSince(start), 150);
    const uint8_t reply[] = {0x55, 0x01, 0x13};
    ASSERT_EQ(a_.Write(reply, sizeof(reply), 1000), WriteOutcome::kWritten);
    EXPECT_EQ(ReadAtLeast(b_, stop_, sizeof(reply)),
              std::vector<uint8_t>(reply, reply + sizeof(reply)));
}

TEST_F(ComPtyTest, StopEndsAPendingReadAndTheNextReadWorks) {
    EXPECT_EQ(b_.Read(stop_, 50).outcome, WaitOutcome::kTimedOut);
    stop_.Set();
    auto start = Clock::now();
    EXPECT_EQ(b_.Read(stop_, 5000).outcome, WaitOutcome::kStopped);
    EXPECT_LT(MillisecondsSince(start), 1000);

    stop_.Reset();
    const uint8_t frame[] = {0xAA, 0x01, 0x11};
    ASSERT_EQ(a_.Write(frame, sizeof(frame), 1000), WriteOutcome::kWritten);
    EXPECT_EQ(ReadAtLeast(b_, stop_, sizeof(frame)),
              std::vector<uint8_t>(frame, frame + sizeof(frame)));
}

TEST_F(ComPtyTest, PortCanBeClosedWithAReadPendingAndOpenedAgain) {
    EXPECT_EQ(b_.Read(stop_, 50).outcome, WaitOutcome::kTimedOut);
    b_.Close();
    EXPECT_FALSE(b_.IsOpen());
    ASSERT_TRUE(b_.Open("COM" + std::to_string(kPortB), 115200).Opened());
    const uint8_t frame[] = {0xAA, 0x02, 0x0D, 0x01};
    ASSERT_EQ(a_.Write(frame, sizeof(frame), 1000), WriteOutcome::kWritten);
    EXPECT_EQ(ReadAtLeast(b_, stop_, sizeof(frame)),
              std::vector<uint8_t>(frame, frame + sizeof(frame)));
}

TEST_F(ComPtyTest, ASecondOpenOfAnOpenPortIsBusy) {
    SerialPort second;
    const OpenResult busy = second.Open("COM" + std::to_string(kPortA), 115200);
    EXPECT_EQ(busy.failure, OpenFailure::kBusy) << busy.systemMessage;
    EXPECT_FALSE(second.IsOpen());
}

// The mapped ports are known to the system, so a front end can offer them.
TEST_F(ComPtyTest, MappedPortsAreListedInNumberOrder) {
    std::vector<std::string> names;
    for (const SerialPortEntry& entry : ListSerialPorts()) {
        EXPECT_EQ(entry.device, entry.name);
        names.push_back(entry.name);
    }
    const auto a = std::find(names.begin(), names.end(), "COM" + std::to_string(kPortA));
    const auto b = std::find(names.begin(), names.end(), "COM" + std::to_string(kPortB));
    ASSERT_NE(a, names.end());
    ASSERT_NE(b, names.end());
    EXPECT_EQ(a < b, kPortA < kPortB);
}

TEST(ComPtyMissing, APortWithoutADeviceDoesNotOpen) {
    SerialPort port;
    const std::string name =
        "COM" + std::to_string(PortFromEnvironment("AXISTUNE_COM_MISSING", 77));
    EXPECT_EQ(port.Open(name, 115200).failure, OpenFailure::kNotFound);
    EXPECT_EQ(port.Open("tcp://127.0.0.1:4000", 115200).failure, OpenFailure::kOther);
}

// Run on its own by the script, which pulls the line (ends socat) once this test says it is
// waiting. A lost line must show up as a failed read, not as an endless wait or a spin.
TEST(ComPtyLost, ReadFailsWhenTheLineGoesAway) {
    if (std::getenv("AXISTUNE_COM_LOSS") == nullptr) {
        GTEST_SKIP() << "run by com_pty_test.sh with AXISTUNE_COM_LOSS set";
    }
    SerialPort port;
    ASSERT_TRUE(port.Open("COM" + std::to_string(kPortA), 115200).Opened());
    Event stop(EventReset::kManual, false);
    std::printf("waiting for the line to go\n");
    std::fflush(stdout);

    int timeouts = 0;
    WaitOutcome last = WaitOutcome::kTimedOut;
    auto start = Clock::now();
    while (MillisecondsSince(start) < 20000) {
        last = port.Read(stop, 200).outcome;
        if (last != WaitOutcome::kTimedOut) {
            break;
        }
        ++timeouts;
    }
    EXPECT_EQ(last, WaitOutcome::kFailed) << "after " << timeouts << " time-outs";
    // Later reads fail too, at once, and the stop event still ends them.
    auto again = Clock::now();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(port.Read(stop, 200).outcome, WaitOutcome::kFailed);
    }
    EXPECT_LT(MillisecondsSince(again), 1000);
    stop.Set();
    EXPECT_EQ(port.Read(stop, 200).outcome, WaitOutcome::kStopped);
    const uint8_t frame[] = {0xAA, 0x01, 0x01};
    EXPECT_NE(port.Write(frame, sizeof(frame), 1000), WriteOutcome::kWritten);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
