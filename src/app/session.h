#pragma once

#include <cstdint>
#include <memory>

#include "app/app_model.h"
#include "app/engine_client.h"
#include "app/event_poster.h"
#include "app/heart_beat.h"
#include "app/listener_fan_out.h"
#include "app/telescope_control_dlg_callback.h"
#include "core/port_catalogue.h"
#include "core/telescope_listener.h"
#include "engine/settings_change_observer.h"
#include "engine/telescope_control.h"

namespace axistune {

// The composition root every program shares: creates the ticker, the mailbox and the engine in
// the order of the start-up, wires them, and shuts them down so that no thread outlives what it
// uses. A window program lets the engine report into the session's mailbox (AppModel) and
// connects its window to it; a program without a window gives its own listener, which then
// hears every event directly on the engine's worker thread.
class Session {
  public:
    static constexpr uint32_t kEngineStopWaitMs = 5000;

    // ports names the devices behind the port numbers of Connect requests; it must outlive the
    // session. Without one, only the platform's own names (Windows: COM<n>) are known.
    explicit Session(const PortCatalogue* ports = nullptr);
    Session(TelescopeListener& listener, const PortCatalogue* ports = nullptr);
    // Runs Stop when it was not run. Objects that a thread which did not end may still use are
    // left to the process's end rather than freed under it.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Window sessions, before Start: `listener` hears every engine event after the mailbox and
    // before the client, so that what it records is in place when a wait of the client ends;
    // `observer` hears every settings change sent (a settings history). Both must outlive the
    // engine's threads (Stop).
    void Watch(TelescopeListener& listener, SettingsChangeObserver& observer) {
        watcher_ = &listener;
        changeObserver_ = &observer;
    }

    // Creates the ticker, the mailbox and the engine (queue and worker) and starts the ticker.
    // Null when all runs; otherwise the reason in words for the user, with whatever had started
    // already stopped again.
    const char* Start();

    // Valid after a successful Start.
    TelescopeControl& Engine() { return *engine_; }
    AppModel& Model() { return *model_; }
    // Window sessions: a client that hears every engine event beside the mailbox, for work
    // that waits on the controller off the window thread (a restore). Shared so that a thread
    // still using it after Stop finds it alive; Stop unbinds it from the engine. Null for a
    // session with a listener of its own.
    std::shared_ptr<EngineClient> Client() const { return client_; }

    // Window programs: the mailbox delivers to the window's callback and posts to it. The session
    // owns the window from here: Stop frees it once no thread can post to it any more.
    template <typename Window>
    Window& ConnectWindow(std::unique_ptr<Window> window) {
        Window& connected = *window;
        ConnectWindow(connected, connected);
        window_ = OwnedWindow(window.release(), [](void* w) { delete static_cast<Window*>(w); });
        return connected;
    }

    // Programs without a window, right before they connect: the ticker starts again with its
    // next beat firstBeatMs from now, so that the caller places the handshake among the beats
    // (see ConnectBeatPhaseMs). The windows keep the beats as Start began them. False when the
    // session does not run or the ticker could not be restarted.
    bool RephaseHeartBeat(uint32_t firstBeatMs);

    // The ordered shutdown: nothing more reaches the window, the ticker and then the engine end
    // (bounded waits); nothing is sent to the controller; then the window is freed. True when
    // every thread ended; after false, the window and the engine stay allocated.
    bool Stop();

  private:
    using OwnedWindow = std::unique_ptr<void, void (*)(void*)>;

    void ConnectWindow(TelescopeControlDlgCallback& callback, EventPoster& poster);

    TelescopeListener* externalListener_ = nullptr;
    const PortCatalogue* ports_ = nullptr;
    std::unique_ptr<HeartBeat> heartBeat_;
    std::unique_ptr<AppModel> model_;
    std::shared_ptr<EngineClient> client_;
    TelescopeListener* watcher_ = nullptr;
    SettingsChangeObserver* changeObserver_ = nullptr;
    std::unique_ptr<ListenerFanOut> watchedFanOut_;  // the watcher, then the client
    std::unique_ptr<ListenerFanOut> fanOut_;
    std::unique_ptr<TelescopeControl> engine_;
    OwnedWindow window_{nullptr, [](void*) {}};
    bool windowConnected_ = false;
    bool running_ = false;
    bool threadsEnded_ = true;
};

}  // namespace axistune
