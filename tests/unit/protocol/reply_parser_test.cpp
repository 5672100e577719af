#include "link/reply_parser.h"

#include <gtest/gtest.h>

#include "protocol_fakes.h"

using namespace axistune;

namespace {

// Feeds the bytes; the buffer positions at which a reply completed.
std::vector<size_t> FeedAll(ReplyParser& parser, const Bytes& bytes) {
    std::vector<size_t> completed;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (parser.Feed(bytes[i])) {
            completed.push_back(i);
        }
    }
    return completed;
}

TEST(ReplyParser, LeadingGarbageIsDroppedAndAnEmptyReplyCompletesAtItsLength) {
    ReplyParser parser;
    EXPECT_EQ(FeedAll(parser, {0x00, 0x13, 0x55, 0x00}), std::vector<size_t>{3});
    EXPECT_EQ(parser.ParseState(), ReplyParser::kHunting);
    EXPECT_EQ(parser.Expected(), 0);
    EXPECT_EQ(parser.WriteIndex(), 2);
    EXPECT_EQ(parser.Reply().PayloadLength(), 0);
    EXPECT_EQ(parser.Reply().Byte(2), 0);
}

TEST(ReplyParser, ALengthByteOf0x55IsALengthNotAStart) {
    ReplyParser parser;
    Bytes reply{0x55, 0x55};
    reply.insert(reply.end(), size_t{0x55}, uint8_t{0x55});
    EXPECT_EQ(FeedAll(parser, reply), std::vector<size_t>{reply.size() - 1});
    EXPECT_EQ(parser.Received(), 0x55);
}

TEST(ReplyParser, RepliesBackToBackAreEachRecognised) {
    ReplyParser parser;
    EXPECT_EQ(FeedAll(parser, {0x55, 0x02, 0x10, 0x20, 0x55, 0x01, 0x30, 0x55, 0x00}),
              (std::vector<size_t>{3, 6, 8}));
}

TEST(ReplyParser, OversizePayloadIsCountedToItsEndButOnlyNinetyEightBytesAreStored) {
    ReplyParser parser;
    Bytes reply{0x55, 120};
    for (int i = 0; i < 120; ++i) {
        reply.push_back(static_cast<uint8_t>(i + 1));
    }
    reply.insert(reply.end(), {0x55, 0x01, 0x77});  // the next reply is still found
    EXPECT_EQ(FeedAll(parser, Bytes(reply.begin(), reply.begin() + 122)), std::vector<size_t>{121});
    EXPECT_EQ(parser.Received(), 120);
    EXPECT_EQ(parser.WriteIndex(), 100);
    const ReplyView view = parser.Reply();
    EXPECT_EQ(view.PayloadLength(), 120);
    EXPECT_EQ(view.Byte(2), 1);
    EXPECT_EQ(view.Byte(99), 98);  // the 98th payload byte, the last one kept
    EXPECT_EQ(view.Byte(100), 0);
    EXPECT_EQ(view.U16(99), 98);  // half inside, half beyond what was stored

    EXPECT_EQ(FeedAll(parser, Bytes(reply.begin() + 122, reply.end())), std::vector<size_t>{2});
    EXPECT_EQ(parser.Reply().Byte(2), 0x77);
}

TEST(ReplyParser, AShortReplyNeverShowsBytesOfAnEarlierLongerOne) {
    ReplyParser parser;
    FeedAll(parser, {0x55, 0x06, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    FeedAll(parser, {0x55, 0x02, 0xA1, 0xA2});
    const ReplyView view = parser.Reply();
    EXPECT_EQ(view.Byte(3), 0xA2);
    EXPECT_EQ(view.Byte(4), 0);
    EXPECT_EQ(view.U32(3), 0xA2u);
}

}  // namespace
