#include "platform/byte_queue.h"

#include <windows.h>

#include "platform/win32/pipe_peers.h"
#include "text/text.h"

namespace axistune {

namespace {

constexpr char kPipePrefix[] = "\\\\.\\Pipe\\lyrafield_axistune24_";
constexpr uint32_t kNameCapacity = 256;
constexpr DWORD kPipeBufferSize = 512;
constexpr DWORD kPipeDefaultTimeoutMs = 120000;

}  // namespace

struct ByteQueue::Impl {
    char name[kNameCapacity] = {};
    HANDLE readEnd = INVALID_HANDLE_VALUE;
    HANDLE writeEnd = INVALID_HANDLE_VALUE;
    HANDLE readEvent = nullptr;
    OVERLAPPED overlapped = {};
    // The pending read fills this buffer; it stays here until the read has ended.
    uint8_t buffer[kReadChunk] = {};
    bool readPending = false;

    void EndPendingRead() {
        if (!readPending) {
            return;
        }
        CancelIoEx(readEnd, &overlapped);
        DWORD ignored = 0;
        GetOverlappedResult(readEnd, &overlapped, &ignored, TRUE);
        readPending = false;
    }

    void Release() {
        EndPendingRead();
        if (writeEnd != INVALID_HANDLE_VALUE) {
            CloseHandle(writeEnd);
            writeEnd = INVALID_HANDLE_VALUE;
        }
        if (readEnd != INVALID_HANDLE_VALUE) {
            CloseHandle(readEnd);
            readEnd = INVALID_HANDLE_VALUE;
        }
        if (readEvent != nullptr) {
            CloseHandle(readEvent);
            readEvent = nullptr;
        }
    }

    QueueOpenError Fail(QueueOpenError error) {
        Release();
        return error;
    }
};

ByteQueue::ByteQueue() : impl_(new Impl) {}

ByteQueue::~ByteQueue() {
    impl_->Release();
}

QueueOpenError ByteQueue::Open() {
    Impl& q = *impl_;
    q.Release();

    uint32_t end = TextAppend(q.name, kNameCapacity, 0, kPipePrefix);
    TextAppendHexReversed(q.name, kNameCapacity, end, GetCurrentProcessId());

    q.readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (q.readEvent == nullptr) {
        return QueueOpenError::kCreateFailed;
    }

    // One instance, first instance only, local clients only: nobody else can own the name or
    // connect once our own write end is in.
    q.readEnd = CreateNamedPipeA(
        q.name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        kPipeBufferSize, kPipeBufferSize, kPipeDefaultTimeoutMs, nullptr);
    if (q.readEnd == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        bool taken = error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY;
        return q.Fail(taken ? QueueOpenError::kNameTaken : QueueOpenError::kCreateFailed);
    }

    // Some systems accept the flags above without enforcing them, so look for another
    // instance of the name ourselves: there must be exactly ours.
    DWORD instances = 0;
    if (GetNamedPipeHandleStateA(q.readEnd, nullptr, &instances, nullptr, nullptr, nullptr, 0) &&
        instances != 1) {
        return q.Fail(QueueOpenError::kNameTaken);
    }

    q.writeEnd = CreateFileA(q.name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (q.writeEnd == INVALID_HANDLE_VALUE) {
        return q.Fail(QueueOpenError::kWriteEndFailed);
    }

    // With a single instance, the client connected to our read end is the only one there can
    // be; it must be this process, and our write end must lead to a server in this process.
    if (!PipeClientIsThisProcess(q.readEnd) || !PipeServerIsThisProcess(q.writeEnd)) {
        return q.Fail(QueueOpenError::kForeignClient);
    }
    return QueueOpenError::kNone;
}

bool ByteQueue::Write(const uint8_t* bytes, size_t count) {
    Impl& q = *impl_;
    if (q.writeEnd == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(q.writeEnd, bytes, static_cast<DWORD>(count), &written, nullptr);
    return ok && written == count;
}

ReadResult ByteQueue::Read(const Event& stop, uint32_t timeoutMs) {
    Impl& q = *impl_;
    ReadResult result{WaitOutcome::kFailed, q.buffer, 0};
    if (q.readEnd == INVALID_HANDLE_VALUE) {
        return result;
    }
    HANDLE stopHandle = reinterpret_cast<HANDLE>(stop.NativeHandle());
    if (WaitForSingleObject(stopHandle, 0) == WAIT_OBJECT_0) {
        result.outcome = WaitOutcome::kStopped;
        return result;
    }

    DWORD count = 0;
    if (!q.readPending) {
        q.overlapped = OVERLAPPED{};
        q.overlapped.hEvent = q.readEvent;
        if (ReadFile(q.readEnd, q.buffer, kReadChunk, nullptr, &q.overlapped)) {
            GetOverlappedResult(q.readEnd, &q.overlapped, &count, FALSE);
            result.outcome = WaitOutcome::kData;
            result.count = count;
            return result;
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            return result;
        }
        q.readPending = true;
    }

    // The stop event comes first, so it wins when both are set.
    HANDLE waitSet[2] = {stopHandle, q.readEvent};
    switch (WaitForMultipleObjects(2, waitSet, FALSE, timeoutMs)) {
        case WAIT_OBJECT_0:
            result.outcome = WaitOutcome::kStopped;
            return result;
        case WAIT_OBJECT_0 + 1:
            if (GetOverlappedResult(q.readEnd, &q.overlapped, &count, FALSE)) {
                q.readPending = false;
                result.outcome = WaitOutcome::kData;
                result.count = count;
                return result;
            }
            // Make sure the buffer is free again before the next read reuses it.
            q.EndPendingRead();
            return result;
        case WAIT_TIMEOUT:
            result.outcome = WaitOutcome::kTimedOut;
            return result;
        default:
            return result;
    }
}

const char* ByteQueue::Name() const {
    return impl_->name;
}

}  // namespace axistune
