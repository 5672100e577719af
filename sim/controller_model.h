#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sim/commands.h"
#include "sim/faults.h"
#include "sim/frame_parser.h"
#include "sim/mount.h"
#include "sim/noise.h"
#include "sim/profile.h"
#include "sim/settings.h"
#include "sim/trace.h"

namespace dxsim {

struct Counters {
    std::array<uint32_t, 256> framesByCommand{};  // accepted frames by command byte
    uint64_t frames = 0;                          // accepted frames
    uint64_t droppedBytes = 0;                    // host bytes that formed no frame
    uint64_t replies = 0;                         // replies scheduled (faults applied)
    uint64_t suppressedReplies = 0;               // replies withheld by the no-reply faults
    uint64_t noiseBursts = 0;                     // frames answered with noise (wrong line rate)
    uint64_t bytesSent = 0;                       // every byte handed to the line
};

struct ReceivedFrame {
    int64_t atMs = 0;
    std::vector<uint8_t> bytes;  // AA N cmd args
};

// The controller: host bytes in, controller bytes out, with state. It has no clock of its own;
// every call takes the time in milliseconds (any epoch, never going backwards), so a test drives
// it without sleeping. Not thread-safe: one owner at a time.
class ControllerModel {
  public:
    static constexpr size_t kFrameLogSize = 4096;

    explicit ControllerModel(Profile profile, uint64_t seed = 1);
    // The frame parser calls back into this object, so it stays where it was made.
    ControllerModel(const ControllerModel&) = delete;
    ControllerModel& operator=(const ControllerModel&) = delete;

    // Bytes written by the host.
    void Receive(const uint8_t* data, size_t count, int64_t nowMs);
    // Controller bytes whose time has come, appended to *out in order of sending.
    void TakeDue(int64_t nowMs, std::vector<uint8_t>* out);
    // When the next pending byte is due; false when nothing is pending.
    bool NextDue(int64_t* dueMs) const;
    bool HasPending() const { return !outbox_.empty(); }

    // The rate the host set on the line, as far as it can be seen; 0 = not known, accepted.
    // A host at another rate than the controller's gets noise and its commands have no effect.
    void SetLineBaud(uint32_t baud) { lineBaud_ = baud; }
    uint32_t LineBaud() const { return lineBaud_; }
    bool LineRateMatches() const { return lineBaud_ == 0 || lineBaud_ == identity_.baud; }
    // The line was closed or re-plugged: a partial frame and unsent bytes are lost.
    void LineReset();

    void SetFaults(const Faults& faults) { faults_ = faults; }
    const Faults& GetFaults() const { return faults_; }
    void SetTrace(TraceSink* trace) { trace_ = trace; }

    const Profile& profile() const { return profile_; }
    const Identity& identity() const { return identity_; }
    void SetIdentity(const Identity& identity) { identity_ = identity; }
    const Settings& settings() const { return settings_; }
    const Settings& stored() const { return stored_; }
    const Settings& factory() const { return profile_.factory; }
    // Switching the controller off and on: the working settings come from the stored copy and
    // the axes stop; tracking is off.
    void PowerCycle(int64_t nowMs);

    // Motion state brought up to nowMs.
    const Mount& MountAt(int64_t nowMs);
    bool ExpOn() const { return exp_; }
    uint16_t Voltage() const;

    const Counters& counters() const { return counters_; }
    const std::deque<ReceivedFrame>& frames() const { return frames_; }

  private:
    struct Outgoing {
        int64_t dueMs;
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> traceBytes;  // what the trace shows when this item leaves
        std::string traceText;            // empty: no trace line
    };

    void OnFrame(const std::vector<uint8_t>& frame);
    void OnDropped(const std::vector<uint8_t>& bytes, const char* reason);
    // Applies one accepted frame and returns its description for the trace.
    std::string Apply(const CommandSpec& spec, const std::vector<uint8_t>& f);
    void Reply(const CommandSpec& spec, std::string* hostNote);
    void AnswerWithNoise(const CommandSpec& spec);
    void Schedule(std::vector<uint8_t> bytes, std::string traceText, bool split);
    int64_t NextSlot();

    Profile profile_;
    Identity identity_;
    Settings settings_;
    Settings stored_;
    Faults faults_;
    Mount mount_;
    Noise noise_;
    FrameParser parser_;
    TraceSink* trace_ = nullptr;
    std::deque<Outgoing> outbox_;
    std::deque<ReceivedFrame> frames_;
    Counters counters_;
    int64_t nowMs_ = 0;
    int64_t lastDueMs_ = 0;
    uint32_t lineBaud_ = 0;
    bool exp_ = false;
};

}  // namespace dxsim
