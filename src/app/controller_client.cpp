#include "app/controller_client.h"

#include "app/connect_beat_phase.h"

namespace axistune {

namespace {

// The port number the client's Connect requests name; the catalogue maps it to the device.
constexpr uint8_t kClientPort = 1;

}  // namespace

ControllerClient::ControllerClient(Bounds bounds) : client_(bounds), session_(client_, &ports_) {}

ControllerClient::~ControllerClient() {
    Shutdown();
}

void ControllerClient::SetTrace(TraceSink sink) {
    {
        std::lock_guard<std::mutex> guard(traceLock_);
        tracing_ = static_cast<bool>(sink);
    }
    client_.SetTrace(std::move(sink));
}

const char* ControllerClient::Start() {
    const char* failure = session_.Start();
    if (failure == nullptr) {
        client_.Bind(&session_.Engine());
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
    client_.Bind(nullptr);
    session_.Engine().SetWireObserver(nullptr);
    started_ = false;
    return true;
}

bool ControllerClient::Tracing() const {
    std::lock_guard<std::mutex> guard(traceLock_);
    return tracing_;
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
    client_.TraceLine("-> " + line);
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
        client_.TraceLine("<- " + line);
    }
}

ClientOutcome ControllerClient::Connect(const std::string& device, uint32_t baudRate) {
    ports_.Assign(kClientPort, device);
    {
        std::lock_guard<std::mutex> guard(wireLock_);
        wire_.Reset();
    }
    if (!started_) {
        return {ClientResult::kEngineFailed, "the engine is not running"};
    }
    // Without a window to keep in step with, the beats can follow the connect where the
    // handshake waits least for them.
    if (!client_.Connected() && !session_.RephaseHeartBeat(ConnectBeatPhaseMs(baudRate))) {
        return {ClientResult::kEngineFailed, "the timing thread could not be restarted"};
    }
    return client_.Connect(kClientPort, baudRate, device);
}

ClientOutcome ControllerClient::Disconnect() {
    if (!started_) {
        return {};
    }
    const bool wasConnected = client_.Connected();
    ClientOutcome outcome = client_.Disconnect();
    if (!wasConnected) {
        return outcome;
    }
    std::string cutOff;
    {
        std::lock_guard<std::mutex> guard(wireLock_);
        cutOff = wire_.CutOff();
    }
    if (!cutOff.empty()) {
        client_.TraceLine("<- " + cutOff);
    }
    return outcome;
}

}  // namespace axistune
