#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/settings_history.h"
#include "platform/thread.h"

namespace axistune {

// Writes history entries for the window thread on a thread of its own, so that a slow or
// stalled disk never holds up the window. The thread starts with the first entry and ends in
// Stop; it owns, with the writer, everything it uses except what `finished` captures, and it
// never calls `finished` once Stop has begun.
class HistoryWriter {
  public:
    static constexpr size_t kQueueLimit = 16;
    static constexpr uint32_t kStopWaitMs = 2000;

    // Runs on the writer's thread after each entry, with no lock held: keep it to a post.
    using Finished = std::function<void(uint64_t ticket, const HistoryOutcome& outcome)>;

    HistoryWriter(SettingsHistory history, Finished finished);
    ~HistoryWriter();  // Stop(kStopWaitMs)
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Queues an entry and returns at once with its ticket, which `finished` reports. 0 when
    // it cannot be queued (too many waiting, the thread could not start, stopped): LastFailure
    // says why, and `finished` is not called for it.
    uint64_t Submit(HistoryReason reason, const std::string& port, const SettingsFile& settings);

    // Writes what is queued and ends the thread, waiting at most timeoutMs. False when the
    // thread is still busy then (a stalled file system): it is left to end on its own, with
    // what it uses, and never calls `finished` again.
    bool Stop(uint32_t timeoutMs);

    // The last failure's message, for the history dialog; empty once an entry was written
    // (or found unchanged) after it.
    std::string LastFailure() const;

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Thread> thread_;
};

}  // namespace axistune
