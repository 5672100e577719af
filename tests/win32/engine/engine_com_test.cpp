// The engine's own link on a COM port that Wine maps to one end of a pseudo-terminal pair;
// the test plays the controller on the other end.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "core/status_codes.h"
#include "engine/request_codes.h"
#include "engine/serial_link.h"
#include "engine/telescope_control.h"
#include "platform/serial_port.h"
#include "support/recording_listener.h"

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

uint8_t PortFromEnvironment(const char* name, uint8_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? static_cast<uint8_t>(std::atoi(value)) : fallback;
}

const uint8_t kEnginePort = PortFromEnvironment("AXISTUNE_COM_A", 5);
const uint8_t kFarPort = PortFromEnvironment("AXISTUNE_COM_B", 6);

Bytes ReadAtLeast(SerialPort& port, size_t wanted, int timeoutMs) {
    Event stop(EventReset::kManual, false);
    Bytes got;
    const auto start = Clock::now();
    while (got.size() < wanted && Clock::now() - start < std::chrono::milliseconds(timeoutMs)) {
        const ReadResult r = port.Read(stop, 100);
        if (r.outcome == WaitOutcome::kData) {
            got.insert(got.end(), r.bytes, r.bytes + r.count);
        } else if (r.outcome != WaitOutcome::kTimedOut) {
            break;
        }
    }
    return got;
}

struct RecordingQueue : QueueWriter {
    void WriteMessage(const uint8_t* bytes, size_t count) override {
        std::lock_guard<std::mutex> guard(mutex);
        messages.emplace_back(bytes, bytes + count);
    }
    size_t PayloadBytes() {
        std::lock_guard<std::mutex> guard(mutex);
        size_t n = 0;
        for (const Bytes& m : messages) {
            n += m.size() - 1;
        }
        return n;
    }
    std::mutex mutex;
    std::vector<Bytes> messages;
};

TEST(EngineOnAComPort, ConnectReportsOneThenTwoAndTheHandshakeQueryReachesTheFarEnd) {
    SerialPort far;
    ASSERT_TRUE(far.Open("COM" + std::to_string(kFarPort), 115200).Opened());
    RecordingListener listener;
    TelescopeControl engine(&listener);
    ASSERT_EQ(engine.StartError(), QueueOpenError::kNone);

    engine.Connect(kEnginePort, 115200);
    ASSERT_TRUE(listener.WaitForStatus(kStatusConnecting, 5000));
    EXPECT_EQ(listener.Statuses(), (std::vector<int32_t>{kStatusOpeningPort, kStatusConnecting}));
    EXPECT_EQ(ReadAtLeast(far, 3, 3000), (Bytes{0xAA, 0x01, 0x01}));

    engine.Disconnect();
    ASSERT_TRUE(listener.WaitForStatus(kStatusConnectionClosed, 5000));

    listener.Clear();
    engine.Connect(99, 115200);  // no such port in the prefix
    ASSERT_TRUE(listener.WaitForStatus(kStatusCannotOpenPort, 5000));
    EXPECT_EQ(listener.Statuses(),
              (std::vector<int32_t>{kStatusOpeningPort, kStatusCannotOpenPort}));
    EXPECT_TRUE(engine.Stop());
}

class LinkOnAComPort : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(far_.Open("COM" + std::to_string(kFarPort), 115200).Opened());
        ASSERT_TRUE(link_.Open(kEnginePort, 115200));
    }
    void TearDown() override { link_.Close(); }

    bool WaitForPayload(size_t bytes) {
        const auto start = Clock::now();
        while (queue_.PayloadBytes() < bytes) {
            if (Clock::now() - start > std::chrono::seconds(5)) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    SerialPort far_;
    RecordingQueue queue_;
    Event shutdown_{EventReset::kManual, false};
    PortCatalogue ports_;
    SerialLink link_{queue_, shutdown_, ports_};
};

TEST_F(LinkOnAComPort, AHundredBytesArriveAsSerialBytesMessagesOfAtMost31) {
    Bytes sent(100);
    for (size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<uint8_t>(0x40 + i);
    }
    ASSERT_EQ(far_.Write(sent.data(), sent.size(), 1000), WriteOutcome::kWritten);
    ASSERT_TRUE(WaitForPayload(sent.size()));

    Bytes joined;
    std::vector<size_t> sizes;
    for (const Bytes& m : queue_.messages) {
        ASSERT_GE(m.size(), 2u);
        ASSERT_LE(m.size(), 32u);
        EXPECT_EQ(m[0], QueueHeader(kKindSerialBytes, static_cast<uint8_t>(m.size() - 1)));
        sizes.push_back(m.size() - 1);
        joined.insert(joined.end(), m.begin() + 1, m.end());
    }
    EXPECT_EQ(joined, sent);
    // One read of 100 bytes gives 31, 31, 31 and 7; the line may also deliver in smaller reads.
    if (sizes.size() == 4) {
        EXPECT_EQ(sizes, (std::vector<size_t>{31, 31, 31, 7}));
    }
    std::printf("[ figure ] 100 bytes arrived as %zu serial-bytes messages\n", sizes.size());
}

TEST_F(LinkOnAComPort, AllByteValuesCrossTheLinkIntactBothWays) {
    Bytes all(256);
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<uint8_t>(i);
    }
    // Host to controller: frames of up to 13 bytes, as the engine writes them.
    for (size_t i = 0; i < all.size(); i += 13) {
        const size_t n = std::min<size_t>(13, all.size() - i);
        link_.WriteFrame(all.data() + i, n);
    }
    EXPECT_EQ(ReadAtLeast(far_, all.size(), 5000), all);
    EXPECT_FALSE(link_.PortLost());

    ASSERT_EQ(far_.Write(all.data(), all.size(), 1000), WriteOutcome::kWritten);
    ASSERT_TRUE(WaitForPayload(all.size()));
    Bytes joined;
    for (const Bytes& m : queue_.messages) {
        joined.insert(joined.end(), m.begin() + 1, m.end());
    }
    EXPECT_EQ(joined, all);
}

}  // namespace
