// The window programs' settings keeper on a running window Session against the simulated
// controller: the entries it takes, a folder it cannot write, and a restore of an entry.
#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "app/session.h"
#include "app/settings_keeper.h"
#include "sim/pty_server.h"

using namespace axistune;

namespace {

constexpr uint8_t kPort = 7;

std::string Scratch(const std::string& name) {
    static const std::string base = [] {
        std::string folder = "/tmp/axistune-settings-keeper-" + std::to_string(::getpid());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        return folder;
    }();
    return base + "/" + name;
}

// Stands in for the window: counts restore-news posts.
class Window : public EventPoster {
  public:
    void PostEvent(uintptr_t wParam, intptr_t) override {
        std::lock_guard<std::mutex> guard(lock_);
        posts_ += wParam == kRestoreNewsPost ? 1 : 0;
        posted_.notify_all();
    }
    // The restore's outcome, drained as the window would; false when none came within 60 s.
    bool Finished(iSettingsKeeper& keeper, RestoreNews* outcome) {
        for (;;) {
            for (const RestoreNews& news : keeper.DrainRestoreNews()) {
                if (news.finished) {
                    *outcome = news;
                    return true;
                }
            }
            std::unique_lock<std::mutex> guard(lock_);
            if (!posted_.wait_for(guard, std::chrono::seconds(60), [this] { return posts_ > 0; })) {
                return false;
            }
            posts_ = 0;
        }
    }

  private:
    std::mutex lock_;
    std::condition_variable posted_;
    int posts_ = 0;
};

class Rig {
  public:
    explicit Rig(const std::string& folder) : keeper(folder, &ports) {
        dxsim::ServerOptions options;
        options.profile = *dxsim::FindProfile("dx5");
        options.linkPath = Scratch("line");
        sim = std::make_unique<dxsim::PtyServer>(options);
        ports.Assign(kPort, options.linkPath);
        session.Watch(keeper, keeper.Held());
    }
    bool Connect() {
        std::string error;
        EXPECT_TRUE(sim->Start(&error)) << error;
        if (!error.empty() || session.Start() != nullptr) {
            return false;
        }
        keeper.Attach(session.Client(), &window);
        keeper.Connecting(kPort, 115200);
        const ClientOutcome connected = session.Client()->Connect(kPort, 115200, "COM7");
        EXPECT_TRUE(connected.Ok()) << connected.message;
        return connected.Ok();
    }
    bool Change(SettingId id, int64_t value) {
        SettingValues values = ReadSettings(session.Client()->Settings());
        values[id] = value;
        return session.Client()->Send(BuildRequest(id, values, 0)).Ok();
    }

    PortCatalogue ports;
    std::unique_ptr<dxsim::PtyServer> sim;
    Window window;
    SettingsKeeper keeper;  // outlives the session's engine
    Session session{&ports};
};

TEST(SettingsKeeper, KeepsWhatTheControllerHeldAtConnectAndBeforeStoreAndReload) {
    const std::string folder = Scratch("history");
    Rig rig(folder);
    ASSERT_TRUE(rig.Connect());
    const SettingValues read = ReadSettings(rig.session.Client()->Settings());
    ASSERT_TRUE(rig.Change(kRaAcceleration, 112));
    rig.keeper.KeepBefore(KeptBecause::kBeforeStore);
    ASSERT_TRUE(rig.Change(kRaMaxSpeed, 700));
    rig.keeper.KeepBefore(KeptBecause::kBeforeReload);
    ASSERT_TRUE(rig.session.Client()->ReloadDefaults().Ok());
    ASSERT_NE(rig.sim->GetSettings().ra.maxSpeed, 700);

    // The reload's entry, restored: the controller holds both changes again, and nothing
    // more enters the history than the restore's own entry.
    std::string message;
    const std::string beforeReload = [&] {
        rig.keeper.Stop();  // writes what is queued
        const KeptHistory history = rig.keeper.History();
        EXPECT_TRUE(history.problem.empty()) << history.problem;
        struct Expected {
            KeptBecause reason;
            int64_t acceleration, maxSpeed;
        };
        const std::vector<Expected> expected = {
            {KeptBecause::kBeforeReload, 112, 700},
            {KeptBecause::kBeforeStore, 112, read[kRaMaxSpeed]},
            {KeptBecause::kConnected, read[kRaAcceleration], read[kRaMaxSpeed]}};
        EXPECT_EQ(history.entries.size(), expected.size());
        for (size_t i = 0; i < expected.size() && i < history.entries.size(); ++i) {
            const KeptEntry& entry = history.entries[i];
            EXPECT_EQ(entry.reason, expected[i].reason) << i;
            EXPECT_EQ(entry.port, rig.ports.Name(kPort));  // Linux names the device
            EXPECT_EQ(entry.settings.values[kRaAcceleration], expected[i].acceleration) << i;
            EXPECT_EQ(entry.settings.values[kRaMaxSpeed], expected[i].maxSpeed) << i;
        }
        return history.entries.empty() ? std::string() : history.entries[0].path;
    }();
    SettingsKeeper restorer(folder, &rig.ports);
    restorer.Attach(rig.session.Client(), &rig.window);
    restorer.Connecting(kPort, 115200);
    ASSERT_TRUE(restorer.StartRestore(beforeReload, SettingSelection().set(), &message)) << message;
    RestoreNews outcome;
    ASSERT_TRUE(rig.window.Finished(restorer, &outcome));
    EXPECT_TRUE(outcome.succeeded) << outcome.message;
    EXPECT_EQ(int{rig.sim->GetSettings().ra.maxSpeed}, 700);
    EXPECT_EQ(int{rig.sim->GetSettings().ra.acceleration}, 112);
    restorer.Stop();
    EXPECT_TRUE(rig.session.Stop());
}

TEST(SettingsKeeper, AFolderItCannotWriteStopsNothingButARestore) {
    const std::string blocked = Scratch("a-file");
    std::ofstream(blocked) << "not a folder";
    Rig rig(blocked + "/history");
    ASSERT_TRUE(rig.Connect());
    rig.keeper.KeepBefore(KeptBecause::kBeforeReload);
    ASSERT_TRUE(rig.session.Client()->ReloadDefaults().Ok());
    ASSERT_TRUE(rig.session.Client()->Store().Ok());

    const dxsim::Settings untouched = rig.sim->GetSettings();
    std::ofstream(Scratch("file.json"))
        << R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
              "ra": {"acceleration": 112}})";
    std::string message;
    ASSERT_TRUE(rig.keeper.StartRestore(Scratch("file.json"), SettingSelection().set(), &message));
    RestoreNews outcome;
    ASSERT_TRUE(rig.window.Finished(rig.keeper, &outcome));
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_NE(outcome.message.find("snapshot: "), std::string::npos) << outcome.message;
    EXPECT_EQ(rig.sim->GetSettings(), untouched) << "nothing is sent";

    rig.keeper.Stop();
    EXPECT_NE(rig.keeper.History().problem, "");
    EXPECT_TRUE(rig.session.Stop());
}

}  // namespace
