#include "bench/far_end.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <deque>

#include "bench/bench_clock.h"
#include "sim/profile.h"

namespace bench {

namespace {

constexpr int64_t kProbeTimeoutNs = 1000000000;

bool WriteAll(int fd, const uint8_t* bytes, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = write(fd, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return false;
        }
    }
    return true;
}

// Spins on a non-blocking descriptor until `count` bytes were read; the time of the last read.
int64_t SpinRead(int fd, size_t count, int64_t deadlineNs) {
    uint8_t buffer[256];
    size_t got = 0;
    while (got < count) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        const int64_t now = NowNs();
        if (n > 0) {
            got += static_cast<size_t>(n);
            if (got >= count) {
                return now;
            }
        } else if (now > deadlineNs) {
            return -1;
        }
    }
    return -1;
}

}  // namespace

FarEnd::FarEnd(const std::string& profile) : model_(*dxsim::FindProfile(profile)) {}

FarEnd::~FarEnd() {
    StopServing();
    StopWatching();
    if (hostSide_ >= 0) {
        close(hostSide_);
    }
    if (stopFd_ >= 0) {
        close(stopFd_);
    }
}

bool FarEnd::Open(std::string* error) {
    if (!line_.Open(error)) {
        return false;
    }
    hostSide_ = open(line_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (hostSide_ < 0 || stopFd_ < 0) {
        *error = "cannot open the host's side of " + line_.slavePath();
        return false;
    }
    epochNs_ = NowNs();
    return true;
}

bool FarEnd::AwaitFrame(int64_t timeoutNs, ArrivedFrame* frame) {
    const uint64_t before = FramesSoFar();
    const int64_t deadline = NowNs() + timeoutNs;
    uint8_t buffer[256];
    for (;;) {
        pollfd fd{line_.master(), POLLIN, 0};
        const int64_t leftMs = std::max<int64_t>(0, (deadline - NowNs()) / 1000000 + 1);
        poll(&fd, 1, static_cast<int>(leftMs));
        const ssize_t n = read(line_.master(), buffer, sizeof buffer);
        const int64_t now = NowNs();
        if (n > 0) {
            model_.SetLineBaud(line_.HostBaud());
            model_.Receive(buffer, static_cast<size_t>(n), ModelMs(now));
            if (FramesSoFar() > before) {
                frame->bytes = model_.frames().back().bytes;
                frame->lastByteNs = now;
                return true;
            }
        } else if (now > deadline) {
            return false;
        }
    }
}

int64_t FarEnd::SendDueReplies() {
    std::vector<uint8_t> out;
    const int64_t now = NowNs();
    model_.TakeDue(ModelMs(now) + 1, &out);
    if (out.empty()) {
        return -1;
    }
    const int64_t before = NowNs();
    return WriteAll(line_.master(), out.data(), out.size()) ? before : -1;
}

bool FarEnd::StartWatching() {
    if (watcher_.joinable()) {
        return true;
    }
    {
        std::lock_guard<std::mutex> guard(mutex_);
        seen_.clear();
    }
    watching_.store(true);
    watcher_ = std::thread([this] { Watch(); });
    return true;
}

void FarEnd::StopWatching() {
    if (!watcher_.joinable()) {
        return;
    }
    watching_.store(false);
    watcher_.join();
}

void FarEnd::Watch() {
    uint8_t buffer[256];
    while (watching_.load(std::memory_order_relaxed)) {
        const ssize_t n = read(line_.master(), buffer, sizeof buffer);
        if (n <= 0) {
            continue;
        }
        const int64_t now = NowNs();
        std::lock_guard<std::mutex> guard(mutex_);
        seen_.insert(seen_.end(), buffer, buffer + n);
        lastReadNs_ = now;
        seenChanged_.notify_all();
    }
}

bool FarEnd::AwaitBytes(size_t count, int64_t timeoutNs, std::vector<uint8_t>* bytes,
                        int64_t* lastReadNs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!seenChanged_.wait_for(lock, std::chrono::nanoseconds(timeoutNs),
                               [this, count] { return seen_.size() >= count; })) {
        return false;
    }
    bytes->assign(seen_.begin(), seen_.begin() + static_cast<std::ptrdiff_t>(count));
    seen_.erase(seen_.begin(), seen_.begin() + static_cast<std::ptrdiff_t>(count));
    *lastReadNs = lastReadNs_;
    return true;
}

bool FarEnd::WriteHostSide(const uint8_t* bytes, size_t count) {
    return WriteAll(hostSide_, bytes, count);
}

int64_t FarEnd::TimeHostToFar(const uint8_t* bytes, size_t count) {
    const int64_t start = NowNs();
    if (!WriteAll(hostSide_, bytes, count)) {
        return -1;
    }
    const int64_t end = SpinRead(line_.master(), count, start + kProbeTimeoutNs);
    return end < 0 ? -1 : end - start;
}

int64_t FarEnd::TimeFarToHost(const uint8_t* bytes, size_t count) {
    const int64_t start = NowNs();
    if (!WriteAll(line_.master(), bytes, count)) {
        return -1;
    }
    const int64_t end = SpinRead(hostSide_, count, start + kProbeTimeoutNs);
    return end < 0 ? -1 : end - start;
}

bool FarEnd::StartServing() {
    if (server_.joinable()) {
        return true;
    }
    uint64_t value = 0;
    while (read(stopFd_, &value, sizeof value) > 0) {
    }
    server_ = std::thread([this] { Serve(); });
    return true;
}

void FarEnd::StopServing() {
    if (!server_.joinable()) {
        return;
    }
    const uint64_t one = 1;
    while (write(stopFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
    server_.join();
}

std::vector<Exchange> FarEnd::TakeExchanges() {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<Exchange> taken;
    taken.swap(exchanges_);
    return taken;
}

void FarEnd::Serve() {
    // Byte times of a fast line are tens of microseconds: ask for timers that close.
    prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0);
    struct Pending {
        int64_t dueNs;
        uint8_t byte;
    };
    std::deque<Pending> outgoing;
    int64_t hostLineFreeNs = 0;  // when the last host character has fully arrived
    int64_t farLineFreeNs = 0;   // when the last controller character has fully left
    uint8_t buffer[256];
    for (;;) {
        timespec timeout{};
        timespec* wait = nullptr;
        if (!outgoing.empty()) {
            const int64_t left = std::max<int64_t>(0, outgoing.front().dueNs - NowNs());
            timeout.tv_sec = left / 1000000000;
            timeout.tv_nsec = left % 1000000000;
            wait = &timeout;
        }
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {line_.master(), POLLIN, 0}};
        if (ppoll(fds, 2, wait, nullptr) < 0 && errno != EINTR) {
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if (fds[1].revents & POLLIN) {
            for (;;) {
                const ssize_t n = read(line_.master(), buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                const int64_t now = NowNs();
                const uint32_t baud = line_.HostBaud();
                const double charNs = CharTimeNs(baud != 0 ? baud : 115200);
                // The host wrote these at once; on a wire they arrive one character time apart.
                hostLineFreeNs = std::max(hostLineFreeNs, now) +
                                 static_cast<int64_t>(charNs * static_cast<double>(n));
                const uint64_t before = FramesSoFar();
                model_.SetLineBaud(baud);
                model_.Receive(buffer, static_cast<size_t>(n), ModelMs(now));
                std::vector<uint8_t> reply;
                model_.TakeDue(ModelMs(now) + 1, &reply);
                // The answer starts when the query has fully arrived and the line is free.
                for (uint8_t b : reply) {
                    farLineFreeNs =
                        std::max(farLineFreeNs, hostLineFreeNs) + static_cast<int64_t>(charNs);
                    outgoing.push_back({farLineFreeNs, b});
                }
                const size_t frames = static_cast<size_t>(FramesSoFar() - before);
                if (frames > 0) {
                    // Frames that need no answer may come several to a read; the answer, if
                    // any, belongs to the last of them, since the host waits for every answer.
                    std::lock_guard<std::mutex> guard(mutex_);
                    const auto& received = model_.frames();
                    for (size_t k = received.size() - frames; k < received.size(); ++k) {
                        const bool last = k + 1 == received.size();
                        exchanges_.push_back({received[k].bytes[2], received[k].bytes.size(),
                                              last ? reply.size() : 0, now,
                                              last && !reply.empty() ? farLineFreeNs : 0});
                    }
                }
            }
        }
        // Everything whose last bit has left by now goes out in one write.
        const int64_t now = NowNs();
        uint8_t due[256];
        size_t count = 0;
        while (!outgoing.empty() && outgoing.front().dueNs <= now && count < sizeof due) {
            due[count++] = outgoing.front().byte;
            outgoing.pop_front();
        }
        if (count > 0) {
            WriteAll(line_.master(), due, count);
        }
    }
}

}  // namespace bench
