#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/event.h"
#include "platform/wait_result.h"

enum class WriteOutcome {
    kWritten,
    kTimedOut,  // abandoned; the port keeps the bytes valid until the write ends or is cancelled
    kFailed,    // the port is gone (adapter pulled) or the write was refused
};

// One open COM port: 8N1 at the requested rate, binary-safe, raw. The engine's worker opens,
// writes and closes; the serial reader thread is the only caller of Read.
class SerialPort {
  public:
    static constexpr size_t kReadChunk = 128;

    SerialPort();
    ~SerialPort();  // closes the port if still open
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Windows: "\\.\COM<port>". POSIX: the path that the serial path resolver gives.
    bool Open(uint8_t port, uint32_t baudRate);
    bool IsOpen() const;
    WriteOutcome Write(const uint8_t* bytes, size_t count, uint32_t timeoutMs);
    // Up to kReadChunk bytes, or the stop event, or timeoutMs.
    ReadResult Read(const Event& stop, uint32_t timeoutMs);
    // Discards pending input and output, cancels pending I/O and closes the port. Call it
    // after the reader thread has ended.
    void Close();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// POSIX: port numbers become device paths through this function, which tests replace so that a
// pseudo-terminal stands in for COM<port>. The default maps COM1 to /dev/ttyS0 and so on.
using SerialPathResolver = std::string (*)(unsigned port);
void SetSerialPathResolver(SerialPathResolver resolver);
std::string ResolveSerialPath(unsigned port);
