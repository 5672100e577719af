// Faults of the line and of the user's connection requests, against the real engine and
// dxsim: the cable pulled at awkward moments, the device coming back, Connect and Disconnect
// at the wrong time, refused controllers, and closing the program while connected.
#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "core/status_codes.h"
#include "fault_report.h"
#include "support/engine_harness.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;
using Event = RecordingListener::Event;

double ProcessCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

int ThreadCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(dir)) {
            count += entry->d_name[0] != '.';
        }
        closedir(dir);
    }
    return count;
}

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A joined thread may still be listed for a moment while the kernel finishes its exit.
int ThreadCountOnceSettledAt(int expected) {
    int count = ThreadCount();
    for (int waited = 0; count != expected && waited < 2000; waited += 10) {
        SleepMs(10);
        count = ThreadCount();
    }
    return count;
}

// Re-plugs the cable and waits until the simulator's new line is in place.
bool ReplugAndWait(dxsim::PtyServer& sim) {
    sim.Replug();
    for (int waited = 0; waited < 3000; waited += 10) {
        if (sim.LineOpen()) {
            return true;
        }
        SleepMs(10);
    }
    return false;
}

// The cable goes while the axis-settings reply is coming in one byte at a time.
TEST(PulledCable, InTheMiddleOfAReplyClosesTheConnectionAndAReconnectReadsEverything) {
    dxsim::Faults split;
    split.splitReplies = true;
    split.splitGapMs = 15;  // the 60-byte axis reply takes about 0.9 s
    EngineHarness harness("dx5", split);
    harness.TickEvery(kFastTickMs);
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x15, 1, 10000));
    SleepMs(300);  // about 20 bytes of the reply have arrived
    harness.Sim().PullCable();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnectionClosed, 3000));
    SleepMs(300);
    EXPECT_EQ(CountSettings(harness.Listener(), kSettingsConnected), 0);
    EXPECT_EQ(CountStatus(harness.Listener(), kStatusTimeout), 0);
    // The window shows the connection closed: requests are refused.
    harness.Engine().StoreSettings();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusNotConnectedYet, 3000));

    // The device returns; the half reply left nothing behind.
    ASSERT_TRUE(ReplugAndWait(harness.Sim()));
    harness.Sim().SetFaults({});
    harness.Listener().Clear();
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    const auto events = harness.Listener().Events();
    EXPECT_EQ(events.back().settings.raGearRatio, harness.Sim().GetSettings().ra.gearRatio);
    EXPECT_EQ(events.back().settings.latitude, harness.Sim().GetSettings().latitude);
    ReportFault("cable-pulled-mid-reply",
                "\"Connection closed\", controls disabled, no settings from the half reply; "
                "after re-plugging, Connect reads every setting");
}

// Pulled while connected and idle, without ticks: the serial reader alone notices. Nothing
// spins afterwards, a Connect while the device is gone says the port cannot be opened, and
// once it is back Connect works.
TEST(PulledCable, WhileIdleTheProcessStaysQuietAndTheReturningDeviceConnects) {
    EngineHarness harness("dx5");
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    harness.TickEvery(1000);  // slow ticks: the CPU figure below is the engine's alone
    SleepMs(200);
    const double idleStart = ProcessCpuMs();
    SleepMs(1000);
    const double idleMs = ProcessCpuMs() - idleStart;

    harness.Listener().Clear();
    const auto pulled = Clock::now();
    harness.Sim().PullCable();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnectionClosed, 3000));
    const long long noticedMs = MsSince(pulled);
    const double before = ProcessCpuMs();
    SleepMs(3000);
    const double usedMs = ProcessCpuMs() - before;
    std::printf(
        "[ figure ] cable pulled while idle: closed after %lld ms; CPU %.1f ms over the next "
        "3 s (idle and connected: %.1f ms per s)\n",
        noticedMs, usedMs, idleMs);
    // A spinning thread would use the whole 3000 ms.
    EXPECT_LT(usedMs, 150.0);
    EXPECT_EQ(harness.Listener().Statuses(), (std::vector<int32_t>{kStatusConnectionClosed}));

    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusCannotOpenPort, 3000));

    ASSERT_TRUE(ReplugAndWait(harness.Sim()));
    harness.Listener().Clear();
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    ReportFault("cable-pulled-while-idle",
                "\"Connection closed\" after " + std::to_string(noticedMs) +
                    " ms, CPU use stays flat; Connect without the device: \"Error: Cannot open "
                    "port.\"; with it back: connected");
}

// The device comes back by itself while the program still shows the connection closed.
TEST(PulledCable, ADeviceThatReturnsByItselfIsUsedByTheNextConnect) {
    EngineHarness harness("rv5");
    harness.TickEvery(kFastTickMs);
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    harness.Sim().PullCable(300);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnectionClosed, 3000));
    SleepMs(600);
    ASSERT_TRUE(harness.Sim().LineOpen());
    harness.Listener().Clear();
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    harness.Engine().DefinePark();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusParkDefined, 3000));
    ReportFault("device-returns", "\"Connection closed\", then Connect works as before");
}

// A second Connect while the first is still in its handshake: "Already connected", and the
// handshake goes on undisturbed.
TEST(ConnectTwice, DuringTheHandshakeReportsAlreadyConnectedAndTheHandshakeCompletes) {
    EngineHarness harness("dx5");
    harness.TickEvery(kFastTickMs);
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x02, 1, 5000));  // firmware query: mid-handshake
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Listener().WaitForSettings(kSettingsConnected, 10000));
    SleepMs(200);
    EXPECT_EQ(
        harness.Listener().Statuses(),
        (std::vector<int32_t>{kStatusOpeningPort, kStatusConnecting, kStatusAlreadyConnected}));
    EXPECT_EQ(CountSettings(harness.Listener(), kSettingsConnected), 1);
    EXPECT_EQ(harness.Sim().FramesReceived(0x01), 1u);  // one version query: no second start
    ReportFault("connect-twice-during-handshake",
                "\"Error: Already connected\", then \"Connection established.\" once");
}

// Disconnect while the handshake waits for the axis settings: the connection closes at once,
// nothing more is sent, the handshake's time-out never fires later, and Connect starts anew.
TEST(DisconnectDuringHandshake, InALaterStepClosesQuietlyAndNoTimeOutFollows) {
    dxsim::Faults faults;
    faults.noReplyTo.set(0x15);  // the axis settings are never answered
    EngineHarness harness("dx5", faults);
    harness.TickEvery(kFastTickMs);
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Sim().WaitForFrames(0x15, 1, 10000));
    harness.Engine().Disconnect();
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnectionClosed, 3000));
    const uint64_t frames = harness.Sim().GetCounters().frames;
    SleepMs(40 * kFastTickMs);  // more than the 32-tick time-out
    EXPECT_EQ(harness.Sim().GetCounters().frames, frames);
    EXPECT_EQ(
        harness.Listener().Statuses(),
        (std::vector<int32_t>{kStatusOpeningPort, kStatusConnecting, kStatusConnectionClosed}));
    EXPECT_EQ(CountSettings(harness.Listener(), kSettingsConnected), 0);

    harness.Sim().SetFaults({});
    harness.Listener().Clear();
    ASSERT_TRUE(harness.ConnectAndWait(115200));
    ReportFault("disconnect-during-handshake",
                "\"Connection closed\" at once, no time-out message later; Connect works again");
}

// Refused identities beyond the built-in refusal profiles: the firmware check's edges as the
// user meets them, and the link really closed afterwards (a new Connect opens the port again).
struct IdentityCase {
    const char* name;
    const char* profile;
    dxsim::Identity (*identity)(dxsim::Identity base);
    bool accepted;
    uint32_t refusedFirmware;  // the version the refusal shows
};

class ControllerIdentity : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(ControllerIdentity, IsAcceptedOrRefusedWithTheFirmwareShown) {
    const IdentityCase& c = GetParam();
    EngineHarness harness(c.profile);
    harness.Sim().WithModel([&c](dxsim::ControllerModel& model, int64_t) {
        model.SetIdentity(c.identity(model.identity()));
    });
    harness.TickEvery(kFastTickMs);
    harness.Engine().Connect(kSimPort, 115200);
    if (c.accepted) {
        ASSERT_TRUE(harness.Listener().WaitForSettings(kSettingsConnected, 10000));
        ReportFault(c.name, "connected");
        return;
    }
    ASSERT_TRUE(harness.Listener().WaitUntil(
        [](const std::vector<Event>& events) {
            return !events.empty() && events.back().kind == Event::kStatusValue;
        },
        10000));
    const Event refusal = harness.Listener().Events().back();
    EXPECT_EQ(refusal.code, kStatusFirmwareTooOld);
    EXPECT_EQ(refusal.value, c.refusedFirmware);
    EXPECT_EQ(harness.Sim().FramesReceived(0x14), 0u);  // no settings were read
    harness.Listener().Clear();
    harness.Engine().Connect(kSimPort, 115200);
    ASSERT_TRUE(harness.Listener().WaitForStatus(kStatusConnecting, 3000));
    EXPECT_EQ(CountStatus(harness.Listener(), kStatusAlreadyConnected), 0);
    ReportFault(c.name,
                "\"Error: The firmware in the device is too old...\" (version shown), "
                "the port is closed again");
}

dxsim::Identity Firmware(dxsim::Identity base, uint16_t hardware, uint32_t firmware) {
    base.hardwareType = hardware;
    base.firmware = firmware;
    return base;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ControllerIdentity,
    ::testing::Values(
        // 1.2 in the short form passes the version step; without a hardware type the
        // firmware check refuses it.
        IdentityCase{"short-version-1.2", "dx5",
                     [](dxsim::Identity b) {
                         b.shortVersion = true;
                         b.shortMajor = 1;
                         b.shortMinor = 2;
                         return b;
                     },
                     false, 0x0100000Cu},
        IdentityCase{"rv5-firmware-1.0.0.4", "rv5",
                     [](dxsim::Identity b) { return Firmware(b, 5, 0x01000004u); }, false,
                     0x01000004u},
        IdentityCase{"rv5-firmware-1.0.0.5", "rv5",
                     [](dxsim::Identity b) { return Firmware(b, 5, 0x01000005u); }, true, 0},
        IdentityCase{"dx5-firmware-99.0.0.11", "dx5",
                     [](dxsim::Identity b) { return Firmware(b, 1, 0x6300000Bu); }, false,
                     0x6300000Bu},
        IdentityCase{"dx5-firmware-99.0.0.12", "dx5",
                     [](dxsim::Identity b) { return Firmware(b, 1, 0x6300000Cu); }, true, 0},
        IdentityCase{"hardware-type-3", "dx5",
                     [](dxsim::Identity b) { return Firmware(b, 3, 0x0100000Cu); }, false,
                     0x0100000Cu}),
    [](const ::testing::TestParamInfo<IdentityCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            ch = (ch == '-' || ch == '.') ? '_' : ch;
        }
        return name;
    });

// Closing the program while connected and while a reply is still arriving: nothing is sent,
// the worker, the serial reader and every other thread of the engine end in bounded time.
TEST(ClosingWhileConnected, WithARereadInFlightSendsNothingAndEveryThreadEnds) {
    const int threadsBefore = ThreadCount();
    {
        dxsim::Faults slow;
        slow.splitReplies = true;
        slow.splitGapMs = 10;
        EngineHarness harness("rv5");
        harness.TickEvery(kFastTickMs);
        ASSERT_TRUE(harness.ConnectAndWait(115200));
        EXPECT_EQ(ThreadCount(), threadsBefore + 4);  // worker, reader, ticker, simulator
        harness.Sim().SetFaults(slow);
        harness.Engine().ReloadDefaults();
        ASSERT_TRUE(harness.Sim().WaitForFrames(0x14, 2, 3000));
        SleepMs(100);  // the base-settings reply is on its way, byte by byte
        const uint64_t frames = harness.Sim().GetCounters().frames;
        const auto start = Clock::now();
        ASSERT_TRUE(harness.Engine().Stop());
        const long long stopMs = MsSince(start);
        EXPECT_EQ(ThreadCountOnceSettledAt(threadsBefore + 2),
                  threadsBefore + 2);  // the ticker and the simulator remain
        SleepMs(500);
        EXPECT_EQ(harness.Sim().GetCounters().frames, frames);
        EXPECT_EQ(harness.Sim().HostHangups(), 1u);
        EXPECT_EQ(CountSettings(harness.Listener(), kSettingsReloaded), 0);
        EXPECT_LT(stopMs, 1000);
        ReportFault("closing-while-connected",
                    "the program ends in " + std::to_string(stopMs) +
                        " ms, nothing is sent to the controller, no thread is left");
    }
    EXPECT_EQ(ThreadCountOnceSettledAt(threadsBefore), threadsBefore);
}

}  // namespace
