// The reply side and request execution with arbitrary controller bytes, ticks and request
// messages, from a starting state the input chooses. Invariants: frames are well formed, the
// settings record changes only in the fields the exchange in progress may write, states,
// counters and reports stay within their documented sets.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/status_codes.h"
#include "engine/request_execution.h"
#include "fuzz_input.h"
#include "link/command_codes.h"
#include "link/controller_protocol.h"
#include "link/protocol_states.h"

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;

bool IsKnownCommand(uint8_t c) {
    switch (c) {
        case CMD_READ_VERSION:
        case CMD_READ_FIRMWARE:
        case CMD_READ_MODE_FLAG:
        case CMD_0B:
        case CMD_RELOAD_DEFAULTS:
        case CMD_STORE_SETTINGS:
        case CMD_READ_BASE_SETTINGS:
        case CMD_READ_AXIS_SETTINGS:
        case CMD_SET_GEAR_RATIOS:
        case CMD_SET_MOUNT_TYPE:
        case CMD_STOP:
        case CMD_MOVE:
        case CMD_TRACKING:
        case CMD_EXP:
        case CMD_READ_VOLTAGE:
        case CMD_SET_REVERSE:
        case CMD_SET_CURRENT:
        case CMD_SET_DECAY:
        case CMD_SET_MAX_SPEED:
        case CMD_SET_GUIDING:
        case CMD_SET_ACCEL:
        case CMD_SET_DECEL:
        case CMD_SET_OVERTONE:
        case CMD_SET_INC_CURRENT:
        case CMD_READ_MERIDIAN:
        case CMD_SET_MERIDIAN:
        case CMD_READ_CLOSED_LOOP:
        case CMD_SET_CLOSED_LOOP:
        case CMD_READ_GEO:
        case CMD_SET_GEO:
        case CMD_DEFINE_PARK:
        case CMD_INIT_POSITION:
            return true;
        default:
            return false;
    }
}

bool IsValidState(int32_t s) {
    return s == ST_OFFLINE || s == ST_READY || s == ST_DELAY ||
           (s >= ST_WAIT_VERSION && s <= ST_WAIT_GEAR_REREAD) ||
           (s >= ST_WAIT_VOLTAGE && s <= ST_ADV_CLOSED_LOOP);
}

class CheckingSink : public FrameSink {
  public:
    void WriteFrame(const uint8_t* bytes, size_t count) override {
        FUZZ_CHECK(count >= 3 && count <= kMaxFrameBytes);
        FUZZ_CHECK(bytes[0] == kFrameStart);
        FUZZ_CHECK(bytes[1] == count - 2);
        FUZZ_CHECK(IsKnownCommand(bytes[2]));
        ++frames;
    }
    int frames = 0;
};

class CheckingListener : public TelescopeListener {
  public:
    explicit CheckingListener(const ControllerProtocol*& protocol) : protocol_(protocol) {}

    void OnStatus(int32_t code) override {
        FUZZ_CHECK(code == kStatusTimeout || code == kStatusIncompatibleDevice ||
                   code == kStatusCommunicationError || code == kStatusReady ||
                   code == kStatusManualMovement || code == kStatusSynchronized ||
                   code == kStatusParkDefined || code == kStatusParametersStored ||
                   code == kStatusSettingsDone);
        timeouts += code == kStatusTimeout;
    }
    void OnStatusValue(int32_t code, uint32_t value) override {
        FUZZ_CHECK(code == kStatusFirmwareTooOld);
        FUZZ_CHECK(value == protocol_->Settings().firmwareVersion);
    }
    void OnSettings(const ControllerSettings* settings, int32_t kind) override {
        FUZZ_CHECK(settings == &protocol_->Settings());
        FUZZ_CHECK(kind >= kSettingsConnected && kind <= kSettingsGearReread);
        ControllerSettings copy;
        std::memcpy(&copy, settings, sizeof copy);  // what a listener does with it
        (void)copy;
    }
    void OnVoltage(uint32_t value) override { FUZZ_CHECK(value <= 0xFFFF); }

    int timeouts = 0;

  private:
    const ControllerProtocol*& protocol_;
};

class InputAdvancedSource : public AdvancedSource {
  public:
    AdvancedSettings TakeAdvancedSnapshot() override { return pending; }
    AdvancedSettings pending{};
};

// The fields of the record, with the exchanges that may write them.
enum Group : uint32_t {
    kNone = 0,
    kVersion = 1u << 0,
    kModeFlag = 1u << 1,
    kFirmware = 1u << 2,
    kBase = 1u << 3,
    kMountType = 1u << 4,
    kAxis = 1u << 5,
    kTopRates = 1u << 6,
    kMeridian = 1u << 7,
    kGeo = 1u << 8,
    kClosedLoop = 1u << 9,
    kFlip = 1u << 10,
    kMaxSpeeds = 1u << 11,
    kReserved = 1u << 12,
};

struct Field {
    size_t offset;
    size_t size;
    uint32_t group;
};

#define FIELD(name, group) \
    { offsetof(ControllerSettings, name), sizeof(ControllerSettings::name), group }

const Field kFields[] = {
    FIELD(mountType, kMountType),
    FIELD(reserved1, kReserved),
    FIELD(protocolLevel, kFirmware),
    FIELD(versionWord, kVersion),
    FIELD(hardwareType, kVersion),
    FIELD(firmwareVersion, kFirmware),
    FIELD(modeFlag, kModeFlag),
    FIELD(modeFlagZero, kModeFlag),
    FIELD(features, kBase),
    FIELD(decFeatures, kBase),
    FIELD(raGearRatio, kBase),
    FIELD(raScale, kBase),
    FIELD(raSiderealRate, kBase),
    FIELD(decGearRatio, kBase),
    FIELD(decScale, kBase),
    FIELD(decSiderealRate, kBase),
    FIELD(raMaxSpeed, kAxis | kMaxSpeeds),
    FIELD(decMaxSpeed, kAxis | kMaxSpeeds),
    FIELD(reverseRotation, kAxis),
    FIELD(reverseGuiding, kAxis),
    FIELD(reverseLimits, kAxis),
    FIELD(raMaxCurrent, kAxis),
    FIELD(decMaxCurrent, kAxis),
    FIELD(raCurrent, kAxis),
    FIELD(decCurrent, kAxis),
    FIELD(raDecay, kAxis),
    FIELD(decDecay, kAxis),
    FIELD(raAcceleration, kAxis),
    FIELD(raDeceleration, kAxis),
    FIELD(decAcceleration, kAxis),
    FIELD(decDeceleration, kAxis),
    FIELD(raOvertone, kAxis),
    FIELD(raAux1, kAxis),
    FIELD(decOvertone, kAxis),
    FIELD(decAux1, kAxis),
    FIELD(raIncCurrentAt, kAxis),
    FIELD(raAux2, kAxis),
    FIELD(decIncCurrentAt, kAxis),
    FIELD(decAux2, kAxis),
    FIELD(raGuidingRate, kAxis),
    FIELD(decGuidingRate, kAxis),
    FIELD(raAux3, kAxis),
    FIELD(decAux3, kAxis),
    FIELD(raAux4, kAxis),
    FIELD(decAux4, kAxis),
    FIELD(meridian0, kMeridian),
    FIELD(meridian1, kMeridian),
    FIELD(flipHysteresis, kMeridian | kFlip),
    FIELD(latitude, kGeo),
    FIELD(longitude, kGeo),
    FIELD(hemisphere, kGeo),
    FIELD(closedLoopDefault, kClosedLoop),
    FIELD(raTopRate, kTopRates),
    FIELD(decTopRate, kTopRates),
};

// What a reply may write, by the state that awaits it.
uint32_t WritableByReply(int32_t state) {
    switch (state) {
        case ST_WAIT_VERSION:
            return kVersion;
        case ST_WAIT_MODE_FLAG:
            return kModeFlag;
        case ST_WAIT_FIRMWARE:
            return kFirmware;
        case ST_WAIT_BASE:
            return kBase | kMountType;
        case ST_WAIT_AXIS:
            return kAxis | kTopRates;
        case ST_WAIT_MERIDIAN:
            return kMeridian;
        case ST_WAIT_GEO:
            return kGeo;
        case ST_WAIT_CLOSED_LOOP:
            return kClosedLoop;
        case ST_WAIT_GEAR_REREAD:
            return kBase | kTopRates;
        // An acknowledgement in the advanced chain sends the next step, which keeps its value.
        case ST_ADV_GEO:
            return kMountType | kFlip | kClosedLoop;
        case ST_ADV_MOUNT:
            return kFlip | kClosedLoop;
        case ST_ADV_MERIDIAN:
            return kClosedLoop;
        default:
            return kNone;
    }
}

// A request may write the maximum speeds with their top rates and the first advanced step's
// value.
constexpr uint32_t kWritableByRequest = kMaxSpeeds | kTopRates | kMountType | kFlip | kClosedLoop;

void ExpectOnlyChanged(const ControllerSettings& before, const ControllerSettings& after,
                       uint32_t allowed) {
    const auto* a = reinterpret_cast<const uint8_t*>(&before);
    const auto* b = reinterpret_cast<const uint8_t*>(&after);
    for (const Field& f : kFields) {
        if ((f.group & allowed) == 0) {
            FUZZ_CHECK(std::memcmp(a + f.offset, b + f.offset, f.size) == 0);
        }
    }
}

struct Core {
    Core() : listener(protocolView), protocol(sink, listener) { protocolView = &protocol; }

    CheckingSink sink;
    const ControllerProtocol* protocolView = nullptr;
    CheckingListener listener;
    InputAdvancedSource advanced;
    ControllerProtocol protocol;
    RequestExecution requests{protocol, sink, listener, advanced};

    void CheckState(int outcome) {
        FUZZ_CHECK(outcome == kOutcomeNothing || outcome == kOutcomeHandshakeDone ||
                   outcome == kOutcomeCloseLink);
        FUZZ_CHECK(IsValidState(protocol.ProtocolState()));
        FUZZ_CHECK(IsValidState(protocol.PendingState()));
        FUZZ_CHECK(protocol.DelayTicks() >= 0 &&
                   protocol.DelayTicks() <= ControllerProtocol::kQueryDelayTicks);
        FUZZ_CHECK(protocol.ReplyTimeout() >= 0 &&
                   protocol.ReplyTimeout() <= ControllerProtocol::kReplyTimeoutTicks);
        FUZZ_CHECK(protocol.Parser().WriteIndex() >= 0 &&
                   protocol.Parser().WriteIndex() <=
                       static_cast<int32_t>(ReplyParser::kBufferSize));
        FUZZ_CHECK(protocol.ProtocolLevel() <= 6);
        if (outcome == kOutcomeHandshakeDone) {
            FUZZ_CHECK(protocol.ProtocolState() == ST_READY);
        }
        const ControllerSettings& s = protocol.Settings();
        FUZZ_CHECK(s.modeFlagZero == (s.modeFlag == 0 ? 1 : 0) || s.reserved1 == 0);
    }

    int Bytes(const uint8_t* bytes, uint32_t count) {
        const int outcome = protocol.OnSerialBytes(bytes, count);
        CheckState(outcome);
        return outcome;
    }

    // One byte at a time: each byte completes at most one reply, decoded under the state
    // that was current before it.
    void BytesOneByOne(const uint8_t* bytes, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            const ControllerSettings before = protocol.Settings();
            const uint32_t allowed = WritableByReply(protocol.ProtocolState());
            Bytes(&bytes[i], 1);
            ExpectOnlyChanged(before, protocol.Settings(), allowed);
        }
    }

    int Tick() {
        const ControllerSettings before = protocol.Settings();
        const int timeoutsBefore = listener.timeouts;
        const int32_t state = protocol.ProtocolState();
        const int outcome = protocol.OnTick();
        CheckState(outcome);
        ExpectOnlyChanged(before, protocol.Settings(), kNone);
        if (listener.timeouts != timeoutsBefore) {
            FUZZ_CHECK(listener.timeouts == timeoutsBefore + 1);
            FUZZ_CHECK(outcome == kOutcomeCloseLink);
            FUZZ_CHECK(IsTimedState(state));
        }
        return outcome;
    }

    void Execute(const uint8_t* payload, size_t length) {
        // Exactly the message's size, so that a read beyond it is caught.
        std::vector<uint8_t> message(1 + length);
        message[0] = static_cast<uint8_t>(0x80 | (length & 0x1F));
        std::memcpy(message.data() + 1, payload, length);
        const ControllerSettings before = protocol.Settings();
        requests.Execute(message.data());
        CheckState(kOutcomeNothing);
        ExpectOnlyChanged(before, protocol.Settings(), kWritableByRequest);
    }

    void Feed(const ::Bytes& bytes) { Bytes(bytes.data(), static_cast<uint32_t>(bytes.size())); }
};

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

Bytes Reply(const Bytes& payload) {
    Bytes r{0x55, static_cast<uint8_t>(payload.size())};
    r.insert(r.end(), payload.begin(), payload.end());
    return r;
}

// A controller's side of a whole handshake, step by step (a step is a reply or two ticks).
std::vector<Bytes> HandshakeScript(uint8_t features, FuzzInput& in) {
    Bytes base{0x14, 0x00, features};
    Put32(base, 1382400 + in.Byte());
    Put32(base, 0x01020304);
    Put32(base, 100 + in.Byte());
    base.push_back(0x08);
    Put32(base, 1036800);
    Put32(base, 0x05060708);
    Put32(base, 75);
    base.push_back(in.Byte() % 3);
    Bytes axis{0x15, 0x00, 0x01, 0x21};
    for (int i = 0; i < 54; ++i) {
        axis.push_back(static_cast<uint8_t>(i * 7 + 1));
    }
    Bytes geo{0x64};
    Put32(geo, 4104000);
    Put32(geo, static_cast<uint32_t>(-691200));
    geo.push_back(0);
    return {Reply({0x01, 0x0A, 0x00, 0x01, 0x00}),
            {},
            Reply({0x03, in.Byte()}),
            {},
            Reply({0x02, 0x0A, 0x00, 0x00, 0x01}),
            {},
            Reply(base),
            {},
            Reply(axis),
            Reply({0x3D, 0x00, 0x11, 0x22, 0x05}),
            Reply(geo),
            Reply({0x58, 0x01})};
}

void RunScript(Core& core, const std::vector<Bytes>& script, size_t steps) {
    for (size_t i = 0; i < steps && i < script.size(); ++i) {
        if (script[i].empty()) {
            core.Tick();
            core.Tick();
        } else {
            core.Feed(script[i]);
        }
    }
}

// Requests that leave an exchange awaiting the controller.
const uint8_t kAwaitingRequests[][2] = {
    {21, 0}, {23, 0}, {24, 0}, {37, 0}, {38, 0}, {39, 6}, {40, 0},
};

void StartIn(Core& core, FuzzInput& in) {
    const uint8_t choice = in.Byte();
    const uint8_t features = (choice & 0x80) ? 0x84 : 0x04;
    switch (choice % 4) {
        case 0:  // never connected
            return;
        case 1: {  // part of a handshake
            core.protocol.StartHandshake();
            const std::vector<Bytes> script = HandshakeScript(features, in);
            RunScript(core, script, in.Byte() % (script.size() + 1));
            return;
        }
        case 2: {  // connected, with an exchange in progress
            core.protocol.StartHandshake();
            RunScript(core, HandshakeScript(features, in), 12);
            in.Take(reinterpret_cast<uint8_t*>(&core.advanced.pending),
                    sizeof core.advanced.pending);
            const uint8_t* request = kAwaitingRequests[in.Byte() % (sizeof kAwaitingRequests / 2)];
            const uint8_t payload[] = {request[0], request[1], 1, 2, 3, 4, 5, 6, 7};
            core.Execute(payload, sizeof payload);
            return;
        }
        default:  // an old controller that answered the short version 1.1
            core.protocol.StartHandshake();
            core.Feed(Reply({0x01, 0x01, 0x01}));
            return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    Core core;
    StartIn(core, in);
    uint8_t chunk[32];
    while (!in.Empty()) {
        const uint8_t op = in.Byte();
        switch (op % 8) {
            case 0:
            case 1: {  // a serial-bytes message of 1..31 bytes
                const size_t n = in.Take(chunk, 1 + op / 8 % 31);
                if (n > 0) {
                    core.Bytes(chunk, static_cast<uint32_t>(n));
                }
                break;
            }
            case 2: {
                const size_t n = in.Take(chunk, 1 + op / 8 % 31);
                core.BytesOneByOne(chunk, static_cast<uint32_t>(n));
                break;
            }
            case 3:
            case 4:
                core.Tick();
                break;
            case 5:
            case 6: {  // a request message of any length the queue can carry
                if (op & 0x80) {
                    in.Take(reinterpret_cast<uint8_t*>(&core.advanced.pending),
                            sizeof core.advanced.pending);
                }
                const size_t length = in.Byte() % 32;
                const size_t n = in.Take(chunk, length);
                core.Execute(chunk, n);
                break;
            }
            default:
                if ((op >> 3) == 0) {
                    core.CheckState(core.protocol.StartHandshake());
                    FUZZ_CHECK(core.protocol.Settings().reserved1 == 7);
                    FUZZ_CHECK(core.protocol.ProtocolState() == ST_WAIT_VERSION);
                } else {
                    core.Tick();
                }
                break;
        }
    }
    return 0;
}
