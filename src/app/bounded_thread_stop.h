#pragma once

#include <cstdint>
#include <memory>

#include "platform/event.h"
#include "platform/thread.h"

namespace axistune {

// Ends a worker of our own (the history writer, a window's restore) within one bound: waits for
// `callbackReturned` (set once the thread is outside its callback into the window and will not
// call it again), then joins in what is left of the bound. True when the thread ended. A thread
// still inside a slow write or an exchange's bound is let go instead: Thread's destructor would
// wait for it without a bound, and such a thread holds its own share of what it uses.
bool JoinOrLetGo(std::unique_ptr<Thread>& thread, Event& callbackReturned, uint32_t timeoutMs);

}  // namespace axistune
