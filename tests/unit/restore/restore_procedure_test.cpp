// The restore procedure's ends, against a connection that fails where each case says.
#include <gtest/gtest.h>

#include "app/restore_procedure.h"

using namespace axistune;

namespace {

const char kFile[] = R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
  "ra": {"acceleration": %d}})";

// A controller of hardware type 1 holding zeros; a request it takes carries the file's value.
class FakeLink : public RestoreLink {
  public:
    int failingOpen = 0;  // which Open fails (1: the first); 0: none
    bool takes = true;
    bool storeFails = false;
    int opens = 0;
    int sends = 0;
    int64_t fileAcceleration = 0;

    FakeLink() { held_.hardwareType = 1; }
    ClientOutcome Open() override {
        return ++opens == failingOpen ? ClientOutcome{ClientResult::kTimedOut, "no answer"}
                                      : ClientOutcome{};
    }
    ClientOutcome Close() override { return {}; }
    ControllerSettings Settings() const override { return held_; }
    ClientOutcome Send(const PlannedRequest& request) override {
        ++sends;
        if (takes) {
            SettingValues values = ReadSettings(held_);
            for (SettingId id : request.carries) {
                values[id] = fileAcceleration;
            }
            WriteSettings(values, &held_);
        }
        return {};
    }
    ClientOutcome Store() override {
        return storeFails ? ClientOutcome{ClientResult::kTimedOut, "no answer"} : ClientOutcome{};
    }

  private:
    ControllerSettings held_{};
};

TEST(RestoreProcedure, EndsWhereTheConnectionFailsAndSaysWhatBecameOfEachSetting) {
    const struct {
        const char* name;
        int acceleration;
        int failingOpen;
        bool takes, storeFails, dryRun;
        RestoreEnd end;
        int steps, sends, snapshots;
        size_t applied;
        const char* problem;
    } cases[] = {
        {"stored", 112, 0, true, false, false, RestoreEnd::kRestored, 5, 1, 1, 1, ""},
        {"nothing to change", 0, 0, true, false, false, RestoreEnd::kRestored, 3, 0, 0, 0, ""},
        {"dry run", 112, 0, true, false, true, RestoreEnd::kPlanned, 1, 0, 0, 0, ""},
        {"no connection", 112, 1, true, false, false, RestoreEnd::kOpenFailed, 1, 0, 0, 0, ""},
        {"no read back", 112, 2, true, false, false, RestoreEnd::kReopenFailed, 4, 1, 1, 1, ""},
        {"not taken", 112, 0, false, false, false, RestoreEnd::kNotTaken, 4, 1, 1, 1,
         "ra.acceleration: the controller reports 0, not 112"},
        {"store fails", 112, 0, true, true, false, RestoreEnd::kStoreFailed, 5, 1, 1, 1,
         "storing the settings failed: no answer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeLink link;
        link.failingOpen = c.failingOpen;
        link.takes = c.takes;
        link.storeFails = c.storeFails;
        link.fileAcceleration = c.acceleration;
        char text[256];
        std::snprintf(text, sizeof text, kFile, c.acceleration);
        int snapshots = 0;
        RestoreOrder order;
        order.name = "file.json";
        order.text = text;
        order.store = true;
        order.dryRun = c.dryRun;
        order.snapshot = [&](const ControllerSettings&, std::string* path, std::string*) {
            ++snapshots;
            *path = "snapshot.json";
            return true;
        };
        int steps = 0;
        const RestoreResult result =
            RunRestoreProcedure(order, link, [&](const RestoreEvent& event, const RestoreResult&) {
                steps += event.kind == RestoreEvent::kStep;
            });
        EXPECT_EQ(result.end, c.end);
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(link.sends, c.sends);
        EXPECT_EQ(snapshots, c.snapshots);
        EXPECT_EQ(result.applied.size(), c.applied);
        EXPECT_EQ(result.problems.empty() ? "" : result.problems[0], c.problem);
    }
}

}  // namespace
