#include "platform/byte_queue.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/poll_wait.h"

namespace axistune {

namespace {

// Close to the 512-byte buffer of the Windows pipe, so that producers here also block early
// when the worker falls behind (one page is the smallest size Linux offers).
constexpr int kPipeSize = 4096;

}  // namespace

// A pipe: the read end non-blocking and polled together with the stop event, the write end
// blocking so that a producer waits while the pipe is full.
struct ByteQueue::Impl {
    int readFd = -1;
    int writeFd = -1;
    uint8_t buffer[kReadChunk];
};

ByteQueue::ByteQueue() : impl_(new Impl) {}

ByteQueue::~ByteQueue() {
    if (impl_->readFd >= 0) {
        close(impl_->readFd);
    }
    if (impl_->writeFd >= 0) {
        close(impl_->writeFd);
    }
}

QueueOpenError ByteQueue::Open() {
    if (impl_->readFd >= 0) {
        return QueueOpenError::kNone;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return QueueOpenError::kCreateFailed;
    }
    const int flags = fcntl(fds[0], F_GETFL);
    if (flags < 0 || fcntl(fds[0], F_SETFL, flags | O_NONBLOCK) != 0) {
        close(fds[0]);
        close(fds[1]);
        return QueueOpenError::kCreateFailed;
    }
#ifdef F_SETPIPE_SZ
    fcntl(fds[1], F_SETPIPE_SZ, kPipeSize);  // best effort; the default size works too
#endif
    impl_->readFd = fds[0];
    impl_->writeFd = fds[1];
    return QueueOpenError::kNone;
}

bool ByteQueue::Write(const uint8_t* bytes, size_t count) {
    if (impl_->writeFd < 0) {
        return false;
    }
    // Messages are far below PIPE_BUF, so each goes into the pipe in one piece; the loop only
    // covers interruptions.
    size_t done = 0;
    while (done < count) {
        const ssize_t written = write(impl_->writeFd, bytes + done, count - done);
        if (written > 0) {
            done += static_cast<size_t>(written);
        } else if (written < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

ReadResult ByteQueue::Read(const Event& stop, uint32_t timeoutMs) {
    if (impl_->readFd < 0) {
        // Never a busy loop for a caller that keeps reading a queue that did not open.
        const bool stopped = posix::WaitForEvent(stop, timeoutMs);
        return {stopped ? WaitOutcome::kStopped : WaitOutcome::kFailed, impl_->buffer, 0};
    }
    const posix::Deadline deadline(timeoutMs);
    for (;;) {
        // The stop event comes first: it wins when both are ready.
        pollfd fds[2] = {{posix::EventFd(stop), POLLIN, 0}, {impl_->readFd, POLLIN, 0}};
        const int ready = posix::PollUntil(fds, 2, deadline);
        if (ready < 0) {
            return {WaitOutcome::kFailed, impl_->buffer, 0};
        }
        if (ready == 0) {
            return {WaitOutcome::kTimedOut, impl_->buffer, 0};
        }
        if (fds[0].revents != 0) {  // set (or destroyed under us): either way, stop
            return {WaitOutcome::kStopped, impl_->buffer, 0};
        }
        if (fds[1].revents == 0) {
            continue;
        }
        const ssize_t got = read(impl_->readFd, impl_->buffer, kReadChunk);
        if (got > 0) {
            return {WaitOutcome::kData, impl_->buffer, static_cast<size_t>(got)};
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR) && (fds[1].revents & POLLIN)) {
            continue;
        }
        // End of stream (no writer left) or an error.
        return {WaitOutcome::kFailed, impl_->buffer, 0};
    }
}

const char* ByteQueue::Name() const {
    return "";
}

}  // namespace axistune
