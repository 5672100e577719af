#pragma once

#include <cstdint>

#include "core/telescope_listener.h"
#include "engine/reassembler.h"

namespace axistune {

// The port side of a connection, as the dispatcher needs it.
class ConnectionLink {
  public:
    // Opens the port and starts the serial reader; false when the port cannot be opened.
    virtual bool Open(uint8_t port, uint32_t baudRate) = 0;
    // Stops the reader (bounded wait), purges and closes the port.
    virtual void Close() = 0;
    // The pause between "Connecting..." and the first query; ends early at shutdown.
    virtual void PauseBeforeHandshake() = 0;
    // True once a read or write on the open port has failed (adapter pulled).
    virtual bool PortLost() const = 0;

  protected:
    ~ConnectionLink() = default;
};

// The receiving half of the controller protocol, as the dispatcher drives it. Results are
// ProtocolOutcome values.
class ReplySide {
  public:
    virtual int StartHandshake() = 0;
    virtual int OnSerialBytes(const uint8_t* bytes, uint32_t count) = 0;
    virtual int OnTick() = 0;

  protected:
    ~ReplySide() = default;
};

class RequestExecutor {
  public:
    virtual void Execute(const uint8_t* message) = 0;

  protected:
    ~RequestExecutor() = default;
};

// Acts on each reassembled queue message on the worker thread: connects and disconnects,
// hands requests to execution once the handshake is done, and ticks and received bytes to the
// reply side.
class Dispatcher : public QueueMessageHandler {
  public:
    Dispatcher(ConnectionLink& link, ReplySide& replies, RequestExecutor& requests,
               TelescopeListener& listener);

    void OnQueueMessage(const uint8_t* message) override;

    // Shutdown: closes an open connection without a status code.
    void CloseSilently();

    bool PortOpen() const { return portOpen_; }
    bool HandshakeDone() const { return handshakeDone_; }

  private:
    void HandleRequest(const uint8_t* message, uint8_t length);
    void HandleConnect(const uint8_t* payload);
    void HandleOutcome(int outcome);
    void CloseConnection();

    ConnectionLink& link_;
    ReplySide& replies_;
    RequestExecutor& requests_;
    TelescopeListener& listener_;
    bool portOpen_ = false;
    bool handshakeDone_ = false;
};

}  // namespace axistune
