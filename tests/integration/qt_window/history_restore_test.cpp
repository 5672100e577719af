// The Linux program, offscreen: a change that Reload defaults wiped comes back from the settings
// history (against the simulated controller), and the night mode it was left in is kept.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "app/night_mode_choice.h"
#include "front_end.h"
#include "sim/commands.h"
#include "sim/pty_server.h"
#include "ui/description/resource_ids.h"
#include "ui/qt/night_mode.h"
#include "ui/qt/qt_dialog.h"
#include "ui/settings_commands.h"

using namespace axistune;

namespace {

constexpr int kBoundMs = 60000;

// Works the dialogs as they open, each step started by what the program shows.
class User {
  public:
    User(dxsim::PtyServer& sim, const QString& history) : sim_(sim), history_(history) {
        watcher_.addPath(history);
        QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, [this] { Proceed(); });
    }

    void Opened(QtDialog& dialog) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { Act(dialog); });
    }
    void GiveUp(const std::string& why = "no progress") {
        failure_ = why + " at step " + std::to_string(step_);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            window->close();
        }
    }
    const std::string& Failure() const { return failure_; }
    const QString& Report() const { return report_; }

  private:
    enum Step { kConnecting, kReloading, kReloaded, kRestoring, kDone };

    void Act(QtDialog& dialog) {
        switch (dialog.TemplateId()) {
            case IDD_MAIN:
                main_ = &dialog;
                QObject::connect(static_cast<QLineEdit*>(dialog.Control(IDC_STATUS)),
                                 &QLineEdit::textChanged, [this] {
                                     // After the rest of the report: the status comes first.
                                     QTimer::singleShot(0, main_, [this] { Proceed(); });
                                 });
                static_cast<QComboBox*>(dialog.Control(IDC_PORT))
                    ->setEditText(QString::fromStdString(sim_.LinkPath()));
                static_cast<QCheckBox*>(dialog.Control(IDC_BAUD))->setChecked(true);
                Click(dialog, IDC_CONNECT);
                break;
            case IDD_SETTINGS_HISTORY: {
                auto* list = static_cast<QTreeWidget*>(dialog.Control(IDC_HISTORY_LIST));
                const auto rows = list->findItems("Before reload", Qt::MatchExactly, 1);
                if (rows.isEmpty()) {
                    return GiveUp("no entry before the reload");
                }
                list->setCurrentItem(rows.first());
                Click(dialog, IDC_HISTORY_RESTORE);
                break;
            }
            case IDD_RESTORE_CONFIRM:
                step_ = kRestoring;
                Click(dialog, IDC_RESTORE_APPLY);
                break;
            case IDD_RESTORE_RESULT:
                step_ = kDone;
                report_ = dialog.Text(IDC_RESTORE_REPORT);
                Click(dialog, IDC_DLG_CANCEL);
                main_->close();
                break;
        }
    }

    void Proceed() {
        const QString status = main_->Text(IDC_STATUS);
        if (step_ == kConnecting && status == "Connection established.") {
            step_ = kReloading;
            auto* maxSpeed = static_cast<QLineEdit*>(main_->Control(IDC_RA_MAX_SPEED));
            maxSpeed->setText("900");
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(maxSpeed, &enter);
            if (!sim_.WaitForFrames(dxsim::cmd::kSetMaxSpeed, 1, kBoundMs)) {
                return GiveUp("no max speed sent");
            }
            Click(*main_, IDC_RELOAD_DEFAULTS);
        } else if (step_ == kReloading && status.startsWith("Default settings reloaded")) {
            step_ = kReloaded;
        }
        // The entry is written off the window thread: the history opens once it is there.
        const QStringList entries = QDir(history_).entryList({"*-before-reload-*.json"});
        if (step_ == kReloaded && !entries.isEmpty()) {
            step_ = kRestoring;
            for (QAction* action : main_->actions()) {
                if (action->data().toInt() == SettingsCommands::kHistory) {
                    action->trigger();
                }
            }
        }
    }

    static void Click(QtDialog& dialog, int id) {
        static_cast<QPushButton*>(dialog.Control(id))->click();
    }

    dxsim::PtyServer& sim_;
    const QString history_;
    QFileSystemWatcher watcher_;
    QtDialog* main_ = nullptr;
    int step_ = kConnecting;
    std::string failure_;
    QString report_;
};

TEST(LinuxWindow, AChangeWipedByReloadDefaultsComesBackFromTheHistory) {
    const std::string scratch = "/tmp/axistune-qt-window-" + std::to_string(::getpid());
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch + "/state/axistune/snapshots");
    ::setenv("XDG_STATE_HOME", (scratch + "/state").c_str(), 1);
    dxsim::ServerOptions options;
    options.linkPath = scratch + "/line";
    dxsim::PtyServer sim(options);
    ASSERT_TRUE(sim.Start());
    const int wiped = sim.GetSettings().ra.maxSpeed;
    ASSERT_NE(wiped, 900);
    const dxsim::Settings stored = sim.GetStoredSettings();

    int argc = 1;
    char name[] = "axistune";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    User user(sim, QString::fromStdString(scratch + "/state/axistune/snapshots"));
    QTimer::singleShot(kBoundMs, [&user] { user.GiveUp(); });
    EXPECT_EQ(RunLinuxProgram(application, [&user](QtDialog& dialog) { user.Opened(dialog); }), 0);

    EXPECT_EQ(user.Failure(), "");
    EXPECT_FALSE(user.Report().isEmpty());
    EXPECT_EQ(int{sim.GetSettings().ra.maxSpeed}, 900) << user.Report().toStdString();
    EXPECT_EQ(sim.GetStoredSettings(), stored) << "a restore never stores";
    // The restore's reconnects add no entries: its own keeps the settings before it.
    EXPECT_EQ(QDir(QString::fromStdString(scratch + "/state/axistune/snapshots"))
                  .entryList({"*-connected-*"})
                  .size(),
              1);
}

TEST(LinuxWindow, OpensInTheNightModeItWasLeftIn) {
    const std::string scratch = "/tmp/axistune-qt-night-" + std::to_string(::getpid());
    ::setenv("XDG_CONFIG_HOME", (scratch + "/config").c_str(), 1);
    std::string error;
    ASSERT_TRUE(WriteNightModeChoice(NightModeChoicePath(), true, &error)) << error;
    int argc = 1;
    char name[] = "axistune";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    // Each run opens in what the one before left, then Ctrl+N switches it and the window closes.
    bool openedOn = false;
    const auto switchAndClose = [&openedOn](QtDialog& dialog) {
        openedOn = dialog.palette().color(QPalette::Window) ==
                   NightMode::Palette().color(QPalette::Window);
        QTimer::singleShot(0, &dialog, [&dialog] {
            QKeyEvent key(QEvent::KeyPress, NightMode::kKey, NightMode::kModifier);
            QApplication::sendEvent(&dialog, &key);
            dialog.close();
        });
    };
    for (const bool on : {true, false}) {
        EXPECT_EQ(RunLinuxProgram(application, switchAndClose), 0);
        EXPECT_EQ(openedOn, on);
        EXPECT_EQ(ReadNightModeChoice(NightModeChoicePath()), !on);
    }
    std::filesystem::remove_all(scratch);
}

}  // namespace
