#pragma once

#include <cstddef>
#include <cstdint>

namespace axistune {

// Where the protocol core puts a command frame: the serial link in the program, a recorder in
// tests. One call carries one whole frame.
class FrameSink {
  public:
    virtual void WriteFrame(const uint8_t* bytes, size_t count) = 0;

  protected:
    ~FrameSink() = default;
};

}  // namespace axistune
