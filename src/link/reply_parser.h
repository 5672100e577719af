#pragma once

#include <cstddef>
#include <cstdint>

namespace axistune {

// A complete reply as stored: 0x55, L, then the payload (at most the first 98 payload bytes).
// Reads are bounded by what this reply stored, so a byte the reply did not carry reads as 0 and
// never as a leftover of an earlier, longer reply.
class ReplyView {
  public:
    static constexpr size_t kCapacity = 100;  // 0x55, L and the first 98 payload bytes

    ReplyView(const uint8_t* bytes, size_t stored) : bytes_(bytes), stored_(stored) {}

    // L as the controller announced it (also when the payload was longer than the buffer).
    uint8_t PayloadLength() const { return Byte(1); }
    uint8_t Byte(size_t k) const { return k < stored_ && k < kCapacity ? bytes_[k] : 0; }
    uint16_t U16(size_t k) const { return static_cast<uint16_t>(Byte(k) | (Byte(k + 1) << 8)); }
    uint32_t U32(size_t k) const {
        return static_cast<uint32_t>(U16(k)) | (static_cast<uint32_t>(U16(k + 2)) << 16);
    }

  private:
    const uint8_t* bytes_;
    size_t stored_;
};

// Recognises controller replies (0x55, L, L payload bytes; no checksum, no terminator) in the
// byte stream. Bytes before a 0x55 are dropped.
class ReplyParser {
  public:
    static constexpr int32_t kHunting = 0;
    static constexpr int32_t kExpectLength = 1;
    static constexpr int32_t kCollecting = 2;
    static constexpr size_t kBufferSize = ReplyView::kCapacity;

    void Reset() { parseState_ = kHunting; }

    // True when b completed a reply; Reply() then shows it until the next byte is fed.
    bool Feed(uint8_t b);

    ReplyView Reply() const { return ReplyView(buffer_, static_cast<size_t>(writeIndex_)); }

    int32_t ParseState() const { return parseState_; }
    int32_t Expected() const { return expected_; }
    int32_t Received() const { return received_; }
    int32_t WriteIndex() const { return writeIndex_; }

  private:
    int32_t parseState_ = kHunting;
    int32_t expected_ = 0;
    int32_t received_ = 0;
    int32_t writeIndex_ = 0;
    uint8_t buffer_[kBufferSize] = {};
};

}  // namespace axistune
