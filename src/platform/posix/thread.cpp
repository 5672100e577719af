#include "platform/thread.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/posix/poll_wait.h"

namespace axistune {

namespace {

// Shared between the owner and the running thread: the owner may give up waiting while the
// thread still runs.
struct Completion {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};

struct Startup {
    std::function<void()> body;
    std::shared_ptr<Completion> completion;
};

void* RunThread(void* argument) {
    Startup* startup = static_cast<Startup*>(argument);
    std::shared_ptr<Completion> completion = startup->completion;
    startup->body();
    // The body and what it captured are gone before a Join can report the thread ended.
    delete startup;
    {
        std::lock_guard<std::mutex> guard(completion->mutex);
        completion->done = true;
    }
    completion->ended.notify_all();
    return nullptr;
}

std::atomic<uint32_t> g_nextThreadId{1};

}  // namespace

struct Thread::Impl {
    pthread_t handle{};
    bool started = false;
    uint32_t id = 0;
    std::shared_ptr<Completion> completion;
};

Thread::Thread() : impl_(new Impl) {}

Thread::~Thread() {
    if (impl_->started) {
        pthread_join(impl_->handle, nullptr);
    }
}

bool Thread::Start(std::function<void()> body) {
    if (impl_->started || !body) {
        return false;
    }
    auto completion = std::make_shared<Completion>();
    Startup* startup = new Startup{std::move(body), completion};
    if (pthread_create(&impl_->handle, nullptr, RunThread, startup) != 0) {
        delete startup;
        return false;
    }
    impl_->started = true;
    impl_->completion = std::move(completion);
    impl_->id = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    return true;
}

// A bounded join: the thread reports its end through the completion record (timed on the
// monotonic clock); only then is pthread_join called, and it returns at once.
bool Thread::Join(uint32_t timeoutMs) {
    if (!impl_->started) {
        return true;
    }
    Completion& completion = *impl_->completion;
    {
        std::unique_lock<std::mutex> guard(completion.mutex);
        if (timeoutMs == posix::kWaitForever) {
            completion.ended.wait(guard, [&] { return completion.done; });
        } else {
            const auto until =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
            if (!completion.ended.wait_until(guard, until, [&] { return completion.done; })) {
                return false;
            }
        }
    }
    pthread_join(impl_->handle, nullptr);
    impl_->started = false;
    impl_->completion.reset();
    return true;
}

bool Thread::Started() const {
    return impl_->started;
}

uint32_t Thread::Id() const {
    return impl_->id;
}

}  // namespace axistune
