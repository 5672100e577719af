#pragma once

#include <cstdint>

#include "core/controller_settings.h"
#include "core/i_telescope_control.h"
#include "core/setting_table.h"
#include "ui/dialog_host.h"

namespace axistune {

// The "RA" and "Dec" groups of the main window: reversal flags, maximum speed, acceleration,
// deceleration, motor currents with their decay modes, overtone, current increase and guiding
// rate. Every change is sent to the engine at once. It keeps the last value shown or sent per
// axis so that an unchanged entry is not sent again.
class AxisPanel {
  public:
    static constexpr int kTrackbarCount = 24;

    explicit AxisPanel(iTelescopeControl& engine) : engine_(engine) {}

    // Keeps the host and the handles of the 24 trackbars, as the host reports them.
    void Attach(DialogHost& host);
    void Detach() { host_ = nullptr; }
    // Trackbar ranges; the overtone thumbs start in the middle (0).
    void SetRanges();

    // First step of a settings fill: the current scaling needs the maximum currents.
    void StoreMaxCurrents(const ControllerSettings& settings);
    // Shows the record; sends nothing.
    void Fill(const ControllerSettings& settings);

    // WM_HSCROLL from any trackbar; acts on TB_ENDTRACK of the panel's own trackbars only.
    intptr_t OnTrackbar(int code, int controlId);
    // The panel's edits; acts on EN_KILLFOCUS only.
    intptr_t OnEdit(int id, int code);
    // Any command of the six reversal check boxes.
    intptr_t OnReverse();

    static bool IsEdit(int id);
    static bool IsReverseBox(int id);

  private:
    struct TrackbarSlot {
        int id;
        ControlHandle handle;
    };

    void FillCurrents(int axis, const SettingValues& record);
    // Keeps an entry in the width the setting is held in; false if it equals the kept value.
    bool Keep(SettingId id, int64_t entry);
    // The setting's request, its partners taken from the kept values.
    void Send(SettingId id);
    void ReleaseMaxSpeed(int axis);
    void ReleaseRamp(bool acceleration);
    void ReleaseCurrent(int axis, int row);
    void ReleaseOvertone(int axis);
    void ReleaseIncCurrent(int axis);
    void EditMaxSpeed(int axis);
    void EditRamp(int axis, bool acceleration);
    void EditCurrent(int axis, int row);
    void EditOvertone(int axis);
    void EditIncCurrent(int axis);

    iTelescopeControl& engine_;
    DialogHost* host_ = nullptr;
    TrackbarSlot trackbars_[kTrackbarCount] = {};
    // The last value shown or sent per setting; reversal flags, decays and guiding rates are
    // read from their controls just before they are sent.
    SettingValues values_{};
};

}  // namespace axistune
