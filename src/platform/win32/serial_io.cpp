#include "platform/win32/serial_io.h"

#include <atomic>

namespace axistune {

namespace {

// Each method forwards to the function of the same name; the global scope operator picks the
// Win32 function rather than the method.
class RealSerialIo final : public SerialIo {
  public:
    HANDLE CreateFileA(const char* name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override {
        return ::CreateFileA(name, access, share, security, disposition, flags, templateFile);
    }
    BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read,
                  OVERLAPPED* overlapped) override {
        return ::ReadFile(file, buffer, count, read, overlapped);
    }
    BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written,
                   OVERLAPPED* overlapped) override {
        return ::WriteFile(file, buffer, count, written, overlapped);
    }
    BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred,
                             BOOL wait) override {
        return ::GetOverlappedResult(file, overlapped, transferred, wait);
    }
    DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs) override {
        return ::WaitForSingleObject(handle, timeoutMs);
    }
    DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                 DWORD timeoutMs) override {
        return ::WaitForMultipleObjects(count, handles, waitAll, timeoutMs);
    }
    BOOL CancelIoEx(HANDLE file, OVERLAPPED* overlapped) override {
        return ::CancelIoEx(file, overlapped);
    }
    BOOL PurgeComm(HANDLE file, DWORD flags) override { return ::PurgeComm(file, flags); }
    BOOL GetCommState(HANDLE file, DCB* dcb) override { return ::GetCommState(file, dcb); }
    BOOL SetCommState(HANDLE file, DCB* dcb) override { return ::SetCommState(file, dcb); }
    BOOL SetCommTimeouts(HANDLE file, COMMTIMEOUTS* timeouts) override {
        return ::SetCommTimeouts(file, timeouts);
    }
    BOOL SetupComm(HANDLE file, DWORD inQueue, DWORD outQueue) override {
        return ::SetupComm(file, inQueue, outQueue);
    }
    BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
};

std::atomic<SerialIo*> g_current{nullptr};

}  // namespace

SerialIo& Win32SerialIo() {
    static RealSerialIo real;
    return real;
}

void SetSerialIo(SerialIo* io) {
    g_current.store(io);
}

SerialIo& CurrentSerialIo() {
    SerialIo* io = g_current.load();
    return io != nullptr ? *io : Win32SerialIo();
}

}  // namespace axistune
