#pragma once

#include <cstdint>

#include "core/i_heart_beat_listener.h"
#include "platform/event.h"
#include "platform/lock.h"
#include "platform/thread.h"

namespace axistune {

// The protocol's clock: calls Beat on its target every 250 ms on a thread of its own.
class HeartBeat {
  public:
    static constexpr uint32_t kPeriodMs = 250;
    static constexpr uint32_t kStopWaitMs = 20000;

    HeartBeat();
    ~HeartBeat();

    void Attach(iHeartBeatListener* target);
    void Detach();
    // The first beat comes firstBeatMs after the start, the later ones a period apart. False
    // when its stop event or its thread could not be created.
    bool Start(uint32_t firstBeatMs = kPeriodMs);
    // Ends the ticker thread; true when it ended within the bound.
    bool Stop();
    // Stop, then Start(firstBeatMs): the beats take a new phase, the target stays attached.
    // False, with no new thread, when the old one did not end within the bound or the new one
    // did not start.
    bool Restart(uint32_t firstBeatMs);

  private:
    void Run(uint32_t firstBeatMs);

    Lock lock_;
    Event stop_{EventReset::kManual, false};
    Thread thread_;
    iHeartBeatListener* target_ = nullptr;
};

}  // namespace axistune
