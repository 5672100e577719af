#include "platform/port_scheme.h"

#include <cctype>
#include <cstring>

namespace axistune {

namespace {

OpenResult TakeDevice(const std::string& rest, PortAddress* address) {
    address->device = rest;
    return {};
}

OpenResult Malformed(const std::string& why) {
    return {OpenFailure::kOther, why};
}

// The serial line comes last: it takes every name that no prefix claims.
constexpr PortScheme kSchemes[] = {
    {"TCP bridge", "tcp://", "tcp://HOST:PORT", &ParseHostAndPort, &TcpBridgeOpener},
    {"serial line", "", "a device name", &TakeDevice, &SerialLineOpener},
};

bool StartsWithInAnyCase(const std::string& text, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (text.size() < length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

RecognisedPortName RecognisePortName(const std::string& device) {
    RecognisedPortName recognised;
    for (const PortScheme& scheme : kSchemes) {
        if (StartsWithInAnyCase(device, scheme.prefix)) {
            recognised.scheme = &scheme;
            break;
        }
    }
    const std::string rest = device.substr(std::strlen(recognised.scheme->prefix));
    recognised.error = recognised.scheme->parse(rest, &recognised.address);
    if (!recognised.error.Opened()) {
        recognised.error.systemMessage +=
            std::string(" (the form is ") + recognised.scheme->form + ")";
    }
    return recognised;
}

OpenResult ParseHostAndPort(const std::string& text, PortAddress* address) {
    size_t colon = std::string::npos;
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos) {
            return Malformed("the IPv6 address has no closing bracket");
        }
        address->host = text.substr(1, close - 1);
        if (close + 1 < text.size() && text[close + 1] == ':') {
            colon = close + 1;
        } else if (close + 1 < text.size()) {
            return Malformed("a colon and the port number must follow the address");
        }
    } else {
        colon = text.rfind(':');
        address->host = text.substr(0, colon);
        if (address->host.find(':') != std::string::npos) {
            return Malformed("an IPv6 address goes in brackets");
        }
    }
    if (address->host.empty()) {
        return Malformed("no host");
    }
    if (colon == std::string::npos || colon + 1 == text.size()) {
        return Malformed("no port number");
    }
    const std::string port = text.substr(colon + 1);
    long number = 0;
    for (const char c : port) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return Malformed("the port \"" + port + "\" is not a number");
        }
        number = number * 10 + (c - '0');
        if (number > 65535) {
            break;
        }
    }
    if (number < 1 || number > 65535) {
        return Malformed("the port number must be 1 to 65535");
    }
    address->port = static_cast<uint16_t>(number);
    return {};
}

}  // namespace axistune
