#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/serial_io.h"

namespace axistune {

// A serial driver in memory. Reads and writes go pending (or complete at once, or fail) as the
// test says; a pending operation completes when the test calls Complete*, or when it is
// cancelled. Waits use the port's real events, so timing is real.
class FakeSerialIo : public SerialIo {
  public:
    enum class Start { kAtOnce, kPending, kFail };

    struct Operation {
        OVERLAPPED* overlapped = nullptr;
        uint8_t* buffer = nullptr;  // the caller's buffer, as the driver would hold it
        std::vector<uint8_t> sent;  // for writes: the bytes at the time the write started
        bool pending = false;
        bool cancelled = false;
        bool bufferIntactAtEnd = true;  // writes: the caller's buffer unchanged until the end
    };

    static constexpr ULONG_PTR kPendingStatus = 0x103;  // STATUS_PENDING
    HANDLE const kPort = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x5A5A));

    // Set by the test before the call.
    bool openFails = false;
    bool getStateFails = false;
    DCB driverDcb = {};
    Start readStart = Start::kPending;
    std::vector<uint8_t> atOnceBytes;  // what an at-once read delivers
    DWORD startError = ERROR_ACCESS_DENIED;
    Start writeStart = Start::kAtOnce;

    // Recorded.
    std::string openedName;
    DWORD openAccess = 0, openShare = 0, openDisposition = 0, openFlags = 0;
    DWORD dcbLengthSeen = 0;
    bool dcbWritten = false;
    DCB writtenDcb = {};
    bool timeoutsSet = false;
    COMMTIMEOUTS timeouts = {};
    DWORD setupIn = 0, setupOut = 0;
    std::vector<Operation> reads;
    std::vector<Operation> writes;
    int multipleWaits = 0;
    int cancels = 0;
    DWORD purgeFlags = 0;
    bool closed = false;
    bool ioAfterClose = false;
    bool overlappingWrites = false;
    std::vector<std::string> calls;

    FakeSerialIo() {
        driverDcb.DCBlength = sizeof(DCB);
        driverDcb.BaudRate = 38400;
        driverDcb.ByteSize = 7;
        driverDcb.Parity = EVENPARITY;
        driverDcb.StopBits = TWOSTOPBITS;
        driverDcb.fParity = TRUE;
        driverDcb.fBinary = FALSE;
        driverDcb.fOutX = TRUE;  // what a terminal's defaults bring along
        driverDcb.fInX = TRUE;
        driverDcb.fNull = TRUE;
        driverDcb.fErrorChar = TRUE;
        driverDcb.fAbortOnError = TRUE;
        driverDcb.fOutxCtsFlow = TRUE;
        driverDcb.fOutxDsrFlow = TRUE;
        driverDcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        driverDcb.fRtsControl = RTS_CONTROL_TOGGLE;
        driverDcb.fDsrSensitivity = TRUE;
        driverDcb.fTXContinueOnXoff = TRUE;
        driverDcb.XonLim = 123;
        driverDcb.XoffLim = 456;
        driverDcb.XonChar = 0x11;
        driverDcb.XoffChar = 0x13;
        driverDcb.ErrorChar = '?';
        driverDcb.EofChar = 0x1A;
        driverDcb.EvtChar = 0x7E;
    }

    // Ends the pending read with bytes, or with an error (error != 0).
    void CompleteRead(const std::vector<uint8_t>& bytes, DWORD error = 0) {
        Operation& op = reads.back();
        for (size_t i = 0; i < bytes.size(); ++i) {
            op.buffer[i] = bytes[i];
        }
        Finish(op, error, static_cast<DWORD>(bytes.size()));
    }
    void CompleteWrite(size_t index) { Finish(writes.at(index), 0, writes[index].sent.size()); }

    HANDLE CreateFileA(const char* name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                       DWORD disposition, DWORD flags, HANDLE) override {
        calls.push_back("CreateFile");
        openedName = name;
        openAccess = access;
        openShare = share;
        openDisposition = disposition;
        openFlags = flags;
        if (openFails) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        return kPort;
    }

    BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read,
                  OVERLAPPED* overlapped) override {
        calls.push_back("ReadFile");
        CheckOpen(file);
        Operation op;
        op.overlapped = overlapped;
        op.buffer = static_cast<uint8_t*>(buffer);
        reads.push_back(op);
        return StartOperation(reads.back(), readStart, read,
                              static_cast<DWORD>(std::min<size_t>(count, atOnceBytes.size())),
                              &atOnceBytes);
    }

    BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written,
                   OVERLAPPED* overlapped) override {
        calls.push_back("WriteFile");
        CheckOpen(file);
        for (const Operation& earlier : writes) {
            overlappingWrites = overlappingWrites || earlier.pending;
        }
        Operation op;
        op.overlapped = overlapped;
        op.buffer = static_cast<uint8_t*>(const_cast<void*>(buffer));
        op.sent.assign(op.buffer, op.buffer + count);
        writes.push_back(op);
        return StartOperation(writes.back(), writeStart, written, count, nullptr);
    }

    BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred,
                             BOOL wait) override {
        calls.push_back(wait ? "GetOverlappedResult(wait)" : "GetOverlappedResult");
        CheckOpen(file);
        if (overlapped->Internal == kPendingStatus) {
            if (!wait) {
                SetLastError(ERROR_IO_INCOMPLETE);
                return FALSE;
            }
            // Nothing else completes it in these tests: a wait here would never return.
            ADD_FAILURE_AT(__FILE__, __LINE__) << "waiting for an operation that never ends";
            return FALSE;
        }
        *transferred = static_cast<DWORD>(overlapped->InternalHigh);
        if (overlapped->Internal != 0) {
            SetLastError(static_cast<DWORD>(overlapped->Internal));
            return FALSE;
        }
        return TRUE;
    }

    DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs) override {
        return ::WaitForSingleObject(handle, timeoutMs);
    }

    DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                 DWORD timeoutMs) override {
        ++multipleWaits;
        return ::WaitForMultipleObjects(count, handles, waitAll, timeoutMs);
    }

    BOOL CancelIoEx(HANDLE file, OVERLAPPED* overlapped) override {
        calls.push_back("CancelIoEx");
        CheckOpen(file);
        ++cancels;
        for (auto* list : {&reads, &writes}) {
            for (Operation& op : *list) {
                if (op.pending && (overlapped == nullptr || op.overlapped == overlapped)) {
                    op.cancelled = true;
                    Finish(op, ERROR_OPERATION_ABORTED, 0);
                }
            }
        }
        return TRUE;
    }

    BOOL PurgeComm(HANDLE file, DWORD flags) override {
        calls.push_back("PurgeComm");
        CheckOpen(file);
        purgeFlags = flags;
        return TRUE;
    }

    BOOL GetCommState(HANDLE file, DCB* dcb) override {
        CheckOpen(file);
        dcbLengthSeen = dcb->DCBlength;
        if (getStateFails) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        *dcb = driverDcb;
        return TRUE;
    }

    BOOL SetCommState(HANDLE file, DCB* dcb) override {
        CheckOpen(file);
        dcbWritten = true;
        writtenDcb = *dcb;
        return TRUE;
    }

    BOOL SetCommTimeouts(HANDLE file, COMMTIMEOUTS* t) override {
        CheckOpen(file);
        timeoutsSet = true;
        timeouts = *t;
        return TRUE;
    }

    BOOL SetupComm(HANDLE file, DWORD in, DWORD out) override {
        CheckOpen(file);
        setupIn = in;
        setupOut = out;
        return TRUE;
    }

    BOOL CloseHandle(HANDLE handle) override {
        calls.push_back("CloseHandle");
        CheckOpen(handle);
        for (auto* list : {&reads, &writes}) {
            for (const Operation& op : *list) {
                if (op.pending) {
                    ADD_FAILURE_AT(__FILE__, __LINE__) << "port closed with I/O still pending";
                }
            }
        }
        closed = true;
        return TRUE;
    }

  private:
    void CheckOpen(HANDLE file) {
        if (closed || file != kPort) {
            ioAfterClose = true;
        }
    }

    BOOL StartOperation(Operation& op, Start start, DWORD* transferred, DWORD atOnceCount,
                        const std::vector<uint8_t>* atOnce) {
        switch (start) {
            case Start::kAtOnce:
                for (DWORD i = 0; atOnce != nullptr && i < atOnceCount; ++i) {
                    op.buffer[i] = (*atOnce)[i];
                }
                op.overlapped->Internal = 0;
                op.overlapped->InternalHigh = atOnceCount;
                if (transferred != nullptr) {
                    *transferred = atOnceCount;
                }
                SetEvent(op.overlapped->hEvent);
                return TRUE;
            case Start::kPending:
                op.pending = true;
                op.overlapped->Internal = kPendingStatus;
                ResetEvent(op.overlapped->hEvent);
                SetLastError(ERROR_IO_PENDING);
                return FALSE;
            case Start::kFail:
                SetLastError(startError);
                return FALSE;
        }
        return FALSE;
    }

    void Finish(Operation& op, DWORD error, size_t count) {
        if (!op.sent.empty()) {
            op.bufferIntactAtEnd = std::equal(op.sent.begin(), op.sent.end(), op.buffer);
        }
        op.pending = false;
        op.overlapped->Internal = error;
        op.overlapped->InternalHigh = count;
        SetEvent(op.overlapped->hEvent);
    }
};

}  // namespace axistune
