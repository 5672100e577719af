#include "engine/telescope_control.h"

#include <atomic>

#include "core/free_if_threads_ended.h"
#include "engine/advanced_source.h"
#include "engine/dispatcher.h"
#include "engine/queue_writer.h"
#include "engine/reassembler.h"
#include "engine/request_execution.h"
#include "engine/serial_link.h"
#include "link/controller_protocol.h"
#include "platform/event.h"
#include "platform/lock.h"
#include "platform/thread.h"

namespace axistune {

namespace {

// Stands in when the engine is built without a listener, so that reports go nowhere safely.
class SilentListener : public TelescopeListener {
  public:
    void OnStatus(int32_t) override {}
    void OnStatusValue(int32_t, uint32_t) override {}
    void OnSettings(const ControllerSettings*, int32_t) override {}
    void OnVoltage(uint32_t) override {}
};

constexpr uint32_t kQueueWaitMs = 300;
constexpr uint32_t kDrainSliceMs = 20;

}  // namespace

struct TelescopeControl::Impl final : QueueWriter, AdvancedSource, ReplySide, RequestExecutor {
    Impl(TelescopeListener* listener, const PortCatalogue* ports)
        : listener(listener != nullptr ? *listener : silent),
          ports(ports != nullptr ? *ports : defaultPorts) {}

    void WriteMessage(const uint8_t* bytes, size_t count) override {
        LockGuard guard(queueWriteLock);
        queue.Write(bytes, count);
    }

    AdvancedSettings TakeAdvancedSnapshot() override {
        LockGuard guard(dataLock);
        return pendingAdvanced;
    }

    int StartHandshake() override { return Published(protocol.StartHandshake()); }
    int OnSerialBytes(const uint8_t* bytes, uint32_t count) override {
        if (WireObserver* wire = link.Wire(); wire != nullptr) {
            wire->OnBytesReceived(bytes, count);
        }
        return Published(protocol.OnSerialBytes(bytes, count));
    }
    int OnTick() override { return Published(protocol.OnTick()); }
    void Execute(const uint8_t* message) override {
        execution.Execute(message);
        requestsExecuted.fetch_add(1, std::memory_order_relaxed);
        Published(0);
    }

    // The window thread reads the level without a lock; the worker republishes it after every
    // step that may have changed it.
    int Published(int outcome) {
        protocolLevel.store(protocol.Settings().protocolLevel, std::memory_order_relaxed);
        EngineProgressObserver* observer = progressObserver.load(std::memory_order_acquire);
        if (observer != nullptr) {
            observer->OnEngineStep(requestsExecuted.load(std::memory_order_relaxed),
                                   protocol.IsIdle());
        }
        return outcome;
    }

    void Run() {
        for (;;) {
            const ReadResult read = queue.Read(workerStop, kQueueWaitMs);
            switch (read.outcome) {
                case WaitOutcome::kData:
                    reassembler.Feed(read.bytes, read.count);
                    break;
                case WaitOutcome::kTimedOut:
                    break;
                case WaitOutcome::kStopped:
                    return;
                case WaitOutcome::kFailed:
                    // Cannot happen while the engine holds the write end; never spin on it.
                    if (workerStop.Wait(kQueueWaitMs)) {
                        return;
                    }
                    break;
            }
        }
    }

    SilentListener silent;
    TelescopeListener& listener;
    PortCatalogue defaultPorts;
    const PortCatalogue& ports;
    Lock dataLock;
    Lock queueWriteLock;
    ByteQueue queue;
    QueueOpenError startError = QueueOpenError::kNone;
    Event workerStop{EventReset::kManual, false};
    AdvancedSettings pendingAdvanced{};
    std::atomic<uint8_t> protocolLevel{0};
    std::atomic<uint64_t> requestsExecuted{0};
    std::atomic<EngineProgressObserver*> progressObserver{nullptr};
    SerialLink link{*this, workerStop, ports};
    ControllerProtocol protocol{link, listener};
    RequestExecution execution{protocol, link, listener, *this};
    Dispatcher dispatcher{link, *this, *this, listener};
    Reassembler reassembler{dispatcher};
    Thread worker;
    bool workerStarted = false;
    bool stopped = false;
};

TelescopeControl::TelescopeControl(TelescopeListener* listener, const PortCatalogue* ports)
    : impl_(std::make_unique<Impl>(listener, ports)) {
    Impl& impl = *impl_;
    impl.startError = impl.queue.Open();
    if (impl.startError == QueueOpenError::kNone && impl.workerStop.Valid()) {
        impl.workerStarted = impl.worker.Start([&impl] { impl.Run(); });
    }
}

TelescopeControl::~TelescopeControl() {
    FreeIfThreadsEnded(Stop(), impl_);
}

QueueOpenError TelescopeControl::StartError() const {
    return impl_->startError;
}

bool TelescopeControl::WorkerStarted() const {
    return impl_->workerStarted;
}

bool TelescopeControl::Stop(uint32_t workerWaitMs) {
    Impl& impl = *impl_;
    if (impl.stopped) {
        return true;
    }
    impl.workerStop.Set();
    if (!impl.worker.Join(workerWaitMs)) {
        return false;
    }
    // The worker has ended: its connection can be closed from here, without a status code and
    // without a byte sent. Nobody reads the queue any more, so drain it while the reader stops.
    if (impl.dispatcher.PortOpen()) {
        impl.link.SignalReaderStop();
        Event neverSet(EventReset::kManual, false);
        for (uint32_t waited = 0; waited < SerialLink::kReaderStopWaitMs; waited += kDrainSliceMs) {
            if (impl.link.WaitForReader(kDrainSliceMs)) {
                break;
            }
            impl.queue.Read(neverSet, 0);
        }
    }
    impl.dispatcher.CloseSilently();
    impl.stopped = impl.link.JoinStrayReaders(SerialLink::kReaderStopWaitMs);
    return impl.stopped;
}

PortOpenReport TelescopeControl::LastOpenFailure() const {
    return impl_->link.LastOpenFailure();
}

uint8_t TelescopeControl::ProtocolLevel() const {
    return impl_->protocolLevel.load(std::memory_order_relaxed);
}

void TelescopeControl::SetProgressObserver(EngineProgressObserver* observer) {
    impl_->progressObserver.store(observer, std::memory_order_release);
}

void TelescopeControl::SetWireObserver(WireObserver* observer) {
    impl_->link.SetWireObserver(observer);
}

void TelescopeControl::SetSettingsChangeObserver(SettingsChangeObserver* observer) {
    impl_->execution.SetSettingsChangeObserver(observer);
}

void TelescopeControl::WriteMessage(const uint8_t* bytes, size_t count) {
    impl_->WriteMessage(bytes, count);
}

uint8_t TelescopeControl::CurrentProtocolLevel() const {
    return ProtocolLevel();
}

void TelescopeControl::StorePendingAdvanced(const AdvancedSettings& settings) {
    LockGuard guard(impl_->dataLock);
    impl_->pendingAdvanced = settings;
}

}  // namespace axistune
