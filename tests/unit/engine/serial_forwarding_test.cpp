#include <gtest/gtest.h>

#include <vector>

#include "engine/serial_link.h"

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;

struct RecordingQueue : QueueWriter {
    std::vector<Bytes> messages;
    void WriteMessage(const uint8_t* bytes, size_t count) override {
        messages.emplace_back(bytes, bytes + count);
    }
};

TEST(SerialForwarding, AHundredBytesBecomeThreeFullMessagesAndOneOfSeven) {
    Bytes received(100);
    for (size_t i = 0; i < received.size(); ++i) {
        received[i] = static_cast<uint8_t>(i * 7);
    }
    RecordingQueue queue;
    ForwardSerialBytes(queue, received.data(), received.size());
    ASSERT_EQ(queue.messages.size(), 4u);
    const uint8_t headers[] = {0xDF, 0xDF, 0xDF, 0xC7};
    Bytes joined;
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(queue.messages[i][0], headers[i]);
        joined.insert(joined.end(), queue.messages[i].begin() + 1, queue.messages[i].end());
    }
    EXPECT_EQ(joined, received);
}

TEST(SerialForwarding, OneByteBecomesC1AndNothingBecomesNothing) {
    RecordingQueue queue;
    const uint8_t one = 0x55;
    ForwardSerialBytes(queue, &one, 1);
    ForwardSerialBytes(queue, &one, 0);
    EXPECT_EQ(queue.messages, (std::vector<Bytes>{{0xC1, 0x55}}));
}

}  // namespace
