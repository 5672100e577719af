#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/request_codes.h"

namespace axistune {

// A request message for the engine queue, built in place: header, request code, then the
// arguments, little-endian, each cut to its field's width.
class RequestMessage {
  public:
    explicit RequestMessage(RequestCode code) { Put(code); }

    RequestMessage& Byte(uint32_t value) {
        Put(static_cast<uint8_t>(value));
        return *this;
    }
    RequestMessage& Word(uint32_t value) {
        Put(static_cast<uint8_t>(value));
        Put(static_cast<uint8_t>(value >> 8));
        return *this;
    }
    RequestMessage& Long(uint32_t value) {
        Word(value);
        Word(value >> 16);
        return *this;
    }

    const uint8_t* Data() {
        bytes_[0] = QueueHeader(kKindRequest, static_cast<uint8_t>(size_ - 1));
        return bytes_;
    }
    size_t Size() const { return size_; }

  private:
    void Put(uint8_t value) {
        if (size_ < sizeof bytes_) {
            bytes_[size_++] = value;
        }
    }

    uint8_t bytes_[kMaxQueueMessage] = {};
    size_t size_ = 1;  // index 0 holds the header
};

}  // namespace axistune
