#include "app/controller_client.h"

#include <chrono>

#include "core/settings_file.h"
#include "core/status_codes.h"
#include "core/status_texts.h"
#include "platform/serial_port.h"

namespace axistune {

namespace {

// The port number the client's Connect requests name; the catalogue maps it to the device.
constexpr uint8_t kClientPort = 1;

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

ControllerClient::ControllerClient(Bounds bounds) : bounds_(bounds), session_(*this, &ports_) {}

ControllerClient::~ControllerClient() {
    Shutdown();
}

void ControllerClient::SetTrace(TraceSink sink) {
    std::lock_guard<std::mutex> guard(lock_);
    trace_ = std::move(sink);
}

const char* ControllerClient::Start() {
    const char* failure = session_.Start();
    if (failure == nullptr) {
        session_.Engine().SetProgressObserver(this);
        session_.Engine().SetWireObserver(this);
        started_ = true;
    }
    return failure;
}

bool ControllerClient::Shutdown() {
    if (!started_) {
        return true;
    }
    if (!session_.Stop()) {
        return false;
    }
    session_.Engine().SetProgressObserver(nullptr);
    session_.Engine().SetWireObserver(nullptr);
    started_ = false;
    return true;
}

void ControllerClient::Trace(const std::string& line) {
    TraceSink sink;
    {
        std::lock_guard<std::mutex> guard(lock_);
        sink = trace_;
    }
    if (sink) {
        sink(line);
    }
}

bool ControllerClient::Tracing() const {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<bool>(trace_);
}

void ControllerClient::OnFrameWritten(const uint8_t* bytes, size_t count, WriteOutcome outcome) {
    if (!Tracing()) {
        return;
    }
    std::string line;
    {
        std::lock_guard<std::mutex> guard(wireLock_);
        line = wire_.Frame(bytes, count, outcome);
    }
    Trace("-> " + line);
}

void ControllerClient::OnBytesReceived(const uint8_t* bytes, size_t count) {
    if (!Tracing()) {
        return;
    }
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> guard(wireLock_);
        lines = wire_.Received(bytes, count);
    }
    for (const std::string& line : lines) {
        Trace("<- " + line);
    }
}

void ControllerClient::Record(Event event) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        events_.push_back(event);
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

void ControllerClient::OnStatus(int32_t code) {
    Trace("<- status " + std::to_string(code) + ": " + StatusLine(code));
    Record({Event::kStatus, code});
}

void ControllerClient::OnStatusValue(int32_t code, uint32_t value) {
    Trace("<- status " + std::to_string(code) + ": " + StatusLine(code) + " (firmware " +
          FirmwareDotted(value) + ")");
    {
        std::lock_guard<std::mutex> guard(lock_);
        settings_.firmwareVersion = value;
    }
    Record({Event::kStatus, code});
}

void ControllerClient::OnSettings(const ControllerSettings* settings, int32_t kind) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        settings_ = *settings;
    }
    Trace(std::string("<- ") + SettingsKindName(kind));
    Record({Event::kSettings, kind});
}

void ControllerClient::OnVoltage(uint32_t hundredthsOfVolt) {
    Trace("<- voltage " + std::to_string(hundredthsOfVolt / 100) + "." +
          std::to_string(hundredthsOfVolt % 100 / 10) + std::to_string(hundredthsOfVolt % 10) +
          " V");
}

void ControllerClient::OnEngineStep(uint64_t requestsExecuted, bool idle) {
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

ClientOutcome ControllerClient::Ending(const Event& event) {
    if (event.kind == Event::kSettings) {
        if (event.code == kSettingsOldController) {
            return {ClientResult::kRefused, StatusLine(kStatusFirmwareTooOld) +
                                                " (the controller answered with an old version)"};
        }
        return {ClientResult::kOk, ""};
    }
    switch (event.code) {
        case kStatusCannotOpenPort: {
            const PortOpenReport report = session_.Engine().LastOpenFailure();
            return {ClientResult::kPortFailed, DescribeOpenFailure(report.device, report.result)};
        }
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

ClientOutcome ControllerClient::Exchange(const std::function<void()>& send, const Done& done,
                                         bool waitIdle, uint32_t boundMs) {
    if (!started_) {
        return {ClientResult::kEngineFailed, "the engine is not running"};
    }
    size_t first = 0;
    uint64_t baseline = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (interrupted_) {
            return {ClientResult::kInterrupted, "interrupted"};
        }
        first = events_.size();
        baseline = executed_;
    }
    send();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    std::unique_lock<std::mutex> guard(lock_);
    ClientOutcome outcome{ClientResult::kTimedOut, ""};
    const bool ended = changed_.wait_until(guard, deadline, [&] {
        if (interrupted_) {
            outcome = {ClientResult::kInterrupted, "interrupted"};
            return true;
        }
        for (; first < events_.size(); ++first) {
            if (done && done(events_[first])) {
                outcome = {ClientResult::kOk, ""};
                return true;
            }
            ClientOutcome ending = Ending(events_[first]);
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
    if (!ended) {
        outcome.message =
            "no answer from the controller within " + std::to_string(boundMs / 1000) + " s";
    }
    return outcome;
}

ClientOutcome ControllerClient::Connect(const std::string& device, uint32_t baudRate) {
    ports_.Assign(kClientPort, device);
    {
        std::lock_guard<std::mutex> guard(lock_);
        device_ = device;
    }
    Trace("-> Connect(" + device + ", " + std::to_string(baudRate) + ")");
    {
        std::lock_guard<std::mutex> guard(wireLock_);
        wire_.Reset();
    }
    return Exchange(
        [&] { session_.Engine().Connect(kClientPort, baudRate); },
        [](const Event& e) { return e.kind == Event::kSettings && e.code == kSettingsConnected; },
        false, bounds_.connectMs);
}

ClientOutcome ControllerClient::Disconnect() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!connected_ || !started_) {
            return {};
        }
        // A disconnect also ends an interrupted command cleanly.
        interrupted_ = false;
    }
    Trace("-> Disconnect()");
    ClientOutcome outcome =
        Exchange([&] { session_.Engine().Disconnect(); },
                 [](const Event& e) {
                     return e.kind == Event::kStatus &&
                            (e.code == kStatusConnectionClosed || e.code == kStatusNotConnectedYet);
                 },
                 false, bounds_.disconnectMs);
    if (outcome.result == ClientResult::kClosed || outcome.result == ClientResult::kRejected) {
        outcome = {};
    }
    std::string cutOff;
    {
        std::lock_guard<std::mutex> guard(wireLock_);
        cutOff = wire_.CutOff();
    }
    if (!cutOff.empty()) {
        Trace("<- " + cutOff);
    }
    return outcome;
}

bool ControllerClient::Connected() const {
    std::lock_guard<std::mutex> guard(lock_);
    return connected_;
}

ControllerSettings ControllerClient::Settings() const {
    std::lock_guard<std::mutex> guard(lock_);
    return settings_;
}

ClientOutcome ControllerClient::Send(const PlannedRequest& request) {
    Trace("-> " + DescribeRequest(request));
    return Exchange([&] { SendRequest(request, session_.Engine()); }, nullptr, true,
                    bounds_.exchangeMs);
}

ClientOutcome ControllerClient::Store() {
    Trace("-> StoreSettings()");
    return Exchange([&] { session_.Engine().StoreSettings(); },
                    [](const Event& e) {
                        return e.kind == Event::kStatus && e.code == kStatusParametersStored;
                    },
                    false, bounds_.exchangeMs);
}

ClientOutcome ControllerClient::ReloadDefaults() {
    Trace("-> ReloadDefaults()");
    return Exchange(
        [&] { session_.Engine().ReloadDefaults(); },
        [](const Event& e) { return e.kind == Event::kSettings && e.code == kSettingsReloaded; },
        false, bounds_.connectMs);
}

void ControllerClient::Interrupt() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        interrupted_ = true;
    }
    changed_.notify_all();
}

bool ControllerClient::Interrupted() const {
    std::lock_guard<std::mutex> guard(lock_);
    return interrupted_;
}

}  // namespace axistune
