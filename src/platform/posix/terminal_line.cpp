// The serial line's opener on POSIX: a terminal device set to raw 8N1, locked against a second
// open.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/port_opener.h"

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

OpenResult OpenTerminal(const PortAddress& address, uint32_t baudRate, int* result) {
    const int fd = open(address.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
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

ssize_t WriteLine(int fd, const uint8_t* bytes, size_t count) {
    return write(fd, bytes, count);
}

// A frame already written belongs on the line: a session that closes right after its last
// request (a restore that reconnects to read back) must not take it back. The driver gets a
// bounded time to send what it still holds, and only what came in is discarded; flushing the
// output too dropped such a frame now and then (on a pseudo-terminal, before the far end saw it).
constexpr int kDrainBoundMs = 500;
constexpr int kDrainStepMs = 2;

void SendQueuedThenDiscardInput(int fd) {
    for (int waited = 0; waited < kDrainBoundMs; waited += kDrainStepMs) {
        int queued = 0;
        if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
            break;
        }
        usleep(kDrainStepMs * 1000);
    }
    tcflush(fd, TCIFLUSH);
}

constexpr PortOpener kSerialLine = {&OpenTerminal, &WriteLine, &SendQueuedThenDiscardInput};

}  // namespace

const PortOpener& SerialLineOpener() {
    return kSerialLine;
}

}  // namespace axistune
