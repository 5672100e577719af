#pragma once

#include <cstdint>

namespace axistune {

// The single exchange with the controller in progress. The numbers are fixed: the reply
// time-out applies only to the handshake and re-read queries, states 4..11.
enum ExchangeState : int32_t {
    ST_OFFLINE = 0,
    ST_READY = 2,  // idle: requests are accepted
    ST_DELAY = 3,  // waiting delayTicks before the query of pendingState
    ST_WAIT_VERSION = 4,
    ST_WAIT_MODE_FLAG = 5,
    ST_WAIT_FIRMWARE = 6,
    ST_WAIT_BASE = 7,
    ST_WAIT_AXIS = 8,
    ST_WAIT_MERIDIAN = 9,
    ST_WAIT_GEO = 10,
    ST_WAIT_CLOSED_LOOP = 11,
    ST_WAIT_GEAR_ACK = 12,
    ST_WAIT_GEAR_REREAD = 13,
    ST_WAIT_VOLTAGE = 15,
    ST_WAIT_SYNC_ACK = 16,
    ST_WAIT_PARK_ACK = 17,
    ST_WAIT_STORE_ACK = 18,
    ST_WAIT_RELOAD_ACK = 19,
    ST_ADV_GEO = 20,
    ST_ADV_MOUNT = 21,
    ST_ADV_MERIDIAN = 22,
    ST_ADV_CLOSED_LOOP = 23,
};

constexpr bool IsTimedState(int32_t state) {
    return state >= ST_WAIT_VERSION && state <= ST_WAIT_CLOSED_LOOP;
}

}  // namespace axistune
