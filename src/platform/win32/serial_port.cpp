#include "platform/serial_port.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "platform/win32/port_opener.h"
#include "text/text.h"

namespace axistune {

namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr size_t kWriteBufferReserve = 64;

}  // namespace

struct SerialPort::Impl {
    SerialIo* io = nullptr;
    HANDLE port = INVALID_HANDLE_VALUE;
    PortClaim claim;  // held while the port is open
    // Set by Open, cleared by Close; a reader that calls Read after Close gets kFailed.
    std::atomic<bool> open{false};

    // Writes: the worker thread only. An abandoned write keeps using these until it ends.
    HANDLE writeEvent = nullptr;  // auto reset
    OVERLAPPED writeOverlapped = {};
    std::vector<uint8_t> writeBuffer;
    bool writePending = false;

    // Reads: the reader thread only.
    HANDLE readEvent = nullptr;  // manual reset
    OVERLAPPED readOverlapped = {};
    uint8_t readBuffer[kReadChunk] = {};
    bool readPending = false;

    // Cancels an operation that may still run and waits until the system is done with its
    // buffer and OVERLAPPED. A completion that raced the cancel is simply taken as finished.
    void EndOperation(OVERLAPPED* overlapped, bool* pending) {
        if (!*pending) {
            return;
        }
        DWORD ignored = 0;
        if (!io->GetOverlappedResult(port, overlapped, &ignored, FALSE) &&
            GetLastError() == ERROR_IO_INCOMPLETE) {
            io->CancelIoEx(port, overlapped);
            io->GetOverlappedResult(port, overlapped, &ignored, TRUE);
        }
        *pending = false;
    }
};

SerialPort::SerialPort() : impl_(new Impl) {
    impl_->writeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    impl_->readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    impl_->writeBuffer.reserve(kWriteBufferReserve);
}

SerialPort::~SerialPort() {
    Close();
    if (impl_->writeEvent != nullptr) {
        CloseHandle(impl_->writeEvent);
    }
    if (impl_->readEvent != nullptr) {
        CloseHandle(impl_->readEvent);
    }
}

OpenResult SerialPort::Open(const std::string& device, uint32_t baudRate) {
    Close();
    Impl& p = *impl_;
    if (p.writeEvent == nullptr || p.readEvent == nullptr) {
        return {OpenFailure::kOther, "no events for overlapped I/O"};
    }
    if (device.empty()) {
        return {OpenFailure::kNotFound, std::string()};
    }
    const RecognisedPortName name = RecognisePortName(device);
    if (!name.error.Opened()) {
        return name.error;
    }
    SerialIo& io = CurrentSerialIo();
    const OpenResult opened =
        name.scheme->opener().open(io, p.claim, name.address, baudRate, &p.port);
    if (!opened.Opened()) {
        return opened;
    }
    p.io = &io;
    p.writePending = false;
    p.readPending = false;
    p.open.store(true);
    return {};
}

bool SerialPort::IsOpen() const {
    return impl_->open.load();
}

WriteOutcome SerialPort::Write(const uint8_t* bytes, size_t count, uint32_t timeoutMs) {
    Impl& p = *impl_;
    if (!p.open.load()) {
        return WriteOutcome::kFailed;
    }
    // A write abandoned by an earlier call may still use the buffer and the OVERLAPPED: let it
    // end (or cancel it) before they are reused.
    p.EndOperation(&p.writeOverlapped, &p.writePending);

    p.writeBuffer.assign(bytes, bytes + count);
    p.writeOverlapped = OVERLAPPED{};
    p.writeOverlapped.hEvent = p.writeEvent;
    ResetEvent(p.writeEvent);

    DWORD written = 0;
    if (p.io->WriteFile(p.port, p.writeBuffer.data(), static_cast<DWORD>(count), &written,
                        &p.writeOverlapped)) {
        return WriteOutcome::kWritten;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return WriteOutcome::kFailed;
    }
    p.writePending = true;

    switch (p.io->WaitForSingleObject(p.writeEvent, timeoutMs)) {
        case WAIT_OBJECT_0:
            p.writePending = false;
            return p.io->GetOverlappedResult(p.port, &p.writeOverlapped, &written, FALSE)
                       ? WriteOutcome::kWritten
                       : WriteOutcome::kFailed;
        case WAIT_TIMEOUT:
            // Left pending: the next Write or Close ends it.
            return WriteOutcome::kTimedOut;
        default:
            return WriteOutcome::kFailed;
    }
}

ReadResult SerialPort::Read(const Event& stop, uint32_t timeoutMs) {
    Impl& p = *impl_;
    ReadResult result{WaitOutcome::kFailed, p.readBuffer, 0};
    if (!p.open.load()) {
        return result;
    }
    HANDLE stopHandle = reinterpret_cast<HANDLE>(stop.NativeHandle());
    // Checked on every call, so that a steady stream of bytes cannot keep a reader from
    // seeing its stop event.
    if (p.io->WaitForSingleObject(stopHandle, 0) == WAIT_OBJECT_0) {
        p.EndOperation(&p.readOverlapped, &p.readPending);
        result.outcome = WaitOutcome::kStopped;
        return result;
    }

    DWORD count = 0;
    if (!p.readPending) {
        p.readOverlapped = OVERLAPPED{};
        p.readOverlapped.hEvent = p.readEvent;
        if (p.io->ReadFile(p.port, p.readBuffer, kReadChunk, &count, &p.readOverlapped)) {
            result.outcome = WaitOutcome::kData;
            result.count = count;
            return result;
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            return result;
        }
        p.readPending = true;
    }

    HANDLE waitSet[2] = {p.readEvent, stopHandle};
    switch (p.io->WaitForMultipleObjects(2, waitSet, FALSE, timeoutMs)) {
        case WAIT_OBJECT_0:
            if (p.io->GetOverlappedResult(p.port, &p.readOverlapped, &count, FALSE)) {
                p.readPending = false;
                result.outcome = WaitOutcome::kData;
                result.count = count;
                return result;
            }
            // A failed read leaves its event set; report it rather than wait on it again, which
            // would return at once for ever (a pulled adapter).
            p.EndOperation(&p.readOverlapped, &p.readPending);
            return result;
        case WAIT_OBJECT_0 + 1:
            // Purging the port does not end a pending read everywhere; cancel it here.
            p.EndOperation(&p.readOverlapped, &p.readPending);
            result.outcome = WaitOutcome::kStopped;
            return result;
        case WAIT_TIMEOUT:
            result.outcome = WaitOutcome::kTimedOut;
            return result;
        default:
            p.EndOperation(&p.readOverlapped, &p.readPending);
            return result;
    }
}

void SerialPort::Close() {
    Impl& p = *impl_;
    if (!p.open.exchange(false)) {
        return;
    }
    p.EndOperation(&p.readOverlapped, &p.readPending);
    p.EndOperation(&p.writeOverlapped, &p.writePending);
    p.io->PurgeComm(p.port, kPurgeAll);
    p.io->CloseHandle(p.port);
    p.port = INVALID_HANDLE_VALUE;
    p.io = nullptr;
    p.claim.Release();
}

}  // namespace axistune
