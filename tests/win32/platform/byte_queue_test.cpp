#include "platform/byte_queue.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "pipe_holder.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The name as the engine documents it, built independently of the text helpers.
std::string ExpectedPipeName() {
    std::string name = "\\\\.\\Pipe\\lyrafield_axistune24_";
    DWORD pid = GetCurrentProcessId();
    for (int i = 0; i < 8; ++i) {
        name += "0123456789ABCDEF"[pid & 0xF];
        pid >>= 4;
    }
    return name;
}

// Reads until `wanted` bytes have arrived or a read reports anything but data.
std::vector<uint8_t> ReadBytes(ByteQueue& queue, Event& stop, size_t wanted) {
    std::vector<uint8_t> got;
    auto start = Clock::now();
    while (got.size() < wanted && MillisecondsSince(start) < 10000) {
        ReadResult r = queue.Read(stop, 300);
        if (r.outcome == WaitOutcome::kTimedOut) {
            continue;
        }
        if (r.outcome != WaitOutcome::kData) {
            break;
        }
        EXPECT_LE(r.count, ByteQueue::kReadChunk);
        got.insert(got.end(), r.bytes, r.bytes + r.count);
    }
    return got;
}

class ByteQueueTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(queue_.Open(), QueueOpenError::kNone); }

    ByteQueue queue_;
    Event stop_{EventReset::kManual, false};
};

TEST_F(ByteQueueTest, NameIsPrefixAndProcessIdLeastSignificantDigitFirst) {
    EXPECT_EQ(std::string(queue_.Name()), ExpectedPipeName());
}

TEST_F(ByteQueueTest, ConcurrentWritersFillingThePipeKeepTheByteOrder) {
    // Far more than the pipe's 512 bytes: the writer blocks until the reader catches up.
    std::vector<uint8_t> sent;
    for (int i = 0; i < 3000; ++i) {
        sent.push_back(static_cast<uint8_t>(i * 7 + i / 256));
    }
    std::thread writer([&] {
        size_t at = 0;
        size_t size = 1;
        while (at < sent.size()) {
            size_t n = std::min(size, sent.size() - at);
            EXPECT_TRUE(queue_.Write(sent.data() + at, n));
            at += n;
            size = size % 32 + 1;
        }
    });
    std::vector<uint8_t> got = ReadBytes(queue_, stop_, sent.size());
    writer.join();
    EXPECT_EQ(got, sent);
}

TEST_F(ByteQueueTest, TimeOutKeepsTheReadPendingAndLosesNoBytes) {
    for (int i = 0; i < 3; ++i) {
        auto start = Clock::now();
        ReadResult r = queue_.Read(stop_, 100);
        long long elapsed = MillisecondsSince(start);
        EXPECT_EQ(r.outcome, WaitOutcome::kTimedOut);
        EXPECT_GE(elapsed, 80);
        EXPECT_LT(elapsed, 2000);
    }
    const uint8_t message[] = {0xA0, 0x00, 0x81, 0x04};
    ASSERT_TRUE(queue_.Write(message, sizeof(message)));
    EXPECT_EQ(ReadBytes(queue_, stop_, sizeof(message)),
              std::vector<uint8_t>(message, message + sizeof(message)));
    // Ends with a read pending: the destructor must cancel it without hanging.
}

TEST_F(ByteQueueTest, StopWinsOverDataAndTheDataWaitsForTheNextRead) {
    EXPECT_EQ(queue_.Read(stop_, 50).outcome, WaitOutcome::kTimedOut);  // read now pending
    const uint8_t tick[] = {0xA0, 0x00};
    ASSERT_TRUE(queue_.Write(tick, sizeof(tick)));
    Sleep(50);  // the pending read has completed by now
    stop_.Set();
    EXPECT_EQ(queue_.Read(stop_, 300).outcome, WaitOutcome::kStopped);
    EXPECT_EQ(queue_.Read(stop_, 300).outcome, WaitOutcome::kStopped);

    stop_.Reset();
    EXPECT_EQ(ReadBytes(queue_, stop_, sizeof(tick)), std::vector<uint8_t>(tick, tick + 2));
}

TEST_F(ByteQueueTest, StopEndsAWaitingRead) {
    std::thread stopper([&] {
        Sleep(100);
        stop_.Set();
    });
    auto start = Clock::now();
    ReadResult r = queue_.Read(stop_, 10000);
    long long elapsed = MillisecondsSince(start);
    stopper.join();
    EXPECT_EQ(r.outcome, WaitOutcome::kStopped);
    EXPECT_LT(elapsed, 3000);
}

TEST_F(ByteQueueTest, NoSecondClientCanOpenThePipe) {
    for (DWORD access : {DWORD(GENERIC_WRITE), DWORD(GENERIC_READ)}) {
        HANDLE intruder = CreateFileA(queue_.Name(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(intruder, INVALID_HANDLE_VALUE) << "access " << access;
        if (intruder != INVALID_HANDLE_VALUE) {
            CloseHandle(intruder);
        }
    }
    // The queue still works for its owner.
    const uint8_t byte[] = {0x80, 0x00};
    ASSERT_TRUE(queue_.Write(byte, sizeof(byte)));
    EXPECT_EQ(ReadBytes(queue_, stop_, 2).size(), 2u);
}

TEST(ByteQueueOwnership, UnopenedQueueRefusesReadsAndWrites) {
    ByteQueue queue;
    Event stop(EventReset::kManual, false);
    const uint8_t byte = 0x80;
    EXPECT_FALSE(queue.Write(&byte, 1));
    EXPECT_EQ(queue.Read(stop, 10).outcome, WaitOutcome::kFailed);
}

class ByteQueueNameTaken : public testing::TestWithParam<HolderPipeKind> {};

TEST_P(ByteQueueNameTaken, OpenFailsWhileAnotherProcessHoldsTheName) {
    PipeHolder holder;
    ASSERT_TRUE(holder.Start(GetParam(), ExpectedPipeName()));

    ByteQueue queue;
    EXPECT_EQ(queue.Open(), QueueOpenError::kNameTaken);
    const uint8_t byte = 0x80;
    EXPECT_FALSE(queue.Write(&byte, 1));

    // Once the other program lets go, the name is ours.
    holder.Release();
    ByteQueue later;
    EXPECT_EQ(later.Open(), QueueOpenError::kNone);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ByteQueueNameTaken,
                         testing::Values(HolderPipeKind::kLikeTheEngine,
                                         HolderPipeKind::kManyInstances,
                                         HolderPipeKind::kOutboundOnly,
                                         HolderPipeKind::kInboundMany));

}  // namespace
