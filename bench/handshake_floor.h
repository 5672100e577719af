#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/heart_beat.h"
#include "bench/far_end.h"
#include "engine/serial_link.h"
#include "link/controller_protocol.h"

namespace bench {

// The handshake's clock, as the program itself sets it.
constexpr int64_t kPauseMs = axistune::SerialLink::kHandshakePauseMs;  // open to first query
constexpr int64_t kTickMs = axistune::HeartBeat::kPeriodMs;
constexpr int kDelayedQueries = 4;  // mode flag, firmware, base and axis settings
// Each delayed query goes out on this tick after the reply before it.
constexpr int kDelayTicks = axistune::ControllerProtocol::kQueryDelayTicks;
constexpr size_t kHandshakeQueries = 7;  // and the closed-loop query where the controller has it

// The characters of a frame and its answer, at one character time each.
double LineNs(const Exchange& e, double charNs);

// The shortest handshake that the protocol allows on this tick train: the pause, every query and
// answer at line speed, and each delayed query sent on the second tick after the answer before
// it, with no time spent in the program.
int64_t HandshakeFloorNs(int64_t startNs, const std::vector<Exchange>& exchanges,
                         const std::vector<int64_t>& ticks, double charNs);

// The same with the two-tick delays taken at their full 500 ms.
int64_t NominalFloorNs(const std::vector<Exchange>& exchanges, double charNs);

// Where the handshake that begins at `first` ends (one past its last exchange), or `first` when
// the exchanges from there are not a whole handshake.
size_t HandshakeEnd(const std::vector<Exchange>& exchanges, size_t first);

// The least any handshake can take whatever the phase of the heartbeat: the pause, the version
// exchange, the first delay at its shortest (one tick; the first of its two ticks can come right
// after the version reply), then three two-tick spacings from query to query (each exchange in
// between is well under a tick, so its line time lies within the spacing), then the axis,
// meridian, geo and closed-loop exchanges at line speed.
double LeastHandshakeNs(const std::vector<Exchange>& handshake, double charNs);

// The same on the ticks that the delayed queries actually went out on, as the far end saw them:
// the first delay from the version answer's last character to the mode-flag query, and the
// spacing from there to the axis-settings query, as they happened.
double HandshakeOnItsTicksNs(const std::vector<Exchange>& handshake, double charNs);

// From the version answer's last character to the first delayed query.
double FirstDelayNs(const std::vector<Exchange>& handshake);
// From the first delayed query to the last (three two-tick delays and the exchanges between).
double SpacingNs(const std::vector<Exchange>& handshake);

}  // namespace bench
