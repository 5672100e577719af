#include "platform/serial_port.h"

#include <errno.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/port_scheme.h"
#include "platform/posix/poll_wait.h"
#include "platform/posix/port_opener.h"

namespace axistune {

namespace {

void Drain(int fd) {
    uint64_t value = 0;
    while (read(fd, &value, sizeof(value)) < 0 && errno == EINTR) {
    }
}

}  // namespace

// Read and Write register as users of the descriptor; Close takes it away, wakes any call in
// flight through the wake descriptor and waits for them before it closes the descriptor, so
// that a reader that outlived its owner's wait never polls a closed (or reused) descriptor.
struct SerialPort::Impl {
    std::mutex mutex;
    std::condition_variable idle;
    int fd = -1;                         // guarded by mutex
    int users = 0;                       // guarded by mutex
    const PortOpener* opener = nullptr;  // the open port's kind; set with fd
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
    const RecognisedPortName name = RecognisePortName(device);
    if (!name.error.Opened()) {
        return name.error;
    }
    // Outside the lock: connecting to a bridge may take seconds.
    const PortOpener& opener = name.scheme->opener();
    int fd = -1;
    const OpenResult opened = opener.open(name.address, baudRate, &fd);
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
    impl_->opener = &opener;
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
        const ssize_t written = impl_->opener->writeSome(fd, bytes + done, count - done);
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
    const PortOpener* opener = nullptr;
    {
        std::unique_lock<std::mutex> guard(impl_->mutex);
        if (impl_->fd < 0) {
            return;
        }
        fd = impl_->fd;
        opener = impl_->opener;
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
    opener->beforeClose(fd);
    close(fd);
    impl_->failed.store(false);
}

}  // namespace axistune
