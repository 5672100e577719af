#include "front_end.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/night_mode_choice.h"
#include "app/session.h"
#include "app/settings_keeper.h"
#include "core/port_catalogue.h"
#include "core/status_codes.h"
#include "core/status_texts.h"
#include "platform/serial_port.h"
#include "platform/serial_port_list.h"
#include "ui/description/resource_ids.h"
#include "ui/dlg_config.h"
#include "ui/port_choices.h"
#include "ui/qt/night_mode.h"
#include "ui/qt/qt_dialog_module.h"

namespace axistune {

namespace {

constexpr int kStartFailed = 1;

void ShowStartError(const QString& text) {
    QMessageBox::critical(nullptr, QStringLiteral("AxisTune"), text);
}

std::vector<std::string> PresentPortNames() {
    std::vector<std::string> names;
    for (const SerialPortEntry& entry : ListSerialPorts()) {
        names.push_back(entry.name);
    }
    return names;
}

// The standard text, then why the device did not open and how to mend it.
std::string OpenFailureStatus(const PortOpenReport& report) {
    std::string status = StatusTextUtf8(kStatusCannotOpenPort);
    if (report.result.failure != OpenFailure::kNone) {
        status += " " + DescribeOpenFailure(report.device, report.result) + ".";
    }
    return status;
}

// Keeps each switch in the user's choice file. A choice that cannot be kept is said once, on
// stderr and in a message box in the mode just chosen, opened rather than run so that the key
// that switched returns at once; no warning icon, whose yellow would dazzle at night. The
// window goes on in the mode chosen.
NightMode::SwitchReport KeepNightModeChoice(const std::string& path) {
    return [keeper = NightModeChoiceKeeper(path)](bool on) mutable {
        const std::string message = keeper.Keep(on);
        if (message.empty()) {
            return;
        }
        std::fprintf(stderr, "axistune: %s\n", message.c_str());
        auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("AxisTune"),
                                    QString::fromStdString(message), QMessageBox::Ok,
                                    QApplication::activeWindow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
}

}  // namespace

int RunLinuxProgram(QApplication& application,
                    const std::function<void(QtDialog& dialog)>& whenOpened,
                    NightModeMemory nightMode) {
    // Every setting lives in the controller; the settings history keeps copies under
    // $XDG_STATE_HOME/axistune/snapshots, and the night-mode choice is the user's own
    // ($XDG_CONFIG_HOME/axistune/night-mode.conf).
    PortCatalogue catalogue;
    // Outlives the session: the engine's worker reports to it until the session has stopped.
    auto keeper = std::make_unique<SettingsKeeper>(DefaultSnapshotFolder(), &catalogue);
    Session session(&catalogue);
    session.Watch(*keeper, *keeper);
    if (const char* failure = session.Start()) {
        ShowStartError(QString::fromUtf8(failure));
        return kStartFailed;
    }

    TelescopeControl& engine = session.Engine();
    ListedPorts ports(PresentPortNames, catalogue,
                      [&engine] { return OpenFailureStatus(engine.LastOpenFailure()); });
    QtDialogModule module;
    module.ReloadRowsOnOpening(IDD_MAIN, IDC_PORT, [&ports] { return ports.Names(); });
    if (whenOpened) {
        module.WhenOpened(whenOpened);
    }
    // Before the window shows, so that it opens in the mode it was left in.
    const bool remember = nightMode == NightModeMemory::kUsersChoice;
    const std::string choice = remember ? NightModeChoicePath() : std::string();
    NightMode night(application, remember && ReadNightModeChoice(choice),
                    remember ? KeepNightModeChoice(choice) : NightMode::SwitchReport());

    DlgConfig& dialog =
        session.ConnectWindow(std::make_unique<DlgConfig>(module, engine, session.Model(), &ports));
    keeper->Attach(session.Client(), &dialog);
    dialog.SetSettingsKeeper(keeper.get());

    const bool shown = dialog.Run() != -1;
    if (!shown) {
        ShowStartError(QStringLiteral("The main window could not be created."));
    }

    keeper->Stop();  // before the session frees the window it wakes
    if (!session.Stop()) {
        static_cast<void>(keeper.release());  // a worker that did not end may still report to it
    }
    return shown ? 0 : kStartFailed;
}

}  // namespace axistune
