#include "bench/handshake_floor.h"

#include "link/command_codes.h"

namespace bench {

namespace {

constexpr double kNsPerMs = 1e6;

// The queries of a handshake in the order the protocol sends them.
constexpr uint8_t kHandshakeOrder[kHandshakeQueries] = {axistune::CMD_READ_VERSION,
                                                        axistune::CMD_READ_MODE_FLAG,
                                                        axistune::CMD_READ_FIRMWARE,
                                                        axistune::CMD_READ_BASE_SETTINGS,
                                                        axistune::CMD_READ_AXIS_SETTINGS,
                                                        axistune::CMD_READ_MERIDIAN,
                                                        axistune::CMD_READ_GEO};

bool Delayed(size_t index) {
    return index >= 1 && index <= static_cast<size_t>(kDelayedQueries);
}

}  // namespace

double LineNs(const Exchange& e, double charNs) {
    return static_cast<double>(e.hostBytes + e.replyBytes) * charNs;
}

int64_t HandshakeFloorNs(int64_t startNs, const std::vector<Exchange>& exchanges,
                         const std::vector<int64_t>& ticks, double charNs) {
    double t = static_cast<double>(startNs + kPauseMs * 1000000);
    for (size_t i = 0; i < exchanges.size(); ++i) {
        if (Delayed(i)) {
            int seen = 0;
            for (int64_t tick : ticks) {
                if (static_cast<double>(tick) > t && ++seen == kDelayTicks) {
                    t = static_cast<double>(tick);
                    break;
                }
            }
            if (seen < kDelayTicks) {
                return -1;
            }
        }
        t += LineNs(exchanges[i], charNs);
    }
    return static_cast<int64_t>(t) - startNs;
}

int64_t NominalFloorNs(const std::vector<Exchange>& exchanges, double charNs) {
    double t = static_cast<double>((kPauseMs + kDelayedQueries * kDelayTicks * kTickMs) * 1000000);
    for (const Exchange& e : exchanges) {
        t += LineNs(e, charNs);
    }
    return static_cast<int64_t>(t);
}

size_t HandshakeEnd(const std::vector<Exchange>& exchanges, size_t first) {
    if (first + kHandshakeQueries > exchanges.size()) {
        return first;
    }
    for (size_t i = 0; i < kHandshakeQueries; ++i) {
        if (exchanges[first + i].command != kHandshakeOrder[i]) {
            return first;
        }
    }
    size_t end = first + kHandshakeQueries;
    if (end < exchanges.size() && exchanges[end].command == axistune::CMD_READ_CLOSED_LOOP) {
        ++end;
    }
    return end;
}

double LeastHandshakeNs(const std::vector<Exchange>& handshake, double charNs) {
    double t =
        static_cast<double>(kPauseMs + kTickMs + (kDelayedQueries - 1) * kDelayTicks * kTickMs) *
        kNsPerMs;
    for (size_t i = 0; i < handshake.size(); ++i) {
        // The mode-flag, firmware and base-settings exchanges run inside the tick spacing.
        const bool withinSpacing = i >= 1 && i < static_cast<size_t>(kDelayedQueries);
        if (!withinSpacing) {
            t += LineNs(handshake[i], charNs);
        }
    }
    return t;
}

double FirstDelayNs(const std::vector<Exchange>& handshake) {
    return static_cast<double>(handshake[1].frameReadNs - handshake[0].replyEndNs);
}

double SpacingNs(const std::vector<Exchange>& handshake) {
    return static_cast<double>(handshake[kDelayedQueries].frameReadNs - handshake[1].frameReadNs);
}

double HandshakeOnItsTicksNs(const std::vector<Exchange>& handshake, double charNs) {
    double t = static_cast<double>(kPauseMs) * kNsPerMs + LineNs(handshake[0], charNs) +
               FirstDelayNs(handshake) + SpacingNs(handshake);
    for (size_t i = kDelayedQueries; i < handshake.size(); ++i) {
        t += LineNs(handshake[i], charNs);
    }
    return t;
}

}  // namespace bench
