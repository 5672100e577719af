#include "app/history_writer.h"

#include <deque>
#include <utility>

#include "app/bounded_thread_stop.h"
#include "platform/event.h"
#include "platform/lock.h"

namespace axistune {

namespace {

// How long the idle thread sleeps before it looks at its queue again: it is woken at once
// for new work and for Stop, so this only bounds each wait.
constexpr uint32_t kIdleWaitMs = 10000;

struct Job {
    uint64_t ticket;
    HistoryReason reason;
    std::string port;
    SettingsFile settings;
};

}  // namespace

struct HistoryWriter::Shared {
    Shared(SettingsHistory h, Finished f) : history(std::move(h)), finished(std::move(f)) {}

    const SettingsHistory history;
    const Finished finished;
    Lock lock;
    Event wake{EventReset::kAuto, false};
    // Clear while `finished` runs, so that Stop can wait for it to return.
    Event callbackReturned{EventReset::kManual, true};
    std::deque<Job> queue;  // under lock, as are the fields below
    bool stopping = false;
    uint64_t nextTicket = 1;
    std::string lastFailure;

    void Run();
};

void HistoryWriter::Shared::Run() {
    for (;;) {
        Job job{};
        {
            LockGuard guard(lock);
            if (queue.empty()) {
                if (stopping) {
                    return;
                }
                job.ticket = 0;
            } else {
                job = std::move(queue.front());
                queue.pop_front();
            }
        }
        if (job.ticket == 0) {
            wake.Wait(kIdleWaitMs);
            continue;
        }
        const HistoryOutcome outcome = history.Write(job.reason, job.port, job.settings);
        {
            LockGuard guard(lock);
            lastFailure = outcome.Ok() ? "" : outcome.message;
            if (stopping || !finished) {
                continue;
            }
            callbackReturned.Reset();
        }
        finished(job.ticket, outcome);
        callbackReturned.Set();
    }
}

HistoryWriter::HistoryWriter(SettingsHistory history, Finished finished)
    : shared_(std::make_shared<Shared>(std::move(history), std::move(finished))),
      thread_(new Thread) {}

HistoryWriter::~HistoryWriter() {
    Stop(kStopWaitMs);
}

uint64_t HistoryWriter::Submit(HistoryReason reason, const std::string& port,
                               const SettingsFile& settings) {
    Shared& shared = *shared_;
    LockGuard guard(shared.lock);
    if (shared.stopping || thread_ == nullptr) {
        shared.lastFailure = "the history was stopped; the entry was not written";
        return 0;
    }
    if (shared.queue.size() >= kQueueLimit) {
        shared.lastFailure =
            "the history is still writing earlier entries (is the disk slow?); an entry was "
            "dropped";
        return 0;
    }
    if (!thread_->Started()) {
        std::shared_ptr<Shared> owned = shared_;
        if (!shared.wake.Valid() || !shared.callbackReturned.Valid() ||
            !thread_->Start([owned] { owned->Run(); })) {
            shared.lastFailure = "the history's thread could not be started";
            return 0;
        }
    }
    const uint64_t ticket = shared.nextTicket++;
    shared.queue.push_back(Job{ticket, reason, port, settings});
    shared.wake.Set();
    return ticket;
}

bool HistoryWriter::Stop(uint32_t timeoutMs) {
    if (thread_ == nullptr) {
        return false;  // an earlier Stop gave up on the thread
    }
    {
        LockGuard guard(shared_->lock);
        shared_->stopping = true;
    }
    shared_->wake.Set();
    // After this, `finished` never runs again: the thread checks `stopping` before each call.
    return JoinOrLetGo(thread_, shared_->callbackReturned, timeoutMs);
}

std::string HistoryWriter::LastFailure() const {
    LockGuard guard(shared_->lock);
    return shared_->lastFailure;
}

}  // namespace axistune
