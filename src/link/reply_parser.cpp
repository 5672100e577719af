#include "link/reply_parser.h"

#include "link/command_codes.h"

namespace axistune {

bool ReplyParser::Feed(uint8_t b) {
    switch (parseState_) {
        case kHunting:
            if (b == kReplyStart) {
                buffer_[0] = b;
                writeIndex_ = 1;
                parseState_ = kExpectLength;
            }
            return false;
        case kExpectLength:
            expected_ = b;
            received_ = 0;
            buffer_[1] = b;
            writeIndex_ = 2;
            if (b == 0) {
                parseState_ = kHunting;
                return true;
            }
            parseState_ = kCollecting;
            return false;
        case kCollecting:
            ++received_;
            if (writeIndex_ < static_cast<int32_t>(kBufferSize)) {
                buffer_[writeIndex_++] = b;
            }
            if (received_ >= expected_) {
                parseState_ = kHunting;
                return true;
            }
            return false;
        default:
            parseState_ = kHunting;
            return false;
    }
}

}  // namespace axistune
