#pragma once

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace dxsim_test {

using Bytes = std::vector<uint8_t>;

inline int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The host's end of the line, opened the way a serial-port program opens a tty: raw, with a
// rate of its choice (or none at all).
class HostPort {
  public:
    HostPort() = default;
    ~HostPort() { Close(); }
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    // speed 0: leave the line's rate as it is.
    bool Open(const std::string& path, speed_t speed) {
        Close();
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            return false;
        }
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        if (speed != 0) {
            cfsetispeed(&t, speed);
            cfsetospeed(&t, speed);
        }
        return tcsetattr(fd_, TCSANOW, &t) == 0;
    }
    void Close() {
        if (fd_ >= 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    bool Send(const Bytes& b) {
        return fd_ >= 0 && write(fd_, b.data(), b.size()) == static_cast<ssize_t>(b.size());
    }

    // Reads until `want` bytes came or timeoutMs passed. arrivals gets the time of each read.
    Bytes Read(size_t want, int timeoutMs, std::vector<int64_t>* arrivals = nullptr) {
        Bytes out;
        const int64_t end = NowMs() + timeoutMs;
        while (out.size() < want) {
            const int64_t left = end - NowMs();
            if (left <= 0) {
                break;
            }
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0) {
                continue;
            }
            uint8_t buf[256];
            const ssize_t n = read(fd_, buf, sizeof(buf));
            if (n <= 0) {
                hungUp_ = true;
                break;
            }
            out.insert(out.end(), buf, buf + n);
            if (arrivals != nullptr) {
                arrivals->push_back(NowMs());
            }
        }
        return out;
    }
    Bytes Exchange(const Bytes& frame, size_t want, int timeoutMs = 2000) {
        Send(frame);
        return Read(want, timeoutMs);
    }
    // True once a read on the line reports its end (EOF or an error), within timeoutMs.
    bool WaitHangup(int timeoutMs) {
        const int64_t end = NowMs() + timeoutMs;
        while (!hungUp_ && NowMs() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                uint8_t buf[64];
                const ssize_t n = read(fd_, buf, sizeof(buf));
                if (n == 0 || (n < 0 && errno != EAGAIN)) {
                    hungUp_ = true;
                }
            }
        }
        return hungUp_;
    }

  private:
    int fd_ = -1;
    bool hungUp_ = false;
};

}  // namespace dxsim_test
