#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/event.h"
#include "platform/wait_result.h"

namespace axistune {

enum class QueueOpenError {
    kNone,
    kCreateFailed,    // the read end could not be created
    kNameTaken,       // another process already owns the pipe name
    kWriteEndFailed,  // the write end could not be opened
    kForeignClient,   // the connected client is not this process
};

// Clear text for the user, e.g. for a start-up message box.
const char* DescribeQueueOpenError(QueueOpenError error);

// The engine's private byte stream. The engine holds both ends: every producer writes into the
// write end, only the worker reads. Windows: a named pipe; POSIX: a pipe with poll.
class ByteQueue {
  public:
    static constexpr size_t kReadChunk = 20;

    ByteQueue();
    ~ByteQueue();
    ByteQueue(const ByteQueue&) = delete;
    ByteQueue& operator=(const ByteQueue&) = delete;

    QueueOpenError Open();
    // One synchronous write of the whole message; blocks while the queue is full. The caller
    // serialises writers (the engine's queue write lock).
    bool Write(const uint8_t* bytes, size_t count);
    // Up to kReadChunk bytes, or the stop event, or timeoutMs. Only one thread reads.
    ReadResult Read(const Event& stop, uint32_t timeoutMs);

    // The pipe's name on Windows (empty on POSIX); for tests of the queue's door.
    const char* Name() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace axistune
