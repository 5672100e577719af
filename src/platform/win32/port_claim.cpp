#include "platform/win32/port_claim.h"

#include <cctype>

namespace axistune {

namespace {

// "COM3", "com3" and "\\.\COM3" are the same port; object names may not hold a backslash.
std::string ClaimName(const std::string& device) {
    std::string port = device.rfind("\\\\.\\", 0) == 0 ? device.substr(4) : device;
    for (char& c : port) {
        c = c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return "Local\\AxisTune.SerialPort." + port;
}

}  // namespace

DWORD PortClaim::Take(const std::string& device) {
    Release();
    const HANDLE handle = CreateMutexA(nullptr, FALSE, ClaimName(device).c_str());
    if (handle == nullptr) {
        return GetLastError();
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return ERROR_BUSY;
    }
    handle_ = handle;
    return ERROR_SUCCESS;
}

void PortClaim::Release() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

}  // namespace axistune
