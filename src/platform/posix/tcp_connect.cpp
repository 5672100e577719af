#include "platform/posix/tcp_connect.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/poll_wait.h"
#include "platform/posix/port_opener.h"

namespace axistune {

namespace posix {

namespace {

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

OpenResult ConnectTcpBridge(const PortAddress& address, int* fd) {
    *fd = -1;
    const std::string port = std::to_string(address.port);
    const std::string where = address.host + ":" + port;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int status = getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found);
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

namespace {

OpenResult OpenBridge(const PortAddress& address, uint32_t /*baudRate: the bridge's own*/,
                      int* fd) {
    return posix::ConnectTcpBridge(address, fd);
}

// A socket whose peer has gone raises SIGPIPE on write(); send() can be told not to.
ssize_t SendSome(int fd, const uint8_t* bytes, size_t count) {
    return send(fd, bytes, count, MSG_NOSIGNAL);
}

void NothingPending(int /*fd*/) {}

constexpr PortOpener kTcpBridge = {&OpenBridge, &SendSome, &NothingPending};

}  // namespace

const PortOpener& TcpBridgeOpener() {
    return kTcpBridge;
}

}  // namespace axistune
