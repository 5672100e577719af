#include "sim/frame_parser.h"

#include "sim/commands.h"

namespace dxsim {

namespace {
constexpr uint8_t kFrameStart = 0xAA;
}

FrameParser::FrameParser(Handler handler) : handler_(std::move(handler)) {}

void FrameParser::Feed(const uint8_t* data, size_t count, int64_t nowMs) {
    if (count > 0 && !pending_.empty() && nowMs - lastByteMs_ > kInterByteTimeoutMs) {
        Reject("incomplete frame timed out");
    }
    for (size_t i = 0; i < count; ++i) {
        Push(data[i]);
    }
    if (count > 0) {
        lastByteMs_ = nowMs;
    }
    FlushDropped("not a frame");
}

void FrameParser::Reset() {
    dropped_.insert(dropped_.end(), pending_.begin(), pending_.end());
    pending_.clear();
    FlushDropped("frame cut off");
}

void FrameParser::Push(uint8_t b) {
    if (pending_.empty()) {
        if (b == kFrameStart) {
            FlushDropped("not a frame");
            pending_.push_back(b);
        } else {
            dropped_.push_back(b);
        }
        return;
    }
    pending_.push_back(b);
    const size_t at = pending_.size() - 1;
    if (at == 1) {
        if (b == 0) {
            Reject("zero length");
        }
        return;
    }
    const CommandSpec* spec = FindCommand(pending_[2]);
    if (at == 2) {
        if (spec == nullptr) {
            Reject("unknown command");
            return;
        }
        if (spec->length != pending_[1]) {
            Reject("wrong length for the command");
            return;
        }
    } else if (at - 3 < spec->fixedCount && b != spec->fixed[at - 3]) {
        Reject("unexpected fixed byte");
        return;
    }
    if (pending_.size() == size_t{pending_[1]} + 2) {
        std::vector<uint8_t> frame;
        frame.swap(pending_);
        FlushDropped("not a frame");
        if (handler_.onFrame) {
            handler_.onFrame(frame);
        }
    }
}

void FrameParser::Reject(const char* reason) {
    std::vector<uint8_t> rest(pending_.begin() + 1, pending_.end());
    dropped_.push_back(pending_[0]);
    pending_.clear();
    FlushDropped(reason);
    for (uint8_t b : rest) {
        Push(b);
    }
}

void FrameParser::FlushDropped(const char* reason) {
    if (dropped_.empty()) {
        return;
    }
    std::vector<uint8_t> bytes;
    bytes.swap(dropped_);
    if (handler_.onDropped) {
        handler_.onDropped(bytes, reason);
    }
}

}  // namespace dxsim
