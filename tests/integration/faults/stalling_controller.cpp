#include "stalling_controller.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "sim/profile.h"

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return;
        }
    }
}

}  // namespace

StallingController::StallingController(const std::string& profile)
    : model_(std::make_unique<dxsim::ControllerModel>(*dxsim::FindProfile(profile))) {}

StallingController::~StallingController() {
    StopReading();
    for (int fd : {master_, hostSide_, wake_[0], wake_[1]}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool StallingController::Start() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        return false;
    }
    const char* name = ptsname(master_);
    if (name == nullptr || pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) {
        return false;
    }
    hostPath_ = name;
    hostSide_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (hostSide_ < 0) {
        return false;
    }
    termios raw{};
    tcgetattr(hostSide_, &raw);
    cfmakeraw(&raw);
    tcsetattr(hostSide_, TCSANOW, &raw);
    serving_ = true;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void StallingController::Serve() {
    uint8_t buffer[256];
    std::vector<uint8_t> out;
    while (serving_.load()) {
        int64_t due = 0;
        int timeout = 50;
        if (model_->NextDue(&due)) {
            timeout = static_cast<int>(std::clamp<int64_t>(due - NowMs(), 0, 50));
        }
        pollfd fds[2] = {{wake_[0], POLLIN, 0}, {master_, POLLIN, 0}};
        poll(fds, 2, timeout);
        if (!serving_.load()) {
            return;
        }
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n > 0) {
            received_.insert(received_.end(), buffer, buffer + n);
            model_->Receive(buffer, static_cast<size_t>(n), NowMs());
        }
        out.clear();
        model_->TakeDue(NowMs(), &out);
        WriteAll(master_, out);
    }
}

void StallingController::StopReading() {
    if (!serving_.exchange(false)) {
        return;
    }
    const uint8_t wake = 1;
    ssize_t ignored = write(wake_[1], &wake, 1);
    (void)ignored;
    thread_.join();
}

size_t StallingController::FillLine() {
    const std::vector<uint8_t> filler(1024, 0x00);
    size_t total = 0;
    for (int quietRounds = 0; quietRounds < 2;) {
        size_t round = 0;
        for (size_t chunk : {filler.size(), size_t{1}}) {
            for (;;) {
                const ssize_t n = write(hostSide_, filler.data(), chunk);
                if (n <= 0) {
                    break;
                }
                round += static_cast<size_t>(n);
            }
        }
        total += round;
        quietRounds = round == 0 ? quietRounds + 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return total;
}

std::vector<uint8_t> StallingController::Drain(int quietMs, int maxMs) {
    std::vector<uint8_t> bytes;
    uint8_t buffer[4096];
    const int64_t end = NowMs() + maxMs;
    int64_t lastData = NowMs();
    while (NowMs() < end && NowMs() - lastData < quietMs) {
        pollfd fd{master_, POLLIN, 0};
        poll(&fd, 1, 10);
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
            lastData = NowMs();
        }
    }
    received_.insert(received_.end(), bytes.begin(), bytes.end());
    return bytes;
}

std::vector<uint8_t> StallingController::Received() const {
    return received_;
}

std::vector<uint16_t> SetCurrentValues(const std::vector<uint8_t>& bytes, uint8_t selector) {
    std::vector<uint16_t> values;
    for (size_t i = 0; i + 7 <= bytes.size(); ++i) {
        if (bytes[i] == 0xAA && bytes[i + 1] == 0x05 && bytes[i + 2] == 0x33 &&
            bytes[i + 3] == 0x00 && bytes[i + 4] == selector) {
            values.push_back(static_cast<uint16_t>(bytes[i + 5] | bytes[i + 6] << 8));
            i += 6;
        }
    }
    return values;
}
