// Controllers that the program refuses, and one that never answers: the texts the window shows,
// what the controller received, and that the window stays unconnected.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "driver/wait.h"
#include "e2e_fixture.h"
#include "main_window_ids.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Refusal {
    const char* name;
    int com;
    const char* status;
    const char* firmware;
    std::vector<std::string> frames;
    bool lineClosed;  // the program closes the port itself
};

void PrintTo(const Refusal& r, std::ostream* out) {
    *out << r.name;
}

class RefusalTest : public E2eTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, ShowsTheRefusalAndKeepsTheControlsDisabled) {
    const Refusal& r = GetParam();
    ASSERT_NO_FATAL_FAILURE(Launch());
    const SimTrace trace = Trace(r.com);
    const size_t mark = trace.Mark();

    const std::vector<std::string> seen = Connect(r.com);

    EXPECT_EQ(seen.back(), r.status) << trace.Dump();
    EXPECT_EQ(main_.Text(id::kFirmware), r.firmware);
    EXPECT_EQ(trace.WaitForFrames(mark, r.frames.size(), 2000, 500), r.frames);
    EXPECT_EQ(trace.WaitForNote(mark, "host closed the line", r.lineClosed ? 3000 : 1000),
              r.lineClosed)
        << trace.Dump();
    ExpectDisconnectedControls();

    // Disconnect closes a port that is still open; one that the refusal closed is reported as
    // not connected.
    const size_t beforeDisconnect = trace.Mark();
    ASSERT_TRUE(main_.Click(id::kDisconnect));
    const char* closed = r.lineClosed ? "Error: Not connected yet" : "Connection closed";
    std::string status;
    EXPECT_TRUE(main_.WaitForText(id::kStatus, closed, 3000, &status)) << status;
    ExpectDisconnectedControls();
    if (!r.lineClosed) {
        EXPECT_TRUE(trace.WaitForNote(beforeDisconnect, "host closed the line", 3000));
    }
    EXPECT_THAT(trace.HostFramesSince(beforeDisconnect), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Controllers, RefusalTest,
    ::testing::Values(
        // Firmware 1.0.0.9 on hardware type 1 is below level 6.
        Refusal{"OldFirmware",
                port::kOldFirmware,
                kFirmwareTooOld,
                "Firmware version: 1.0.0.9",
                {"AA 01 01", "AA 01 03", "AA 01 02"},
                true},
        // Hardware type 2 in the version reply.
        Refusal{"IncompatibleDevice",
                port::kIncompatible,
                "Error: Cannot connect: Incompatible device",
                "",
                {"AA 01 01"},
                true},
        // The short version reply 1.1: refused before any firmware is read, the port stays open.
        Refusal{"ShortVersionReply",
                port::kOldVersion,
                kFirmwareTooOld,
                "Firmware version: 0.0.0.0",
                {"AA 01 01"},
                false}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(E2eTest, AControllerThatNeverAnswersTimesOutAfterAboutEightSeconds) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    const SimTrace trace = Trace(port::kSilent);
    const size_t mark = trace.Mark();

    const uint64_t start = NowMs();
    const std::vector<std::string> seen = Connect(port::kSilent, true, 20000);
    const uint64_t elapsedMs = NowMs() - start;

    EXPECT_EQ(seen.back(), "Error: Cannot connect: Timeout error");
    // 32 ticks of 250 ms; ticks that queue up during the half-second pause before the first
    // query count too.
    EXPECT_GE(elapsedMs, 7500u);
    EXPECT_LE(elapsedMs, 10500u);
    std::printf("time-out shown %llu ms after Connect\n",
                static_cast<unsigned long long>(elapsedMs));
    EXPECT_THAT(trace.WaitForFrames(mark, 1, 1000, 300), ElementsAre("AA 01 01"));
    EXPECT_TRUE(trace.WaitForNote(mark, "host closed the line", 3000));
    ExpectDisconnectedControls();
    EXPECT_EQ(main_.Text(id::kFirmware), "");
}

}  // namespace
}  // namespace e2e
