#include "core/port_catalogue.h"

namespace axistune {

std::string PortCatalogue::Name(uint8_t port) const {
    {
        std::lock_guard<std::mutex> guard(lock_);
        const auto found = assigned_.find(port);
        if (found != assigned_.end()) {
            return found->second;
        }
    }
    return DefaultName(port);
}

void PortCatalogue::Assign(uint8_t port, const std::string& name) {
    std::lock_guard<std::mutex> guard(lock_);
    assigned_[port] = name;
}

void PortCatalogue::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    assigned_.clear();
}

std::string PortCatalogue::DefaultName(uint8_t port) {
#ifdef _WIN32
    // Exactly the window's numbering, COM0 included (which no system has, so it fails to open).
    return "COM" + std::to_string(port);
#else
    (void)port;
    return std::string();
#endif
}

}  // namespace axistune
