#include "app/heart_beat.h"

namespace axistune {

HeartBeat::HeartBeat() = default;

HeartBeat::~HeartBeat() {
    Stop();
}

void HeartBeat::Attach(iHeartBeatListener* target) {
    LockGuard guard(lock_);
    target_ = target;
}

void HeartBeat::Detach() {
    LockGuard guard(lock_);
    target_ = nullptr;
}

bool HeartBeat::Start(uint32_t firstBeatMs) {
    // Without its stop event the ticker could neither pause between beats nor be stopped.
    if (!stop_.Valid()) {
        return false;
    }
    stop_.Reset();
    return thread_.Start([this, firstBeatMs] { Run(firstBeatMs); });
}

bool HeartBeat::Stop() {
    stop_.Set();
    return thread_.Join(kStopWaitMs);
}

bool HeartBeat::Restart(uint32_t firstBeatMs) {
    return Stop() && Start(firstBeatMs);
}

void HeartBeat::Run(uint32_t firstBeatMs) {
    // The beat is taken under the lock so that Detach guarantees no later beat reaches the
    // engine; Beat itself only waits for room in the engine queue.
    for (uint32_t wait = firstBeatMs; !stop_.Wait(wait); wait = kPeriodMs) {
        LockGuard guard(lock_);
        if (target_ != nullptr) {
            target_->Beat();
        }
    }
}

}  // namespace axistune
