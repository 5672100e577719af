#include "engine/reassembler.h"

namespace axistune {

void Reassembler::Feed(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (state_ == kWaitingForHeader) {
            if ((b & kQueueHeaderBit) == 0) {
                continue;
            }
            message_[0] = b;
            position_ = 1;
            length_ = (b & kMaxQueuePayload) + 1u;
            state_ = kCollecting;
            continue;
        }
        // A header announcing no payload is still followed by one byte, which is swallowed.
        if (position_ < kMaxQueueMessage) {
            message_[position_] = b;
        }
        ++position_;
        if (position_ >= length_) {
            handler_.OnQueueMessage(message_);
            state_ = kWaitingForHeader;
        }
    }
}

}  // namespace axistune
