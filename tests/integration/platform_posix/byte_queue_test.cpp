#include <gtest/gtest.h>

#include <vector>

#include "elapsed.h"
#include "platform/byte_queue.h"
#include "platform/lock.h"
#include "platform/sleep.h"
#include "platform/thread.h"

using namespace axistune;

namespace {

class ByteQueueTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(queue_.Open(), QueueOpenError::kNone); }

    // Reads until `count` bytes arrived or a read does not deliver data.
    std::vector<uint8_t> ReadBytes(size_t count, uint32_t timeoutMs = 2000) {
        std::vector<uint8_t> received;
        while (received.size() < count) {
            const ReadResult result = queue_.Read(stop_, timeoutMs);
            if (result.outcome != WaitOutcome::kData) {
                ADD_FAILURE() << "read ended with outcome " << static_cast<int>(result.outcome)
                              << " after " << received.size() << " bytes";
                break;
            }
            EXPECT_LE(result.count, ByteQueue::kReadChunk);
            received.insert(received.end(), result.bytes, result.bytes + result.count);
        }
        return received;
    }

    ByteQueue queue_;
    Event stop_{EventReset::kManual, false};
};

TEST_F(ByteQueueTest, DeliversMessagesInOrderInChunksOfTwenty) {
    std::vector<uint8_t> sent;
    for (int message = 0; message < 10; ++message) {
        const uint8_t bytes[] = {0x86, 0x03, static_cast<uint8_t>(message), 0x00, 0xC2, 0x01, 0x00};
        ASSERT_TRUE(queue_.Write(bytes, sizeof(bytes)));
        sent.insert(sent.end(), bytes, bytes + sizeof(bytes));
    }
    const ReadResult first = queue_.Read(stop_, 1000);
    ASSERT_EQ(first.outcome, WaitOutcome::kData);
    EXPECT_EQ(first.count, ByteQueue::kReadChunk);  // 70 bytes wait: a full chunk
    std::vector<uint8_t> received(first.bytes, first.bytes + first.count);
    const std::vector<uint8_t> rest = ReadBytes(sent.size() - received.size());
    received.insert(received.end(), rest.begin(), rest.end());
    EXPECT_EQ(received, sent);
    EXPECT_STREQ(queue_.Name(), "");
}

TEST_F(ByteQueueTest, ReadTimesOutAndKeepsWorking) {
    for (int round = 0; round < 3; ++round) {
        const double start = NowMs();
        const ReadResult idle = queue_.Read(stop_, 50);
        const double elapsed = NowMs() - start;
        EXPECT_EQ(idle.outcome, WaitOutcome::kTimedOut);
        EXPECT_GE(elapsed, 49.0);
        EXPECT_LT(elapsed, 50 + kSlackMs);

        const uint8_t tick[] = {0xA0, static_cast<uint8_t>(round)};
        ASSERT_TRUE(queue_.Write(tick, sizeof(tick)));
        EXPECT_EQ(ReadBytes(2), std::vector<uint8_t>(tick, tick + 2));
    }
}

TEST_F(ByteQueueTest, DataArrivingDuringAWaitEndsItPromptly) {
    Thread writer;
    ASSERT_TRUE(writer.Start([&] {
        SleepMilliseconds(40);
        const uint8_t tick[] = {0xA0, 0x00};
        queue_.Write(tick, sizeof(tick));
    }));
    const double start = NowMs();
    const ReadResult result = queue_.Read(stop_, 5000);
    EXPECT_EQ(result.outcome, WaitOutcome::kData);
    EXPECT_LT(NowMs() - start, 40 + kSlackMs);
    EXPECT_TRUE(writer.Join(5000));
}

TEST_F(ByteQueueTest, StopEventWinsOverWaitingData) {
    const uint8_t tick[] = {0xA0, 0x00};
    ASSERT_TRUE(queue_.Write(tick, sizeof(tick)));
    stop_.Set();
    EXPECT_EQ(queue_.Read(stop_, 1000).outcome, WaitOutcome::kStopped);
    EXPECT_EQ(queue_.Read(stop_, 1000).outcome, WaitOutcome::kStopped);  // manual: stays
    stop_.Reset();
    EXPECT_EQ(ReadBytes(2), std::vector<uint8_t>(tick, tick + 2));  // nothing was consumed
}

TEST_F(ByteQueueTest, StopEventEndsAWaitingRead) {
    Thread stopper;
    ASSERT_TRUE(stopper.Start([&] {
        SleepMilliseconds(40);
        stop_.Set();
    }));
    const double start = NowMs();
    EXPECT_EQ(queue_.Read(stop_, 5000).outcome, WaitOutcome::kStopped);
    EXPECT_LT(NowMs() - start, 40 + kSlackMs);
    EXPECT_TRUE(stopper.Join(5000));
}

// Several producers, each message one Write under the shared write lock (as the engine does):
// every message arrives whole, and each producer's messages keep their order.
TEST_F(ByteQueueTest, MessagesOfSeveralWritersNeverInterleave) {
    constexpr int kWriters = 4;
    constexpr int kMessages = 400;
    constexpr size_t kMessageSize = 12;
    Lock writeLock;
    Thread writers[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        ASSERT_TRUE(writers[w].Start([&, w] {
            for (int m = 0; m < kMessages; ++m) {
                uint8_t message[kMessageSize];
                message[0] = static_cast<uint8_t>(0xC0 + kMessageSize - 1);
                for (size_t i = 1; i < kMessageSize; ++i) {
                    message[i] = static_cast<uint8_t>(i == 1 ? w : (i == 2 ? m & 0x7F : m >> 7));
                }
                LockGuard guard(writeLock);
                queue_.Write(message, sizeof(message));
            }
        }));
    }
    const std::vector<uint8_t> received = ReadBytes(kWriters * kMessages * kMessageSize, 5000);
    for (Thread& writer : writers) {
        EXPECT_TRUE(writer.Join(5000));
    }
    ASSERT_EQ(received.size(), kWriters * kMessages * kMessageSize);
    int next[kWriters] = {};
    for (size_t at = 0; at < received.size(); at += kMessageSize) {
        ASSERT_EQ(received[at], 0xC0 + kMessageSize - 1) << "at byte " << at;
        const int w = received[at + 1];
        ASSERT_LT(w, kWriters);
        const int m = received[at + 2] | (received[at + 3] << 7);
        for (size_t i = 3; i < kMessageSize; ++i) {
            ASSERT_EQ(received[at + i], m >> 7) << "message torn at byte " << at + i;
        }
        EXPECT_EQ(m, next[w]) << "writer " << w;
        next[w] = m + 1;
    }
}

// Far more than the pipe holds is written while the worker reads: the producer blocks while
// the queue is full and nothing is lost or reordered.
TEST_F(ByteQueueTest, LargeVolumeWrittenWhileReadingArrivesIntact) {
    constexpr size_t kTotal = 64 * 1024;
    std::vector<uint8_t> sent(kTotal);
    for (size_t i = 0; i < kTotal; ++i) {
        sent[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    }
    Thread writer;
    ASSERT_TRUE(writer.Start([&] {
        for (size_t at = 0; at < kTotal; at += 32) {
            queue_.Write(sent.data() + at, 32);
        }
    }));
    SleepMilliseconds(50);  // let the producer fill the pipe and block
    EXPECT_TRUE(writer.Started());
    EXPECT_EQ(ReadBytes(kTotal), sent);
    EXPECT_TRUE(writer.Join(5000));
}

TEST(ByteQueueUnopened, ReadFailsWithoutSpinningAndWriteFails) {
    ByteQueue queue;
    Event stop(EventReset::kManual, false);
    const uint8_t tick[] = {0xA0, 0x00};
    EXPECT_FALSE(queue.Write(tick, sizeof(tick)));
    const double start = NowMs();
    EXPECT_EQ(queue.Read(stop, 50).outcome, WaitOutcome::kFailed);
    EXPECT_GE(NowMs() - start, 49.0);
    stop.Set();
    EXPECT_EQ(queue.Read(stop, 5000).outcome, WaitOutcome::kStopped);
}

}  // namespace
