#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/port_catalogue.h"
#include "engine/dispatcher.h"
#include "engine/queue_writer.h"
#include "engine/wire_observer.h"
#include "link/frame_sink.h"
#include "platform/event.h"
#include "platform/serial_port.h"
#include "platform/thread.h"

namespace axistune {

// The connection to one controller: the COM port, frame writes with their 1000 ms bound, and
// the serial reader thread that forwards every received byte into the engine queue. Used on
// the worker thread only (the reader has its own thread).
class SerialLink : public ConnectionLink, public FrameSink {
  public:
    static constexpr uint32_t kFrameWriteWaitMs = 1000;
    static constexpr uint32_t kReaderWaitMs = 200;
    static constexpr uint32_t kReaderStopWaitMs = 10000;
    static constexpr uint32_t kHandshakePauseMs = 500;

    // The shutdown event cuts the pause before the handshake short, and no frame is written
    // once it is set.
    // ports names the device behind a Connect request's port number.
    SerialLink(QueueWriter& queue, Event& shutdown, const PortCatalogue& ports);
    ~SerialLink();

    bool Open(uint8_t port, uint32_t baudRate) override;
    // The device and the reason of the last open that failed; any thread.
    PortOpenReport LastOpenFailure() const;
    void Close() override;
    void PauseBeforeHandshake() override;
    bool PortLost() const override;

    void WriteFrame(const uint8_t* bytes, size_t count) override;

    // Any thread; null stops the calls. The observer sees each frame after its write.
    void SetWireObserver(WireObserver* observer);
    WireObserver* Wire() const { return wire_.load(std::memory_order_acquire); }

    // Shutdown helpers: ask the reader to stop, then poll for its end while the caller drains
    // the queue (a reader blocked on a full queue could not see its stop event otherwise).
    void SignalReaderStop();
    bool WaitForReader(uint32_t timeoutMs);

    // Waits (bounded) for readers that outlived an earlier close; true when none is left.
    bool JoinStrayReaders(uint32_t timeoutMs);

  private:
    struct Connection;
    static void ReadUntilStopped(const std::shared_ptr<Connection>& connection, QueueWriter& queue);

    QueueWriter& queue_;
    Event& shutdown_;
    const PortCatalogue& ports_;
    mutable std::mutex reportLock_;
    PortOpenReport lastFailure_;
    // Shared with the reader thread, so that a reader which outlives the close wait never
    // touches freed state.
    std::shared_ptr<Connection> connection_;
    std::unique_ptr<Thread> reader_;
    std::vector<std::unique_ptr<Thread>> strayReaders_;
    std::atomic<WireObserver*> wire_{nullptr};
};

// Cuts received bytes into serial-bytes messages of at most 31 bytes, in order.
void ForwardSerialBytes(QueueWriter& queue, const uint8_t* bytes, size_t count);

}  // namespace axistune
