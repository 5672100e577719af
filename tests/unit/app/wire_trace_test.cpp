// The trace's view of the line: frames named, replies cut as the engine cuts them and named
// after the command that awaited them, everything else shown as noise.
#include "app/wire_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

struct Step {
    bool sent;  // a frame written, else bytes received
    Bytes bytes;
    Lines expected;  // for a frame, its one line
};

const struct {
    const char* name;
    std::vector<Step> steps;
} kCases[] = {
    {"a reply split over reads, with noise in front, answers the query",
     {{true, {0xAA, 0x01, 0x01}, {"frame AA 01 01  READ_VERSION"}},
      {false, {0x00, 0xFF, 0x55, 0x05}, {"noise 00 FF  (not a reply)"}},
      {false, {0x01, 0x0C}, {}},
      {false,
       {0x00, 0x01, 0x00, 0x13},
       {"reply 55 05 01 0C 00 01 00  to READ_VERSION", "noise 13  (not a reply)"}}}},
    {"a command that awaits nothing leaves a stray acknowledgement unclaimed",
     {{true, {0xAA, 0x03, 0x24, 0x00, 0x01}, {"frame AA 03 24 00 01  TRACKING"}},
      {false, {0x55, 0x00}, {"reply 55 00  (no answer awaited)"}}}},
    {"a newer exchange takes the next reply, and only one",
     {{true, {0xAA, 0x02, 0x0D, 0x01}, {"frame AA 02 0D 01  STORE_SETTINGS"}},
      {true, {0xAA, 0x03, 0x2B, 0x00, 0x00}, {"frame AA 03 2B 00 00  READ_VOLTAGE"}},
      {false,
       {0x55, 0x02, 0xB0, 0x04, 0x55, 0x00},
       {"reply 55 02 B0 04  to READ_VOLTAGE", "reply 55 00  (no answer awaited)"}}}},
    {"an unknown command byte is shown by its value",
     {{true, {0xAA, 0x01, 0x7E}, {"frame AA 01 7E  command 0x7E"}}}},
};

TEST(WireTrace, FramesAndRepliesAreNamedAndCut) {
    for (const auto& c : kCases) {
        WireTrace trace;
        for (const Step& step : c.steps) {
            const Lines got = step.sent ? Lines{trace.Frame(step.bytes.data(), step.bytes.size(),
                                                            WriteOutcome::kWritten)}
                                        : trace.Received(step.bytes.data(), step.bytes.size());
            EXPECT_EQ(got, step.expected) << c.name;
        }
        EXPECT_EQ(trace.CutOff(), "") << c.name;
    }
}

TEST(WireTrace, AReplyCutOffByTheCloseIsShownAndForgotten) {
    WireTrace trace;
    const Bytes query = {0xAA, 0x01, 0x14};
    trace.Frame(query.data(), query.size(), WriteOutcome::kWritten);
    const Bytes part = {0x55, 0x1D, 0x14, 0x01};
    EXPECT_TRUE(trace.Received(part.data(), part.size()).empty());
    EXPECT_EQ(trace.CutOff(), "reply 55 1D 14 01  cut off after 2 of 29 payload bytes");
    EXPECT_EQ(trace.CutOff(), "");
    trace.Reset();
    const Bytes ack = {0x55, 0x00};
    EXPECT_EQ(trace.Received(ack.data(), ack.size()), Lines{"reply 55 00  (no answer awaited)"});
}

TEST(WireTrace, AWriteThatDidNotCompleteSaysSo) {
    WireTrace trace;
    const Bytes frame = {0xAA, 0x02, 0x0C, 0x01};
    EXPECT_EQ(trace.Frame(frame.data(), frame.size(), WriteOutcome::kTimedOut),
              "frame AA 02 0C 01  RELOAD_DEFAULTS  (the write timed out: the line took only part "
              "of it or none)");
    EXPECT_EQ(trace.Frame(frame.data(), frame.size(), WriteOutcome::kFailed),
              "frame AA 02 0C 01  RELOAD_DEFAULTS  (the write failed: the port is gone)");
}

}  // namespace
