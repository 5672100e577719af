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

bool HeartBeat::Start() {
    // Without its stop event the ticker could neither pause between beats nor be stopped.
    if (!stop_.Valid()) {
        return false;
    }
    stop_.Reset();
    return thread_.Start([this] { Run(); });
}

bool HeartBeat::Stop() {
    stop_.Set();
    return thread_.Join(kStopWaitMs);
}

void HeartBeat::Run() {
    // The beat is taken under the lock so that Detach guarantees no later beat reaches the
    // engine; Beat itself only waits for room in the engine queue.
    while (!stop_.Wait(kPeriodMs)) {
        LockGuard guard(lock_);
        if (target_ != nullptr) {
            target_->Beat();
        }
    }
}

}  // namespace axistune
