#include "sim/pty_server.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace dxsim {

namespace {
// While no host has the line open the master reports a hang-up at once, so it is looked at
// again only after this pause.
constexpr int64_t kHangupPollMs = 20;
constexpr int64_t kIdlePollMs = 1000;
}  // namespace

PtyServer::PtyServer(ServerOptions options) : options_(std::move(options)) {
    if (options_.profile.name.empty()) {
        options_.profile = *FindProfile("dx5");
    }
    model_ = std::make_unique<ControllerModel>(options_.profile, options_.seed);
    model_->SetFaults(options_.faults);
    model_->SetTrace(options_.trace);
    if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) {
        wake_[0] = wake_[1] = -1;
    }
}

PtyServer::~PtyServer() {
    Stop();
    if (wake_[0] >= 0) {
        close(wake_[0]);
        close(wake_[1]);
    }
}

int64_t PtyServer::Now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool PtyServer::Start(std::string* error) {
    std::string ignored;
    std::string& err = error != nullptr ? *error : ignored;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_) {
            err = "already running";
            return false;
        }
        if (wake_[0] < 0) {
            err = "pipe2 failed";
            return false;
        }
        if (!OpenLine(&err)) {
            return false;
        }
        startMs_ = Now();
        pullAtMs_ = options_.pullAfterMs >= 0 ? startMs_ + options_.pullAfterMs : -1;
        running_ = true;
        stopping_ = false;
        path = slavePath_;
    }
    if (options_.onLineOpened) {
        options_.onLineOpened(path);
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PtyServer::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!running_) {
            return;
        }
        stopping_ = true;
    }
    Wake();
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    CloseLine(nullptr);
    replugAtMs_ = -1;
    pullAtMs_ = -1;
    running_ = false;
    framesArrived_.notify_all();
}

bool PtyServer::Running() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

bool PtyServer::OpenLine(std::string* error) {
    if (!line_.Open(error)) {
        return false;
    }
    slavePath_ = line_.slavePath();
    if (!options_.linkPath.empty() && !PlaceLink(options_.linkPath, slavePath_, error)) {
        line_.Close();
        slavePath_.clear();
        return false;
    }
    hungUp_ = false;
    lineBaud_ = 0;
    unsent_.clear();
    model_->SetLineBaud(0);
    model_->LineReset();
    if (options_.trace != nullptr) {
        options_.trace->Note("line open at " + slavePath_ +
                             (options_.linkPath.empty() ? "" : " (" + options_.linkPath + ")"));
    }
    return true;
}

void PtyServer::CloseLine(const char* why) {
    if (!line_.IsOpen()) {
        return;
    }
    line_.Close();
    if (!options_.linkPath.empty()) {
        RemoveLink(options_.linkPath, slavePath_);
    }
    if (why != nullptr && options_.trace != nullptr) {
        options_.trace->Note(std::string(why) + ": line " + slavePath_ + " closed");
    }
    slavePath_.clear();
    unsent_.clear();
    model_->LineReset();
}

void PtyServer::Wake() const {
    if (wake_[1] >= 0) {
        const uint8_t b = 1;
        ssize_t ignored = write(wake_[1], &b, 1);
        (void)ignored;
    }
}

void PtyServer::Run() {
    for (;;) {
        int64_t timeout = kIdlePollMs;
        bool watchMaster = false;
        bool wantWrite = false;
        int master = -1;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (stopping_) {
                return;
            }
            const int64_t now = Now();
            if (line_.IsOpen() && pullAtMs_ >= 0 && now >= pullAtMs_) {
                pullAtMs_ = -1;
                cablePulls_++;
                CloseLine("cable pulled");
                if (options_.replugAfterMs >= 0) {
                    replugAtMs_ = now + options_.replugAfterMs;
                }
            }
            if (!line_.IsOpen() && replugAtMs_ >= 0 && now >= replugAtMs_) {
                replugAtMs_ = -1;
                std::string error;
                if (OpenLine(&error)) {
                    const std::string path = slavePath_;
                    lock.unlock();
                    if (options_.onLineOpened) {
                        options_.onLineOpened(path);
                    }
                    continue;
                }
                if (options_.trace != nullptr) {
                    options_.trace->Note("re-plug failed: " + error);
                }
            }
            int64_t due = 0;
            if (line_.IsOpen() && model_->NextDue(&due)) {
                timeout = std::min(timeout, std::max<int64_t>(0, due - now));
            }
            if (pullAtMs_ >= 0 && line_.IsOpen()) {
                timeout = std::min(timeout, std::max<int64_t>(0, pullAtMs_ - now));
            }
            if (replugAtMs_ >= 0 && !line_.IsOpen()) {
                timeout = std::min(timeout, std::max<int64_t>(0, replugAtMs_ - now));
            }
            if (line_.IsOpen()) {
                master = line_.master();
                if (hungUp_) {
                    timeout = std::min(timeout, kHangupPollMs);
                } else {
                    watchMaster = true;
                    wantWrite = !unsent_.empty();
                }
            }
        }

        pollfd fds[2] = {{wake_[0], POLLIN, 0}, {master, POLLIN, 0}};
        if (wantWrite) {
            fds[1].events |= POLLOUT;
        }
        poll(fds, watchMaster ? 2 : 1, static_cast<int>(timeout));
        if (fds[0].revents & POLLIN) {
            uint8_t drain[64];
            while (read(wake_[0], drain, sizeof(drain)) > 0) {
            }
        }

        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            return;
        }
        if (line_.IsOpen() && line_.master() == master) {
            short revents = fds[1].revents;
            if (!watchMaster) {
                pollfd probe{master, POLLIN, 0};
                poll(&probe, 1, 0);
                revents = probe.revents;
            }
            ServiceLine((revents & POLLIN) != 0, (revents & POLLHUP) != 0);
        }
        Flush(Now());
    }
}

void PtyServer::ServiceLine(bool readable, bool hungUpNow) {
    if (readable) {
        uint8_t buf[256];
        for (;;) {
            const ssize_t n = read(line_.master(), buf, sizeof(buf));
            if (n <= 0) {
                break;
            }
            const uint32_t baud = line_.HostBaud();
            if (baud != lineBaud_) {
                lineBaud_ = baud;
                model_->SetLineBaud(baud);
                if (options_.trace != nullptr) {
                    options_.trace->Note(baud == 0 ? std::string("host left the line rate unset")
                                                   : "host set " + std::to_string(baud) + " baud");
                }
            }
            // Stamped per read: a host that keeps the line full keeps this loop going, and one
            // time for the whole loop would make the rest of a frame the buffer split look late.
            model_->Receive(buf, static_cast<size_t>(n), Now());
        }
        framesArrived_.notify_all();
    }
    if (hungUpNow && !hungUp_) {
        hungUp_ = true;
        hangups_++;
        unsent_.clear();
        model_->LineReset();
        line_.DiscardHostInput();
        if (options_.trace != nullptr) {
            options_.trace->Note("host closed the line");
        }
    } else if (!hungUpNow && hungUp_) {
        hungUp_ = false;
        if (options_.trace != nullptr) {
            options_.trace->Note("host opened the line");
        }
    }
}

void PtyServer::Flush(int64_t now) {
    if (!line_.IsOpen()) {
        return;
    }
    model_->TakeDue(now, &unsent_);
    if (hungUp_) {
        unsent_.clear();  // nobody listens: the bytes are lost, as on a real line
        return;
    }
    while (!unsent_.empty()) {
        const ssize_t n = write(line_.master(), unsent_.data(), unsent_.size());
        if (n > 0) {
            unsent_.erase(unsent_.begin(), unsent_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            unsent_.clear();
        }
        break;
    }
}

std::string PtyServer::SlavePath() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slavePath_;
}

bool PtyServer::LineOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return line_.IsOpen();
}

void PtyServer::SetFaults(const Faults& faults) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        model_->SetFaults(faults);
    }
    Wake();
}

Faults PtyServer::GetFaults() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return model_->GetFaults();
}

void PtyServer::PullCable(int64_t replugAfterMs) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!line_.IsOpen()) {
            return;
        }
        pullAtMs_ = -1;
        cablePulls_++;
        CloseLine("cable pulled");
        replugAtMs_ = replugAfterMs >= 0 ? Now() + replugAfterMs : -1;
    }
    Wake();
}

bool PtyServer::Replug(std::string* error) {
    std::string ignored;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!running_ || line_.IsOpen()) {
            return running_;
        }
        replugAtMs_ = -1;
        if (!OpenLine(error != nullptr ? error : &ignored)) {
            return false;
        }
        path = slavePath_;
        Wake();
    }
    if (options_.onLineOpened) {
        options_.onLineOpened(path);
    }
    return true;
}

uint32_t PtyServer::FramesReceived(uint8_t command) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return model_->counters().framesByCommand[command];
}

Counters PtyServer::GetCounters() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return model_->counters();
}

std::vector<ReceivedFrame> PtyServer::Frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<ReceivedFrame>(model_->frames().begin(), model_->frames().end());
}

bool PtyServer::WaitForFrames(uint8_t command, uint32_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return framesArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return model_->counters().framesByCommand[command] >= count;
    });
}

Settings PtyServer::GetSettings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return model_->settings();
}

Settings PtyServer::GetStoredSettings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return model_->stored();
}

uint32_t PtyServer::LineBaud() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lineBaud_;
}

uint32_t PtyServer::CablePulls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cablePulls_;
}

uint32_t PtyServer::HostHangups() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return hangups_;
}

void PtyServer::WithModel(const std::function<void(ControllerModel&, int64_t)>& fn) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        fn(*model_, Now());
    }
    Wake();
}

}  // namespace dxsim
