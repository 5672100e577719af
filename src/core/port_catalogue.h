#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace axistune {

// Maps the port number of a Connect request to the device name the engine opens. On Windows
// number N is "COMN" unless a front end assigned another name; on POSIX there is no such rule,
// so a front end assigns the names it offers (a device path, "tcp://HOST:PORT"). Front ends
// assign on their own thread while the engine's worker looks names up, hence the lock.
class PortCatalogue {
  public:
    // The name for the number, or empty when the number stands for nothing.
    std::string Name(uint8_t port) const;
    void Assign(uint8_t port, const std::string& name);
    void Clear();

    // The name a number has when nothing was assigned to it.
    static std::string DefaultName(uint8_t port);

  private:
    mutable std::mutex lock_;
    std::map<uint8_t, std::string> assigned_;
};

}  // namespace axistune
