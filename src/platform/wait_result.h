#pragma once

#include <cstddef>
#include <cstdint>

namespace axistune {

// Outcome of a read that waits for data, a stop event or a time-out.
enum class WaitOutcome {
    kData,      // bytes/count hold what was read (count may be 0)
    kStopped,   // the stop event is set; it wins over data that arrived at the same time
    kTimedOut,  // nothing happened; a pending read stays pending for the next call
    kFailed,    // the read failed (a broken pipe, a serial adapter that was pulled)
};

struct ReadResult {
    WaitOutcome outcome;
    const uint8_t* bytes;  // valid until the next read on the same object
    size_t count;
};

}  // namespace axistune
