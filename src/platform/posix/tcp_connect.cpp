#include "platform/posix/tcp_connect.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "platform/posix/poll_wait.h"

namespace axistune {

namespace posix {

namespace {

constexpr char kScheme[] = "tcp://";
constexpr size_t kSchemeLength = sizeof(kScheme) - 1;
constexpr char kForm[] = " (the form is tcp://HOST:PORT)";

struct HostAndPort {
    std::string host;
    std::string port;
};

OpenResult BadName(const std::string& why) {
    return {OpenFailure::kOther, why + kForm};
}

// HOST:PORT, with an IPv6 address in brackets: [::1]:4000.
OpenResult ParseAddress(const std::string& device, HostAndPort* address) {
    const std::string rest = device.substr(kSchemeLength);
    size_t colon = std::string::npos;
    if (!rest.empty() && rest[0] == '[') {
        const size_t close = rest.find(']');
        if (close == std::string::npos) {
            return BadName("the IPv6 address has no closing bracket");
        }
        address->host = rest.substr(1, close - 1);
        if (close + 1 < rest.size() && rest[close + 1] == ':') {
            colon = close + 1;
        } else if (close + 1 < rest.size()) {
            return BadName("a colon and the port number must follow the address");
        }
    } else {
        colon = rest.rfind(':');
        address->host = rest.substr(0, colon);
        if (address->host.find(':') != std::string::npos) {
            return BadName("an IPv6 address goes in brackets");
        }
    }
    if (address->host.empty()) {
        return BadName("no host");
    }
    if (colon == std::string::npos || colon + 1 == rest.size()) {
        return BadName("no port number");
    }
    address->port = rest.substr(colon + 1);
    long number = 0;
    for (const char c : address->port) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return BadName("the port \"" + address->port + "\" is not a number");
        }
        number = number * 10 + (c - '0');
        if (number > 65535) {
            break;
        }
    }
    if (number < 1 || number > 65535) {
        return BadName("the port number must be 1 to 65535");
    }
    return {};
}

OpenResult ConnectFailure(int error, const std::string& where) {
    switch (error) {
        case ECONNREFUSED:
            return {OpenFailure::kNotFound, "connection refused: nothing listens at " + where};
        case ENETUNREACH:
        case EHOSTUNREACH:
        case EADDRNOTAVAIL:
            return {OpenFailure::kNotFound, std::strerror(error) + std::string(": ") + where};
        case ETIMEDOUT:
            return {OpenFailure::kOther, "no answer from " + where + " within " +
                                             std::to_string(kTcpConnectTimeoutMs / 1000) + " s"};
        default:
            return {OpenFailure::kOther, std::strerror(error) + std::string(": ") + where};
    }
}

// One address: a non-blocking connect that ends by the deadline. Returns the socket or -1
// with *error set.
int ConnectOne(const addrinfo& candidate, const Deadline& deadline, int* error) {
    const int fd = socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          candidate.ai_protocol);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    if (connect(fd, candidate.ai_addr, candidate.ai_addrlen) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) {
            *error = errno;
            close(fd);
            return -1;
        }
        pollfd wait{fd, POLLOUT, 0};
        const int ready = PollUntil(&wait, 1, deadline);
        int result = 0;
        socklen_t length = sizeof(result);
        if (ready == 0) {
            result = ETIMEDOUT;
        } else if (ready < 0) {
            result = errno;
        } else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0) {
            result = errno;
        }
        if (result != 0) {
            *error = result;
            close(fd);
            return -1;
        }
    }
    // Frames are a few bytes each and answered at once: no coalescing delay.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    return fd;
}

}  // namespace

bool IsTcpBridgeName(const std::string& device) {
    if (device.size() < kSchemeLength) {
        return false;
    }
    for (size_t i = 0; i < kSchemeLength; ++i) {
        if (std::tolower(static_cast<unsigned char>(device[i])) != kScheme[i]) {
            return false;
        }
    }
    return true;
}

OpenResult ConnectTcpBridge(const std::string& device, int* fd) {
    *fd = -1;
    HostAndPort address;
    const OpenResult parsed = ParseAddress(device, &address);
    if (!parsed.Opened()) {
        return parsed;
    }
    const std::string where = address.host + ":" + address.port;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int status = getaddrinfo(address.host.c_str(), address.port.c_str(), &hints, &found);
    if (status != 0) {
        const bool ourFault = status == EAI_MEMORY || status == EAI_SYSTEM;
        return {ourFault ? OpenFailure::kOther : OpenFailure::kNotFound,
                "cannot resolve " + address.host + ": " + gai_strerror(status)};
    }

    const Deadline deadline(kTcpConnectTimeoutMs);
    // The first address is the preferred one: its failure is the one to report.
    int firstError = 0;
    for (const addrinfo* candidate = found; candidate != nullptr && *fd < 0;
         candidate = candidate->ai_next) {
        int error = ETIMEDOUT;
        if (deadline.RemainingMs() != 0) {
            *fd = ConnectOne(*candidate, deadline, &error);
        }
        if (*fd < 0 && firstError == 0) {
            firstError = error;
        }
    }
    freeaddrinfo(found);
    return *fd >= 0 ? OpenResult{} : ConnectFailure(firstError, where);
}

}  // namespace posix

}  // namespace axistune
