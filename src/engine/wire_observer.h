#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/serial_port.h"

namespace axistune {

// Sees the bytes on the line, for a trace a user can send with a support request: every frame
// as it was handed to the port, with how the write ended, and the controller's bytes in the
// order the worker takes them. Called on the worker thread; must return quickly.
class WireObserver {
  public:
    virtual void OnFrameWritten(const uint8_t* bytes, size_t count, WriteOutcome outcome) = 0;
    virtual void OnBytesReceived(const uint8_t* bytes, size_t count) = 0;

  protected:
    ~WireObserver() = default;
};

}  // namespace axistune
