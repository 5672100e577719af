#include "ui/dlg_advanced.h"

#include <algorithm>
#include <cstdint>

#include "core/controller_constants.h"
#include "core/setting_table.h"
#include "text/text.h"
#include "text/twos_complement.h"
#include "ui/description/resource_ids.h"

namespace axistune {

namespace {

constexpr uint32_t kAngleBufferSize = 32;
// GetDlgItemTextA with 31: up to 30 characters and the NUL.
constexpr uint32_t kAngleReadCount = 31;

// The magnitude shown after the hemisphere letter. The most negative angle has no positive
// twin: like two's-complement negation it stays as it is, and the angle writer shows it with its
// own minus sign.
int32_t Magnitude(int32_t angle) {
    return angle < 0 ? NegateWrapping(angle) : angle;
}

}  // namespace

intptr_t DlgAdvanced::Open(DialogHost& owner, AdvancedSettings& record) {
    DlgAdvanced dialog(record);
    // A dialog that could not be shown (-1) was not confirmed: the main window sends on any
    // non-zero result, and `changed` may still hold the flags of an earlier Ok.
    return owner.RunChild(IDD_ADVANCED, dialog) == 1 ? 1 : 0;
}

void DlgAdvanced::ShowAngle(int id, int32_t angle, char positive, char negative) {
    char text[kAngleBufferSize] = {};
    text[0] = angle >= 0 ? positive : negative;
    text[1] = ' ';
    TextAppendAngle(text, kAngleBufferSize, 2, Magnitude(angle));
    host_->SetItemTextA(id, text);
}

int32_t DlgAdvanced::ReadAngle(int id, int32_t kind) {
    char text[kAngleBufferSize] = {};
    host_->GetItemTextA(id, text, kAngleReadCount);
    int32_t angle = 0;
    TextReadAngle(text, kAngleBufferSize, 0, &angle, kind);
    return angle;
}

void DlgAdvanced::SelectRadio(int first, int last, int selected) {
    for (int id = first; id <= last; ++id) {
        host_->CheckItem(id, id == selected);
    }
}

intptr_t DlgAdvanced::OnInit(DialogHost& host) {
    host_ = &host;
    ShowAngle(IDC_ADV_LATITUDE, record_.latitude, 'N', 'S');
    ShowAngle(IDC_ADV_LONGITUDE, record_.longitude, 'E', 'W');
    SelectRadio(IDC_ADV_GERMAN, IDC_ADV_ALT_AZIMUTH,
                IDC_ADV_GERMAN + std::min<int>(record_.mountType, 2));
    SelectRadio(IDC_ADV_NORTH, IDC_ADV_SOUTH, IDC_ADV_NORTH + std::min<int>(record_.hemisphere, 1));
    host.SetItemInt(IDC_ADV_FLIP, record_.flipHysteresis, false);
    if ((record_.features & kFeatureClosedLoop) == 0) {
        host.EnableItem(IDC_ADV_CLOSED_LOOP, false);
    } else {
        host.CheckItem(IDC_ADV_CLOSED_LOOP, record_.closedLoopDefault != 0);
    }
    return 1;
}

void DlgAdvanced::Accept() {
    uint32_t changed = 0;

    const int32_t latitude = ReadAngle(IDC_ADV_LATITUDE, kAngleLatitude);
    if (latitude != record_.latitude) {
        record_.latitude = latitude;
        changed |= AdvancedChangeBit(kLatitude);
    }
    const int32_t longitude = ReadAngle(IDC_ADV_LONGITUDE, kAngleLongitude);
    if (longitude != record_.longitude) {
        record_.longitude = longitude;
        changed |= AdvancedChangeBit(kLongitude);
    }
    const uint8_t hemisphere = host_->IsItemChecked(IDC_ADV_SOUTH) ? 1 : 0;
    if (hemisphere != record_.hemisphere) {
        record_.hemisphere = hemisphere;
        changed |= AdvancedChangeBit(kHemisphere);
    }
    const uint8_t mountType = host_->IsItemChecked(IDC_ADV_ALT_AZIMUTH) ? kMountAltAzimuth
                              : host_->IsItemChecked(IDC_ADV_FORK)      ? kMountFork
                                                                        : kMountGermanEquatorial;
    if (mountType != record_.mountType) {
        record_.mountType = mountType;
        changed |= AdvancedChangeBit(kMountTypeSetting);
    }
    // One byte: an entry above 255 keeps its low eight bits.
    const uint32_t hysteresis = host_->GetItemInt(IDC_ADV_FLIP, false);
    if (hysteresis != record_.flipHysteresis) {
        record_.flipHysteresis = static_cast<uint8_t>(hysteresis & 0xFF);
        changed |= AdvancedChangeBit(kFlipHysteresis);
    }
    // A disabled box (no closed loop on this controller) reads as unchecked.
    const uint8_t closedLoop = host_->IsItemChecked(IDC_ADV_CLOSED_LOOP) ? 1 : 0;
    if (closedLoop != record_.closedLoopDefault) {
        record_.closedLoopDefault = closedLoop;
        changed |= AdvancedChangeBit(kClosedLoop);
    }
    record_.changed = changed;
}

intptr_t DlgAdvanced::OnCommand(int id, int code) {
    (void)code;
    switch (id) {
        case IDC_ADV_NORTH:
        case IDC_ADV_SOUTH:
            SelectRadio(IDC_ADV_NORTH, IDC_ADV_SOUTH, id);
            return 1;
        case IDC_ADV_GERMAN:
        case IDC_ADV_FORK:
        case IDC_ADV_ALT_AZIMUTH:
            SelectRadio(IDC_ADV_GERMAN, IDC_ADV_ALT_AZIMUTH, id);
            return 1;
        case IDC_DLG_OK:
            Accept();
            host_->End(1);
            return 1;
        case IDC_DLG_CANCEL:
            host_->End(0);
            return 1;
        default:
            return 0;
    }
}

}  // namespace axistune
