#include <atomic>
#include <string>

#include "platform/serial_port.h"

namespace {

std::string DefaultSerialPath(unsigned port) {
    if (port == 0) {
        return std::string();  // there is no COM0
    }
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::atomic<SerialPathResolver> g_resolver{nullptr};

}  // namespace

void SetSerialPathResolver(SerialPathResolver resolver) {
    g_resolver.store(resolver);
}

std::string ResolveSerialPath(unsigned port) {
    const SerialPathResolver resolver = g_resolver.load();
    return resolver != nullptr ? resolver(port) : DefaultSerialPath(port);
}
