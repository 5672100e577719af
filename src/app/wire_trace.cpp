#include "app/wire_trace.h"

#include <cstdio>

#include "link/command_codes.h"
#include "link/command_names.h"

namespace axistune {

namespace {

std::string Hex(const uint8_t* bytes, size_t count) {
    std::string text;
    text.reserve(count * 3);
    char byte[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += byte;
    }
    return text;
}

std::string Named(uint8_t code) {
    if (const char* name = CommandName(code); name != nullptr) {
        return name;
    }
    char text[24];
    std::snprintf(text, sizeof text, "command 0x%02X", code);
    return text;
}

}  // namespace

std::string WireTrace::Frame(const uint8_t* bytes, size_t count, WriteOutcome outcome) {
    std::string line = "frame " + Hex(bytes, count);
    if (count >= 3 && bytes[0] == kFrameStart) {
        line += "  " + Named(bytes[2]);
        if (CommandAwaitsReply(bytes[2])) {
            awaitedBy_ = bytes[2];  // a newer exchange takes the next reply, as in the engine
        }
    }
    switch (outcome) {
        case WriteOutcome::kWritten:
            break;
        case WriteOutcome::kTimedOut:
            line += "  (the write timed out: the line took only part of it or none)";
            break;
        case WriteOutcome::kFailed:
            line += "  (the write failed: the port is gone)";
            break;
    }
    return line;
}

std::vector<std::string> WireTrace::Received(const uint8_t* bytes, size_t count) {
    std::vector<std::string> lines;
    std::vector<uint8_t> noise;
    auto flushNoise = [&] {
        if (!noise.empty()) {
            lines.push_back("noise " + Hex(noise.data(), noise.size()) + "  (not a reply)");
            noise.clear();
        }
    };
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (reply_.empty()) {
            if (b == kReplyStart) {
                flushNoise();
                reply_.push_back(b);
            } else {
                noise.push_back(b);
            }
            continue;
        }
        reply_.push_back(b);
        if (reply_.size() >= 2 && reply_.size() == size_t{reply_[1]} + 2) {
            lines.push_back(ReplyLine());
        }
    }
    flushNoise();
    return lines;
}

std::string WireTrace::ReplyLine() {
    std::string line = "reply " + Hex(reply_.data(), reply_.size());
    if (awaitedBy_ != 0) {
        line += "  to " + Named(awaitedBy_);
        awaitedBy_ = 0;
    } else {
        line += "  (no answer awaited)";
    }
    reply_.clear();
    return line;
}

std::string WireTrace::CutOff() {
    if (reply_.empty()) {
        return {};
    }
    const size_t announced = reply_.size() >= 2 ? reply_[1] : 0;
    const size_t arrived = reply_.size() >= 2 ? reply_.size() - 2 : 0;
    std::string line = "reply " + Hex(reply_.data(), reply_.size()) + "  cut off after " +
                       std::to_string(arrived) + " of " +
                       (reply_.size() >= 2 ? std::to_string(announced) : std::string("?")) +
                       " payload bytes";
    reply_.clear();
    return line;
}

void WireTrace::Reset() {
    reply_.clear();
    awaitedBy_ = 0;
}

}  // namespace axistune
