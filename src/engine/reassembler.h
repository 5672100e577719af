#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/request_codes.h"

namespace axistune {

class QueueMessageHandler {
  public:
    // message[0] is the header; (message[0] & 0x1F) payload bytes follow (at least one byte
    // is always present after the header).
    virtual void OnQueueMessage(const uint8_t* message) = 0;

  protected:
    ~QueueMessageHandler() = default;
};

// Cuts the queue's byte stream back into messages. A byte with bit 7 set starts a message;
// inside a message every byte is payload, so there is no resynchronisation mid-message.
class Reassembler {
  public:
    explicit Reassembler(QueueMessageHandler& handler) : handler_(handler) {}

    void Feed(const uint8_t* bytes, size_t count);

  private:
    enum State { kWaitingForHeader = 0, kCollecting = 1 };

    QueueMessageHandler& handler_;
    State state_ = kWaitingForHeader;
    uint32_t position_ = 0;
    uint32_t length_ = 0;
    uint8_t message_[kMaxQueueMessage] = {};
};

}  // namespace axistune
