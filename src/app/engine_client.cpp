#include "app/engine_client.h"

#include <chrono>

#include "core/settings_file.h"
#include "core/status_codes.h"
#include "core/status_texts.h"
#include "platform/serial_port.h"

namespace axistune {

namespace {

std::string StatusLine(int32_t code) {
    const char* text = StatusTextUtf8(static_cast<uint32_t>(code));
    return text != nullptr ? text : "status " + std::to_string(code);
}

const char* SettingsKindName(int32_t kind) {
    switch (kind) {
        case kSettingsConnected:
            return "settings read at connection";
        case kSettingsReloaded:
            return "settings read after reloading the defaults";
        case kSettingsOldController:
            return "an old controller answered (short version reply)";
        case kSettingsGearReread:
            return "settings read again after new gear ratios";
        default:
            return "settings";
    }
}

}  // namespace

EngineClient::EngineClient(Bounds bounds) : bounds_(bounds) {}

void EngineClient::Bind(TelescopeControl* engine) {
    std::lock_guard<std::mutex> guard(engineLock_);
    if (engine_ != nullptr) {
        engine_->SetProgressObserver(nullptr);
    }
    engine_ = engine;
    if (engine_ != nullptr) {
        engine_->SetProgressObserver(this);
    }
}

void EngineClient::SetTrace(TraceSink sink) {
    std::lock_guard<std::mutex> guard(lock_);
    trace_ = std::move(sink);
}

void EngineClient::TraceLine(const std::string& line) {
    TraceSink sink;
    {
        std::lock_guard<std::mutex> guard(lock_);
        sink = trace_;
    }
    if (sink) {
        sink(line);
    }
}

void EngineClient::Record(Event event) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (waiting_) {
            events_.push_back(event);
        }
        if (event.kind == Event::kStatus) {
            switch (event.code) {
                case kStatusConnecting:
                    connected_ = true;
                    break;
                case kStatusConnectionClosed:
                case kStatusTimeout:
                case kStatusIncompatibleDevice:
                case kStatusFirmwareTooOld:
                    connected_ = false;
                    break;
                default:
                    break;
            }
        }
    }
    changed_.notify_all();
}

void EngineClient::OnStatus(int32_t code) {
    TraceLine("<- status " + std::to_string(code) + ": " + StatusLine(code));
    Record({Event::kStatus, code});
}

void EngineClient::OnStatusValue(int32_t code, uint32_t value) {
    TraceLine("<- status " + std::to_string(code) + ": " + StatusLine(code) + " (firmware " +
              FirmwareDotted(value) + ")");
    {
        std::lock_guard<std::mutex> guard(lock_);
        settings_.firmwareVersion = value;
    }
    Record({Event::kStatus, code});
}

void EngineClient::OnSettings(const ControllerSettings* settings, int32_t kind) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        settings_ = *settings;
    }
    TraceLine(std::string("<- ") + SettingsKindName(kind));
    Record({Event::kSettings, kind});
}

void EngineClient::OnVoltage(uint32_t hundredthsOfVolt) {
    TraceLine("<- voltage " + std::to_string(hundredthsOfVolt / 100) + "." +
              std::to_string(hundredthsOfVolt % 100 / 10) + std::to_string(hundredthsOfVolt % 10) +
              " V");
}

void EngineClient::OnEngineStep(uint64_t requestsExecuted, bool idle) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (requestsExecuted == executed_ && idle == idle_) {
            return;
        }
        executed_ = requestsExecuted;
        idle_ = idle;
    }
    changed_.notify_all();
}

ClientOutcome EngineClient::Ending(const Event& event) const {
    if (event.kind == Event::kSettings) {
        if (event.code == kSettingsOldController) {
            return {ClientResult::kRefused, StatusLine(kStatusFirmwareTooOld) +
                                                " (the controller answered with an old version)"};
        }
        return {ClientResult::kOk, ""};
    }
    switch (event.code) {
        case kStatusCannotOpenPort:
            return {ClientResult::kPortFailed, ""};  // the engine's report names the reason
        case kStatusTimeout:
            return {ClientResult::kTimedOut, StatusLine(event.code)};
        case kStatusIncompatibleDevice:
            return {ClientResult::kRefused, StatusLine(event.code)};
        case kStatusFirmwareTooOld:
            return {ClientResult::kRefused, StatusLine(event.code) + " (firmware " +
                                                FirmwareDotted(settings_.firmwareVersion) + ")"};
        case kStatusConnectionClosed:
            return {ClientResult::kClosed, StatusLine(event.code)};
        case kStatusCommunicationError:
        case kStatusNotConnectedYet:
        case kStatusAlreadyConnected:
            return {ClientResult::kRejected, StatusLine(event.code)};
        default:
            return {ClientResult::kOk, ""};
    }
}

ClientOutcome EngineClient::Exchange(const std::function<void(TelescopeControl&)>& send,
                                     const Done& done, bool waitIdle, uint32_t boundMs) {
    const ClientOutcome notRunning{ClientResult::kEngineFailed, "the engine is not running"};
    uint64_t baseline = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (interrupted_) {
            return {ClientResult::kInterrupted, "interrupted"};
        }
        events_.clear();
        waiting_ = true;
        baseline = executed_;
    }
    const auto stopWaiting = [this] {
        std::lock_guard<std::mutex> guard(lock_);
        waiting_ = false;
        events_.clear();
    };
    {
        std::lock_guard<std::mutex> guard(engineLock_);
        if (engine_ == nullptr) {
            stopWaiting();
            return notRunning;
        }
        send(*engine_);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    ClientOutcome outcome{ClientResult::kTimedOut, ""};
    bool ended = false;
    {
        std::unique_lock<std::mutex> guard(lock_);
        size_t next = 0;
        ended = changed_.wait_until(guard, deadline, [&] {
            if (interrupted_) {
                outcome = {ClientResult::kInterrupted, "interrupted"};
                return true;
            }
            for (; next < events_.size(); ++next) {
                if (done && done(events_[next])) {
                    outcome = {ClientResult::kOk, ""};
                    return true;
                }
                ClientOutcome ending = Ending(events_[next]);
                if (!ending.Ok()) {
                    outcome = ending;
                    return true;
                }
            }
            if (waitIdle && executed_ > baseline && idle_) {
                outcome = {ClientResult::kOk, ""};
                return true;
            }
            return false;
        });
    }
    stopWaiting();
    if (!ended) {
        outcome.message =
            "no answer from the controller within " + std::to_string(boundMs / 1000) + " s";
    } else if (outcome.result == ClientResult::kPortFailed) {
        std::lock_guard<std::mutex> guard(engineLock_);
        if (engine_ == nullptr) {
            return notRunning;
        }
        const PortOpenReport report = engine_->LastOpenFailure();
        outcome.message = DescribeOpenFailure(report.device, report.result);
    }
    return outcome;
}

ClientOutcome EngineClient::Connect(uint8_t port, uint32_t baudRate, const std::string& name) {
    TraceLine("-> Connect(" + name + ", " + std::to_string(baudRate) + ")");
    return Exchange(
        [&](TelescopeControl& engine) { engine.Connect(port, baudRate); },
        [](const Event& e) { return e.kind == Event::kSettings && e.code == kSettingsConnected; },
        false, bounds_.connectMs);
}

ClientOutcome EngineClient::Disconnect() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!connected_) {
            return {};
        }
        // A disconnect also ends an interrupted command cleanly.
        interrupted_ = false;
    }
    {
        std::lock_guard<std::mutex> guard(engineLock_);
        if (engine_ == nullptr) {
            return {};
        }
    }
    TraceLine("-> Disconnect()");
    ClientOutcome outcome =
        Exchange([](TelescopeControl& engine) { engine.Disconnect(); },
                 [](const Event& e) {
                     return e.kind == Event::kStatus &&
                            (e.code == kStatusConnectionClosed || e.code == kStatusNotConnectedYet);
                 },
                 false, bounds_.disconnectMs);
    if (outcome.result == ClientResult::kClosed || outcome.result == ClientResult::kRejected) {
        outcome = {};
    }
    return outcome;
}

bool EngineClient::Connected() const {
    std::lock_guard<std::mutex> guard(lock_);
    return connected_;
}

ControllerSettings EngineClient::Settings() const {
    std::lock_guard<std::mutex> guard(lock_);
    return settings_;
}

ClientOutcome EngineClient::Send(const PlannedRequest& request) {
    TraceLine("-> " + DescribeRequest(request));
    return Exchange([&](TelescopeControl& engine) { SendRequest(request, engine); }, nullptr, true,
                    bounds_.exchangeMs);
}

ClientOutcome EngineClient::Store() {
    TraceLine("-> StoreSettings()");
    return Exchange([](TelescopeControl& engine) { engine.StoreSettings(); },
                    [](const Event& e) {
                        return e.kind == Event::kStatus && e.code == kStatusParametersStored;
                    },
                    false, bounds_.exchangeMs);
}

ClientOutcome EngineClient::ReloadDefaults() {
    TraceLine("-> ReloadDefaults()");
    return Exchange(
        [](TelescopeControl& engine) { engine.ReloadDefaults(); },
        [](const Event& e) { return e.kind == Event::kSettings && e.code == kSettingsReloaded; },
        false, bounds_.connectMs);
}

void EngineClient::Interrupt() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        interrupted_ = true;
    }
    changed_.notify_all();
}

void EngineClient::ClearInterrupt() {
    std::lock_guard<std::mutex> guard(lock_);
    interrupted_ = false;
}

bool EngineClient::Interrupted() const {
    std::lock_guard<std::mutex> guard(lock_);
    return interrupted_;
}

}  // namespace axistune
