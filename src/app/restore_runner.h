#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/engine_client.h"
#include "app/restore_procedure.h"
#include "app/state_files.h"
#include "platform/thread.h"

namespace axistune {

// A restore the window asks for.
struct WindowRestoreOrder {
    std::string path;  // the settings file, read on the restore's thread
    SettingSelection selection = SettingSelection().set();
    bool store = false;
    // The window's connection, made again to read the controller before and after.
    uint8_t port = 0;
    uint32_t baudRate = 0;
    std::string portName;  // as the history's entry names the port ("COM3")
    // Where the entry of the settings before the restore goes; a restore that cannot write it
    // sends nothing.
    std::string historyFolder = DefaultSnapshotFolder();
};

// One report for the window: a step as it begins, and last the result.
struct RestoreReport {
    enum Kind { kProgress, kFinished };
    Kind kind = kProgress;
    RestoreEvent event;    // kProgress
    RestoreResult result;  // kFinished
};

// Runs the window's restores on a thread of their own through the window session's client, so
// that the window never waits. Every report is queued, in order, and `wake` is called after
// each: the window posts itself a message there and drains the queue on its own thread, so no
// report is lost however many arrive before it looks. One restore at a time.
class RestoreRunner {
  public:
    static constexpr uint32_t kStopWaitMs = 2000;

    // Runs on the restore's thread with no lock held: keep it to a post.
    using Wake = std::function<void()>;

    explicit RestoreRunner(Wake wake);
    ~RestoreRunner();  // Stop(kStopWaitMs)
    RestoreRunner(const RestoreRunner&) = delete;
    RestoreRunner& operator=(const RestoreRunner&) = delete;

    // Starts a restore and returns at once. False with the reason when one still runs, the
    // runner was stopped or the thread could not start (nothing was sent then).
    bool Start(std::shared_ptr<EngineClient> client, WindowRestoreOrder order, std::string* error);
    // True from Start until the restore's thread has queued its result.
    bool Running() const;
    // The reports queued since the last call, oldest first; a restore's last is kFinished.
    std::vector<RestoreReport> Drain();
    // Ends the exchange awaited now and sends nothing more: the restore finishes at once
    // with what was applied and what was not. Any thread.
    void Cancel();
    // Cancels and waits at most timeoutMs for the thread. False when it still runs then (a
    // stalled disk): it keeps what it uses alive on its own and never calls `wake` again.
    bool Stop(uint32_t timeoutMs);

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Thread> thread_;
};

}  // namespace axistune
