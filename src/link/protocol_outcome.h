#pragma once

namespace axistune {

// What the reply side asks of the dispatcher after a handler call.
enum ProtocolOutcome : int {
    kOutcomeNothing = 0,
    kOutcomeHandshakeDone = 1,  // the dispatcher sets handshakeDone
    kOutcomeCloseLink = 2,      // the dispatcher closes the port without a status of its own
};

}  // namespace axistune
