#include "platform/serial_port.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/posix/poll_wait.h"
#include "platform/posix/tcp_connect.h"

namespace axistune {

namespace {

OpenResult OpenFailureFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return {OpenFailure::kNotFound, std::strerror(error)};
        case EACCES:
        case EPERM:
            return {OpenFailure::kPermissionDenied, std::strerror(error)};
        case EBUSY:
            return {OpenFailure::kBusy, std::strerror(error)};
        default:
            return {OpenFailure::kOther, std::strerror(error)};
    }
}

struct BaudSpeed {
    uint32_t rate;
    speed_t speed;
};

constexpr BaudSpeed kBaudSpeeds[] = {
    {50, B50},           {75, B75},         {110, B110},       {134, B134},     {150, B150},
    {200, B200},         {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
    {2400, B2400},       {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
    {57600, B57600},     {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},
#endif
#ifdef B576000
    {576000, B576000},
#endif
#ifdef B921600
    {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000},
#endif
#ifdef B1152000
    {1152000, B1152000},
#endif
#ifdef B1500000
    {1500000, B1500000},
#endif
#ifdef B2000000
    {2000000, B2000000},
#endif
#ifdef B2500000
    {2500000, B2500000},
#endif
#ifdef B3000000
    {3000000, B3000000},
#endif
#ifdef B3500000
    {3500000, B3500000},
#endif
#ifdef B4000000
    {4000000, B4000000},
#endif
};

// Raw 8N1: the line carries binary frames, so nothing may alter, swallow or add a byte
// (no XON/XOFF either way, no CR/NL translation, no parity check or marking, no echo).
// Hardware flow control and the modem lines stay as the driver has them.
void MakeRaw(termios& settings, uint32_t baudRate) {
    cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    for (const BaudSpeed& entry : kBaudSpeeds) {
        if (entry.rate == baudRate) {
            cfsetispeed(&settings, entry.speed);
            cfsetospeed(&settings, entry.speed);
            break;
        }
    }
    // A rate without a standard speed keeps the current one.
}

void Drain(int fd) {
    uint64_t value = 0;
    while (read(fd, &value, sizeof(value)) < 0 && errno == EINTR) {
    }
}

OpenResult OpenTerminal(const std::string& device, uint32_t baudRate, int* result) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return OpenFailureFromErrno(errno);
    }
    // No sharing: a port that another SerialPort (or cooperating program) holds is in use.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? OpenResult{OpenFailure::kBusy, std::strerror(error)}
                                    : OpenFailureFromErrno(error);
    }
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        const int error = errno;
        close(fd);
        return {OpenFailure::kOther, error == ENOTTY ? std::string("not a serial device")
                                                     : std::string(std::strerror(error))};
    }
    // A line left cooked would alter binary frames: refuse it rather than corrupt them.
    MakeRaw(settings, baudRate);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        const int error = errno;
        close(fd);
        return {OpenFailure::kOther,
                std::string("cannot set the line to raw 8N1: ") + std::strerror(error)};
    }
    *result = fd;
    return {};
}

// A socket whose peer has gone raises SIGPIPE on write(); send() can be told not to.
ssize_t WriteSome(int fd, bool socket, const uint8_t* bytes, size_t count) {
    return socket ? send(fd, bytes, count, MSG_NOSIGNAL) : write(fd, bytes, count);
}

}  // namespace

// Read and Write register as users of the descriptor; Close takes it away, wakes any call in
// flight through the wake descriptor and waits for them before it closes the descriptor, so
// that a reader that outlived its owner's wait never polls a closed (or reused) descriptor.
struct SerialPort::Impl {
    std::mutex mutex;
    std::condition_variable idle;
    int fd = -1;          // guarded by mutex
    int users = 0;        // guarded by mutex
    bool socket = false;  // a TCP bridge, not a terminal; set with fd
    int wakeFd = -1;
    // Latched by a failed read until the port is closed: later reads wait instead of
    // returning at once, so that a caller that keeps reading never spins.
    std::atomic<bool> failed{false};
    uint8_t buffer[kReadChunk];

    int Acquire() {
        std::lock_guard<std::mutex> guard(mutex);
        if (fd >= 0) {
            ++users;
        }
        return fd;
    }

    void Release() {
        std::lock_guard<std::mutex> guard(mutex);
        if (--users == 0) {
            idle.notify_all();
        }
    }

    ReadResult Result(WaitOutcome outcome, size_t count = 0) { return {outcome, buffer, count}; }

    ReadResult Fail() {
        failed.store(true);
        return Result(WaitOutcome::kFailed);
    }
};

SerialPort::SerialPort() : impl_(new Impl) {
    impl_->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

SerialPort::~SerialPort() {
    Close();
    if (impl_->wakeFd >= 0) {
        close(impl_->wakeFd);
    }
}

OpenResult SerialPort::Open(const std::string& device, uint32_t baudRate) {
    if (IsOpen()) {
        return {OpenFailure::kBusy, "this port is already open"};
    }
    if (device.empty()) {
        return {OpenFailure::kNotFound, std::string()};
    }
    // Outside the lock: connecting to a bridge may take seconds.
    const bool bridge = posix::IsTcpBridgeName(device);
    int fd = -1;
    const OpenResult opened =
        bridge ? posix::ConnectTcpBridge(device, &fd) : OpenTerminal(device, baudRate, &fd);
    if (!opened.Opened()) {
        return opened;
    }
    std::lock_guard<std::mutex> guard(impl_->mutex);
    if (impl_->fd >= 0) {
        close(fd);
        return {OpenFailure::kBusy, "this port is already open"};
    }
    if (impl_->wakeFd >= 0) {
        Drain(impl_->wakeFd);
    }
    impl_->failed.store(false);
    impl_->socket = bridge;
    impl_->fd = fd;
    return {};
}

bool SerialPort::IsOpen() const {
    std::lock_guard<std::mutex> guard(impl_->mutex);
    return impl_->fd >= 0;
}

WriteOutcome SerialPort::Write(const uint8_t* bytes, size_t count, uint32_t timeoutMs) {
    const int fd = impl_->Acquire();
    if (fd < 0) {
        return WriteOutcome::kFailed;
    }
    const posix::Deadline deadline(timeoutMs);
    WriteOutcome outcome = WriteOutcome::kWritten;
    size_t done = 0;
    while (done < count) {
        const ssize_t written = WriteSome(fd, impl_->socket, bytes + done, count - done);
        if (written > 0) {
            done += static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno != EAGAIN) {
            outcome = WriteOutcome::kFailed;  // EIO or EPIPE when the far end is gone, ...
            break;
        }
        pollfd fds[2] = {{fd, POLLOUT, 0}, {impl_->wakeFd, POLLIN, 0}};
        const int ready = posix::PollUntil(fds, 2, deadline);
        if (ready == 0) {
            outcome = WriteOutcome::kTimedOut;
            break;
        }
        if (ready < 0 || fds[1].revents != 0 ||
            ((fds[0].revents & POLLOUT) == 0 && fds[0].revents != 0)) {
            outcome = WriteOutcome::kFailed;
            break;
        }
    }
    impl_->Release();
    return outcome;
}

ReadResult SerialPort::Read(const Event& stop, uint32_t timeoutMs) {
    const int fd = impl_->Acquire();
    if (fd < 0 || impl_->failed.load()) {
        if (fd >= 0) {
            impl_->Release();
        }
        // Closed or failed: honour the stop event and otherwise report the failure again
        // after the time-out, never at once.
        const bool stopped = posix::WaitForEvent(stop, timeoutMs);
        return impl_->Result(stopped ? WaitOutcome::kStopped : WaitOutcome::kFailed);
    }
    const posix::Deadline deadline(timeoutMs);
    ReadResult result = impl_->Result(WaitOutcome::kTimedOut);
    for (;;) {
        // The stop event comes first: it wins over data that arrived at the same time.
        pollfd fds[3] = {
            {posix::EventFd(stop), POLLIN, 0}, {fd, POLLIN, 0}, {impl_->wakeFd, POLLIN, 0}};
        const int ready = posix::PollUntil(fds, 3, deadline);
        if (ready == 0) {
            break;
        }
        if (ready < 0) {
            result = impl_->Fail();
            break;
        }
        if (fds[0].revents != 0) {
            result = impl_->Result(WaitOutcome::kStopped);
            break;
        }
        if (fds[2].revents != 0) {
            result = impl_->Result(WaitOutcome::kFailed);  // closed under the read
            break;
        }
        if (fds[1].revents == 0) {
            continue;
        }
        const ssize_t got = read(fd, impl_->buffer, kReadChunk);
        if (got > 0) {
            result = impl_->Result(WaitOutcome::kData, static_cast<size_t>(got));
            break;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR) && fds[1].revents == POLLIN) {
            continue;
        }
        // End of file, a hang-up (the far end closed, the adapter pulled) or a read error.
        result = impl_->Fail();
        break;
    }
    impl_->Release();
    return result;
}

void SerialPort::Close() {
    int fd = -1;
    bool socket = false;
    {
        std::unique_lock<std::mutex> guard(impl_->mutex);
        if (impl_->fd < 0) {
            return;
        }
        fd = impl_->fd;
        socket = impl_->socket;
        impl_->fd = -1;
        if (impl_->users > 0 && impl_->wakeFd >= 0) {
            const uint64_t one = 1;
            while (write(impl_->wakeFd, &one, sizeof(one)) < 0 && errno == EINTR) {
            }
        }
        impl_->idle.wait(guard, [this] { return impl_->users == 0; });
        if (impl_->wakeFd >= 0) {
            Drain(impl_->wakeFd);
        }
    }
    if (!socket) {
        tcflush(fd, TCIOFLUSH);
    }
    close(fd);
    impl_->failed.store(false);
}

}  // namespace axistune
