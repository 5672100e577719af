#include "app/app_model.h"

#include <cstring>

#include "platform/lock.h"
#include "text/twos_complement.h"

namespace axistune {

AppModel::AppModel() : lock_(std::make_unique<Lock>()) {}

AppModel::~AppModel() = default;

void AppModel::OnStatus(int32_t code) {
    {
        LockGuard guard(*lock_);
        kind_ = kMailStatus;
        code_ = code;
    }
    Post();
}

void AppModel::OnStatusValue(int32_t code, uint32_t value) {
    {
        LockGuard guard(*lock_);
        kind_ = kMailStatusValue;
        code_ = code;
        value_ = value;
    }
    Post();
}

void AppModel::OnSettings(const ControllerSettings* settings, int32_t kind) {
    {
        LockGuard guard(*lock_);
        kind_ = kMailSettings;
        value_ = AsUnsigned32(kind);
        if (settings != nullptr) {
            std::memcpy(&record_, settings, sizeof record_);
        }
    }
    Post();
}

void AppModel::OnVoltage(uint32_t hundredthsOfVolt) {
    {
        LockGuard guard(*lock_);
        kind_ = kMailVoltage;
        value_ = hundredthsOfVolt;
    }
    Post();
}

void AppModel::Post() {
    EventPoster* poster = poster_.load(std::memory_order_acquire);
    if (poster != nullptr) {
        poster->PostEvent(kEngineEventMessage, 0);
    }
}

void AppModel::Deliver(uintptr_t wParam) {
    if (wParam != kEngineEventMessage) {
        return;
    }
    int32_t kind;
    int32_t code;
    uint32_t value;
    {
        LockGuard guard(*lock_);
        kind = kind_;
        code = code_;
        value = value_;
        if (kind == kMailSettings) {
            std::memcpy(&deliveredRecord_, &record_, sizeof deliveredRecord_);
        }
    }
    // The callback pointer is only ever touched on the window thread.
    if (callback_ == nullptr) {
        return;
    }
    switch (kind) {
        case kMailStatus:
            callback_->OnStatus(code);
            break;
        case kMailStatusValue:
            callback_->OnStatusValue(code, value);
            break;
        case kMailSettings:
            callback_->OnSettings(deliveredRecord_, AsSigned32(value));
            break;
        case kMailVoltage:
            callback_->OnVoltage(value);
            break;
        default:
            break;
    }
}

void AppModel::SetCallback(TelescopeControlDlgCallback* callback) {
    callback_ = callback;
}

void AppModel::SetPoster(EventPoster* poster) {
    poster_.store(poster, std::memory_order_release);
}

}  // namespace axistune
