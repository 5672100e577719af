#include <gtest/gtest.h>

#include <vector>

#include "engine/reassembler.h"

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;

class Collector : public QueueMessageHandler {
  public:
    std::vector<Bytes> messages;
    void OnQueueMessage(const uint8_t* message) override {
        const size_t n = message[0] & 0x1F;
        messages.emplace_back(message, message + 1 + (n == 0 ? 1 : n));
    }
};

std::vector<Bytes> Reassemble(const Bytes& stream, size_t chunk = 1000) {
    Collector collector;
    Reassembler reassembler(collector);
    for (size_t i = 0; i < stream.size(); i += chunk) {
        const size_t n = std::min(chunk, stream.size() - i);
        reassembler.Feed(stream.data() + i, n);
    }
    return collector.messages;
}

TEST(Reassembler, CutsTheStreamIntoMessagesWhateverTheReadBoundaries) {
    const Bytes stream = {0x86, 3, 5, 0, 0xC2, 1, 0, 0xA0, 0x00, 0xC2, 0x55, 0x00, 0x81, 0x04};
    const std::vector<Bytes> expected = {
        {0x86, 3, 5, 0, 0xC2, 1, 0}, {0xA0, 0x00}, {0xC2, 0x55, 0x00}, {0x81, 0x04}};
    for (size_t chunk : {1u, 2u, 3u, 7u, 20u}) {
        EXPECT_EQ(Reassemble(stream, chunk), expected) << "chunk " << chunk;
    }
}

TEST(Reassembler, DropsBytesWithBitSevenClearWhileWaitingForAHeader) {
    EXPECT_EQ(Reassemble({0x00, 0x7F, 0x13, 0x82, 0x07, 0x01}), (std::vector<Bytes>{{0x82, 7, 1}}));
}

TEST(Reassembler, HighBytesInsideAMessageArePayload) {
    EXPECT_EQ(Reassemble({0xC3, 0xAA, 0x80, 0xFF, 0xA0, 0x00}),
              (std::vector<Bytes>{{0xC3, 0xAA, 0x80, 0xFF}, {0xA0, 0x00}}));
}

TEST(Reassembler, AHeaderWithoutPayloadSwallowsTheNextByte) {
    // 0x80 announces no payload but is followed by one byte: 0x81 here is eaten, not a header.
    EXPECT_EQ(Reassemble({0x80, 0x81, 0x82, 0x07, 0x00}),
              (std::vector<Bytes>{{0x80, 0x81}, {0x82, 0x07, 0x00}}));
}

TEST(Reassembler, TheLongestMessageFitsItsBuffer) {
    Bytes stream = {0xDF};
    for (int i = 0; i < 31; ++i) {
        stream.push_back(static_cast<uint8_t>(0xE0 + i % 16));
    }
    stream.push_back(0xA0);
    stream.push_back(0);
    const auto messages = Reassemble(stream, 5);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], Bytes(stream.begin(), stream.begin() + 32));
}

}  // namespace
