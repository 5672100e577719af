#include "platform/event.h"

#include <errno.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/posix/poll_wait.h"

namespace axistune {

// An eventfd whose counter is non-zero while the event is set: readable (pollable) exactly
// then. Reset and the consuming Wait of an auto-reset event read the counter back to zero.
struct Event::Impl {
    EventReset reset = EventReset::kManual;
    int fd = -1;

    // True when this call took the event from set to clear.
    bool Consume() const {
        uint64_t value = 0;
        for (;;) {
            if (read(fd, &value, sizeof(value)) == static_cast<ssize_t>(sizeof(value))) {
                return true;
            }
            if (errno != EINTR) {
                return false;  // EAGAIN: already clear (another waiter took it)
            }
        }
    }
};

Event::Event(EventReset reset, bool initiallySet) : impl_(new Impl) {
    impl_->reset = reset;
    impl_->fd = eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
}

Event::~Event() {
    if (impl_->fd >= 0) {
        close(impl_->fd);
    }
}

bool Event::Valid() const {
    return impl_->fd >= 0;
}

void Event::Set() {
    if (impl_->fd < 0) {
        return;
    }
    const uint64_t one = 1;
    // EAGAIN only when the counter is at its maximum, i.e. the event is set anyway.
    while (write(impl_->fd, &one, sizeof(one)) < 0 && errno == EINTR) {
    }
}

void Event::Reset() {
    if (impl_->fd >= 0) {
        impl_->Consume();
    }
}

bool Event::Wait(uint32_t timeoutMs) {
    if (impl_->fd < 0) {
        return false;
    }
    const posix::Deadline deadline(timeoutMs);
    for (;;) {
        pollfd fd{impl_->fd, POLLIN, 0};
        const int ready = posix::PollUntil(&fd, 1, deadline);
        if (ready < 0) {
            return false;
        }
        if (ready == 0) {
            return false;  // time-out
        }
        if (impl_->reset == EventReset::kManual || impl_->Consume()) {
            return true;
        }
        // Another waiter consumed the auto-reset event first: keep waiting within the bound.
        if (deadline.RemainingMs() == 0) {
            return false;
        }
    }
}

intptr_t Event::NativeHandle() const {
    return impl_->fd;
}

}  // namespace axistune
