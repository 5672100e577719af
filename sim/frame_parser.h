#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace dxsim {

// Cuts the host's byte stream into frames AA N cmd args. A frame that cannot be one of the
// controller's commands (unknown command byte, wrong length for its command, wrong fixed bytes)
// is rejected as soon as that shows, and the bytes after its AA are scanned again, so a real
// frame hidden behind line noise is still found. A frame left incomplete for longer than the
// inter-byte time-out is dropped the same way.
class FrameParser {
  public:
    static constexpr int64_t kInterByteTimeoutMs = 200;

    struct Handler {
        std::function<void(const std::vector<uint8_t>& frame)> onFrame;
        // Bytes that belong to no frame, in order.
        std::function<void(const std::vector<uint8_t>& bytes, const char* reason)> onDropped;
    };

    explicit FrameParser(Handler handler);

    void Feed(const uint8_t* data, size_t count, int64_t nowMs);
    // Forgets a partial frame (the line was closed or re-plugged).
    void Reset();
    bool Idle() const { return pending_.empty(); }

  private:
    void Push(uint8_t b);
    // Rejects the pending bytes: the leading AA is dropped and the rest is scanned again.
    void Reject(const char* reason);
    void FlushDropped(const char* reason);

    Handler handler_;
    std::vector<uint8_t> pending_;  // the frame being collected, from its AA
    std::vector<uint8_t> dropped_;
    int64_t lastByteMs_ = 0;
};

}  // namespace dxsim
