#pragma once

#include <cstdint>

namespace axistune {

// Status codes reported through TelescopeListener::OnStatus; the window turns them into text.
enum StatusCode : int32_t {
    kStatusNotConnected = 0,
    kStatusOpeningPort = 1,
    kStatusConnecting = 2,
    kStatusConnectionEstablished = 3,
    kStatusConnectionClosed = 4,
    kStatusDefaultsReloaded = 5,
    kStatusCannotOpenPort = 6,
    kStatusTimeout = 7,
    kStatusUnknownDevice = 8,
    kStatusIncompatibleDevice = 9,
    kStatusCommunicationError = 10,
    kStatusAlreadyConnected = 11,
    kStatusNotConnectedYet = 12,
    kStatusFirmwareTooOld = 13,
    kStatusNoParkingOnDx3 = 14,
    kStatusReady = 15,
    kStatusFastMovement = 16,
    kStatusSlowMovement = 17,
    kStatusManualMovement = 18,
    kStatusPositioning = 19,
    kStatusSynchronized = 20,
    kStatusParkDefined = 21,
    kStatusParametersStored = 22,
    kStatusDefaultsReloadedDots = 23,
    kStatusSettingsDone = 24,
};

// OnSettings kinds.
enum SettingsKind : int32_t {
    kSettingsConnected = 1,
    kSettingsReloaded = 2,
    kSettingsOldController = 3,
    kSettingsGearReread = 4,
};

}  // namespace axistune
