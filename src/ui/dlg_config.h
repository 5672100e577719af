#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "app/app_model.h"
#include "app/event_poster.h"
#include "app/telescope_control_dlg_callback.h"
#include "core/advanced_settings.h"
#include "core/i_settings_keeper.h"
#include "core/i_telescope_control.h"
#include "ui/axis_panel.h"
#include "ui/dialog_host.h"
#include "ui/gear_ratios.h"
#include "ui/init_position.h"
#include "ui/port_choices.h"
#include "ui/settings_commands.h"

namespace axistune {

// The main window (template 100). Turns every user action into one engine request, shows what
// the engine reports (status texts, firmware version, the settings record) and opens the
// secondary dialogs. Everything runs on the window thread except PostEvent.
class DlgConfig : public DialogLogic, public TelescopeControlDlgCallback, public EventPoster {
  public:
    // module: where the templates come from; ports: what the port list offers (COM1 to COM256
    // when null). Nothing is owned.
    DlgConfig(DialogRunner& module, iTelescopeControl& engine, AppModel& model,
              PortChoices* ports = nullptr);

    // The settings history and restores behind the window's settings commands; without one (null)
    // the window offers none. Set before Run.
    void SetSettingsKeeper(iSettingsKeeper* keeper);

    // Runs the main window modally; returns 1 once the user has closed it.
    intptr_t Run();

    intptr_t OnInit(DialogHost& host) override;
    intptr_t OnCommand(int id, int code) override;
    intptr_t OnHScroll(int code, int controlId) override;
    intptr_t OnUser(uintptr_t wParam, intptr_t lParam) override;
    intptr_t OnMenuCommand(int id) override;
    intptr_t OnClose() override;
    void OnDestroy() override;

    void OnStatus(int32_t code) override;
    void OnStatusValue(int32_t code, uint32_t value) override;
    void OnSettings(const ControllerSettings& settings, int32_t kind) override;
    void OnVoltage(uint32_t hundredthsOfVolt) override;

    // Any thread: posts WM_USER to the window; reaches nothing while there is no window.
    void PostEvent(uintptr_t wParam, intptr_t lParam) override;

    // The records that the secondary dialogs edit.
    const GearRatios& Gear() const { return gear_; }
    const AdvancedSettings& Advanced() const { return advanced_; }
    const InitPosition& Init() const { return init_; }

  private:
    void Enable(const ControllerSettings& settings);
    void Disable();
    void ShowStatus(int32_t code);
    void ShowFirmware(uint32_t version);
    void ShowGearRatios(const ControllerSettings& settings);
    void FillSettings(const ControllerSettings& settings);
    intptr_t ChangeGearRatio();
    intptr_t ChangeAdvanced();
    intptr_t InitialiseTelescope();

    DialogRunner& module_;
    NumberedComPorts comPorts_;
    PortChoices& ports_;
    iTelescopeControl& engine_;
    AppModel& model_;
    iSettingsKeeper* keeper_ = nullptr;
    std::unique_ptr<SettingsCommands> settingsCommands_;  // with a keeper
    DialogHost* host_ = nullptr;  // written on the window thread under postLock_
    std::mutex postLock_;
    AxisPanel panel_;
    GearRatios gear_{0, 0};
    InitPosition init_{0, 0};
    AdvancedSettings advanced_{};
};

}  // namespace axistune
