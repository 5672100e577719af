#pragma once

// The Win32 calls that the serial port makes, behind a replaceable table, so that tests can
// reach the branches that a real driver (or Wine) rarely takes: reads that complete at once,
// writes that never complete, failures. Internal to the Win32 platform layer.

#include <windows.h>

namespace axistune {

class SerialIo {
  public:
    virtual ~SerialIo() = default;

    virtual HANDLE CreateFileA(const char* name, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templateFile) = 0;
    virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read,
                          OVERLAPPED* overlapped) = 0;
    virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written,
                           OVERLAPPED* overlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred,
                                     BOOL wait) = 0;
    virtual DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs) = 0;
    virtual DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                         DWORD timeoutMs) = 0;
    virtual BOOL CancelIoEx(HANDLE file, OVERLAPPED* overlapped) = 0;
    virtual BOOL PurgeComm(HANDLE file, DWORD flags) = 0;
    virtual BOOL GetCommState(HANDLE file, DCB* dcb) = 0;
    virtual BOOL SetCommState(HANDLE file, DCB* dcb) = 0;
    virtual BOOL SetCommTimeouts(HANDLE file, COMMTIMEOUTS* timeouts) = 0;
    virtual BOOL SetupComm(HANDLE file, DWORD inQueue, DWORD outQueue) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
};

// The real calls.
SerialIo& Win32SerialIo();

// The table that ports opened from now on use; nullptr restores the real calls. A port keeps
// the table it was opened with until it is closed. For tests only.
void SetSerialIo(SerialIo* io);
SerialIo& CurrentSerialIo();

}  // namespace axistune
