#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/client_outcome.h"
#include "core/controller_settings.h"
#include "core/setting_table.h"
#include "core/telescope_listener.h"
#include "engine/telescope_control.h"

namespace axistune {

// Drives a running engine one exchange at a time and waits, with a bound for each, until the
// exchange has ended: the controller's answer, the engine idle again, or a status that answers
// the request. It must hear every engine event (the window's mailbox keeps one and may drop
// others): the command line's session gives it the engine's listener, a window session fans
// every event out to it beside the mailbox. Waits run on the caller's thread, never the
// window's; one caller thread at a time, while the engine calls it on its worker.
class EngineClient : public TelescopeListener, public EngineProgressObserver {
  public:
    struct Bounds {
        uint32_t connectMs = 20000;  // the handshake itself gives up after 8 s per query
        uint32_t exchangeMs = 5000;  // an acknowledgement the controller never sends
        uint32_t disconnectMs = 12000;
    };
    // Lines for a trace: requests sent and the engine's reports, decoded. Called on the
    // caller's and the engine's threads, one line at a time.
    using TraceSink = std::function<void(const std::string&)>;

    explicit EngineClient(Bounds bounds);
    EngineClient() : EngineClient(Bounds{}) {}
    ~EngineClient() override = default;
    EngineClient(const EngineClient&) = delete;
    EngineClient& operator=(const EngineClient&) = delete;

    // The engine to drive, set once it runs (this becomes its progress observer). Null once its
    // threads have ended: a request in progress is first let finish, and every later exchange
    // ends with kEngineFailed, so the client may outlive the engine.
    void Bind(TelescopeControl* engine);
    void SetTrace(TraceSink sink);
    // Passes a line of the caller's own (the wire's frames) to the trace, if one is set.
    void TraceLine(const std::string& line);

    // Connects on a port number, as the window does, and waits for the settings. `name` is
    // how a trace shows the port.
    ClientOutcome Connect(uint8_t port, uint32_t baudRate, const std::string& name);
    // Waits for the connection to close; nothing to do when none is open.
    ClientOutcome Disconnect();
    // Heard from the engine: true from "Connecting..." until the connection closes or fails,
    // whoever asked for it.
    bool Connected() const;
    // The settings as last reported (connection, re-read after gear ratios or a reload).
    ControllerSettings Settings() const;

    ClientOutcome Send(const PlannedRequest& request);
    ClientOutcome Store();           // "Parameters stored..."
    ClientOutcome ReloadDefaults();  // waits for the settings read again

    // Any thread: the wait in progress, and every later one, ends with kInterrupted, until
    // Disconnect, which still runs (and so ends an interrupted command cleanly).
    void Interrupt();
    bool Interrupted() const;
    // Lets exchanges run again after an interrupt (a new piece of work begins).
    void ClearInterrupt();

    // TelescopeListener and EngineProgressObserver: the engine's worker only.
    void OnStatus(int32_t code) override;
    void OnStatusValue(int32_t code, uint32_t value) override;
    void OnSettings(const ControllerSettings* settings, int32_t kind) override;
    void OnVoltage(uint32_t hundredthsOfVolt) override;
    void OnEngineStep(uint64_t requestsExecuted, bool idle) override;

  private:
    struct Event {
        enum Kind { kStatus, kSettings } kind;
        int32_t code;
    };
    using Done = std::function<bool(const Event&)>;

    void Record(Event event);
    // Sends with `send` and waits until an event satisfies `done`, or (waitIdle) the engine
    // has executed the request and is idle again.
    ClientOutcome Exchange(const std::function<void(TelescopeControl&)>& send, const Done& done,
                           bool waitIdle, uint32_t boundMs);
    ClientOutcome Ending(const Event& event) const;

    const Bounds bounds_;

    // Held while a request is handed to the engine, so that Bind(nullptr) never returns
    // while one is.
    std::mutex engineLock_;
    TelescopeControl* engine_ = nullptr;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    TraceSink trace_;
    // Only events of the exchange in progress are kept: a window session runs for hours.
    bool waiting_ = false;
    std::vector<Event> events_;
    ControllerSettings settings_{};
    uint64_t executed_ = 0;
    bool idle_ = false;
    bool connected_ = false;
    bool interrupted_ = false;
};

}  // namespace axistune
