#include "ui/axis_panel.h"

#include "core/controller_constants.h"
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
// Axis byte of SetOvertone and SetIncreaseCurrentAt; selectors add the row (0 idle, 1 track,
// 2 run) for SetCurrent and SetDecay.
uint8_t AxisCode(int axis) {
    return axis == kRa ? kAxisRa : kAxisDec;
}
uint8_t Selector(int axis, int row) {
    return static_cast<uint8_t>(AxisCode(axis) + row);
}

uint8_t Low8(uint32_t value) {
    return static_cast<uint8_t>(value & 0xFFu);
}
uint16_t Low16(uint32_t value) {
    return static_cast<uint16_t>(value & 0xFFFFu);
}
uint32_t Bits(int32_t value) {
    return static_cast<uint32_t>(value);
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
            host_->TrackbarSetRange(Id(axis, IDC_RA_IDLE_DECAY_BAR) + row, 0, kDecayPositions);
        }
        host_->TrackbarSetRange(Id(axis, IDC_RA_OVERTONE_BAR), -kOvertoneLimit, kOvertoneLimit);
        host_->TrackbarSetPos(Id(axis, IDC_RA_OVERTONE_BAR), 0);
        host_->TrackbarSetRange(Id(axis, IDC_RA_INC_CURRENT_BAR), 0, kIncCurrentPositions);
        host_->TrackbarSetRange(Id(axis, IDC_RA_GUIDING_BAR), 0, kGuidingPositions);
    }
}

void AxisPanel::StoreMaxCurrents(const ControllerSettings& settings) {
    axes_[kRa].maxCurrent = settings.raMaxCurrent;
    axes_[kDec].maxCurrent = settings.decMaxCurrent;
}

void AxisPanel::Fill(const ControllerSettings& s) {
    // The record's speeds are 32-bit; the window keeps and shows their low 16 bits.
    axes_[kRa].maxSpeed = Low16(s.raMaxSpeed);
    axes_[kDec].maxSpeed = Low16(s.decMaxSpeed);
    for (int axis = kRa; axis <= kDec; ++axis) {
        host_->SetItemInt(Id(axis, IDC_RA_MAX_SPEED), axes_[axis].maxSpeed, false);
        host_->TrackbarSetPos(Id(axis, IDC_RA_MAX_SPEED_BAR),
                              SpeedToPosition(axes_[axis].maxSpeed));
    }

    const uint8_t ramps[4] = {s.raAcceleration, s.raDeceleration, s.decAcceleration,
                              s.decDeceleration};
    for (int i = 0; i < 4; ++i) {
        const int axis = i / 2;
        const bool acceleration = (i % 2) == 0;
        (acceleration ? axes_[axis].acceleration : axes_[axis].deceleration) = ramps[i];
        const int edit = Id(axis, acceleration ? IDC_RA_ACCEL : IDC_RA_DECEL);
        const int bar = Id(axis, acceleration ? IDC_RA_ACCEL_BAR : IDC_RA_DECEL_BAR);
        host_->SetItemInt(edit, ramps[i], false);
        host_->TrackbarSetPos(bar, RampToPosition(ramps[i]));
    }

    host_->TrackbarSetPos(IDC_RA_GUIDING_BAR, GuidingToPosition(s.raGuidingRate));
    host_->TrackbarSetPos(IDC_DEC_GUIDING_BAR, GuidingToPosition(s.decGuidingRate));

    const uint8_t flags[3] = {s.reverseRotation, s.reverseGuiding, s.reverseLimits};
    for (int i = 0; i < 3; ++i) {
        host_->CheckItem(IDC_RA_REVERSE_ROTATION + i, (flags[i] & 0x01) != 0);
        host_->CheckItem(IDC_DEC_REVERSE_ROTATION + i, (flags[i] & 0x02) != 0);
    }

    FillCurrents(kRa, s.raMaxCurrent, s.raCurrent);
    FillCurrents(kDec, s.decMaxCurrent, s.decCurrent);

    for (int row = 0; row < 3; ++row) {
        host_->TrackbarSetPos(IDC_RA_IDLE_DECAY_BAR + row, s.raDecay[row]);
        host_->TrackbarSetPos(IDC_DEC_IDLE_DECAY_BAR + row, s.decDecay[row]);
    }

    const int8_t overtones[2] = {s.raOvertone, s.decOvertone};
    for (int axis = kRa; axis <= kDec; ++axis) {
        axes_[axis].overtone = overtones[axis];
        host_->SetItemInt(Id(axis, IDC_RA_OVERTONE), Bits(overtones[axis]), true);
        host_->TrackbarSetPos(Id(axis, IDC_RA_OVERTONE_BAR), overtones[axis]);
    }

    const uint16_t increases[2] = {s.raIncCurrentAt, s.decIncCurrentAt};
    for (int axis = kRa; axis <= kDec; ++axis) {
        axes_[axis].incCurrentAt = increases[axis];
        host_->SetItemInt(Id(axis, IDC_RA_INC_CURRENT), increases[axis], false);
        host_->TrackbarSetPos(Id(axis, IDC_RA_INC_CURRENT_BAR),
                              IncCurrentToPosition(increases[axis]));
    }
}

void AxisPanel::FillCurrents(int axis, uint16_t maxCurrent, const uint16_t* currents) {
    host_->SetItemInt(Id(axis, IDC_RA_MAX_CURRENT), maxCurrent, false);
    if (maxCurrent == 0) {
        return;  // without a maximum the currents cannot be scaled: left as they were
    }
    for (int row = 0; row < 3; ++row) {
        axes_[axis].current[row] = currents[row];
        host_->SetItemInt(Id(axis, IDC_RA_IDLE_CURRENT) + row, currents[row], false);
        host_->TrackbarSetPos(Id(axis, IDC_RA_IDLE_CURRENT_BAR) + row,
                              CurrentToPosition(currents[row], maxCurrent));
    }
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
            const int row = raId - IDC_RA_IDLE_DECAY_BAR;
            engine_.SetDecay(Selector(axis, row), Low8(Bits(host_->TrackbarGetPos(controlId))));
            break;
        }
        case IDC_RA_OVERTONE_BAR:
            ReleaseOvertone(axis);
            break;
        case IDC_RA_INC_CURRENT_BAR:
            ReleaseIncCurrent(axis);
            break;
        case IDC_RA_GUIDING_BAR:
            engine_.SetGuidingRates(Low8(Bits(host_->TrackbarGetPos(IDC_RA_GUIDING_BAR) + 1)),
                                    Low8(Bits(host_->TrackbarGetPos(IDC_DEC_GUIDING_BAR) + 1)));
            break;
        default:
            break;
    }
    return 1;
}

void AxisPanel::SendMaxSpeed() {
    engine_.SetMaxSpeed(axes_[kRa].maxSpeed, axes_[kDec].maxSpeed);
}

void AxisPanel::ReleaseMaxSpeed(int axis) {
    const int edit = Id(axis, IDC_RA_MAX_SPEED);
    const int position = host_->TrackbarGetPos(Id(axis, IDC_RA_MAX_SPEED_BAR));
    host_->SetItemInt(edit, PositionToSpeed(position), false);
    const uint32_t speed = host_->GetItemInt(edit, false);
    if (speed != axes_[axis].maxSpeed) {
        axes_[axis].maxSpeed = Low16(speed);
        SendMaxSpeed();
    }
}

void AxisPanel::ReleaseRamp(bool acceleration) {
    const int raBar = acceleration ? IDC_RA_ACCEL_BAR : IDC_RA_DECEL_BAR;
    const int raEdit = acceleration ? IDC_RA_ACCEL : IDC_RA_DECEL;
    bool changed = false;
    for (int axis = kRa; axis <= kDec; ++axis) {
        uint8_t& stored = acceleration ? axes_[axis].acceleration : axes_[axis].deceleration;
        const uint32_t value = PositionToRamp(host_->TrackbarGetPos(Id(axis, raBar)));
        if (value != stored) {
            stored = Low8(value);
            host_->SetItemInt(Id(axis, raEdit), stored, false);
            changed = true;
        }
    }
    if (!changed) {
        return;
    }
    if (acceleration) {
        engine_.SetAcceleration(axes_[kRa].acceleration, axes_[kDec].acceleration);
    } else {
        engine_.SetDeceleration(axes_[kRa].deceleration, axes_[kDec].deceleration);
    }
}

void AxisPanel::ReleaseCurrent(int axis, int row) {
    const int edit = Id(axis, IDC_RA_IDLE_CURRENT) + row;
    const int position = host_->TrackbarGetPos(Id(axis, IDC_RA_IDLE_CURRENT_BAR) + row);
    host_->SetItemInt(edit, PositionToCurrent(position, axes_[axis].maxCurrent), false);
    const uint32_t current = host_->GetItemInt(edit, false);
    if (current != axes_[axis].current[row]) {
        axes_[axis].current[row] = Low16(current);
        engine_.SetCurrent(Selector(axis, row), axes_[axis].current[row]);
    }
}

void AxisPanel::ReleaseOvertone(int axis) {
    const int position = host_->TrackbarGetPos(Id(axis, IDC_RA_OVERTONE_BAR));
    if (position == axes_[axis].overtone) {
        return;
    }
    axes_[axis].overtone = LowSigned16(position);
    host_->SetItemInt(Id(axis, IDC_RA_OVERTONE), Bits(position), true);
    engine_.SetOvertone(AxisCode(axis), Low8(Bits(position)));
}

void AxisPanel::ReleaseIncCurrent(int axis) {
    const int position = host_->TrackbarGetPos(Id(axis, IDC_RA_INC_CURRENT_BAR));
    const uint32_t value = PositionToIncCurrent(position);
    if (value == axes_[axis].incCurrentAt) {
        return;
    }
    axes_[axis].incCurrentAt = Low16(value);
    host_->SetItemInt(Id(axis, IDC_RA_INC_CURRENT), axes_[axis].incCurrentAt, false);
    engine_.SetIncreaseCurrentAt(AxisCode(axis), axes_[axis].incCurrentAt,
                                 axes_[axis].incCurrentAt);
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
    if (speed == axes_[axis].maxSpeed) {
        return;
    }
    axes_[axis].maxSpeed = Low16(speed);
    // The thumb follows the entry as typed, not its 16 stored bits.
    host_->TrackbarSetPos(Id(axis, IDC_RA_MAX_SPEED_BAR), SpeedToPosition(speed));
    SendMaxSpeed();
}

void AxisPanel::EditRamp(int axis, bool acceleration) {
    const int edit = Id(axis, acceleration ? IDC_RA_ACCEL : IDC_RA_DECEL);
    const int bar = Id(axis, acceleration ? IDC_RA_ACCEL_BAR : IDC_RA_DECEL_BAR);
    uint8_t& stored = acceleration ? axes_[axis].acceleration : axes_[axis].deceleration;
    const uint32_t value = host_->GetItemInt(edit, false);
    if (value == stored) {
        return;
    }
    stored = Low8(value);
    host_->TrackbarSetPos(bar, RampToPosition(stored));
    if (acceleration) {
        engine_.SetAcceleration(axes_[kRa].acceleration, axes_[kDec].acceleration);
    } else {
        engine_.SetDeceleration(axes_[kRa].deceleration, axes_[kDec].deceleration);
    }
}

void AxisPanel::EditCurrent(int axis, int row) {
    const uint32_t current = host_->GetItemInt(Id(axis, IDC_RA_IDLE_CURRENT) + row, false);
    if (axes_[axis].maxCurrent != 0) {
        host_->TrackbarSetPos(Id(axis, IDC_RA_IDLE_CURRENT_BAR) + row,
                              CurrentToPosition(current, axes_[axis].maxCurrent));
    }
    if (current == axes_[axis].current[row]) {
        return;
    }
    axes_[axis].current[row] = Low16(current);
    engine_.SetCurrent(Selector(axis, row), axes_[axis].current[row]);
}

void AxisPanel::EditOvertone(int axis) {
    const int32_t value = AsSigned32(host_->GetItemInt(Id(axis, IDC_RA_OVERTONE), true));
    if (value == axes_[axis].overtone) {
        return;
    }
    axes_[axis].overtone = LowSigned16(value);
    host_->TrackbarSetPos(Id(axis, IDC_RA_OVERTONE_BAR), axes_[axis].overtone);
    engine_.SetOvertone(AxisCode(axis), Low8(Bits(axes_[axis].overtone)));
}

void AxisPanel::EditIncCurrent(int axis) {
    const uint32_t value = host_->GetItemInt(Id(axis, IDC_RA_INC_CURRENT), false);
    if (value == axes_[axis].incCurrentAt) {
        return;
    }
    axes_[axis].incCurrentAt = Low16(value);
    host_->TrackbarSetPos(Id(axis, IDC_RA_INC_CURRENT_BAR), IncCurrentToPosition(value));
    engine_.SetIncreaseCurrentAt(AxisCode(axis), axes_[axis].incCurrentAt,
                                 axes_[axis].incCurrentAt);
}

intptr_t AxisPanel::OnReverse() {
    if (host_ == nullptr) {
        return 1;
    }
    uint8_t flags[3] = {0, 0, 0};  // rotation, autoguiding, limit switches
    for (int i = 0; i < 3; ++i) {
        flags[i] =
            static_cast<uint8_t>((host_->IsItemChecked(IDC_RA_REVERSE_ROTATION + i) ? 1 : 0) |
                                 (host_->IsItemChecked(IDC_DEC_REVERSE_ROTATION + i) ? 2 : 0));
    }
    engine_.SetReverseFlags(flags[0], flags[1], flags[2]);
    return 1;
}

}  // namespace axistune
