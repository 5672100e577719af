// Frames cut from the host's stream, and resynchronisation on what is not a frame.

#include <gtest/gtest.h>

#include "sim/frame_parser.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Collector {
    std::vector<Bytes> frames;
    Bytes dropped;
    dxsim::FrameParser parser{
        dxsim::FrameParser::Handler{[this](const Bytes& f) { frames.push_back(f); },
                                    [this](const Bytes& b, const char*) {
                                        dropped.insert(dropped.end(), b.begin(), b.end());
                                    }}};

    void Feed(const Bytes& b, int64_t now = 0) { parser.Feed(b.data(), b.size(), now); }
};

const Bytes kVersion = {0xAA, 0x01, 0x01};
const Bytes kStop = {0xAA, 0x03, 0x21, 0x00, 0xC0};

struct Resync {
    const char* what;
    Bytes stream;
    std::vector<Bytes> frames;
};

void PrintTo(const Resync& t, std::ostream* os) {
    *os << t.what;
}

class ParserResync : public ::testing::TestWithParam<Resync> {};

TEST_P(ParserResync, FindsTheRealFrames) {
    Collector c;
    c.Feed(GetParam().stream);
    EXPECT_EQ(c.frames, GetParam().frames) << GetParam().what;
    size_t frameBytes = 0;
    for (const Bytes& f : c.frames) {
        frameBytes += f.size();
    }
    EXPECT_EQ(c.dropped.size() + frameBytes, GetParam().stream.size()) << "every byte accounted";
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ParserResync,
    ::testing::Values(
        Resync{"leading junk", {0x00, 0x13, 0x55, 0xAA, 0x01, 0x01}, {kVersion}},
        Resync{"two frames back to back",
               {0xAA, 0x01, 0x01, 0xAA, 0x03, 0x21, 0x00, 0xC0},
               {kVersion, kStop}},
        Resync{"stray AA before a frame", {0xAA, 0xAA, 0x01, 0x01}, {kVersion}},
        Resync{"bogus length swallows nothing", {0xAA, 0x05, 0xAA, 0x01, 0x01}, {kVersion}},
        Resync{"zero length", {0xAA, 0x00, 0xAA, 0x01, 0x01}, {kVersion}},
        Resync{"unknown command", {0xAA, 0x01, 0x77, 0xAA, 0x01, 0x01}, {kVersion}},
        Resync{
            "wrong length for the command", {0xAA, 0x02, 0x01, 0x00, 0xAA, 0x01, 0x01}, {kVersion}},
        Resync{"wrong fixed byte", {0xAA, 0x03, 0x21, 0x01, 0xC0, 0xAA, 0x01, 0x01}, {kVersion}},
        Resync{"frame inside a broken frame",
               {0xAA, 0x03, 0x21, 0xAA, 0x03, 0x21, 0x00, 0xC0},
               {kStop}},
        Resync{"AA as an argument",
               {0xAA, 0x0B, 0x1A, 0x01, 0xC0, 0xAA, 0, 0, 0, 0xAA, 0, 0, 0},
               {{0xAA, 0x0B, 0x1A, 0x01, 0xC0, 0xAA, 0, 0, 0, 0xAA, 0, 0, 0}}}),
    [](const ::testing::TestParamInfo<Resync>& info) { return std::to_string(info.index); });

TEST(FrameParser, FrameSplitAcrossReadsIsReassembled) {
    Collector c;
    c.Feed({0xAA, 0x03}, 0);
    c.Feed({0x21}, 50);
    c.Feed({0x00, 0xC0}, 100);
    EXPECT_EQ(c.frames, std::vector<Bytes>{kStop});
    EXPECT_TRUE(c.dropped.empty());
}

TEST(FrameParser, StalledFrameIsDroppedAfterTheInterByteTimeout) {
    Collector c;
    c.Feed({0xAA, 0x03, 0x21}, 0);
    // The rest of that frame never comes; a new one starts much later.
    c.Feed({0xAA, 0x01, 0x01}, dxsim::FrameParser::kInterByteTimeoutMs + 1);
    EXPECT_EQ(c.frames, std::vector<Bytes>{kVersion});
    EXPECT_EQ(c.dropped, (Bytes{0xAA, 0x03, 0x21}));
}

TEST(FrameParser, ResetForgetsAPartialFrame) {
    Collector c;
    c.Feed({0xAA, 0x03, 0x21}, 0);
    c.parser.Reset();
    c.Feed({0x00, 0xC0, 0xAA, 0x01, 0x01}, 1);
    EXPECT_EQ(c.frames, std::vector<Bytes>{kVersion});
    EXPECT_TRUE(c.parser.Idle());
}

}  // namespace
