#pragma once

#include <atomic>
#include <string>

#include "app/engine_client.h"
#include "app/restore_procedure.h"

namespace axistune {

// A restore's connection in a window program: the window's own port number and baud rate,
// connected again through the session's client. A cancel holds for the rest of the restore
// (a disconnect would otherwise clear the client's interrupt).
class WindowRestoreLink : public RestoreLink {
  public:
    WindowRestoreLink(EngineClient& client, uint8_t port, uint32_t baudRate, std::string portName,
                      const std::atomic<bool>& cancelled)
        : client_(client),
          port_(port),
          baudRate_(baudRate),
          portName_(std::move(portName)),
          cancelled_(cancelled) {}

    ClientOutcome Open() override {
        if (client_.Connected()) {
            if (ClientOutcome closed = Close(); !closed.Ok()) {
                return closed;
            }
        }
        return Cancelled() ? Interrupted() : client_.Connect(port_, baudRate_, portName_);
    }
    ClientOutcome Close() override { return Cancelled() ? Interrupted() : client_.Disconnect(); }
    ControllerSettings Settings() const override { return client_.Settings(); }
    ClientOutcome Send(const PlannedRequest& request) override {
        return Cancelled() ? Interrupted() : client_.Send(request);
    }
    ClientOutcome Store() override { return Cancelled() ? Interrupted() : client_.Store(); }

  private:
    bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }
    static ClientOutcome Interrupted() { return {ClientResult::kInterrupted, "interrupted"}; }

    EngineClient& client_;
    const uint8_t port_;
    const uint32_t baudRate_;
    const std::string portName_;
    const std::atomic<bool>& cancelled_;
};

}  // namespace axistune
