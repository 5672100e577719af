// The openers of the port kinds on Windows: a COM port by its device name; TCP bridges are
// refused.
#include <windows.h>

#include <string>

#include "platform/win32/port_opener.h"

namespace axistune {

namespace {

constexpr DWORD kQueueSize = 8096;

std::string DeviceName(const std::string& device) {
    return device.rfind("\\\\.\\", 0) == 0 ? device : "\\\\.\\" + device;
}

OpenResult OpenFailureFromLastError(DWORD error) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_NAME:
            return {OpenFailure::kNotFound, message};
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            // A COM port that another program holds answers "access denied".
            return {OpenFailure::kBusy, message};
        default:
            return {OpenFailure::kOther, message};
    }
}

void ConfigureLine(SerialIo& io, HANDLE port, uint32_t baudRate) {
    DCB dcb = {};
    dcb.DCBlength = sizeof(dcb);
    if (!io.GetCommState(port, &dcb)) {
        // Nothing trustworthy to write back; the driver keeps its own settings.
        return;
    }
    dcb.BaudRate = baudRate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fParity = FALSE;
    // Frames are binary: nothing on the way may swallow, replace or strip bytes
    // (XON/XOFF would eat 0x11 and 0x13), and an error must not stall the port.
    dcb.fBinary = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fAbortOnError = FALSE;
    io.SetCommState(port, &dcb);
}

OpenResult OpenComPort(SerialIo& io, PortClaim& claim, const PortAddress& address,
                       uint32_t baudRate, HANDLE* port) {
    const DWORD claimed = claim.Take(address.device);
    if (claimed != ERROR_SUCCESS) {
        return OpenFailureFromLastError(claimed);
    }
    const std::string name = DeviceName(address.device);
    const HANDLE handle =
        io.CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        claim.Release();
        return OpenFailureFromLastError(error);
    }

    ConfigureLine(io, handle, baudRate);
    // A read returns as soon as a burst pauses for 1 ms; no total time-outs either way.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = 1;
    io.SetCommTimeouts(handle, &timeouts);
    io.SetupComm(handle, kQueueSize, kQueueSize);
    *port = handle;
    return {};
}

OpenResult RefuseTcpBridge(SerialIo&, PortClaim&, const PortAddress&, uint32_t, HANDLE*) {
    return {OpenFailure::kOther, "TCP bridges are supported on Linux only"};
}

constexpr PortOpener kSerialLine = {&OpenComPort};
constexpr PortOpener kTcpBridge = {&RefuseTcpBridge};

}  // namespace

const PortOpener& SerialLineOpener() {
    return kSerialLine;
}

const PortOpener& TcpBridgeOpener() {
    return kTcpBridge;
}

}  // namespace axistune
