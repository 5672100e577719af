#include "app/held_settings.h"

#include "core/setting_apply.h"

namespace axistune {

void HeldSettings::OnSettingsRead(const ControllerSettings* settings) {
    if (settings == nullptr) {
        return;
    }
    LockGuard guard(lock_);
    held_.settings = *settings;
    held_.state = State::kCurrent;
}

void HeldSettings::OnSettingsChangeSent(const PlannedRequest& sent) {
    LockGuard guard(lock_);
    // Applied even when stale or unknown: a read replaces the whole record anyway.
    ApplyRequest(sent, &held_.settings);
}

void HeldSettings::OnReloadDefaultsSent() {
    LockGuard guard(lock_);
    if (held_.state == State::kCurrent) {
        held_.state = State::kStale;
    }
}

HeldSettings::Snapshot HeldSettings::Now() const {
    LockGuard guard(lock_);
    return held_;
}

}  // namespace axistune
