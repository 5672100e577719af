#pragma once

#include <cstddef>
#include <vector>

#include "bench/far_end.h"

namespace bench {

// What the protocol alone makes one run of the command-line program take, from the exchanges
// the far end carried for it: every handshake, and the exchanges between them (a restore's
// frames, each answer it waits for, the re-reads), which run back to back at line speed: the
// frames that need no answer queue on the host's line ahead of the next one that does.
struct RunFloor {
    bool ok = false;  // the exchanges began with a whole handshake
    int handshakes = 0;
    size_t otherFrames = 0;
    size_t otherAnswers = 0;
    double leastNs = 0;                 // on the most favourable phase of the heartbeat
    double onItsTicksNs = 0;            // the tick waits as this run's heartbeat gave them
    double nominalNs = 0;               // each two-tick delay at its full 500 ms
    std::vector<double> firstDelaysNs;  // version answer to mode-flag query, per handshake
    std::vector<double> spacingsNs;     // mode-flag query to axis-settings query, per handshake
};

RunFloor FloorOfRun(const std::vector<Exchange>& exchanges, double charNs);

}  // namespace bench
