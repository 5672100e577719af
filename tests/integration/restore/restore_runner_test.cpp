// A window program's restore: RestoreRunner on a running Session (the heartbeat, the mailbox
// and the engine as the windows run them) against the simulated controller.
#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "app/restore_runner.h"
#include "app/session.h"
#include "app/settings_history.h"
#include "sim/commands.h"
#include "sim/pty_server.h"

using namespace axistune;

namespace {

constexpr uint8_t kPort = 7;

const char kChanges[] = R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
  "ra": {"acceleration": 112}, "gear": {"ra_ratio": 150000},
  "site": {"mount_type": "fork"}})";

std::string Scratch(const std::string& name) {
    static const std::string base = [] {
        std::string folder = "/tmp/axistune-restore-runner-" + std::to_string(::getpid());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        return folder;
    }();
    return base + "/" + name;
}

// The window's side: reports arrive through `wake`, are drained on this thread, never lost.
class Window {
  public:
    Window()
        : runner_([this] {
              {
                  std::lock_guard<std::mutex> guard(lock_);
                  ++wakes_;
              }
              woken_.notify_all();
          }) {}

    RestoreRunner& Runner() { return runner_; }

    // Drains until the result; false when none came within the bound. `cancelAt`: the step
    // at whose report the user cancels.
    bool WaitForResult(std::vector<RestoreReport>* reports, const std::string& cancelAt) {
        for (;;) {
            for (RestoreReport& report : runner_.Drain()) {
                if (!cancelAt.empty() && report.event.text == cancelAt) {
                    runner_.Cancel();
                }
                reports->push_back(std::move(report));
                if (reports->back().kind == RestoreReport::kFinished) {
                    return true;
                }
            }
            std::unique_lock<std::mutex> guard(lock_);
            if (!woken_.wait_for(guard, std::chrono::seconds(60), [&] { return wakes_ > 0; })) {
                return false;
            }
            wakes_ = 0;
        }
    }

  private:
    std::mutex lock_;
    std::condition_variable woken_;
    int wakes_ = 0;
    RestoreRunner runner_;
};

std::vector<std::string> Names(const std::vector<SettingId>& ids) {
    std::vector<std::string> names;
    for (SettingId id : ids) {
        names.push_back(QualifiedName(Setting(id)));
    }
    return names;
}

struct Case {
    const char* name;
    std::string file;
    uint8_t silentCommand;  // 0: the controller answers everything
    std::string cancelAt;   // the step at which the user cancels; empty: none
    std::string historyFolder;
    RestoreEnd end;
    std::vector<std::string> steps;
    std::vector<std::string> applied, unconfirmed, notApplied;
    std::string problem;  // the first, in part
};

TEST(RestoreRunner, AWindowRestoreReportsEveryStepAndTheResult) {
    const std::vector<std::string> allSteps = {"connecting and reading the settings",
                                               "saving a snapshot",
                                               "SetAcceleration(112, 96)",
                                               "SetGearRatios(150000, 144000)",
                                               "ApplyAdvanced(changed 0x08)",
                                               "connecting again to check every value"};
    const std::string blocked = Scratch("a-file");
    std::filesystem::create_directories(Scratch("history"));
    { std::ofstream(blocked) << "not a folder"; }
    const std::string history = Scratch("history");
    const auto first = [&allSteps](size_t n) {
        return std::vector<std::string>(allSteps.begin(), allSteps.begin() + n);
    };
    const uint8_t gear = dxsim::cmd::kSetGearRatios;
    const std::string otherType =
        R"({"format": "axistune-settings", "version": 1, "hardware_type": 3,
            "ra": {"acceleration": 112}})";
    const std::string laterVersion =
        R"({"format": "axistune-settings", "version": 9, "hardware_type": 1})";
    // clang-format off
    const std::vector<Case> cases = {
        {"restored", kChanges, 0, "", history, RestoreEnd::kRestored, allSteps,
         {"ra.acceleration", "gear.ra_ratio", "site.mount_type"}, {}, {}, ""},
        {"stops answering", kChanges, gear, "", history, RestoreEnd::kSendFailed, first(4),
         {"ra.acceleration"}, {"gear.ra_ratio"}, {"site.mount_type"},
         "SetGearRatios(150000, 144000): no answer from the controller within 5 s; the restore "
         "stopped"},
        {"cancelled", kChanges, gear, "SetGearRatios(150000, 144000)", history,
         RestoreEnd::kSendFailed, first(4),
         {"ra.acceleration"}, {"gear.ra_ratio"}, {"site.mount_type"},
         "SetGearRatios(150000, 144000): interrupted; the restore stopped"},
        {"another hardware type", otherType, 0, "", history, RestoreEnd::kUnsuitable, first(1),
         {}, {}, {},
         "hardware_type: the file was taken from hardware type 3, the controller is of type 1; "
         "nothing was sent"},
        {"later version", laterVersion, 0, "", history, RestoreEnd::kBadFile, {}, {}, {}, {},
         "version: format version 9 was written by a newer AxisTune"},
        {"no snapshot", kChanges, 0, "", blocked + "/history", RestoreEnd::kSnapshotFailed,
         first(2), {}, {}, {}, "snapshot: "},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dxsim::ServerOptions options;
        options.profile = *dxsim::FindProfile("dx5");
        options.linkPath = Scratch("line");
        options.faults.noReplyTo.set(c.silentCommand, c.silentCommand != 0);
        dxsim::PtyServer sim(options);
        ASSERT_TRUE(sim.Start());
        const dxsim::Settings untouched = sim.GetSettings();
        PortCatalogue ports;
        ports.Assign(kPort, options.linkPath);
        Session session(&ports);
        ASSERT_EQ(session.Start(), nullptr);
        std::shared_ptr<EngineClient> client = session.Client();
        ASSERT_NE(client, nullptr);
        ASSERT_TRUE(client->Connect(kPort, 115200, "COM7").Ok());

        const std::string path = Scratch("file.json");
        std::ofstream(path, std::ios::trunc) << c.file;
        Window window;
        WindowRestoreOrder order;
        order.path = path;
        order.port = kPort;
        order.baudRate = 115200;
        order.portName = "COM7";
        order.historyFolder = c.historyFolder;
        std::string error;
        ASSERT_TRUE(window.Runner().Start(client, order, &error)) << error;
        std::vector<RestoreReport> reports;
        ASSERT_TRUE(window.WaitForResult(&reports, c.cancelAt));
        EXPECT_FALSE(window.Runner().Running());

        std::vector<std::string> steps;
        for (const RestoreReport& report : reports) {
            if (report.kind == RestoreReport::kProgress &&
                report.event.kind == RestoreEvent::kStep) {
                steps.push_back(report.event.text);
            }
        }
        EXPECT_EQ(steps, c.steps);
        const RestoreResult& result = reports.back().result;
        EXPECT_EQ(result.end, c.end);
        EXPECT_EQ(Names(result.applied), c.applied);
        EXPECT_EQ(Names(result.unconfirmed), c.unconfirmed);
        EXPECT_EQ(Names(result.notApplied), c.notApplied);
        if (!c.problem.empty()) {
            ASSERT_FALSE(result.problems.empty());
            EXPECT_NE(result.problems[0].find(c.problem), std::string::npos) << result.problems[0];
        }
        if (c.end == RestoreEnd::kRestored) {
            EXPECT_EQ(int{sim.GetSettings().ra.acceleration}, 112);
            HistoryListing listing = SettingsHistory(c.historyFolder).List();
            ASSERT_FALSE(listing.entries.empty());
            EXPECT_EQ(listing.entries[0].reason, HistoryReason::kBeforeRestore);
            EXPECT_EQ(listing.entries[0].port, "COM7");
            EXPECT_EQ(result.snapshotPath, listing.entries[0].path);
        }
        if (c.applied.empty()) {
            EXPECT_EQ(sim.GetSettings(), untouched) << "nothing is sent";
        }
        EXPECT_TRUE(window.Runner().Stop(RestoreRunner::kStopWaitMs));
        EXPECT_TRUE(session.Stop());
    }
}

}  // namespace
