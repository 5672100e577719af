#include "engine/serial_link.h"

#include <algorithm>
#include <atomic>

#include "engine/request_codes.h"

namespace axistune {

struct SerialLink::Connection {
    SerialPort port;
    Event readerStop{EventReset::kManual, false};
    std::atomic<bool> lost{false};
};

SerialLink::SerialLink(QueueWriter& queue, Event& shutdown, const PortCatalogue& ports)
    : queue_(queue), shutdown_(shutdown), ports_(ports) {}

SerialLink::~SerialLink() {
    Close();
    JoinStrayReaders(kReaderStopWaitMs);
}

bool SerialLink::Open(uint8_t port, uint32_t baudRate) {
    auto connection = std::make_shared<Connection>();
    PortOpenReport report{ports_.Name(port), {}};
    if (report.device.empty()) {
        report.result.failure = OpenFailure::kNotFound;
    } else if (!connection->readerStop.Valid()) {
        report.result = {OpenFailure::kOther, "no event for the serial reader"};
    } else {
        report.result = connection->port.Open(report.device, baudRate);
    }
    if (!report.result.Opened()) {
        std::lock_guard<std::mutex> guard(reportLock_);
        lastFailure_ = std::move(report);
        return false;
    }
    auto reader = std::make_unique<Thread>();
    QueueWriter& queue = queue_;
    if (!reader->Start([connection, &queue] { ReadUntilStopped(connection, queue); })) {
        connection->port.Close();
        std::lock_guard<std::mutex> guard(reportLock_);
        lastFailure_ = {report.device, {OpenFailure::kOther, "the serial reader did not start"}};
        return false;
    }
    connection_ = std::move(connection);
    reader_ = std::move(reader);
    return true;
}

PortOpenReport SerialLink::LastOpenFailure() const {
    std::lock_guard<std::mutex> guard(reportLock_);
    return lastFailure_;
}

void SerialLink::Close() {
    if (!connection_) {
        return;
    }
    connection_->readerStop.Set();
    if (reader_->Join(kReaderStopWaitMs)) {
        connection_->port.Close();
    } else {
        // The reader still holds the connection; the port closes when it lets go.
        strayReaders_.push_back(std::move(reader_));
    }
    reader_.reset();
    connection_.reset();
}

void SerialLink::SignalReaderStop() {
    if (connection_) {
        connection_->readerStop.Set();
    }
}

bool SerialLink::WaitForReader(uint32_t timeoutMs) {
    return !reader_ || reader_->Join(timeoutMs);
}

void SerialLink::PauseBeforeHandshake() {
    shutdown_.Wait(kHandshakePauseMs);
}

bool SerialLink::PortLost() const {
    return connection_ && connection_->lost.load();
}

void SerialLink::WriteFrame(const uint8_t* bytes, size_t count) {
    // Nothing goes to the controller once shutdown has begun: neither the query after a pause
    // that the shutdown cut short, nor requests that the worker still holds from its last read
    // (each of which could otherwise block for another full write time-out).
    if (!connection_ || shutdown_.Wait(0)) {
        return;
    }
    const WriteOutcome outcome = connection_->port.Write(bytes, count, kFrameWriteWaitMs);
    if (outcome == WriteOutcome::kFailed) {
        connection_->lost.store(true);
    }
    if (WireObserver* wire = Wire(); wire != nullptr) {
        wire->OnFrameWritten(bytes, count, outcome);
    }
}

void SerialLink::SetWireObserver(WireObserver* observer) {
    wire_.store(observer, std::memory_order_release);
}

bool SerialLink::JoinStrayReaders(uint32_t timeoutMs) {
    auto ended = [timeoutMs](std::unique_ptr<Thread>& t) { return t->Join(timeoutMs); };
    strayReaders_.erase(std::remove_if(strayReaders_.begin(), strayReaders_.end(), ended),
                        strayReaders_.end());
    return strayReaders_.empty();
}

void SerialLink::ReadUntilStopped(const std::shared_ptr<Connection>& connection,
                                  QueueWriter& queue) {
    for (;;) {
        const ReadResult result = connection->port.Read(connection->readerStop, kReaderWaitMs);
        switch (result.outcome) {
            case WaitOutcome::kData:
                ForwardSerialBytes(queue, result.bytes, result.count);
                break;
            case WaitOutcome::kTimedOut:
                break;
            case WaitOutcome::kStopped:
                return;
            case WaitOutcome::kFailed: {
                // The adapter is gone: stop reading instead of retrying a dead port, and wake
                // the worker so that it closes the connection.
                connection->lost.store(true);
                const uint8_t wake[] = {QueueHeader(kKindLink, 0), 0};
                queue.WriteMessage(wake, sizeof wake);
                return;
            }
        }
    }
}

void ForwardSerialBytes(QueueWriter& queue, const uint8_t* bytes, size_t count) {
    uint8_t message[kMaxQueueMessage];
    while (count > 0) {
        const size_t piece = std::min<size_t>(count, kMaxQueuePayload);
        message[0] = QueueHeader(kKindSerialBytes, static_cast<uint8_t>(piece));
        std::copy(bytes, bytes + piece, message + 1);
        queue.WriteMessage(message, piece + 1);
        bytes += piece;
        count -= piece;
    }
}

}  // namespace axistune
