#pragma once

#include <cstdint>
#include <memory>

#include "core/port_catalogue.h"
#include "core/telescope_listener.h"
#include "engine/control_requests.h"
#include "engine/settings_change_observer.h"
#include "engine/wire_observer.h"
#include "platform/byte_queue.h"
#include "platform/serial_port.h"

namespace axistune {

// Front ends without a window wait for each exchange to end. Most settings requests get no
// answer from the controller, so the engine says when it has executed a request and whether it
// is idle again (awaits no answer). Called on the worker thread after every request, reply and
// tick; it must return quickly.
class EngineProgressObserver {
  public:
    virtual void OnEngineStep(uint64_t requestsExecuted, bool idle) = 0;
    virtual ~EngineProgressObserver() = default;
};

// The engine: a worker thread fed by a private byte queue. Every operation writes one message
// into the queue and returns at once; the worker owns the connection, the serial port and the
// protocol, and reports through the listener (on the worker thread).
class TelescopeControl : public ControlRequests {
  public:
    static constexpr uint32_t kDefaultWorkerStopWaitMs = 5000;

    // Creates the queue and starts the worker thread. ports names the device behind a Connect
    // request's port number and must outlive the engine; without one, only the platform's own
    // names (Windows: COM<n>) are known.
    explicit TelescopeControl(TelescopeListener* listener, const PortCatalogue* ports = nullptr);
    // Stops the worker (bounded) if Stop was not called.
    ~TelescopeControl() override;

    // StartError is kNone when the queue opened; WorkerStarted is false when the worker thread
    // did not start. Either failure means no request is ever processed: the caller tells the
    // user (DescribeStartFailure) and ends.
    QueueOpenError StartError() const;
    bool WorkerStarted() const;

    // Shutdown: ends the worker and, when a connection is open, its serial reader, without a
    // status code and without sending anything. True when every thread ended within the bounds.
    bool Stop(uint32_t workerWaitMs = kDefaultWorkerStopWaitMs);

    // Why the last Connect could not open its port (status 6); any thread.
    PortOpenReport LastOpenFailure() const;

    // The controller's protocol level as last set by the worker (relaxed; a stale value only
    // decides whether one overtone or current-increase request is queued).
    uint8_t ProtocolLevel() const;

    // Any thread; null stops the calls. The window never sets one.
    void SetProgressObserver(EngineProgressObserver* observer);
    // Any thread; null stops the calls. The window never sets one.
    void SetWireObserver(WireObserver* observer);
    // Any thread; null stops the calls. Told of every settings change that went out; the observer
    // must outlive the worker (Stop).
    void SetSettingsChangeObserver(SettingsChangeObserver* observer);

  protected:
    void WriteMessage(const uint8_t* bytes, size_t count) override;
    uint8_t CurrentProtocolLevel() const override;
    void StorePendingAdvanced(const AdvancedSettings& settings) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace axistune
