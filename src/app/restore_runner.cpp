#include "app/restore_runner.h"

#include <atomic>
#include <deque>
#include <utility>

#include "app/bounded_thread_stop.h"
#include "app/settings_file_of.h"
#include "app/settings_history.h"
#include "app/utc_time.h"
#include "app/window_restore_link.h"
#include "platform/event.h"
#include "platform/lock.h"

namespace axistune {

struct RestoreRunner::Shared {
    explicit Shared(Wake w) : wake(std::move(w)) {}
    const Wake wake;
    Lock lock;
    // Clear while `wake` runs, so that Stop can wait for it to return.
    Event wakeReturned{EventReset::kManual, true};
    std::atomic<bool> cancelled{false};
    std::deque<RestoreReport> queue;  // under lock, as are the fields below
    std::shared_ptr<EngineClient> client;
    bool running = false;
    bool stopping = false;

    void Post(RestoreReport report);
    void Run(const std::shared_ptr<EngineClient>& client, const WindowRestoreOrder& order);
};

namespace {

// The history's entry of the settings before the restore.
RestoreSnapshot HistorySnapshot(const WindowRestoreOrder& order) {
    return [order](const ControllerSettings& before, std::string* path, std::string* message) {
        const HistoryOutcome written = SettingsHistory(order.historyFolder)
                                           .Write(HistoryReason::kBeforeRestore, order.portName,
                                                  SettingsFileOf(before, IsoUtc(UtcNowSeconds())));
        if (!written.Ok()) {
            *message = "snapshot: " + written.message + "; nothing was sent";
            return false;
        }
        *path = written.path;
        return true;
    };
}

}  // namespace

void RestoreRunner::Shared::Post(RestoreReport report) {
    {
        LockGuard guard(lock);
        if (report.kind == RestoreReport::kFinished) {
            running = false;
            client = nullptr;
        }
        queue.push_back(std::move(report));
        if (stopping || !wake) {
            return;
        }
        wakeReturned.Reset();
    }
    wake();
    wakeReturned.Set();
}

void RestoreRunner::Shared::Run(const std::shared_ptr<EngineClient>& engineClient,
                                const WindowRestoreOrder& order) {
    RestoreReport finished;
    finished.kind = RestoreReport::kFinished;
    RestoreOrder restore;
    restore.name = order.path;
    restore.selection = order.selection;
    restore.store = order.store;
    restore.snapshot = HistorySnapshot(order);
    std::string error;
    if (!ReadSmallFile(order.path, kHistoryFileLimit, &restore.text, &error)) {
        finished.result.end = RestoreEnd::kBadFile;
        finished.result.problems.push_back(order.path + ": " + error + "; nothing was sent");
    } else {
        WindowRestoreLink link(*engineClient, order.port, order.baudRate, order.portName,
                               cancelled);
        finished.result = RunRestoreProcedure(
            restore, link, [this](const RestoreEvent& event, const RestoreResult&) {
                RestoreReport progress;
                progress.event = event;
                Post(std::move(progress));
            });
    }
    Post(std::move(finished));
}

RestoreRunner::RestoreRunner(Wake wake)
    : shared_(std::make_shared<Shared>(std::move(wake))), thread_(new Thread) {}

RestoreRunner::~RestoreRunner() {
    Stop(kStopWaitMs);
}

bool RestoreRunner::Start(std::shared_ptr<EngineClient> client, WindowRestoreOrder order,
                          std::string* error) {
    Shared& shared = *shared_;
    {
        LockGuard guard(shared.lock);
        if (shared.stopping || thread_ == nullptr) {
            *error = "the restore was stopped";
            return false;
        }
        if (shared.running) {
            *error = "a restore is still running";
            return false;
        }
    }
    if (client == nullptr) {
        *error = "the engine is not running";
        return false;
    }
    // The last restore has queued its result; only its thread's end is left to wait for.
    if (!thread_->Join(kStopWaitMs)) {
        *error = "the last restore is still ending";
        return false;
    }
    if (!shared.wakeReturned.Valid()) {
        *error = "the restore's thread could not be started";
        return false;
    }
    shared.cancelled.store(false, std::memory_order_release);
    client->ClearInterrupt();
    {
        LockGuard guard(shared.lock);
        shared.running = true;
        shared.client = client;
    }
    std::shared_ptr<Shared> owned = shared_;
    if (!thread_->Start([owned, client, order = std::move(order)] { owned->Run(client, order); })) {
        LockGuard guard(shared.lock);
        shared.running = false;
        shared.client = nullptr;
        *error = "the restore's thread could not be started";
        return false;
    }
    return true;
}

bool RestoreRunner::Running() const {
    LockGuard guard(shared_->lock);
    return shared_->running;
}

std::vector<RestoreReport> RestoreRunner::Drain() {
    LockGuard guard(shared_->lock);
    std::vector<RestoreReport> reports(std::make_move_iterator(shared_->queue.begin()),
                                       std::make_move_iterator(shared_->queue.end()));
    shared_->queue.clear();
    return reports;
}

void RestoreRunner::Cancel() {
    shared_->cancelled.store(true, std::memory_order_release);
    std::shared_ptr<EngineClient> client;
    {
        LockGuard guard(shared_->lock);
        client = shared_->client;
    }
    if (client != nullptr) {
        client->Interrupt();
    }
}

bool RestoreRunner::Stop(uint32_t timeoutMs) {
    if (thread_ == nullptr) {
        return false;  // an earlier Stop gave up on the thread
    }
    {
        LockGuard guard(shared_->lock);
        shared_->stopping = true;
    }
    Cancel();
    // After this, `wake` never runs again: the thread checks `stopping` before each call.
    return JoinOrLetGo(thread_, shared_->wakeReturned, timeoutMs);
}

}  // namespace axistune
