// The window programs' settings keeper on a running window Session against the simulated
// controller: the entries it takes, and a folder it cannot write. (Restoring an entry from the
// window: the end-to-end tests of both programs.)
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

// The window: drains restore news when posted, as the main window does.
class Window : public EventPoster {
  public:
    void PostEvent(uintptr_t wParam, intptr_t) override {
        std::lock_guard<std::mutex> guard(lock_);
        posted_ |= wParam == kRestoreNewsPost;
        changed_.notify_all();
    }
    bool Finished(iSettingsKeeper& keeper, RestoreNews* outcome) {
        for (;;) {
            for (const RestoreNews& news : keeper.DrainRestoreNews()) {
                *outcome = news;
                if (news.finished) {
                    return true;
                }
            }
            std::unique_lock<std::mutex> guard(lock_);
            if (!changed_.wait_for(guard, std::chrono::seconds(60), [this] { return posted_; })) {
                return false;
            }
            posted_ = false;
        }
    }

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool posted_ = false;
};

// A window session with the keeper, connected to a simulated DX5.
struct Rig {
    explicit Rig(const std::string& folder) : keeper(folder, &ports) {
        std::filesystem::remove_all(scratch);
        std::filesystem::create_directories(scratch);
        dxsim::ServerOptions options;
        options.linkPath = scratch + "/line";
        sim = std::make_unique<dxsim::PtyServer>(options);
        ports.Assign(kPort, options.linkPath);
        session.Watch(keeper, keeper);
        EXPECT_TRUE(sim->Start() && session.Start() == nullptr);
        keeper.Attach(session.Client(), &window);
        keeper.Connecting(kPort, 115200);
        EXPECT_TRUE(session.Client()->Connect(kPort, 115200, "COM7").Ok());
    }
    bool Change(SettingId id, int64_t value) {
        SettingValues values = ReadSettings(session.Client()->Settings());
        values[id] = value;
        return session.Client()->Send(BuildRequest(id, values, 0)).Ok();
    }

    const std::string scratch = "/tmp/axistune-settings-keeper-" + std::to_string(::getpid());
    PortCatalogue ports;
    std::unique_ptr<dxsim::PtyServer> sim;
    Window window;
    SettingsKeeper keeper;  // outlives the session's engine
    Session session{&ports};
};

// The entries before a store and a reload are taken as the engine sends them, so they hold a
// change the window asked for just before, still queued when the window asked for the reload.
TEST(SettingsKeeper, KeepsWhatTheControllerHeldAtConnectAndBeforeStoreAndReload) {
    Rig rig("/tmp/axistune-settings-keeper-history-" + std::to_string(::getpid()));
    const SettingValues read = ReadSettings(rig.session.Client()->Settings());
    ASSERT_TRUE(rig.Change(kRaAcceleration, 112));
    ASSERT_TRUE(rig.session.Client()->Store().Ok());
    rig.session.Engine().SetMaxSpeed(700, static_cast<uint16_t>(read[kDecMaxSpeed]));
    ASSERT_TRUE(rig.session.Client()->ReloadDefaults().Ok());  // ends once read again
    rig.keeper.Stop();                                         // writes what is queued

    const KeptHistory history = rig.keeper.History();
    EXPECT_EQ(history.problem, "");
    struct Expected {
        KeptBecause reason;
        int64_t acceleration, maxSpeed;
    };
    const std::vector<Expected> expected = {
        {KeptBecause::kBeforeReload, 112, 700},
        {KeptBecause::kBeforeStore, 112, read[kRaMaxSpeed]},
        {KeptBecause::kConnected, read[kRaAcceleration], read[kRaMaxSpeed]}};
    ASSERT_EQ(history.entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const KeptEntry& entry = history.entries[i];
        EXPECT_EQ(entry.reason, expected[i].reason) << i;
        EXPECT_EQ(entry.port, rig.ports.Name(kPort));  // Linux names the device
        EXPECT_EQ(entry.settings.values[kRaAcceleration], expected[i].acceleration) << i;
        EXPECT_EQ(entry.settings.values[kRaMaxSpeed], expected[i].maxSpeed) << i;
    }
    EXPECT_TRUE(rig.session.Stop());
    std::filesystem::remove_all(history.folder);
}

TEST(SettingsKeeper, AFolderItCannotWriteStopsNothingButARestore) {
    Rig rig("/proc/axistune-history");
    ASSERT_TRUE(rig.session.Client()->ReloadDefaults().Ok());
    ASSERT_TRUE(rig.session.Client()->Store().Ok());

    const dxsim::Settings untouched = rig.sim->GetSettings();
    const std::string file = rig.scratch + "/file.json";
    std::ofstream(file) << R"({"format": "axistune-settings", "version": 1, "hardware_type": 1,
                              "ra": {"acceleration": 112}})";
    std::string message;
    ASSERT_TRUE(rig.keeper.StartRestore(file, SettingSelection().set(), &message)) << message;
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
