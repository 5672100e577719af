#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/event.h"
#include "platform/wait_result.h"

namespace axistune {

enum class WriteOutcome {
    kWritten,
    kTimedOut,  // abandoned; the port keeps the bytes valid until the write ends or is cancelled
    kFailed,    // the port is gone (adapter pulled) or the write was refused
};

// Why a port did not open.
enum class OpenFailure {
    kNone,              // it opened
    kNotFound,          // no such device
    kBusy,              // another program has it open
    kPermissionDenied,  // the device exists but this user may not open it
    kOther,             // anything else; the system's message says what
};

struct OpenResult {
    OpenFailure failure = OpenFailure::kNone;
    std::string systemMessage;  // the system's own words, empty when it opened
    bool Opened() const { return failure == OpenFailure::kNone; }
};

// A failed open as the engine remembers it for the front ends.
struct PortOpenReport {
    std::string device;  // the name the port number stood for; empty when it stood for none
    OpenResult result;
};

// One open serial port: 8N1 at the requested rate, binary-safe, raw. The engine's worker opens,
// writes and closes; the serial reader thread is the only caller of Read.
class SerialPort {
  public:
    static constexpr size_t kReadChunk = 128;

    SerialPort();
    ~SerialPort();  // closes the port if still open
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // device: Windows "COM3" (opened as "\\.\COM3"; a name that already starts with "\\.\"
    // is used as it is); POSIX a path, or "tcp://HOST:PORT" for a raw TCP serial bridge
    // (HOST a name or address, an IPv6 address in brackets; connecting is bounded to a few
    // seconds). A bridge reads, writes, times out and is lost like any other port; a refused
    // connection or an unknown host is kNotFound, a malformed name kOther. Windows refuses
    // tcp:// names with kOther. A port open in another SerialPort is kBusy on both systems.
    // The kinds of names are the rows of platform/port_scheme.h.
    OpenResult Open(const std::string& device, uint32_t baudRate);
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

// A short English sentence for a failed open, for front ends that can show more than the
// window's status line: "no such device", "in use by another program", ... On POSIX a denied
// permission names the fix (membership of the dialout group).
std::string DescribeOpenFailure(const std::string& device, const OpenResult& result);

}  // namespace axistune
