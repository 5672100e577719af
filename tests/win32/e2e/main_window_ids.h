// Control ids and texts of AxisTune's windows as the user and the driver see them. Kept here on
// purpose instead of taken from the program's resource header: the tests look at the program
// from outside, so a wrong id in the program shows up as a failure.
#pragma once

#include <array>

namespace e2e {

constexpr char kMainTitle[] = "AxisTune 2.6.";
constexpr char kGearTitle[] = "Set gear ratio";
constexpr char kAdvancedTitle[] = "Advanced settings";
constexpr char kInitTitle[] = "Initialize telescope";

namespace id {
constexpr int kOk = 1;
constexpr int kCancel = 2;

constexpr int kPort = 100;
constexpr int kBaud = 101;
constexpr int kConnect = 102;
constexpr int kDisconnect = 103;
constexpr int kStatus = 104;
constexpr int kFirmware = 105;
constexpr int kStop = 110;
constexpr int kNorth = 111;
constexpr int kSouth = 112;
constexpr int kEast = 113;
constexpr int kWest = 114;
constexpr int kSpeed = 115;
constexpr int kSidereal = 116;
constexpr int kSidereal2x = 117;
constexpr int kTrackOn = 118;
constexpr int kTrackOff = 119;
constexpr int kExpOn = 120;
constexpr int kExpOff = 121;
constexpr int kAdvanced = 123;
constexpr int kInitScope = 124;
constexpr int kDefinePark = 125;
constexpr int kReloadDefaults = 151;
constexpr int kStoreSettings = 152;
constexpr int kAbout = 153;
constexpr int kRaGear = 171;
constexpr int kDecGear = 172;
constexpr int kChangeGear = 180;

// Axis panel, RA; the Dec twin of each is 100 higher.
constexpr int kDec = 100;
constexpr int kReverseRotation = 201;
constexpr int kReverseGuiding = 202;
constexpr int kReverseLimits = 203;
constexpr int kMaxSpeedBar = 210;
constexpr int kMaxSpeed = 211;
constexpr int kAccelBar = 212;
constexpr int kAccel = 213;
constexpr int kDecelBar = 214;
constexpr int kDecel = 215;
constexpr int kMaxCurrent = 220;
constexpr int kIdleCurrent = 230;
constexpr int kTrackCurrent = 231;
constexpr int kRunCurrent = 232;
constexpr int kIdleCurrentBar = 233;
constexpr int kTrackCurrentBar = 234;
constexpr int kRunCurrentBar = 235;
constexpr int kIdleDecayBar = 240;
constexpr int kTrackDecayBar = 241;
constexpr int kRunDecayBar = 242;
constexpr int kOvertoneBar = 250;
constexpr int kOvertone = 251;
constexpr int kIncCurrentBar = 252;
constexpr int kIncCurrent = 253;
constexpr int kGuidingBar = 260;

// Gear-ratio dialog.
constexpr int kGearRa = 100;
constexpr int kGearDec = 101;

// Advanced-settings dialog.
constexpr int kLatitude = 100;
constexpr int kLongitude = 101;
constexpr int kNorthHemisphere = 105;
constexpr int kSouthHemisphere = 106;
constexpr int kGermanMount = 110;
constexpr int kForkMount = 111;
constexpr int kAltAzMount = 112;
constexpr int kHysteresis = 120;
constexpr int kClosedLoop = 130;

// Initialise-telescope dialog.
constexpr int kPosition = 100;
constexpr int kExplanation = 101;
}  // namespace id

// The controls that need a connection, in the order the window switches them.
constexpr std::array<int, 65> kConnectionControls = {
    110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 124, 125, 151, 152, 180,
    201, 202, 203, 210, 211, 212, 213, 214, 215, 220, 230, 231, 232, 233, 234, 235, 240,
    241, 242, 250, 251, 252, 253, 260, 301, 302, 303, 310, 311, 312, 313, 314, 315, 320,
    330, 331, 332, 333, 334, 335, 340, 341, 342, 350, 351, 352, 353, 360};

}  // namespace e2e
