#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "core/telescope_listener.h"

namespace axistune {

// Keeps every event in order, for tests on any thread: the engine's worker (with the bounded
// waits) or the protocol core called directly. The settings record is copied, as the real
// listener copies it.
class RecordingListener : public TelescopeListener {
  public:
    struct Event {
        enum Kind { kStatus, kStatusValue, kSettings, kVoltage } kind;
        int32_t code;  // status code, or the settings kind
        uint32_t value;
        ControllerSettings settings;
    };

    void OnStatus(int32_t code) override { Add({Event::kStatus, code, 0, {}}); }
    void OnStatusValue(int32_t code, uint32_t value) override {
        Add({Event::kStatusValue, code, value, {}});
    }
    void OnSettings(const ControllerSettings* settings, int32_t kind) override {
        Add({Event::kSettings, kind, 0, *settings});
    }
    void OnVoltage(uint32_t value) override { Add({Event::kVoltage, 0, value, {}}); }

    std::vector<Event> Events() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return events_;
    }
    // Status codes only, in order.
    std::vector<int32_t> Statuses() const {
        std::vector<int32_t> codes;
        for (const Event& e : Events()) {
            if (e.kind == Event::kStatus) {
                codes.push_back(e.code);
            }
        }
        return codes;
    }
    // Waits (bounded) until the recorded events satisfy the predicate.
    bool WaitUntil(const std::function<bool(const std::vector<Event>&)>& predicate,
                   int timeoutMs) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return predicate(events_); });
    }
    bool WaitForStatus(int32_t code, int timeoutMs) const {
        return WaitUntil(
            [code](const std::vector<Event>& events) {
                for (const Event& e : events) {
                    if (e.kind == Event::kStatus && e.code == code) {
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
    }
    bool WaitForSettings(int32_t kind, int timeoutMs) const {
        return WaitUntil(
            [kind](const std::vector<Event>& events) {
                for (const Event& e : events) {
                    if (e.kind == Event::kSettings && e.code == kind) {
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
    }

    void Clear() {
        std::lock_guard<std::mutex> guard(mutex_);
        events_.clear();
    }

  private:
    void Add(const Event& e) {
        std::lock_guard<std::mutex> guard(mutex_);
        events_.push_back(e);
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Event> events_;
};

}  // namespace axistune
