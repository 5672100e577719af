#pragma once

#include <cstdint>
#include <vector>

#include "core/telescope_listener.h"
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

struct ListenerEvent {
    enum Kind { kStatus, kStatusValue, kSettings, kVoltage } kind;
    int32_t code;  // status code, or the settings kind
    uint32_t value;
    ControllerSettings settings;
};

// Keeps every event in order; the settings record is copied as the real listener does.
class RecordingTelescopeListener : public TelescopeListener {
  public:
    void OnStatus(int32_t code) override {
        events.push_back({ListenerEvent::kStatus, code, 0, {}});
    }
    void OnStatusValue(int32_t code, uint32_t value) override {
        events.push_back({ListenerEvent::kStatusValue, code, value, {}});
    }
    void OnSettings(const ControllerSettings* settings, int32_t kind) override {
        events.push_back({ListenerEvent::kSettings, kind, 0, *settings});
    }
    void OnVoltage(uint32_t value) override {
        events.push_back({ListenerEvent::kVoltage, 0, value, {}});
    }

    std::vector<int32_t> Statuses() const {
        std::vector<int32_t> codes;
        for (const ListenerEvent& e : events) {
            if (e.kind == ListenerEvent::kStatus) {
                codes.push_back(e.code);
            }
        }
        return codes;
    }

    std::vector<ListenerEvent> events;
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
