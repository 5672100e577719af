#include "ui/dlg_config.h"

#include "core/firmware_text.h"
#include "core/setting_table.h"
#include "core/status_codes.h"
#include "core/status_texts.h"
#include "text/text.h"
#include "ui/description/resource_ids.h"
#include "ui/dlg_about.h"
#include "ui/dlg_advanced.h"
#include "ui/dlg_gear_ratio.h"
#include "ui/dlg_init_scope.h"

namespace axistune {

namespace {

// Controls that need a connection. "Advanced settings" (123) is switched on its own; the port
// list, the baud box, Connect, Disconnect, About, the status, firmware and gear texts never are.
constexpr int kConnectionControls[] = {
    IDC_STOP,
    IDC_NORTH,
    IDC_SOUTH,
    IDC_EAST,
    IDC_WEST,
    IDC_SPEED,
    IDC_SIDEREAL,
    IDC_SIDEREAL_2X,
    IDC_TRACK_ON,
    IDC_TRACK_OFF,
    IDC_EXP_ON,
    IDC_EXP_OFF,
    IDC_INIT_SCOPE,
    IDC_DEFINE_PARK,
    IDC_RELOAD_DEFAULTS,
    IDC_STORE_SETTINGS,
    IDC_CHANGE_GEAR,
    IDC_RA_REVERSE_ROTATION,
    IDC_RA_REVERSE_GUIDING,
    IDC_RA_REVERSE_LIMITS,
    IDC_RA_MAX_SPEED_BAR,
    IDC_RA_MAX_SPEED,
    IDC_RA_ACCEL_BAR,
    IDC_RA_ACCEL,
    IDC_RA_DECEL_BAR,
    IDC_RA_DECEL,
    IDC_RA_MAX_CURRENT,
    IDC_RA_IDLE_CURRENT,
    IDC_RA_TRACK_CURRENT,
    IDC_RA_RUN_CURRENT,
    IDC_RA_IDLE_CURRENT_BAR,
    IDC_RA_TRACK_CURRENT_BAR,
    IDC_RA_RUN_CURRENT_BAR,
    IDC_RA_IDLE_DECAY_BAR,
    IDC_RA_TRACK_DECAY_BAR,
    IDC_RA_RUN_DECAY_BAR,
    IDC_RA_OVERTONE_BAR,
    IDC_RA_OVERTONE,
    IDC_RA_INC_CURRENT_BAR,
    IDC_RA_INC_CURRENT,
    IDC_RA_GUIDING_BAR,
    IDC_DEC_REVERSE_ROTATION,
    IDC_DEC_REVERSE_GUIDING,
    IDC_DEC_REVERSE_LIMITS,
    IDC_DEC_MAX_SPEED_BAR,
    IDC_DEC_MAX_SPEED,
    IDC_DEC_ACCEL_BAR,
    IDC_DEC_ACCEL,
    IDC_DEC_DECEL_BAR,
    IDC_DEC_DECEL,
    IDC_DEC_MAX_CURRENT,
    IDC_DEC_IDLE_CURRENT,
    IDC_DEC_TRACK_CURRENT,
    IDC_DEC_RUN_CURRENT,
    IDC_DEC_IDLE_CURRENT_BAR,
    IDC_DEC_TRACK_CURRENT_BAR,
    IDC_DEC_RUN_CURRENT_BAR,
    IDC_DEC_IDLE_DECAY_BAR,
    IDC_DEC_TRACK_DECAY_BAR,
    IDC_DEC_RUN_DECAY_BAR,
    IDC_DEC_OVERTONE_BAR,
    IDC_DEC_OVERTONE,
    IDC_DEC_INC_CURRENT_BAR,
    IDC_DEC_INC_CURRENT,
    IDC_DEC_GUIDING_BAR,
};

constexpr int kSpeedSteps = 31;
constexpr int kStartSpeed = 10;
constexpr int kSiderealSpeed = 2;
constexpr int kDoubleSiderealSpeed = 5;
constexpr uint32_t kFastBaud = 115200;
constexpr uint32_t kSlowBaud = 9600;  // DX3
constexpr uint8_t kBothAxes = 4;
constexpr uint8_t kAdvancedProtocolLevel = 4;  // "Advanced settings" needs a level above it

enum Direction : uint8_t { kNorth = 0, kSouth = 1, kWest = 2, kEast = 3 };

// Decimal digits of value, at least `width` characters, blank-padded on the left; returns the
// end of the text written at out (which holds at least 12 characters).
wchar_t* AppendUnsigned(wchar_t* out, uint32_t value, int width, wchar_t pad) {
    wchar_t digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = count; i < width; ++i) {
        *out++ = pad;
    }
    while (count > 0) {
        *out++ = digits[--count];
    }
    *out = L'\0';
    return out;
}

}  // namespace

DlgConfig::DlgConfig(DialogRunner& module, iTelescopeControl& engine, AppModel& model,
                     PortChoices* ports)
    : module_(module),
      ports_(ports != nullptr ? *ports : comPorts_),
      engine_(engine),
      model_(model),
      panel_(engine) {}

void DlgConfig::SetSettingsKeeper(iSettingsKeeper* keeper) {
    keeper_ = keeper;
    settingsCommands_.reset(keeper != nullptr ? new SettingsCommands(*keeper) : nullptr);
}

intptr_t DlgConfig::Run() {
    return module_.RunModal(IDD_MAIN, *this);
}

intptr_t DlgConfig::OnInit(DialogHost& host) {
    {
        std::lock_guard<std::mutex> guard(postLock_);
        host_ = &host;
    }
    panel_.Attach(host);
    if (settingsCommands_) {
        settingsCommands_->Attach(host);
    }

    host.SetButtonBitmap(IDC_NORTH, IDB_ARROW_UP);
    host.SetButtonBitmap(IDC_SOUTH, IDB_ARROW_DOWN);
    host.SetButtonBitmap(IDC_EAST, IDB_ARROW_LEFT);
    host.SetButtonBitmap(IDC_WEST, IDB_ARROW_RIGHT);

    host.TrackbarSetRange(IDC_SPEED, 0, kSpeedSteps);
    host.TrackbarSetPos(IDC_SPEED, kStartSpeed);
    panel_.SetRanges();

    for (const std::wstring& name : ports_.Names()) {
        host.ComboAddString(IDC_PORT, name.c_str());
    }
    host.ComboSetSelection(IDC_PORT, ports_.InitialRow());

    host.CheckItem(IDC_BAUD, true);
    host.CheckItem(IDC_TRACK_ON, false);
    host.CheckItem(IDC_TRACK_OFF, true);
    Disable();
    return 1;
}

intptr_t DlgConfig::OnCommand(int id, int code) {
    if (AxisPanel::IsEdit(id)) {
        return panel_.OnEdit(id, code);
    }
    if (AxisPanel::IsReverseBox(id)) {
        return panel_.OnReverse();
    }
    // Buttons act on whatever they send, in practice the click.
    switch (id) {
        case IDC_CONNECT: {
            const uint8_t port = ports_.PortNumber(*host_, IDC_PORT);
            const uint32_t baud = host_->IsItemChecked(IDC_BAUD) ? kFastBaud : kSlowBaud;
            if (keeper_ != nullptr) {
                keeper_->Connecting(port, baud);
            }
            engine_.Connect(port, baud);
            return 1;
        }
        case IDC_DISCONNECT:
            engine_.Disconnect();
            return 1;
        case IDC_STOP:
            engine_.StopMotion(kBothAxes);
            return 1;
        case IDC_NORTH:
        case IDC_SOUTH:
        case IDC_WEST:
        case IDC_EAST: {
            const uint8_t direction = id == IDC_NORTH   ? kNorth
                                      : id == IDC_SOUTH ? kSouth
                                      : id == IDC_WEST  ? kWest
                                                        : kEast;
            // The speed in effect is the slider's position at the moment of the click.
            const int speed = host_->TrackbarGetPos(IDC_SPEED);
            engine_.MoveManual(direction,
                               static_cast<uint8_t>(static_cast<uint32_t>(speed) & 0xFFu));
            return 1;
        }
        case IDC_SIDEREAL:
            host_->TrackbarSetPos(IDC_SPEED, kSiderealSpeed);
            return 1;
        case IDC_SIDEREAL_2X:
            host_->TrackbarSetPos(IDC_SPEED, kDoubleSiderealSpeed);
            return 1;
        case IDC_TRACK_ON:
            host_->CheckItem(IDC_TRACK_ON, true);
            host_->CheckItem(IDC_TRACK_OFF, false);
            engine_.SetTracking(1);
            return 1;
        case IDC_TRACK_OFF:
            host_->CheckItem(IDC_TRACK_ON, false);
            host_->CheckItem(IDC_TRACK_OFF, true);
            engine_.SetTracking(0);
            return 1;
        case IDC_EXP_ON:
            engine_.SetExp(1);
            return 1;
        case IDC_EXP_OFF:
            engine_.SetExp(0);
            return 1;
        case IDC_ADVANCED:
            return ChangeAdvanced();
        case IDC_INIT_SCOPE:
            return InitialiseTelescope();
        case IDC_DEFINE_PARK:
            engine_.DefinePark();
            return 1;
        case IDC_RELOAD_DEFAULTS:
            engine_.ReloadDefaults();
            return 1;
        case IDC_STORE_SETTINGS:
            engine_.StoreSettings();
            return 1;
        case IDC_ABOUT:
            DlgAbout::Open(*host_);
            return 1;
        case IDC_CHANGE_GEAR:
            return ChangeGearRatio();
        default:
            // Enter and Escape (commands 1 and 2) land here: they do not close the window.
            return 0;
    }
}

intptr_t DlgConfig::ChangeGearRatio() {
    if (DlgGearRatio::Open(*host_, gear_) == 1) {
        // The gear texts change when the engine reports the ratios read back.
        SettingValues ratios{};
        ratios[kRaGearRatio] = gear_.raRatio;
        ratios[kDecGearRatio] = gear_.decRatio;
        SendRequest(BuildRequest(kRaGearRatio, ratios, 0), engine_);
    }
    return 1;
}

intptr_t DlgConfig::ChangeAdvanced() {
    if (DlgAdvanced::Open(*host_, advanced_) != 0 && advanced_.changed != 0) {
        // One request carries every advanced setting, flagged as the dialog found them changed.
        PlannedRequest request = BuildRequest(kLatitude, ReadAdvanced(advanced_),
                                              static_cast<uint8_t>(advanced_.features & 0xFFu));
        request.advanced.changed = advanced_.changed;
        SendRequest(request, engine_);
        return 1;
    }
    return 0;
}

intptr_t DlgConfig::InitialiseTelescope() {
    init_.mountType = advanced_.mountType;
    if (DlgInitScope::Open(*host_, init_) == 1) {
        engine_.InitScope(static_cast<uint8_t>(init_.positionCode & 0xFFu));
        return 1;
    }
    return 0;
}

intptr_t DlgConfig::OnHScroll(int code, int controlId) {
    panel_.OnTrackbar(code, controlId);
    return 1;
}

intptr_t DlgConfig::OnUser(uintptr_t wParam, intptr_t lParam) {
    (void)lParam;
    if (wParam == kEngineEventMessage || wParam == kEngineEventMessage + 1) {
        model_.Deliver(wParam);  // acts on 1000 only
    }
    if (wParam == kRestoreNewsPost && settingsCommands_) {
        settingsCommands_->OnRestoreNews();
    }
    return 1;
}

intptr_t DlgConfig::OnMenuCommand(int id) {
    return settingsCommands_ ? settingsCommands_->OnMenuCommand(id) : 0;
}

intptr_t DlgConfig::OnClose() {
    host_->End(1);
    return 1;
}

void DlgConfig::OnDestroy() {
    panel_.Detach();
    if (settingsCommands_) {
        settingsCommands_->Detach();
    }
    std::lock_guard<std::mutex> guard(postLock_);
    host_ = nullptr;
}

void DlgConfig::PostEvent(uintptr_t wParam, intptr_t lParam) {
    // The lock only keeps the window from going away between the test and the post; posting
    // never waits for the window thread.
    std::lock_guard<std::mutex> guard(postLock_);
    if (host_ != nullptr) {
        host_->Post(wParam, lParam);
    }
}

void DlgConfig::Enable(const ControllerSettings& settings) {
    for (int id : kConnectionControls) {
        if (id != IDC_RA_REVERSE_LIMITS && id != IDC_DEC_REVERSE_LIMITS) {
            host_->EnableItem(id, true);
        }
    }
    // What is not enabled here keeps the state it had.
    if (settings.protocolLevel > kAdvancedProtocolLevel) {
        host_->EnableItem(IDC_ADVANCED, true);
    }
    // Reversing the limit switches of an axis without them is not offered.
    const SettingValues record = ReadSettings(settings);
    if (Writable(Setting(kRaReverseLimits), record)) {
        host_->EnableItem(IDC_RA_REVERSE_LIMITS, true);
    }
    if (Writable(Setting(kDecReverseLimits), record)) {
        host_->EnableItem(IDC_DEC_REVERSE_LIMITS, true);
    }
    if (settingsCommands_) {
        settingsCommands_->SetConnected(true);
    }
}

void DlgConfig::Disable() {
    for (int id : kConnectionControls) {
        host_->EnableItem(id, false);
    }
    host_->EnableItem(IDC_ADVANCED, false);
    if (settingsCommands_) {
        settingsCommands_->SetConnected(false);
    }
}

void DlgConfig::ShowStatus(int32_t code) {
    const uint16_t status = static_cast<uint16_t>(static_cast<uint32_t>(code) & 0xFFFFu);
    const wchar_t* text = StatusText(status);
    if (text == nullptr) {
        return;  // unknown codes change nothing at all
    }
    if (status == kStatusConnectionEstablished) {
        Enable(ControllerSettings{});
    } else if (status == kStatusConnectionClosed) {
        Disable();
    }
    if (status == kStatusCannotOpenPort) {
        const std::string reason = ports_.OpenFailureText();
        if (!reason.empty()) {
            host_->SetItemTextA(IDC_STATUS, reason.c_str());
            return;
        }
    }
    host_->SetItemText(IDC_STATUS, text);
}

void DlgConfig::ShowFirmware(uint32_t version) {
    char text[kFirmwareTextSize];
    FormatFirmwareText(version, text);
    host_->SetItemTextA(IDC_FIRMWARE, text);
}

void DlgConfig::ShowGearRatios(const ControllerSettings& settings) {
    host_->SetItemInt(IDC_RA_GEAR, settings.raGearRatio, false);
    host_->SetItemInt(IDC_DEC_GEAR, settings.decGearRatio, false);
    gear_.raRatio = settings.raGearRatio;
    gear_.decRatio = settings.decGearRatio;
}

void DlgConfig::OnStatus(int32_t code) {
    if (host_ != nullptr) {
        ShowStatus(code);
    }
}

void DlgConfig::OnStatusValue(int32_t code, uint32_t value) {
    if (host_ != nullptr) {
        ShowStatus(code);
        ShowFirmware(value);
    }
}

void DlgConfig::OnSettings(const ControllerSettings& settings, int32_t kind) {
    if (host_ == nullptr) {
        return;
    }
    switch (kind) {
        case kSettingsConnected:
            host_->SetItemText(IDC_STATUS, StatusText(kStatusConnectionEstablished));
            FillSettings(settings);
            break;
        case kSettingsReloaded:
            host_->SetItemText(IDC_STATUS, StatusText(kStatusDefaultsReloaded));
            FillSettings(settings);
            break;
        case kSettingsOldController:
            // Refused: show why and the version, and enable nothing.
            host_->SetItemText(IDC_STATUS, StatusText(kStatusFirmwareTooOld));
            ShowFirmware(settings.firmwareVersion);
            break;
        case kSettingsGearReread:
            ShowGearRatios(settings);
            break;
        default:
            FillSettings(settings);
            break;
    }
}

void DlgConfig::FillSettings(const ControllerSettings& settings) {
    panel_.StoreMaxCurrents(settings);
    ShowFirmware(settings.firmwareVersion);
    ShowGearRatios(settings);
    host_->EnableItem(IDC_CHANGE_GEAR, true);
    panel_.Fill(settings);
    advanced_.features = settings.features;
    advanced_.mountType = settings.mountType;
    advanced_.latitude = settings.latitude;
    advanced_.longitude = settings.longitude;
    advanced_.hemisphere = settings.hemisphere;
    advanced_.closedLoopDefault = settings.closedLoopDefault;
    advanced_.flipHysteresis = settings.flipHysteresis;
    Enable(settings);
}

void DlgConfig::OnVoltage(uint32_t hundredthsOfVolt) {
    if (host_ == nullptr) {
        return;
    }
    // "%2d.%02dV"; template 100 has no control 107, so the text goes nowhere.
    wchar_t text[32];
    wchar_t* end = AppendUnsigned(text, hundredthsOfVolt / 100, 2, L' ');
    *end++ = L'.';
    end = AppendUnsigned(end, hundredthsOfVolt % 100, 2, L'0');
    *end++ = L'V';
    *end = L'\0';
    host_->SetItemText(IDC_VOLTAGE, text);
}

}  // namespace axistune
