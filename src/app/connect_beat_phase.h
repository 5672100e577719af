#pragma once

#include <cstdint>

namespace axistune {

// Where a connect should fall among the heartbeat's beats: the delay before the next beat that
// makes the handshake's first delayed query go out one period after the version answer rather
// than two. The pause before the handshake lasts exactly two periods, so a connect made just
// after a beat has its version answer arrive just after the second beat, and the query waits
// for the fourth. A beat that follows the connect by the version exchange's line time plus a
// margin (the engine's start of the pause, the controller's answer, a USB adapter's latency
// timer) comes instead just after the answer, and the query leaves on the beat after it.
uint32_t ConnectBeatPhaseMs(uint32_t baudRate);

}  // namespace axistune
