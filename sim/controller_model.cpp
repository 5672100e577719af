#include "sim/controller_model.h"

#include <algorithm>
#include <cstdio>

#include "sim/replies.h"

namespace dxsim {

namespace {

std::string AxisName(uint8_t axis) {
    switch (axis & 0xC0) {
        case 0x80:
            return "RA";
        case 0x40:
            return "Dec";
        case 0xC0:
            return "RA+Dec";
    }
    return "no axis";
}

// The axis block that a one-axis command's axis or selector byte names, or null.
AxisSettings* AxisOf(Settings& s, uint8_t axisByte) {
    switch (axisByte & 0xC0) {
        case 0x80:
            return &s.ra;
        case 0x40:
            return &s.dec;
    }
    return nullptr;
}

std::string Num(int64_t v) {
    return std::to_string(v);
}

const char* kSelectorNames[3] = {"idle", "track", "run"};

}  // namespace

ControllerModel::ControllerModel(Profile profile, uint64_t seed)
    : profile_(std::move(profile)),
      identity_(profile_.identity),
      settings_(profile_.factory),
      stored_(profile_.factory),
      noise_(seed),
      parser_(FrameParser::Handler{
          [this](const std::vector<uint8_t>& f) { OnFrame(f); },
          [this](const std::vector<uint8_t>& b, const char* r) { OnDropped(b, r); }}) {}

void ControllerModel::Receive(const uint8_t* data, size_t count, int64_t nowMs) {
    nowMs_ = nowMs;
    parser_.Feed(data, count, nowMs);
}

void ControllerModel::TakeDue(int64_t nowMs, std::vector<uint8_t>* out) {
    while (!outbox_.empty() && outbox_.front().dueMs <= nowMs) {
        Outgoing item = std::move(outbox_.front());
        outbox_.pop_front();
        if (trace_ != nullptr && !item.traceText.empty()) {
            trace_->DeviceBytes(item.traceBytes.data(), item.traceBytes.size(), item.traceText);
        }
        counters_.bytesSent += item.bytes.size();
        out->insert(out->end(), item.bytes.begin(), item.bytes.end());
    }
}

bool ControllerModel::NextDue(int64_t* dueMs) const {
    if (outbox_.empty()) {
        return false;
    }
    *dueMs = outbox_.front().dueMs;
    return true;
}

void ControllerModel::LineReset() {
    parser_.Reset();
    outbox_.clear();
    lastDueMs_ = 0;
}

void ControllerModel::PowerCycle(int64_t nowMs) {
    nowMs_ = nowMs;
    LineReset();
    settings_ = stored_;
    identity_ = profile_.identity;
    mount_.Stop(0xC0, nowMs, settings_);
    mount_.SetTracking(false, nowMs, settings_);
    exp_ = false;
}

const Mount& ControllerModel::MountAt(int64_t nowMs) {
    mount_.Advance(nowMs, settings_);
    return mount_;
}

uint16_t ControllerModel::Voltage() const {
    // The supply sags a little while the motors run.
    int v = identity_.voltage;
    if (mount_.ManualSpeed(Mount::kRa) != 0) {
        v -= 15;
    }
    if (mount_.ManualSpeed(Mount::kDec) != 0) {
        v -= 15;
    }
    if (mount_.Tracking()) {
        v -= 4;
    }
    return static_cast<uint16_t>(std::max(v, 0));
}

void ControllerModel::OnDropped(const std::vector<uint8_t>& bytes, const char* reason) {
    counters_.droppedBytes += bytes.size();
    if (trace_ != nullptr) {
        trace_->HostBytes(bytes.data(), bytes.size(), std::string("(ignored: ") + reason + ")");
    }
}

void ControllerModel::OnFrame(const std::vector<uint8_t>& frame) {
    const CommandSpec* spec = FindCommand(frame[2]);
    if (spec == nullptr) {
        return;  // the parser only passes known commands
    }
    counters_.frames++;
    counters_.framesByCommand[spec->code]++;
    frames_.push_back(ReceivedFrame{nowMs_, frame});
    if (frames_.size() > kFrameLogSize) {
        frames_.pop_front();
    }

    if (!LineRateMatches()) {
        // At another rate the controller's UART sees only garbled bits: the command does
        // nothing, and what comes back is noise to the host.
        if (trace_ != nullptr) {
            trace_->HostBytes(frame.data(), frame.size(),
                              std::string(spec->name) + " (garbled: line at " + Num(lineBaud_) +
                                  " baud, controller at " + Num(identity_.baud) + ")");
        }
        AnswerWithNoise(*spec);
        return;
    }

    std::string description = Apply(*spec, frame);
    std::string note;
    if (spec->reply != ReplyKind::kNone) {
        Reply(*spec, &note);
    }
    if (trace_ != nullptr) {
        trace_->HostBytes(frame.data(), frame.size(), description + note);
    }
}

std::string ControllerModel::Apply(const CommandSpec& spec, const std::vector<uint8_t>& f) {
    const int64_t now = nowMs_;
    mount_.Advance(now, settings_);
    std::string d = spec.name;
    switch (spec.code) {
        case cmd::kMove: {
            const int32_t asked = static_cast<int32_t>(GetLe32(&f[5]));
            const int32_t applied = mount_.Move(f[4], asked, now, settings_);
            d += " " + AxisName(f[4]) + " speed " + Num(asked);
            if ((f[4] & 0xC0) != 0 && applied != asked) {
                d += " (limited to " + Num(applied) + ")";
            }
            break;
        }
        case cmd::kStop:
            mount_.Stop(f[4], now, settings_);
            d += " " + AxisName(f[4]) + "; " + mount_.Describe();
            break;
        case cmd::kTracking:
            mount_.SetTracking(f[4] != 0, now, settings_);
            d += f[4] != 0 ? " on" : " off";
            break;
        case cmd::kExp:
            exp_ = f[4] != 0;
            d += exp_ ? " on" : " off";
            break;
        case cmd::kStoreSettings:
            stored_ = settings_;
            break;
        case cmd::kCommand0B:
            d += " (no effect)";
            break;
        case cmd::kReloadDefaults:
            settings_ = profile_.factory;
            break;
        case cmd::kSetGearRatios: {
            const uint32_t ra = GetLe32(&f[5]);
            const uint32_t dec = GetLe32(&f[9]);
            settings_.ra.gearRatio = ra;
            settings_.ra.scale = ScaleFor(ra);
            settings_.ra.siderealRate = SiderealRateFor(ra);
            settings_.dec.gearRatio = dec;
            settings_.dec.scale = ScaleFor(dec);
            settings_.dec.siderealRate = SiderealRateFor(dec);
            d += " RA " + Num(ra) + " Dec " + Num(dec);
            break;
        }
        case cmd::kSetReverse:
            settings_.reverseRotation = f[5];
            settings_.reverseGuiding = f[6] & 0x0F;
            settings_.reverseLimits = f[7] & 0x0F;
            d += " rotation " + Num(f[5]) + " guiding " + Num(f[6]) + " limits " + Num(f[7]);
            break;
        case cmd::kSetCurrent:
        case cmd::kSetDecay: {
            AxisSettings* a = AxisOf(settings_, f[4]);
            const unsigned index = f[4] & 0x3F;
            if (a == nullptr || index > 2) {
                d += " (ignored: selector " + Num(f[4]) + ")";
                break;
            }
            d += " " + AxisName(f[4]) + " " + kSelectorNames[index] + " ";
            if (spec.code == cmd::kSetCurrent) {
                a->current[index] = GetLe16(&f[5]);
                d += Num(a->current[index]) + " mA";
            } else {
                a->decay[index] = f[5];
                d += Num(f[5]);
            }
            break;
        }
        case cmd::kSetOvertone:
        case cmd::kSetIncCurrent: {
            AxisSettings* a = AxisOf(settings_, f[4]);
            if (a == nullptr || (f[4] & 0x3F) != 0) {
                d += " (ignored: axis " + Num(f[4]) + ")";
                break;
            }
            if (spec.code == cmd::kSetOvertone) {
                a->overtone = static_cast<int8_t>(f[5]);
                d += " " + AxisName(f[4]) + " " + Num(a->overtone);
            } else {
                a->incCurrentAt = GetLe16(&f[5]);
                a->incCurrentAt2 = GetLe16(&f[7]);
                d +=
                    " " + AxisName(f[4]) + " " + Num(a->incCurrentAt) + " " + Num(a->incCurrentAt2);
            }
            break;
        }
        case cmd::kSetMaxSpeed:
            settings_.ra.maxSpeed = GetLe16(&f[5]);
            settings_.dec.maxSpeed = GetLe16(&f[7]);
            d += " RA " + Num(settings_.ra.maxSpeed) + " Dec " + Num(settings_.dec.maxSpeed);
            break;
        case cmd::kSetAccel:
            settings_.ra.acceleration = f[5];
            settings_.dec.acceleration = f[6];
            d += " RA " + Num(f[5]) + " Dec " + Num(f[6]);
            break;
        case cmd::kSetDecel:
            settings_.ra.deceleration = f[5];
            settings_.dec.deceleration = f[6];
            d += " RA " + Num(f[5]) + " Dec " + Num(f[6]);
            break;
        case cmd::kSetGuiding:
            settings_.ra.guidingRate = f[5];
            settings_.dec.guidingRate = f[6];
            d += " RA " + Num(f[5]) + "/16 Dec " + Num(f[6]) + "/16";
            break;
        case cmd::kSetGeo:
            settings_.latitude = static_cast<int32_t>(GetLe32(&f[4]));
            settings_.longitude = static_cast<int32_t>(GetLe32(&f[8]));
            settings_.hemisphere = f[12];
            d += " lat " + Num(settings_.latitude) + " lon " + Num(settings_.longitude) +
                 (f[12] == 0 ? " north" : " south");
            break;
        case cmd::kSetMountType:
            settings_.mountType = f[4];
            d += " " + Num(f[4]);
            break;
        case cmd::kSetMeridian:
            settings_.meridian0 = f[5];
            settings_.meridian1 = f[6];
            settings_.flipHysteresis = f[7];
            d += " " + Num(f[5]) + " " + Num(f[6]) + " hysteresis " + Num(f[7]);
            break;
        case cmd::kSetClosedLoop:
            settings_.closedLoopDefault = f[4];
            d += f[4] != 0 ? " on" : " off";
            break;
        case cmd::kInitPosition: {
            const std::string letters(reinterpret_cast<const char*>(&f[4]), 3);
            if (mount_.Sync(&f[4], now, settings_)) {
                d += " \"" + letters + "\"; " + mount_.Describe();
            } else {
                d += " \"" + letters + "\" (unknown position, not synchronised)";
            }
            break;
        }
        case cmd::kDefinePark:
            mount_.DefinePark(now, settings_);
            d += "; " + mount_.Describe();
            break;
        default:
            break;
    }
    return d;
}

void ControllerModel::Reply(const CommandSpec& spec, std::string* hostNote) {
    if (faults_.noReply || faults_.noReplyTo.test(spec.code)) {
        counters_.suppressedReplies++;
        *hostNote = " [fault: no reply]";
        return;
    }
    std::vector<uint8_t> reply = BuildReply(spec.reply, identity_, settings_, Voltage());
    std::string text = ReplyName(spec.reply);
    if (faults_.oversizeBytes > 0) {
        const size_t extra = std::min<size_t>(faults_.oversizeBytes, 255 - reply[1]);
        reply.resize(reply.size() + extra, 0);
        reply[1] = static_cast<uint8_t>(reply[1] + extra);
        text += " [fault: " + Num(extra) + " extra bytes]";
    }
    if (faults_.shortBytes > 0) {
        const size_t cut = std::min<size_t>(faults_.shortBytes, reply[1]);
        reply.resize(reply.size() - cut);
        reply[1] = static_cast<uint8_t>(reply[1] - cut);
        text += " [fault: " + Num(cut) + " bytes short]";
    }
    counters_.replies++;
    if (faults_.garbageBytes > 0) {
        std::vector<uint8_t> junk(faults_.garbageBytes);
        for (uint8_t& b : junk) {
            b = noise_.JunkByte();
        }
        Schedule(std::move(junk), "[fault: garbage]", false);
    }
    if (faults_.splitReplies) {
        text += " [fault: split]";
    }
    Schedule(std::move(reply), text, faults_.splitReplies);
}

void ControllerModel::AnswerWithNoise(const CommandSpec& spec) {
    counters_.noiseBursts++;
    const size_t replyLength = ReplyLength(spec.reply);
    const size_t count =
        spec.reply == ReplyKind::kNone ? 1 + noise_.Below(4) : replyLength + 2 + noise_.Below(3);
    std::vector<uint8_t> junk(count);
    for (uint8_t& b : junk) {
        b = noise_.JunkByte();
    }
    Schedule(std::move(junk), "noise", false);
}

int64_t ControllerModel::NextSlot() {
    const int64_t due = std::max(nowMs_ + int64_t{faults_.replyDelayMs}, lastDueMs_);
    return due;
}

void ControllerModel::Schedule(std::vector<uint8_t> bytes, std::string traceText, bool split) {
    int64_t due = NextSlot();
    if (!split || bytes.size() <= 1) {
        outbox_.push_back(Outgoing{due, bytes, bytes, std::move(traceText)});
        lastDueMs_ = due;
        return;
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        Outgoing item{due, {bytes[i]}, {}, {}};
        if (i == 0) {
            item.traceBytes = bytes;
            item.traceText = std::move(traceText);
        }
        outbox_.push_back(std::move(item));
        lastDueMs_ = due;
        due += faults_.splitGapMs;
    }
}

}  // namespace dxsim
