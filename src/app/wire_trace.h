#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace axistune {

// Turns the bytes on the line into trace lines: each frame with its command's name, and the
// controller's bytes cut into replies (0x55, L, then L payload bytes) the way the engine cuts
// them, each named after the command that awaited it. Bytes outside a reply, which the engine
// drops, are shown as noise. Not thread-safe: one thread feeds it at a time.
class WireTrace {
  public:
    std::string Frame(const uint8_t* bytes, size_t count, WriteOutcome outcome);
    std::vector<std::string> Received(const uint8_t* bytes, size_t count);
    // The start of a reply that was still arriving when the line closed; empty when none.
    std::string CutOff();
    // A new connection: nothing awaited, nothing half received.
    void Reset();

  private:
    std::string ReplyLine();

    std::vector<uint8_t> reply_;  // the reply being collected, from its 0x55
    uint8_t awaitedBy_ = 0;       // the command whose answer is awaited, 0 when none
};

}  // namespace axistune
