#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/session.h"
#include "app/wire_trace.h"
#include "core/controller_settings.h"
#include "core/port_catalogue.h"
#include "core/setting_table.h"
#include "core/telescope_listener.h"
#include "engine/telescope_control.h"
#include "engine/wire_observer.h"

namespace axistune {

// How an exchange with the controller ended.
enum class ClientResult {
    kOk,
    kRefused,       // incompatible device or firmware too old: the controller was refused
    kPortFailed,    // the port did not open
    kTimedOut,      // no answer within the bound
    kClosed,        // the connection closed (cable pulled, controller gone)
    kRejected,      // the engine refused the request (communication error, not connected)
    kInterrupted,   // Interrupt() was called
    kEngineFailed,  // the engine's threads did not start
};

struct ClientOutcome {
    ClientResult result = ClientResult::kOk;
    std::string message;  // for people: the window's status text, or why the port failed

    bool Ok() const { return result == ClientResult::kOk; }
};

// A synchronous controller client for front ends without a window (the command line, tests,
// scripts). It drives the engine only through its requests and hears every event directly (the
// window's mailbox keeps one event and may drop others). Each call sends one request and waits,
// with a bound of its own, until the exchange has ended: the controller's answer, the engine
// idle again, or a status that answers the request. One caller thread at a time.
class ControllerClient : private TelescopeListener,
                         private EngineProgressObserver,
                         private WireObserver {
  public:
    struct Bounds {
        uint32_t connectMs = 20000;  // the handshake itself gives up after 8 s per query
        uint32_t exchangeMs = 5000;  // an acknowledgement the controller never sends
        uint32_t disconnectMs = 12000;
    };
    // Lines for a trace: requests sent, every frame and reply on the line, and the engine's
    // reports, decoded. Called on the caller's and the engine's threads, one line at a time.
    using TraceSink = std::function<void(const std::string&)>;

    explicit ControllerClient(Bounds bounds);
    ControllerClient() : ControllerClient(Bounds{}) {}
    ~ControllerClient() override;
    ControllerClient(const ControllerClient&) = delete;
    ControllerClient& operator=(const ControllerClient&) = delete;

    void SetTrace(TraceSink sink);
    // Starts the engine; null when it runs, else the reason.
    const char* Start();
    // Ends the engine's threads (bounded). False when a thread did not end: the client must
    // then be kept alive until the process ends, since the engine may still call it.
    bool Shutdown();

    // Opens the device (a path, "tcp://HOST:PORT", "COM3") and waits for the settings.
    ClientOutcome Connect(const std::string& device, uint32_t baudRate);
    ClientOutcome Disconnect();
    bool Connected() const;

    // The settings as last reported (connection, re-read after gear ratios or a reload).
    ControllerSettings Settings() const;

    ClientOutcome Send(const PlannedRequest& request);
    ClientOutcome Store();           // "Parameters stored..."
    ClientOutcome ReloadDefaults();  // waits for the settings read again

    // Any thread (a Ctrl-C handler): the wait in progress, and every later one, ends with
    // kInterrupted. Disconnect still runs.
    void Interrupt();
    bool Interrupted() const;

  private:
    struct Event {
        enum Kind { kStatus, kSettings } kind;
        int32_t code;
    };
    using Done = std::function<bool(const Event&)>;

    void OnStatus(int32_t code) override;
    void OnStatusValue(int32_t code, uint32_t value) override;
    void OnSettings(const ControllerSettings* settings, int32_t kind) override;
    void OnVoltage(uint32_t hundredthsOfVolt) override;
    void OnEngineStep(uint64_t requestsExecuted, bool idle) override;
    void OnFrameWritten(const uint8_t* bytes, size_t count, WriteOutcome outcome) override;
    void OnBytesReceived(const uint8_t* bytes, size_t count) override;

    void Record(Event event);
    void Trace(const std::string& line);
    bool Tracing() const;
    // Sends with `send` and waits until an event satisfies `done`, or (waitIdle) the engine
    // has executed the request and is idle again.
    ClientOutcome Exchange(const std::function<void()>& send, const Done& done, bool waitIdle,
                           uint32_t boundMs);
    ClientOutcome Ending(const Event& event);

    Bounds bounds_;
    PortCatalogue ports_;
    Session session_;
    bool started_ = false;
    TraceSink trace_;
    std::mutex wireLock_;  // the decoder is fed on the worker, reset and flushed by the caller
    WireTrace wire_;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Event> events_;
    ControllerSettings settings_{};
    uint64_t executed_ = 0;
    bool idle_ = false;
    bool connected_ = false;
    bool interrupted_ = false;
    std::string device_;
};

}  // namespace axistune
