#include "ui/description/dialog_templates.h"

#include "core/version.h"
#include "ui/about_texts.h"
#include "ui/description/resource_ids.h"

namespace axistune {

// The id and its name in resource_ids.h, so the .rc and the in-memory host agree by construction.
#define CTL(symbol) symbol, #symbol

namespace {

using K = ControlKind;

constexpr uint32_t kRight = kAlignRight;
constexpr uint32_t kCenter = kAlignCenter;
constexpr uint32_t kNone = kOptionNone;

const ControlTemplate kMainControls[] = {
    {CTL(IDC_PORT_LABEL), K::kLabel, "Port:", 4, 7, 22, 12, kRight},
    {CTL(IDC_PORT), K::kDropDownList, "", 28, 5, 60, 200, kNone},
    {CTL(IDC_BAUD), K::kCheckBox, "115200 Baud (Uncheck for DX3)", 90, 6, 128, 12, kNone},
    {CTL(IDC_CONNECT), K::kPushButton, "Connect", 220, 5, 60, 13, kNone},
    {CTL(IDC_DISCONNECT), K::kPushButton, "Disconnect", 284, 5, 60, 13, kNone},
    {CTL(IDC_ABOUT), K::kPushButton, "About...", 406, 5, 46, 13, kNone},
    {CTL(IDC_STATUS), K::kEdit, "", 4, 20, 306, 12, kReadOnly},
    {CTL(IDC_FIRMWARE), K::kEdit, "", 312, 20, 140, 12, kReadOnly},
    {CTL(IDC_STOP), K::kPushButton, "Stop", 40, 60, 23, 19, kNone},
    {CTL(IDC_NORTH), K::kBitmapButton, "", 40, 45, 23, 14, kNone},
    {CTL(IDC_SOUTH), K::kBitmapButton, "", 40, 80, 23, 14, kNone},
    {CTL(IDC_EAST), K::kBitmapButton, "", 23, 60, 16, 19, kNone},
    {CTL(IDC_WEST), K::kBitmapButton, "", 65, 60, 16, 19, kNone},
    {CTL(IDC_SPEED), K::kTrackbar, "", 6, 102, 92, 12, kNone},
    {CTL(IDC_LABEL_N), K::kLabel, "N", 40, 35, 23, 10, kCenter},
    {CTL(IDC_LABEL_S), K::kLabel, "S", 40, 95, 23, 10, kCenter},
    {CTL(IDC_LABEL_W), K::kLabel, "W", 83, 67, 10, 10, kCenter},
    {CTL(IDC_LABEL_E), K::kLabel, "E", 12, 67, 10, 10, kCenter},
    {CTL(IDC_SIDEREAL), K::kPushButton, "Sidereal", 8, 123, 42, 15, kNone},
    {CTL(IDC_SIDEREAL_2X), K::kPushButton, "2X Sidereal", 52, 123, 42, 15, kNone},
    {CTL(IDC_GEAR_GROUP), K::kGroupBox, "Gear ratio", 104, 34, 348, 29, kNone},
    {CTL(IDC_CHANGE_GEAR), K::kPushButton, "Change gear ratio", 370, 43, 70, 14, kNone},
    {CTL(IDC_RA_GEAR_LABEL), K::kLabel, "RA:", 110, 45, 24, 12, kRight},
    {CTL(IDC_RA_GEAR), K::kEdit, "", 140, 44, 80, 12, kReadOnly},
    {CTL(IDC_DEC_GEAR_LABEL), K::kLabel, "DE:", 220, 45, 24, 12, kRight},
    {CTL(IDC_DEC_GEAR), K::kEdit, "", 250, 44, 80, 12, kReadOnly},

    // RA axis group.
    {CTL(IDC_RA_GROUP), K::kGroupBox, "RA", 104, 64, 172, 228, kNone},
    {CTL(IDC_RA_REVERSE_ROTATION), K::kCheckBox, "Reverse rotation", 140, 74, 90, 12, kNone},
    {CTL(IDC_RA_REVERSE_GUIDING), K::kCheckBox, "Reverse autoguiding", 140, 86, 90, 12, kNone},
    {CTL(IDC_RA_REVERSE_LIMITS), K::kCheckBox, "Reverse limit switches", 140, 98, 90, 12, kNone},
    {CTL(IDC_RA_LINE_REVERSE), K::kEtchedLine, "", 108, 112, 164, 5, kNone},
    {CTL(IDC_RA_MAX_SPEED_LABEL), K::kLabel, "Max speed:", 108, 120, 50, 10, kRight},
    {CTL(IDC_RA_MAX_SPEED_BAR), K::kTrackbar, "", 160, 120, 70, 11, kNone},
    {CTL(IDC_RA_MAX_SPEED), K::kEdit, "", 232, 120, 36, 12, kNone},
    {CTL(IDC_RA_ACCEL_LABEL), K::kLabel, "Acceleration:", 108, 132, 50, 10, kRight},
    {CTL(IDC_RA_ACCEL_BAR), K::kTrackbar, "", 160, 132, 70, 11, kNone},
    {CTL(IDC_RA_ACCEL), K::kEdit, "", 232, 132, 36, 12, kNone},
    {CTL(IDC_RA_DECEL_LABEL), K::kLabel, "Deceleration:", 108, 144, 50, 10, kRight},
    {CTL(IDC_RA_DECEL_BAR), K::kTrackbar, "", 160, 144, 70, 11, kNone},
    {CTL(IDC_RA_DECEL), K::kEdit, "", 232, 144, 36, 12, kNone},
    {CTL(IDC_RA_LINE_CURRENT), K::kEtchedLine, "", 108, 160, 164, 5, kNone},
    {CTL(IDC_RA_MAX_CURRENT), K::kEdit, "", 140, 164, 30, 12, kReadOnly},
    {CTL(IDC_RA_MAX_CURRENT_LABEL), K::kLabel, "Max:", 108, 165, 30, 10, kRight},
    {CTL(IDC_RA_MA_LABEL), K::kLabel, "mA", 172, 165, 42, 10, kNone},
    {CTL(IDC_RA_IDLE_LABEL), K::kLabel, "Idle:", 108, 178, 30, 10, kRight},
    {CTL(IDC_RA_TRACK_LABEL), K::kLabel, "Track:", 108, 190, 30, 10, kRight},
    {CTL(IDC_RA_RUN_LABEL), K::kLabel, "Run:", 108, 202, 30, 10, kRight},
    {CTL(IDC_RA_IDLE_CURRENT), K::kEdit, "", 140, 178, 30, 12, kNone},
    {CTL(IDC_RA_TRACK_CURRENT), K::kEdit, "", 140, 190, 30, 12, kNone},
    {CTL(IDC_RA_RUN_CURRENT), K::kEdit, "", 140, 202, 30, 12, kNone},
    {CTL(IDC_RA_DECAY_LABEL), K::kLabel, "Decay", 240, 166, 32, 10, kCenter},
    {CTL(IDC_RA_IDLE_CURRENT_BAR), K::kTrackbar, "", 170, 178, 60, 11, kNone},
    {CTL(IDC_RA_IDLE_DECAY_BAR), K::kTrackbar, "", 240, 178, 32, 11, kNone},
    {CTL(IDC_RA_TRACK_CURRENT_BAR), K::kTrackbar, "", 170, 190, 60, 11, kNone},
    {CTL(IDC_RA_TRACK_DECAY_BAR), K::kTrackbar, "", 240, 190, 32, 11, kNone},
    {CTL(IDC_RA_RUN_CURRENT_BAR), K::kTrackbar, "", 170, 202, 60, 11, kNone},
    {CTL(IDC_RA_RUN_DECAY_BAR), K::kTrackbar, "", 240, 202, 32, 11, kNone},
    {CTL(IDC_RA_LINE_OVERTONE), K::kEtchedLine, "", 108, 218, 164, 5, kNone},
    {CTL(IDC_RA_OVERTONE_LABEL), K::kLabel, "3rd. overtone:", 108, 224, 50, 10, kRight},
    {CTL(IDC_RA_OVERTONE_BAR), K::kTrackbar, "", 160, 224, 70, 11, kNone},
    {CTL(IDC_RA_OVERTONE), K::kEdit, "", 232, 224, 36, 12, kNone},
    {CTL(IDC_RA_INC_CURRENT_LABEL), K::kLabel, "Inc. current at:", 108, 236, 50, 10, kRight},
    {CTL(IDC_RA_INC_CURRENT_BAR), K::kTrackbar, "", 160, 236, 70, 11, kNone},
    {CTL(IDC_RA_INC_CURRENT), K::kEdit, "", 232, 236, 36, 12, kNone},
    {CTL(IDC_RA_LINE_GUIDING), K::kEtchedLine, "", 108, 252, 164, 5, kNone},
    {CTL(IDC_RA_GUIDING_LABEL), K::kLabel, "Guiding corrections: (1/16 of the sidereal speed)", 108,
     256, 164, 10, kNone},
    {CTL(IDC_RA_GUIDING_BAR), K::kTrackbar, "", 118, 266, 144, 11, kNone},
    {CTL(IDC_RA_GUIDING_1_16), K::kLabel, "1/16", 113, 278, 22, 10, kCenter},
    {CTL(IDC_RA_GUIDING_1_4), K::kLabel, "1/4", 139, 278, 22, 10, kCenter},
    {CTL(IDC_RA_GUIDING_1_2), K::kLabel, "1/2", 175, 278, 22, 10, kCenter},
    {CTL(IDC_RA_GUIDING_3_4), K::kLabel, "3/4", 209, 278, 22, 10, kCenter},
    {CTL(IDC_RA_GUIDING_1_1), K::kLabel, "1/1", 245, 278, 22, 10, kCenter},

    // Dec axis group: the RA group moved 176 units to the right.
    {CTL(IDC_DEC_GROUP), K::kGroupBox, "Dec", 280, 64, 172, 228, kNone},
    {CTL(IDC_DEC_REVERSE_ROTATION), K::kCheckBox, "Reverse rotation", 316, 74, 90, 12, kNone},
    {CTL(IDC_DEC_REVERSE_GUIDING), K::kCheckBox, "Reverse autoguiding", 316, 86, 90, 12, kNone},
    {CTL(IDC_DEC_REVERSE_LIMITS), K::kCheckBox, "Reverse limit switches", 316, 98, 90, 12, kNone},
    {CTL(IDC_DEC_LINE_REVERSE), K::kEtchedLine, "", 284, 112, 164, 5, kNone},
    {CTL(IDC_DEC_MAX_SPEED_LABEL), K::kLabel, "Max speed:", 284, 120, 50, 10, kRight},
    {CTL(IDC_DEC_MAX_SPEED_BAR), K::kTrackbar, "", 336, 120, 70, 11, kNone},
    {CTL(IDC_DEC_MAX_SPEED), K::kEdit, "", 408, 120, 36, 12, kNone},
    {CTL(IDC_DEC_ACCEL_LABEL), K::kLabel, "Acceleration:", 284, 132, 50, 10, kRight},
    {CTL(IDC_DEC_ACCEL_BAR), K::kTrackbar, "", 336, 132, 70, 11, kNone},
    {CTL(IDC_DEC_ACCEL), K::kEdit, "", 408, 132, 36, 12, kNone},
    {CTL(IDC_DEC_DECEL_LABEL), K::kLabel, "Deceleration:", 284, 144, 50, 10, kRight},
    {CTL(IDC_DEC_DECEL_BAR), K::kTrackbar, "", 336, 144, 70, 11, kNone},
    {CTL(IDC_DEC_DECEL), K::kEdit, "", 408, 144, 36, 12, kNone},
    {CTL(IDC_DEC_LINE_CURRENT), K::kEtchedLine, "", 284, 160, 164, 5, kNone},
    {CTL(IDC_DEC_MAX_CURRENT), K::kEdit, "", 316, 164, 30, 12, kReadOnly},
    {CTL(IDC_DEC_MAX_CURRENT_LABEL), K::kLabel, "Max:", 284, 165, 30, 10, kRight},
    {CTL(IDC_DEC_MA_LABEL), K::kLabel, "mA", 348, 165, 42, 10, kNone},
    {CTL(IDC_DEC_IDLE_LABEL), K::kLabel, "Idle:", 284, 178, 30, 10, kRight},
    {CTL(IDC_DEC_TRACK_LABEL), K::kLabel, "Track:", 284, 190, 30, 10, kRight},
    {CTL(IDC_DEC_RUN_LABEL), K::kLabel, "Run:", 284, 202, 30, 10, kRight},
    {CTL(IDC_DEC_IDLE_CURRENT), K::kEdit, "", 316, 178, 30, 12, kNone},
    {CTL(IDC_DEC_TRACK_CURRENT), K::kEdit, "", 316, 190, 30, 12, kNone},
    {CTL(IDC_DEC_RUN_CURRENT), K::kEdit, "", 316, 202, 30, 12, kNone},
    {CTL(IDC_DEC_DECAY_LABEL), K::kLabel, "Decay", 416, 166, 32, 10, kCenter},
    {CTL(IDC_DEC_IDLE_CURRENT_BAR), K::kTrackbar, "", 346, 178, 60, 11, kNone},
    {CTL(IDC_DEC_IDLE_DECAY_BAR), K::kTrackbar, "", 416, 178, 32, 11, kNone},
    {CTL(IDC_DEC_TRACK_CURRENT_BAR), K::kTrackbar, "", 346, 190, 60, 11, kNone},
    {CTL(IDC_DEC_TRACK_DECAY_BAR), K::kTrackbar, "", 416, 190, 32, 11, kNone},
    {CTL(IDC_DEC_RUN_CURRENT_BAR), K::kTrackbar, "", 346, 202, 60, 11, kNone},
    {CTL(IDC_DEC_RUN_DECAY_BAR), K::kTrackbar, "", 416, 202, 32, 11, kNone},
    {CTL(IDC_DEC_LINE_OVERTONE), K::kEtchedLine, "", 284, 218, 164, 5, kNone},
    {CTL(IDC_DEC_OVERTONE_LABEL), K::kLabel, "3rd. overtone:", 284, 224, 50, 10, kRight},
    {CTL(IDC_DEC_OVERTONE_BAR), K::kTrackbar, "", 336, 224, 70, 11, kNone},
    {CTL(IDC_DEC_OVERTONE), K::kEdit, "", 408, 224, 36, 12, kNone},
    {CTL(IDC_DEC_INC_CURRENT_LABEL), K::kLabel, "Inc. current at:", 284, 236, 50, 10, kRight},
    {CTL(IDC_DEC_INC_CURRENT_BAR), K::kTrackbar, "", 336, 236, 70, 11, kNone},
    {CTL(IDC_DEC_INC_CURRENT), K::kEdit, "", 408, 236, 36, 12, kNone},
    {CTL(IDC_DEC_LINE_GUIDING), K::kEtchedLine, "", 284, 252, 164, 5, kNone},
    {CTL(IDC_DEC_GUIDING_LABEL), K::kLabel, "Guiding corrections: (1/16 of the sidereal speed)",
     284, 256, 164, 10, kNone},
    {CTL(IDC_DEC_GUIDING_BAR), K::kTrackbar, "", 294, 266, 144, 11, kNone},
    {CTL(IDC_DEC_GUIDING_1_16), K::kLabel, "1/16", 289, 278, 22, 10, kCenter},
    {CTL(IDC_DEC_GUIDING_1_4), K::kLabel, "1/4", 315, 278, 22, 10, kCenter},
    {CTL(IDC_DEC_GUIDING_1_2), K::kLabel, "1/2", 351, 278, 22, 10, kCenter},
    {CTL(IDC_DEC_GUIDING_3_4), K::kLabel, "3/4", 385, 278, 22, 10, kCenter},
    {CTL(IDC_DEC_GUIDING_1_1), K::kLabel, "1/1", 421, 278, 22, 10, kCenter},

    {CTL(IDC_TRACK_ON), K::kPushLikeCheckBox, "Track on", 8, 144, 42, 15, kNone},
    {CTL(IDC_TRACK_OFF), K::kPushLikeCheckBox, "Track off", 52, 144, 42, 15, kNone},
    {CTL(IDC_EXP_ON), K::kPushButton, "Exp on", 8, 160, 42, 15, kNone},
    {CTL(IDC_EXP_OFF), K::kPushButton, "Exp off", 52, 160, 42, 15, kNone},
    {CTL(IDC_ADVANCED), K::kPushButton, "Advanced settings", 8, 191, 86, 14, kNone},
    {CTL(IDC_INIT_SCOPE), K::kPushButton, "Init scope", 8, 210, 86, 14, kNone},
    {CTL(IDC_DEFINE_PARK), K::kPushButton, "Define park pos", 8, 227, 86, 14, kNone},
    {CTL(IDC_RELOAD_DEFAULTS), K::kPushButton, "Reload defaults", 8, 247, 86, 16, kNone},
    {CTL(IDC_STORE_SETTINGS), K::kPushButton, "Save settings into Dx.", 8, 265, 86, 25, kNone},
};

const ControlTemplate kGearRatioControls[] = {
    {CTL(IDC_GEAR_RA_LABEL), K::kLabel, "Gear ratio for Ra axis:", 8, 6, 80, 14, kRight},
    {CTL(IDC_GEAR_RA), K::kEdit, "", 92, 5, 60, 12, kNone},
    {CTL(IDC_GEAR_DEC_LABEL), K::kLabel, "Gear ratio for Dec axis:", 8, 22, 80, 14, kRight},
    {CTL(IDC_GEAR_DEC), K::kEdit, "", 92, 21, 60, 12, kNone},
    {CTL(IDC_GEAR_NOTE), K::kLabel, "The entered value should include the motor's resolution.", 4,
     40, 190, 22, kNone},
    {CTL(IDC_GEAR_EXAMPLES), K::kLabel, "Examples:", 4, 54, 190, 12, kNone},
    {CTL(IDC_GEAR_EXAMPLE_1), K::kLabel, "Corvina standard mounts:  (192 * 4,5) * 200 = 172800", 8,
     64, 190, 12, kNone},
    {CTL(IDC_GEAR_EXAMPLE_2), K::kLabel, "Corvina 200 mounts: (250 * (81/25)) * 200 = 162000", 8,
     74, 190, 12, kNone},
    {CTL(IDC_GEAR_EXAMPLE_3), K::kLabel, "Tessel-7 Ra: (359 * 4) * 200 = 287200", 8, 84, 190, 12,
     kNone},
    {CTL(IDC_GEAR_EXAMPLE_4), K::kLabel, "Tessel-7 Dec: (205 * 4) * 200 = 164000", 8, 94, 190, 12,
     kNone},
    {CTL(IDC_GEAR_EXAMPLE_5), K::kLabel, "Skywatcher EQ5: (135 * 5.214) * 200 = 140800", 8, 104,
     190, 12, kNone},
    {CTL(IDC_DLG_CANCEL), K::kPushButton, "Cancel", 15, 128, 80, 18, kNone},
    {CTL(IDC_DLG_OK), K::kPushButton, "Ok", 105, 128, 80, 18, kNone},
};

const ControlTemplate kAdvancedControls[] = {
    {CTL(IDC_ADV_POSITION_GROUP), K::kGroupBox, "Geographic position", 4, 2, 232, 44, kNone},
    {CTL(IDC_ADV_LATITUDE_LABEL), K::kLabel, "Latitude:", 6, 15, 50, 10, kRight},
    {CTL(IDC_ADV_LATITUDE), K::kEdit, "", 60, 14, 50, 12, kNone},
    {CTL(IDC_ADV_LONGITUDE_LABEL), K::kLabel, "Longitude:", 6, 29, 50, 10, kRight},
    {CTL(IDC_ADV_LONGITUDE), K::kEdit, "", 60, 28, 50, 12, kNone},
    {CTL(IDC_ADV_HEMISPHERE_LABEL), K::kLabel, "Hemispheree:", 116, 15, 50, 10, kRight},
    {CTL(IDC_ADV_NORTH), K::kRadioButton, "North", 126, 26, 30, 12, kNone},
    {CTL(IDC_ADV_SOUTH), K::kRadioButton, "South", 166, 26, 30, 12, kNone},
    {CTL(IDC_ADV_MOUNT_GROUP), K::kGroupBox, "Mount type", 4, 48, 232, 38, kNone},
    {CTL(IDC_ADV_GERMAN), K::kRadioButton, "Equatorial german", 8, 58, 80, 12, kNone},
    {CTL(IDC_ADV_FORK), K::kRadioButton, "Equatorial fork", 8, 70, 80, 12, kNone},
    {CTL(IDC_ADV_ALT_AZIMUTH), K::kRadioButton, "Alt - Azimut", 120, 58, 80, 12, kNone},
    {CTL(IDC_ADV_FLIP_GROUP), K::kGroupBox, "Meridian flip", 4, 88, 232, 40, kNone},
    {CTL(IDC_ADV_FLIP_LABEL), K::kLabel, "Meridian flip hysteresis (degrees):", 6, 100, 140, 10,
     kRight},
    {CTL(IDC_ADV_FLIP), K::kEdit, "", 150, 99, 50, 12, kNone},
    {CTL(IDC_ADV_FLIP_HINT), K::kLabel, "Recommended value in 5...15 degrees range.", 6, 114, 190,
     10, kCenter},
    {CTL(IDC_ADV_CLOSED_LOOP_GROUP), K::kGroupBox, "Closed loop tracking", 4, 130, 232, 28, kNone},
    {CTL(IDC_ADV_CLOSED_LOOP), K::kCheckBox, "Switch on by default", 8, 142, 90, 12, kNone},
    {CTL(IDC_DLG_CANCEL), K::kPushButton, "Cancel", 25, 166, 80, 18, kNone},
    {CTL(IDC_DLG_OK), K::kPushButton, "Ok", 135, 166, 80, 18, kNone},
};

const ControlTemplate kInitScopeControls[] = {
    {CTL(IDC_INIT_LABEL), K::kLabel, "Position:", 4, 7, 32, 12, kRight},
    {CTL(IDC_INIT_POSITION), K::kDropDownList, "", 38, 5, 190, 200, kNone},
    {CTL(IDC_INIT_EXPLANATION_GROUP), K::kGroupBox, "Explanation", 4, 22, 232, 50, kNone},
    {CTL(IDC_INIT_EXPLANATION), K::kLabel, "Explanation of the selected position", 10, 34, 200, 30,
     kNone},
    {CTL(IDC_DLG_CANCEL), K::kPushButton, "Exit", 15, 80, 80, 18, kNone},
    {CTL(IDC_DLG_OK), K::kPushButton, "Set this position", 105, 80, 120, 18, kNone},
};

const ControlTemplate kAboutControls[] = {
    {CTL(IDC_ABOUT_TITLE), K::kLabel, "AxisTune " AXISTUNE_CAPTION_VERSION, 8, 8, 180, 14, kNone},
    {CTL(IDC_ABOUT_DESCRIPTION), K::kLabel,
     "Configurator program for Lyrafield DX3, DX5 and RV5 controllers.", 8, 24, 248, 14, kNone},
    {CTL(IDC_ABOUT_CREDIT), K::kLabel, AXISTUNE_ABOUT_CREDIT, 8, 38, 208, 10, kNone},
    {CTL(IDC_ABOUT_LINK), K::kLabel, AXISTUNE_ABOUT_URL, 10, 50, 160, 10, kNotify},
    {CTL(IDC_DLG_CANCEL), K::kPushButton, "Exit", 10, 70, 60, 16, kNone},
};

// The settings dialogs: differences as Setting / Controller / File rows.
const ControlTemplate kRestoreConfirmControls[] = {
    {CTL(IDC_RESTORE_INTRO), K::kLabel, "Settings that differ from the controller:", 6, 6, 308, 10,
     kNone},
    {CTL(IDC_RESTORE_DIFFERENCES), K::kListView, "", 6, 18, 308, 120, kNone},
    {CTL(IDC_RESTORE_GROUPS_LABEL), K::kLabel, "Restore:", 6, 147, 34, 10, kNone},
    {CTL(IDC_RESTORE_RA), K::kCheckBox, "RA", 42, 145, 30, 12, kNone},
    {CTL(IDC_RESTORE_DEC), K::kCheckBox, "Dec", 76, 145, 34, 12, kNone},
    {CTL(IDC_RESTORE_GEAR), K::kCheckBox, "Gear ratios", 114, 145, 58, 12, kNone},
    {CTL(IDC_RESTORE_SITE), K::kCheckBox, "Site and mount", 176, 145, 70, 12, kNone},
    {CTL(IDC_RESTORE_APPLY), K::kPushButton, "Restore", 206, 170, 50, 14, kNone},
    {CTL(IDC_DLG_CANCEL), K::kPushButton, "Cancel", 264, 170, 50, 14, kNone},
};

const ControlTemplate kCompareResultControls[] = {
    {CTL(IDC_COMPARE_SUMMARY), K::kLabel, "", 6, 6, 308, 10, kNone},
    {CTL(IDC_COMPARE_DIFFERENCES), K::kListView, "", 6, 18, 308, 128, kNone},
    {CTL(IDC_DLG_CANCEL), K::kPushButton, "Close", 264, 152, 50, 14, kNone},
};

const ControlTemplate kRestoreResultControls[] = {
    {CTL(IDC_RESTORE_REPORT), K::kMultiLineText, "", 6, 6, 268, 128, kNone},
    {CTL(IDC_DLG_CANCEL), K::kPushButton, "Close", 224, 140, 50, 14, kNone},
};

const ControlTemplate kHistoryControls[] = {
    {CTL(IDC_HISTORY_LIST), K::kListView, "", 6, 6, 348, 140, kNone},
    {CTL(IDC_HISTORY_RESTORE), K::kPushButton, "Restore...", 6, 152, 56, 14, kNone},
    {CTL(IDC_HISTORY_DELETE), K::kPushButton, "Delete", 66, 152, 56, 14, kNone},
    {CTL(IDC_HISTORY_OPEN_FOLDER), K::kPushButton, "Open folder", 126, 152, 56, 14, kNone},
    {CTL(IDC_HISTORY_AUTOMATIC), K::kCheckBox, "Keep a history automatically", 6, 172, 150, 12,
     kNone},
    {CTL(IDC_HISTORY_STATUS), K::kLabel, "", 6, 186, 290, 10, kNone},
    {CTL(IDC_DLG_CANCEL), K::kPushButton, "Close", 304, 180, 50, 14, kNone},
};

const ListColumnTemplate kDifferenceColumns[] = {
    {"Setting", 120},
    {"Controller", 86},
    {"File", 86},
};

const ListColumnTemplate kHistoryColumns[] = {
    {"When", 80},
    {"Why", 110},
    {"Controller", 86},
    {"Differences", 56},
};

template <typename T, size_t N>
constexpr size_t CountOf(const T (&)[N]) {
    return N;
}

const struct {
    int dialogId;
    int controlId;
    const ListColumnTemplate* columns;
    size_t count;
} kListColumns[] = {
    {IDD_RESTORE_CONFIRM, IDC_RESTORE_DIFFERENCES, kDifferenceColumns, CountOf(kDifferenceColumns)},
    {IDD_COMPARE_RESULT, IDC_COMPARE_DIFFERENCES, kDifferenceColumns, CountOf(kDifferenceColumns)},
    {IDD_SETTINGS_HISTORY, IDC_HISTORY_LIST, kHistoryColumns, CountOf(kHistoryColumns)},
};

const DialogTemplate kDialogs[] = {
    {CTL(IDD_MAIN), "AxisTune " AXISTUNE_CAPTION_VERSION, 45, 45, 456, 296, kMainControls,
     CountOf(kMainControls)},
    {CTL(IDD_GEAR_RATIO), "Set gear ratio", 32, 32, 200, 150, kGearRatioControls,
     CountOf(kGearRatioControls)},
    {CTL(IDD_ADVANCED), "Advanced settings", 32, 32, 240, 190, kAdvancedControls,
     CountOf(kAdvancedControls)},
    {CTL(IDD_INIT_SCOPE), "Initialize telescope", 32, 32, 240, 105, kInitScopeControls,
     CountOf(kInitScopeControls)},
    {CTL(IDD_ABOUT), "AxisTune " AXISTUNE_CAPTION_VERSION, 32, 32, 260, 94, kAboutControls,
     CountOf(kAboutControls)},
    {CTL(IDD_RESTORE_CONFIRM), "Restore settings", 32, 32, 320, 190, kRestoreConfirmControls,
     CountOf(kRestoreConfirmControls)},
    {CTL(IDD_COMPARE_RESULT), "Compare with a file", 32, 32, 320, 172, kCompareResultControls,
     CountOf(kCompareResultControls)},
    {CTL(IDD_RESTORE_RESULT), "Restore settings", 32, 32, 280, 160, kRestoreResultControls,
     CountOf(kRestoreResultControls)},
    {CTL(IDD_SETTINGS_HISTORY), "Settings history", 32, 32, 360, 200, kHistoryControls,
     CountOf(kHistoryControls)},
};

}  // namespace

const DialogTemplate* DialogTemplates(size_t* count) {
    *count = sizeof kDialogs / sizeof kDialogs[0];
    return kDialogs;
}

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& dialog : kDialogs) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
    for (size_t i = 0; i < dialog.controlCount; ++i) {
        if (dialog.controls[i].id == id) {
            return &dialog.controls[i];
        }
    }
    return nullptr;
}

const ListColumnTemplate* ListColumnsOf(int dialogId, int controlId, size_t* count) {
    for (const auto& list : kListColumns) {
        if (list.dialogId == dialogId && list.controlId == controlId) {
            *count = list.count;
            return list.columns;
        }
    }
    *count = 0;
    return nullptr;
}

bool IsTabStop(ControlKind kind) {
    return kind != ControlKind::kLabel && kind != ControlKind::kGroupBox &&
           kind != ControlKind::kEtchedLine;
}

}  // namespace axistune
