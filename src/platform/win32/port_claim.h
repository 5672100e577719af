#pragma once

// A process-wide claim on a port name. Windows' serial drivers refuse a second open of a COM
// port, but Wine opens the Unix device behind it again without complaint, and two readers of
// one line would each get part of the other's bytes. A named object per port makes a second
// open fail as busy for every SerialPort in this session, in any process. Internal to the
// Win32 platform layer.

#include <windows.h>

#include <string>

namespace axistune {

class PortClaim {
  public:
    PortClaim() = default;
    ~PortClaim() { Release(); }
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;

    // ERROR_SUCCESS when the claim is ours, ERROR_BUSY when someone holds it, else the error
    // that kept the object from being made.
    DWORD Take(const std::string& device);
    void Release();

  private:
    HANDLE handle_ = nullptr;
};

}  // namespace axistune
