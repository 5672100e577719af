#include "app/session.h"

#include "app/start_failure.h"
#include "core/free_if_threads_ended.h"

namespace axistune {

Session::Session(const PortCatalogue* ports) : ports_(ports) {}

Session::Session(TelescopeListener& listener, const PortCatalogue* ports)
    : externalListener_(&listener), ports_(ports) {}

Session::~Session() {
    const bool threadsEnded = Stop();
    if (!threadsEnded && client_ != nullptr) {
        // The worker may still report to it.
        static_cast<void>(new std::shared_ptr<EngineClient>(client_));
    }
    FreeIfThreadsEnded(threadsEnded, engine_, heartBeat_, fanOut_, watchedFanOut_, model_);
}

const char* Session::Start() {
    if (running_) {
        return nullptr;
    }
    heartBeat_ = std::make_unique<HeartBeat>();
    model_ = std::make_unique<AppModel>();
    TelescopeListener* listener = externalListener_;
    if (listener == nullptr) {
        client_ = std::make_shared<EngineClient>();
        TelescopeListener* second = client_.get();
        if (watcher_ != nullptr) {
            watchedFanOut_ = std::make_unique<ListenerFanOut>(*watcher_, *client_);
            second = watchedFanOut_.get();
        }
        fanOut_ = std::make_unique<ListenerFanOut>(*model_, *second);
        listener = fanOut_.get();
    }
    engine_ = std::make_unique<TelescopeControl>(listener, ports_);
    if (changeObserver_ != nullptr) {
        engine_->SetSettingsChangeObserver(changeObserver_);
    }

    // A queue that is not ours or a worker that did not start would leave every request unread.
    const char* failure = DescribeStartFailure(engine_->StartError(), engine_->WorkerStarted());
    if (failure != nullptr) {
        threadsEnded_ = engine_->Stop(kEngineStopWaitMs);
        return failure;
    }
    heartBeat_->Attach(engine_.get());
    if (!heartBeat_->Start()) {
        heartBeat_->Detach();
        threadsEnded_ = engine_->Stop(kEngineStopWaitMs);
        return "The timing thread could not be started.";
    }
    if (client_ != nullptr) {
        client_->Bind(engine_.get());
    }
    running_ = true;
    threadsEnded_ = false;
    return nullptr;
}

bool Session::RephaseHeartBeat(uint32_t firstBeatMs) {
    return running_ && heartBeat_->Restart(firstBeatMs);
}

void Session::ConnectWindow(TelescopeControlDlgCallback& callback, EventPoster& poster) {
    model_->SetCallback(&callback);
    model_->SetPoster(&poster);
    windowConnected_ = true;
}

bool Session::Stop() {
    if (!running_) {
        return threadsEnded_;
    }
    running_ = false;
    if (windowConnected_) {
        model_->SetCallback(nullptr);
        model_->SetPoster(nullptr);
        windowConnected_ = false;
    }
    heartBeat_->Detach();
    const bool tickerStopped = heartBeat_->Stop();
    const bool engineStopped = engine_->Stop(kEngineStopWaitMs);
    threadsEnded_ = tickerStopped && engineStopped;
    if (client_ != nullptr && threadsEnded_) {
        client_->Bind(nullptr);  // no request reaches an engine that is going away
    }
    // The worker may still be inside a post to the window when it did not end.
    FreeIfThreadsEnded(threadsEnded_, window_);
    return threadsEnded_;
}

}  // namespace axistune
