#pragma once

#include <cstdint>
#include <vector>

#include "engine/advanced_source.h"
#include "link/frame_sink.h"

namespace axistune {

using Bytes = std::vector<uint8_t>;

// Keeps every frame as written, one entry per WriteFrame call.
class RecordingFrameSink : public FrameSink {
  public:
    void WriteFrame(const uint8_t* bytes, size_t count) override {
        frames.emplace_back(bytes, bytes + count);
    }
    std::vector<Bytes> frames;
};

class FakeAdvancedSource : public AdvancedSource {
  public:
    AdvancedSettings TakeAdvancedSnapshot() override {
        ++taken;
        return pending;
    }
    AdvancedSettings pending{};
    int taken = 0;
};

}  // namespace axistune
