#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/engine_client.h"
#include "app/session.h"
#include "app/wire_trace.h"
#include "core/client_outcome.h"
#include "core/controller_settings.h"
#include "core/port_catalogue.h"
#include "core/setting_table.h"
#include "core/telescope_listener.h"
#include "engine/telescope_control.h"
#include "engine/wire_observer.h"

namespace axistune {

// A synchronous controller client for front ends without a window (the command line, tests,
// scripts). It drives the engine only through its requests and hears every event directly (the
// window's mailbox keeps one event and may drop others). Each call sends one request and waits,
// with a bound of its own, until the exchange has ended: the controller's answer, the engine
// idle again, or a status that answers the request. One caller thread at a time.
class ControllerClient : private WireObserver {
  public:
    using Bounds = EngineClient::Bounds;
    // Lines for a trace: requests sent, every frame and reply on the line, and the engine's
    // reports, decoded. Called on the caller's and the engine's threads, one line at a time.
    using TraceSink = EngineClient::TraceSink;

    explicit ControllerClient(Bounds bounds);
    ControllerClient() : ControllerClient(Bounds{}) {}
    ~ControllerClient();
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
    bool Connected() const { return client_.Connected(); }

    // The settings as last reported (connection, re-read after gear ratios or a reload).
    ControllerSettings Settings() const { return client_.Settings(); }

    ClientOutcome Send(const PlannedRequest& request) { return client_.Send(request); }
    ClientOutcome Store() { return client_.Store(); }                    // "Parameters stored..."
    ClientOutcome ReloadDefaults() { return client_.ReloadDefaults(); }  // waits for the settings

    // Any thread (a Ctrl-C handler): the wait in progress, and every later one, ends with
    // kInterrupted. Disconnect still runs.
    void Interrupt() { client_.Interrupt(); }
    bool Interrupted() const { return client_.Interrupted(); }

  private:
    void OnFrameWritten(const uint8_t* bytes, size_t count, WriteOutcome outcome) override;
    void OnBytesReceived(const uint8_t* bytes, size_t count) override;
    bool Tracing() const;

    EngineClient client_;
    PortCatalogue ports_;
    Session session_;
    bool started_ = false;
    mutable std::mutex traceLock_;
    bool tracing_ = false;
    std::mutex wireLock_;  // the decoder is fed on the worker, reset and flushed by the caller
    WireTrace wire_;
};

}  // namespace axistune
