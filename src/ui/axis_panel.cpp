#include "ui/axis_panel.h"

#include "ui/axis_scaling.h"
#include "ui/description/resource_ids.h"

namespace axistune {

using namespace axis_scaling;

namespace {

constexpr int kRa = 0;
constexpr int kDec = 1;
// Dec controls have the RA ids raised by 100.
constexpr int kDecIdOffset = IDC_DEC_MAX_SPEED - IDC_RA_MAX_SPEED;

constexpr int kPanelTrackbars[AxisPanel::kTrackbarCount] = {
    IDC_RA_MAX_SPEED_BAR,     IDC_DEC_MAX_SPEED_BAR,     IDC_RA_ACCEL_BAR,
    IDC_RA_DECEL_BAR,         IDC_DEC_ACCEL_BAR,         IDC_DEC_DECEL_BAR,
    IDC_RA_IDLE_CURRENT_BAR,  IDC_RA_TRACK_CURRENT_BAR,  IDC_RA_RUN_CURRENT_BAR,
    IDC_DEC_IDLE_CURRENT_BAR, IDC_DEC_TRACK_CURRENT_BAR, IDC_DEC_RUN_CURRENT_BAR,
    IDC_RA_IDLE_DECAY_BAR,    IDC_RA_TRACK_DECAY_BAR,    IDC_RA_RUN_DECAY_BAR,
    IDC_DEC_IDLE_DECAY_BAR,   IDC_DEC_TRACK_DECAY_BAR,   IDC_DEC_RUN_DECAY_BAR,
    IDC_RA_OVERTONE_BAR,      IDC_DEC_OVERTONE_BAR,      IDC_RA_INC_CURRENT_BAR,
    IDC_DEC_INC_CURRENT_BAR,  IDC_RA_GUIDING_BAR,        IDC_DEC_GUIDING_BAR,
};

int Id(int axis, int raId) {
    return axis == kRa ? raId : raId + kDecIdOffset;
}
// Panel ids: 201 to 260 for RA, 301 to 360 for Dec.
int AxisOf(int id) {
    return id >= IDC_DEC_REVERSE_ROTATION && id < IDC_DEC_REVERSE_ROTATION + 100 ? kDec : kRa;
}
int RaIdOf(int id) {
    return AxisOf(id) == kDec ? id - kDecIdOffset : id;
}
// The settings of each axis's controls.
struct AxisSettings {
    SettingId reverse[3];  // rotation, autoguiding, limit switches
    SettingId maxSpeed;
    SettingId acceleration;
    SettingId deceleration;
    SettingId maxCurrent;
    SettingId current[3];  // idle, track, run
    SettingId decay[3];
    SettingId overtone;
    SettingId incCurrentAt;
    SettingId guiding;
};

constexpr AxisSettings kAxes[2] = {
    {{kRaReverseRotation, kRaReverseGuiding, kRaReverseLimits},
     kRaMaxSpeed,
     kRaAcceleration,
     kRaDeceleration,
     kRaMaxCurrent,
     {kRaIdleCurrent, kRaTrackCurrent, kRaRunCurrent},
     {kRaIdleDecay, kRaTrackDecay, kRaRunDecay},
     kRaOvertone,
     kRaIncreaseCurrentAt,
     kRaGuidingRate},
    {{kDecReverseRotation, kDecReverseGuiding, kDecReverseLimits},
     kDecMaxSpeed,
     kDecAcceleration,
     kDecDeceleration,
     kDecMaxCurrent,
     {kDecIdleCurrent, kDecTrackCurrent, kDecRunCurrent},
     {kDecIdleDecay, kDecTrackDecay, kDecRunDecay},
     kDecOvertone,
     kDecIncreaseCurrentAt,
     kDecGuidingRate},
};

SettingId Ramp(int axis, bool acceleration) {
    return acceleration ? kAxes[axis].acceleration : kAxes[axis].deceleration;
}

// What an edit shows: the kept values are within 32 bits, signed for the overtone.
uint32_t Shown(int64_t value) {
    return static_cast<uint32_t>(static_cast<uint64_t>(value) & 0xFFFFFFFFu);
}
int Position(int64_t value) {
    return static_cast<int>(value);
}
int Positions(SettingId id) {
    return static_cast<int>(Setting(id).maximum - Setting(id).minimum);
}

}  // namespace

void AxisPanel::Attach(DialogHost& host) {
    host_ = &host;
    for (int i = 0; i < kTrackbarCount; ++i) {
        trackbars_[i] = {kPanelTrackbars[i], host.ItemHandle(kPanelTrackbars[i])};
    }
}

void AxisPanel::SetRanges() {
    for (int axis = kRa; axis <= kDec; ++axis) {
        host_->TrackbarSetRange(Id(axis, IDC_RA_MAX_SPEED_BAR), 0, kMaxSpeedPositions);
        host_->TrackbarSetRange(Id(axis, IDC_RA_ACCEL_BAR), 0, kRampPositions);
        host_->TrackbarSetRange(Id(axis, IDC_RA_DECEL_BAR), 0, kRampPositions);
        for (int row = 0; row < 3; ++row) {
            host_->TrackbarSetRange(Id(axis, IDC_RA_IDLE_CURRENT_BAR) + row, 0, kCurrentPositions);
            host_->TrackbarSetRange(Id(axis, IDC_RA_IDLE_DECAY_BAR) + row, 0,
                                    Positions(kAxes[axis].decay[row]));
        }
        host_->TrackbarSetRange(Id(axis, IDC_RA_OVERTONE_BAR), -kOvertoneLimit, kOvertoneLimit);
        host_->TrackbarSetPos(Id(axis, IDC_RA_OVERTONE_BAR), 0);
        host_->TrackbarSetRange(Id(axis, IDC_RA_INC_CURRENT_BAR), 0, kIncCurrentPositions);
        host_->TrackbarSetRange(Id(axis, IDC_RA_GUIDING_BAR), 0, Positions(kAxes[axis].guiding));
    }
}

void AxisPanel::StoreMaxCurrents(const ControllerSettings& settings) {
    for (const AxisSettings& axis : kAxes) {
        values_[axis.maxCurrent] = Setting(axis.maxCurrent).read(settings);
    }
}

void AxisPanel::Fill(const ControllerSettings& settings) {
    const SettingValues record = ReadSettings(settings);
    for (int axis = kRa; axis <= kDec; ++axis) {
        const SettingId id = kAxes[axis].maxSpeed;
        values_[id] = record[id];
        host_->SetItemInt(Id(axis, IDC_RA_MAX_SPEED), Shown(values_[id]), false);
        host_->TrackbarSetPos(Id(axis, IDC_RA_MAX_SPEED_BAR), SpeedToPosition(Shown(values_[id])));
    }

    for (int i = 0; i < 4; ++i) {
        const int axis = i / 2;
        const bool acceleration = (i % 2) == 0;
        const SettingId id = Ramp(axis, acceleration);
        values_[id] = record[id];
        host_->SetItemInt(Id(axis, acceleration ? IDC_RA_ACCEL : IDC_RA_DECEL), Shown(record[id]),
                          false);
        host_->TrackbarSetPos(Id(axis, acceleration ? IDC_RA_ACCEL_BAR : IDC_RA_DECEL_BAR),
                              RampToPosition(Shown(record[id])));
    }

    for (int axis = kRa; axis <= kDec; ++axis) {
        host_->TrackbarSetPos(Id(axis, IDC_RA_GUIDING_BAR),
                              GuidingToPosition(Shown(record[kAxes[axis].guiding])));
    }

    for (int i = 0; i < 3; ++i) {
        for (int axis = kRa; axis <= kDec; ++axis) {
            host_->CheckItem(Id(axis, IDC_RA_REVERSE_ROTATION) + i,
                             record[kAxes[axis].reverse[i]] != 0);
        }
    }

    FillCurrents(kRa, record);
    FillCurrents(kDec, record);

    for (int row = 0; row < 3; ++row) {
        for (int axis = kRa; axis <= kDec; ++axis) {
            host_->TrackbarSetPos(Id(axis, IDC_RA_IDLE_DECAY_BAR) + row,
                                  Position(record[kAxes[axis].decay[row]]));
        }
    }

    for (int axis = kRa; axis <= kDec; ++axis) {
        const SettingId id = kAxes[axis].overtone;
        values_[id] = record[id];
        host_->SetItemInt(Id(axis, IDC_RA_OVERTONE), Shown(record[id]), true);
        host_->TrackbarSetPos(Id(axis, IDC_RA_OVERTONE_BAR), Position(record[id]));
    }

    for (int axis = kRa; axis <= kDec; ++axis) {
        const SettingId id = kAxes[axis].incCurrentAt;
        values_[id] = record[id];
        host_->SetItemInt(Id(axis, IDC_RA_INC_CURRENT), Shown(record[id]), false);
        host_->TrackbarSetPos(Id(axis, IDC_RA_INC_CURRENT_BAR),
                              IncCurrentToPosition(Shown(record[id])));
    }
}

void AxisPanel::FillCurrents(int axis, const SettingValues& record) {
    const uint32_t maxCurrent = Shown(record[kAxes[axis].maxCurrent]);
    host_->SetItemInt(Id(axis, IDC_RA_MAX_CURRENT), maxCurrent, false);
    if (maxCurrent == 0) {
        return;  // without a maximum the currents cannot be scaled: left as they were
    }
    for (int row = 0; row < 3; ++row) {
        const SettingId id = kAxes[axis].current[row];
        values_[id] = record[id];
        host_->SetItemInt(Id(axis, IDC_RA_IDLE_CURRENT) + row, Shown(record[id]), false);
        host_->TrackbarSetPos(Id(axis, IDC_RA_IDLE_CURRENT_BAR) + row,
                              CurrentToPosition(Shown(record[id]), maxCurrent));
    }
}

bool AxisPanel::Keep(SettingId id, int64_t entry) {
    if (entry == values_[id]) {
        return false;
    }
    values_[id] = HeldValue(Setting(id), entry);
    return true;
}

void AxisPanel::Send(SettingId id) {
    // The panel never sends an advanced request, which alone needs the feature byte.
    SendRequest(BuildRequest(id, values_, 0), engine_);
}

intptr_t AxisPanel::OnTrackbar(int code, int controlId) {
    // Only the release of the thumb (or of a key) counts; moving it sends nothing.
    if (code != kTbEndTrack || host_ == nullptr) {
        return 1;
    }
    bool known = false;
    for (const TrackbarSlot& slot : trackbars_) {
        known = known || (slot.id == controlId && slot.handle != 0);
    }
    if (!known) {
        return 1;
    }
    const int axis = AxisOf(controlId);
    const int raId = RaIdOf(controlId);
    switch (raId) {
        case IDC_RA_MAX_SPEED_BAR:
            ReleaseMaxSpeed(axis);
            break;
        case IDC_RA_ACCEL_BAR:
            ReleaseRamp(true);
            break;
        case IDC_RA_DECEL_BAR:
            ReleaseRamp(false);
            break;
        case IDC_RA_IDLE_CURRENT_BAR:
        case IDC_RA_TRACK_CURRENT_BAR:
        case IDC_RA_RUN_CURRENT_BAR:
            ReleaseCurrent(axis, raId - IDC_RA_IDLE_CURRENT_BAR);
            break;
        case IDC_RA_IDLE_DECAY_BAR:
        case IDC_RA_TRACK_DECAY_BAR:
        case IDC_RA_RUN_DECAY_BAR: {
            // Sent every time, changed or not.
            const SettingId id = kAxes[axis].decay[raId - IDC_RA_IDLE_DECAY_BAR];
            values_[id] = host_->TrackbarGetPos(controlId);
            Send(id);
            break;
        }
        case IDC_RA_OVERTONE_BAR:
            ReleaseOvertone(axis);
            break;
        case IDC_RA_INC_CURRENT_BAR:
            ReleaseIncCurrent(axis);
            break;
        case IDC_RA_GUIDING_BAR:
            // Both rates travel together, each read from its thumb; sent every time.
            for (int each = kRa; each <= kDec; ++each) {
                values_[kAxes[each].guiding] =
                    PositionToGuiding(host_->TrackbarGetPos(Id(each, IDC_RA_GUIDING_BAR)));
            }
            Send(kAxes[axis].guiding);
            break;
        default:
            break;
    }
    return 1;
}

void AxisPanel::ReleaseMaxSpeed(int axis) {
    const int edit = Id(axis, IDC_RA_MAX_SPEED);
    const int position = host_->TrackbarGetPos(Id(axis, IDC_RA_MAX_SPEED_BAR));
    host_->SetItemInt(edit, PositionToSpeed(position), false);
    if (Keep(kAxes[axis].maxSpeed, host_->GetItemInt(edit, false))) {
        Send(kAxes[axis].maxSpeed);
    }
}

void AxisPanel::ReleaseRamp(bool acceleration) {
    bool changed = false;
    for (int axis = kRa; axis <= kDec; ++axis) {
        const SettingId id = Ramp(axis, acceleration);
        const int bar = Id(axis, acceleration ? IDC_RA_ACCEL_BAR : IDC_RA_DECEL_BAR);
        if (Keep(id, PositionToRamp(host_->TrackbarGetPos(bar)))) {
            host_->SetItemInt(Id(axis, acceleration ? IDC_RA_ACCEL : IDC_RA_DECEL),
                              Shown(values_[id]), false);
            changed = true;
        }
    }
    if (changed) {
        Send(Ramp(kRa, acceleration));
    }
}

void AxisPanel::ReleaseCurrent(int axis, int row) {
    const int edit = Id(axis, IDC_RA_IDLE_CURRENT) + row;
    const int position = host_->TrackbarGetPos(Id(axis, IDC_RA_IDLE_CURRENT_BAR) + row);
    host_->SetItemInt(edit, PositionToCurrent(position, Shown(values_[kAxes[axis].maxCurrent])),
                      false);
    if (Keep(kAxes[axis].current[row], host_->GetItemInt(edit, false))) {
        Send(kAxes[axis].current[row]);
    }
}

void AxisPanel::ReleaseOvertone(int axis) {
    const int position = host_->TrackbarGetPos(Id(axis, IDC_RA_OVERTONE_BAR));
    if (Keep(kAxes[axis].overtone, position)) {
        host_->SetItemInt(Id(axis, IDC_RA_OVERTONE), Shown(position), true);
        Send(kAxes[axis].overtone);
    }
}

void AxisPanel::ReleaseIncCurrent(int axis) {
    const SettingId id = kAxes[axis].incCurrentAt;
    if (Keep(id, PositionToIncCurrent(host_->TrackbarGetPos(Id(axis, IDC_RA_INC_CURRENT_BAR))))) {
        host_->SetItemInt(Id(axis, IDC_RA_INC_CURRENT), Shown(values_[id]), false);
        Send(id);
    }
}

bool AxisPanel::IsEdit(int id) {
    switch (RaIdOf(id)) {
        case IDC_RA_MAX_SPEED:
        case IDC_RA_ACCEL:
        case IDC_RA_DECEL:
        case IDC_RA_IDLE_CURRENT:
        case IDC_RA_TRACK_CURRENT:
        case IDC_RA_RUN_CURRENT:
        case IDC_RA_OVERTONE:
        case IDC_RA_INC_CURRENT:
            return true;
        default:
            return false;
    }
}

bool AxisPanel::IsReverseBox(int id) {
    const int raId = RaIdOf(id);
    return raId >= IDC_RA_REVERSE_ROTATION && raId <= IDC_RA_REVERSE_LIMITS;
}

intptr_t AxisPanel::OnEdit(int id, int code) {
    // Typing sends nothing; the entry counts when the edit loses the focus.
    if (code != kEnKillFocus || host_ == nullptr) {
        return 1;
    }
    const int axis = AxisOf(id);
    const int raId = RaIdOf(id);
    switch (raId) {
        case IDC_RA_MAX_SPEED:
            EditMaxSpeed(axis);
            break;
        case IDC_RA_ACCEL:
            EditRamp(axis, true);
            break;
        case IDC_RA_DECEL:
            EditRamp(axis, false);
            break;
        case IDC_RA_IDLE_CURRENT:
        case IDC_RA_TRACK_CURRENT:
        case IDC_RA_RUN_CURRENT:
            EditCurrent(axis, raId - IDC_RA_IDLE_CURRENT);
            break;
        case IDC_RA_OVERTONE:
            EditOvertone(axis);
            break;
        case IDC_RA_INC_CURRENT:
            EditIncCurrent(axis);
            break;
        default:
            break;
    }
    return 1;
}

// Entries are not range-checked: each is kept in the width of the value that holds it.
void AxisPanel::EditMaxSpeed(int axis) {
    const uint32_t speed = host_->GetItemInt(Id(axis, IDC_RA_MAX_SPEED), false);
    if (Keep(kAxes[axis].maxSpeed, speed)) {
        // The thumb follows the entry as typed, not its 16 kept bits.
        host_->TrackbarSetPos(Id(axis, IDC_RA_MAX_SPEED_BAR), SpeedToPosition(speed));
        Send(kAxes[axis].maxSpeed);
    }
}

void AxisPanel::EditRamp(int axis, bool acceleration) {
    const SettingId id = Ramp(axis, acceleration);
    if (Keep(id, host_->GetItemInt(Id(axis, acceleration ? IDC_RA_ACCEL : IDC_RA_DECEL), false))) {
        host_->TrackbarSetPos(Id(axis, acceleration ? IDC_RA_ACCEL_BAR : IDC_RA_DECEL_BAR),
                              RampToPosition(Shown(values_[id])));
        Send(id);
    }
}

void AxisPanel::EditCurrent(int axis, int row) {
    const uint32_t current = host_->GetItemInt(Id(axis, IDC_RA_IDLE_CURRENT) + row, false);
    const uint32_t maxCurrent = Shown(values_[kAxes[axis].maxCurrent]);
    if (maxCurrent != 0) {
        host_->TrackbarSetPos(Id(axis, IDC_RA_IDLE_CURRENT_BAR) + row,
                              CurrentToPosition(current, maxCurrent));
    }
    if (Keep(kAxes[axis].current[row], current)) {
        Send(kAxes[axis].current[row]);
    }
}

void AxisPanel::EditOvertone(int axis) {
    const SettingId id = kAxes[axis].overtone;
    if (Keep(id, AsSigned32(host_->GetItemInt(Id(axis, IDC_RA_OVERTONE), true)))) {
        host_->TrackbarSetPos(Id(axis, IDC_RA_OVERTONE_BAR), Position(values_[id]));
        Send(id);
    }
}

void AxisPanel::EditIncCurrent(int axis) {
    const uint32_t value = host_->GetItemInt(Id(axis, IDC_RA_INC_CURRENT), false);
    if (Keep(kAxes[axis].incCurrentAt, value)) {
        host_->TrackbarSetPos(Id(axis, IDC_RA_INC_CURRENT_BAR), IncCurrentToPosition(value));
        Send(kAxes[axis].incCurrentAt);
    }
}

intptr_t AxisPanel::OnReverse() {
    if (host_ == nullptr) {
        return 1;
    }
    // The three masks travel together, every box read as it stands.
    for (int axis = kRa; axis <= kDec; ++axis) {
        for (int i = 0; i < 3; ++i) {
            values_[kAxes[axis].reverse[i]] =
                host_->IsItemChecked(Id(axis, IDC_RA_REVERSE_ROTATION) + i) ? 1 : 0;
        }
    }
    Send(kAxes[kRa].reverse[0]);
    return 1;
}

}  // namespace axistune
