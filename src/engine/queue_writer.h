#pragma once

#include <cstddef>
#include <cstdint>

namespace axistune {

// Writes one whole message into the engine queue under the queue write lock, so that messages
// from different threads never interleave.
class QueueWriter {
  public:
    virtual void WriteMessage(const uint8_t* bytes, size_t count) = 0;

  protected:
    ~QueueWriter() = default;
};

}  // namespace axistune
