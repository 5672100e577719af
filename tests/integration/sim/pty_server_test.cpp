// The in-process server on a real pseudo-terminal, talked to like a serial port.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "host_port.h"
#include "sim/pty_server.h"

using dxsim::PtyServer;
using dxsim::ServerOptions;
using namespace dxsim_test;

namespace {

const Bytes kReadVersion = {0xAA, 0x01, 0x01};
const Bytes kDx5Version = {0x55, 0x05, 0x01, 0x0C, 0x00, 0x01, 0x00};

std::string TempLink(const char* name) {
    return std::string(testing::TempDir()) + "dxsim-" + std::to_string(getpid()) + "-" + name;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const int64_t end = NowMs() + timeoutMs;
    while (!done()) {
        if (NowMs() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

ServerOptions Options(const char* profile) {
    ServerOptions o;
    o.profile = *dxsim::FindProfile(profile);
    return o;
}

TEST(PtyServer, HostReadsEveryHandshakeReplyThroughTheLink) {
    ServerOptions o = Options("dx5");
    o.linkPath = TempLink("handshake");
    PtyServer server(o);
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    char target[256] = {};
    ASSERT_GT(readlink(o.linkPath.c_str(), target, sizeof(target) - 1), 0);
    EXPECT_EQ(server.SlavePath(), target);

    HostPort host;
    ASSERT_TRUE(host.Open(o.linkPath, B115200));
    EXPECT_EQ(host.Exchange(kReadVersion, 7), kDx5Version);
    const struct {
        Bytes frame;
        size_t length;
    } reads[] = {{{0xAA, 0x01, 0x03}, 4},
                 {{0xAA, 0x01, 0x02}, 7},
                 {{0xAA, 0x01, 0x14}, 31},
                 {{0xAA, 0x01, 0x15}, 60},
                 {{0xAA, 0x01, 0x3D}, 7},
                 {{0xAA, 0x01, 0x64}, 12},
                 {{0xAA, 0x03, 0x2B, 0x00, 0x00}, 7}};
    for (const auto& r : reads) {
        const Bytes reply = host.Exchange(r.frame, r.length);
        ASSERT_EQ(reply.size(), r.length);
        EXPECT_EQ(reply[0], 0x55);
        EXPECT_EQ(reply[1], r.length - 2);
    }
    EXPECT_TRUE(host.Read(1, 100).empty()) << "nothing more than asked for";
    EXPECT_EQ(server.FramesReceived(0x01), 1u);
    EXPECT_EQ(server.GetCounters().frames, 8u);
    EXPECT_EQ(server.LineBaud(), 115200u);
    EXPECT_EQ(server.Frames().back().bytes, (Bytes{0xAA, 0x03, 0x2B, 0x00, 0x00}));

    server.Stop();
    EXPECT_FALSE(Exists(o.linkPath)) << "link removed at stop";
    EXPECT_TRUE(host.WaitHangup(1000));
}

TEST(PtyServer, EveryByteValuePassesUnchanged) {
    PtyServer server(Options("dx5"));
    ASSERT_TRUE(server.Start());
    HostPort host;
    ASSERT_TRUE(host.Open(server.SlavePath(), B115200));
    // Geo with every awkward byte: XON 11, XOFF 13, CR 0D, NUL, 7F, FF.
    const Bytes setGeo = {0xAA, 0x0B, 0x65, 0x01, 0x11, 0x13, 0x0D,
                          0x00, 0x0A, 0x7F, 0xFF, 0x03, 0x01};
    EXPECT_EQ(host.Exchange(setGeo, 2), (Bytes{0x55, 0x00}));
    const Bytes geo = host.Exchange({0xAA, 0x01, 0x64}, 12);
    EXPECT_EQ(geo, (Bytes{0x55, 0x0A, 0x64, 0x11, 0x13, 0x0D, 0x00, 0x0A, 0x7F, 0xFF, 0x03, 0x01}));
}

TEST(PtyServer, WrongRateGetsNoiseAndTheRightRateWorks) {
    PtyServer dx3(Options("dx3"));
    ASSERT_TRUE(dx3.Start());
    HostPort host;
    ASSERT_TRUE(host.Open(dx3.SlavePath(), B115200));
    const Bytes noise = host.Exchange(kReadVersion, 64, 400);
    EXPECT_FALSE(noise.empty());
    EXPECT_EQ(std::count(noise.begin(), noise.end(), 0x55), 0);
    EXPECT_EQ(dx3.GetCounters().noiseBursts, 1u);

    ASSERT_TRUE(host.Open(dx3.SlavePath(), B9600));
    const Bytes reply = host.Exchange(kReadVersion, 7);
    EXPECT_EQ(reply, (Bytes{0x55, 0x05, 0x01, 0x0A, 0x00, 0x01, 0x00}));
    EXPECT_EQ(dx3.LineBaud(), 9600u);
}

TEST(PtyServer, HostThatNeverSetsARateIsAnswered) {
    PtyServer server(Options("dx3"));
    ASSERT_TRUE(server.Start());
    HostPort host;
    ASSERT_TRUE(host.Open(server.SlavePath(), 0));
    EXPECT_EQ(host.Exchange(kReadVersion, 7).size(), 7u);
    EXPECT_EQ(server.LineBaud(), 0u);
}

TEST(PtyServer, FaultsSwitchAtRunTime) {
    PtyServer server(Options("dx5"));
    ASSERT_TRUE(server.Start());
    HostPort host;
    ASSERT_TRUE(host.Open(server.SlavePath(), B115200));

    dxsim::Faults f;
    f.noReplyTo.set(0x01);
    server.SetFaults(f);
    EXPECT_TRUE(host.Exchange(kReadVersion, 1, 300).empty());
    EXPECT_EQ(host.Exchange({0xAA, 0x01, 0x02}, 7).size(), 7u);

    f = dxsim::Faults();
    f.splitReplies = true;
    f.splitGapMs = 40;
    f.replyDelayMs = 100;
    server.SetFaults(f);
    std::vector<int64_t> arrivals;
    const int64_t sent = NowMs();
    host.Send(kReadVersion);
    EXPECT_EQ(host.Read(7, 2000, &arrivals), kDx5Version);
    ASSERT_FALSE(arrivals.empty());
    EXPECT_GE(arrivals.front() - sent, 90) << "delayed";
    // Bytes cannot leave before their time, so the spread has a floor; a slow reader may
    // still get a few of them together.
    EXPECT_GE(arrivals.size(), 3u) << "arrived in pieces";
    EXPECT_GE(arrivals.back() - arrivals.front(), 6 * 40 - 10);

    f = dxsim::Faults();
    f.garbageBytes = 5;
    f.oversizeBytes = 1;
    server.SetFaults(f);
    const Bytes r = host.Exchange(kReadVersion, 5 + 8);
    ASSERT_EQ(r.size(), 13u);
    EXPECT_EQ(r[5], 0x55);
    EXPECT_EQ(r[6], 6);
}

// A controller slow to take in a long burst must not count its own slowness as a pause on the
// line: the rest of a frame that the burst's end split off arrives well within the inter-byte
// time-out, even though the burst took far longer than that to take in.
TEST(PtyServer, SlowIntakeOfABurstDoesNotTimeOutTheFrameItSplit) {
    class SlowSink : public dxsim::TraceSink {
      public:
        void HostBytes(const uint8_t*, size_t, const std::string&) override {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        void DeviceBytes(const uint8_t*, size_t, const std::string&) override {}
        void Note(const std::string&) override {}
    } sink;
    ServerOptions o = Options("dx5");
    o.trace = &sink;
    PtyServer server(o);
    ASSERT_TRUE(server.Start());
    HostPort host;
    ASSERT_TRUE(host.Open(server.SlavePath(), B115200));
    const Bytes tracking = {0xAA, 0x03, 0x24, 0x00, 0x01};
    constexpr uint32_t kBurstFrames = 400;  // several reads, well over the time-out to take in
    Bytes burst;
    for (uint32_t i = 0; i < kBurstFrames; ++i) {
        burst.insert(burst.end(), tracking.begin(), tracking.end());
    }
    burst.insert(burst.end(), tracking.begin(), tracking.begin() + 2);
    ASSERT_TRUE(host.Send(burst));
    ASSERT_TRUE(server.WaitForFrames(0x24, kBurstFrames, 10000));
    ASSERT_TRUE(host.Send(Bytes(tracking.begin() + 2, tracking.end())));
    EXPECT_TRUE(server.WaitForFrames(0x24, kBurstFrames + 1, 2000));
    EXPECT_EQ(server.GetCounters().droppedBytes, 0u);
}

TEST(PtyServer, RepliesForAHostThatLeftAreNotGivenToTheNextOne) {
    ServerOptions o = Options("dx5");
    o.faults.replyDelayMs = 300;
    PtyServer server(o);
    ASSERT_TRUE(server.Start());
    {
        HostPort first;
        ASSERT_TRUE(first.Open(server.SlavePath(), B115200));
        first.Send(kReadVersion);
        ASSERT_TRUE(server.WaitForFrames(0x01, 1, 2000));
    }
    ASSERT_TRUE(WaitUntil([&] { return server.HostHangups() == 1; }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    HostPort second;
    ASSERT_TRUE(second.Open(server.SlavePath(), B115200));
    EXPECT_TRUE(second.Read(1, 300).empty());
    dxsim::Faults none;
    server.SetFaults(none);
    EXPECT_EQ(second.Exchange(kReadVersion, 7), kDx5Version);
}

TEST(PtyServer, CablePulledClosesTheLineAndReplugOpensANewOne) {
    ServerOptions o = Options("rv5");
    o.linkPath = TempLink("replug");
    std::vector<std::string> opened;
    std::mutex openedLock;
    o.onLineOpened = [&](const std::string& p) {
        std::lock_guard<std::mutex> lock(openedLock);
        opened.push_back(p);
    };
    PtyServer server(o);
    ASSERT_TRUE(server.Start());
    HostPort host;
    ASSERT_TRUE(host.Open(o.linkPath, B115200));
    ASSERT_EQ(host.Exchange(kReadVersion, 7).size(), 7u);

    server.PullCable(200);
    EXPECT_TRUE(host.WaitHangup(1000)) << "the host sees the line end";
    EXPECT_FALSE(server.LineOpen());
    EXPECT_FALSE(Exists(o.linkPath));
    EXPECT_TRUE(server.SlavePath().empty());
    EXPECT_EQ(server.CablePulls(), 1u);

    ASSERT_TRUE(WaitUntil([&] { return Exists(o.linkPath); }, 2000)) << "re-plugged";
    HostPort again;
    ASSERT_TRUE(again.Open(o.linkPath, B115200));
    EXPECT_EQ(again.Exchange(kReadVersion, 7), (Bytes{0x55, 0x05, 0x01, 0x07, 0x00, 0x05, 0x00}));
    std::lock_guard<std::mutex> lock(openedLock);
    EXPECT_EQ(opened.size(), 2u);
}

TEST(PtyServer, CablePulledAfterTheConfiguredTime) {
    ServerOptions o = Options("dx5");
    o.pullAfterMs = 300;
    PtyServer server(o);
    ASSERT_TRUE(server.Start());
    HostPort host;
    ASSERT_TRUE(host.Open(server.SlavePath(), B115200));
    EXPECT_EQ(host.Exchange(kReadVersion, 7).size(), 7u);
    const int64_t start = NowMs();
    EXPECT_TRUE(host.WaitHangup(3000));
    EXPECT_LE(NowMs() - start, 2500);
    EXPECT_FALSE(server.LineOpen());
}

TEST(PtyServer, StateSurvivesAReplugAndTheModelIsReachable) {
    PtyServer server(Options("dx5"));
    ASSERT_TRUE(server.Start());
    HostPort host;
    ASSERT_TRUE(host.Open(server.SlavePath(), B115200));
    host.Send({0xAA, 0x05, 0x33, 0x00, 0x80, 0x20, 0x03});
    host.Send({0xAA, 0x03, 0x24, 0x00, 0x01});
    ASSERT_TRUE(server.WaitForFrames(0x24, 1, 2000));
    server.PullCable();
    EXPECT_FALSE(server.LineOpen());
    ASSERT_TRUE(server.Replug());
    EXPECT_TRUE(server.LineOpen()) << "open as soon as Replug returns";
    HostPort again;
    ASSERT_TRUE(again.Open(server.SlavePath(), B115200));
    EXPECT_EQ(again.Exchange(kReadVersion, 7), kDx5Version);
    EXPECT_EQ(server.GetSettings().ra.current[0], 800);
    bool tracking = false;
    server.WithModel(
        [&](dxsim::ControllerModel& m, int64_t now) { tracking = m.MountAt(now).Tracking(); });
    EXPECT_TRUE(tracking) << "a pulled cable does not switch the controller off";
}

TEST(PtyServer, LinkRefusesToReplaceARegularFile) {
    ServerOptions o = Options("dx5");
    o.linkPath = TempLink("regular");
    FILE* f = fopen(o.linkPath.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    PtyServer server(o);
    std::string error;
    EXPECT_FALSE(server.Start(&error));
    EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
    unlink(o.linkPath.c_str());
}

}  // namespace
