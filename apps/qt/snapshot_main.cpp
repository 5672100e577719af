// The quick start's headless driver: runs the Linux program, types the device into the port
// box, presses Connect, waits for the expected status, saves a screenshot of the main window
// (optionally in night mode, whatever the user's own choice) and closes the window. With --history
// it opens the settings history through its command instead and saves that dialog.
//
//   axistune_qt_snapshot --port PATH --out FILE.png [--baud 9600|115200] [--expect TEXT]
//                        [--night] [--history] [--timeout-ms N]
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "front_end.h"
#include "ui/description/resource_ids.h"
#include "ui/qt/night_mode.h"
#include "ui/qt/qt_dialog.h"
#include "ui/settings_commands.h"

namespace {

constexpr int kUsage = 2;
constexpr int kNotAsExpected = 3;
constexpr int kPollMs = 100;
constexpr int kSettleMs = 600;  // the settings fill the window right after the status

struct Options {
    std::string port;
    std::string out;
    std::string expect = "Connection established.";
    bool fastBaud = true;
    bool night = false;
    bool history = false;
    int timeoutMs = 20000;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--night") {
            options.night = true;
        } else if (arg == "--history") {
            options.history = true;
        } else if (arg == "--port" && hasValue) {
            options.port = argv[++i];
        } else if (arg == "--out" && hasValue) {
            options.out = argv[++i];
        } else if (arg == "--expect" && hasValue) {
            options.expect = argv[++i];
        } else if (arg == "--baud" && hasValue) {
            const std::string baud = argv[++i];
            if (baud != "9600" && baud != "115200") {
                return false;
            }
            options.fastBaud = baud == "115200";
        } else if (arg == "--timeout-ms" && hasValue) {
            options.timeoutMs = std::atoi(argv[++i]);
            if (options.timeoutMs <= 0) {
                return false;
            }
        } else {
            return false;
        }
    }
    return !options.port.empty() && !options.out.empty();
}

class Driver {
  public:
    explicit Driver(const Options& options) : options_(options) {}

    void Start(axistune::QtDialog& dialog) {
        if (dialog.TemplateId() == IDD_SETTINGS_HISTORY) {
            // After the dialog has filled its list and laid itself out.
            QTimer::singleShot(kSettleMs, &dialog, [this, &dialog] { SaveHistory(dialog); });
            return;
        }
        if (dialog.TemplateId() != IDD_MAIN) {
            return;  // no other secondary dialog is opened by this driver
        }
        dialog_ = &dialog;
        static_cast<QComboBox*>(dialog.Control(IDC_PORT))
            ->setEditText(QString::fromStdString(options_.port));
        static_cast<QCheckBox*>(dialog.Control(IDC_BAUD))->setChecked(options_.fastBaud);
        static_cast<QPushButton*>(dialog.Control(IDC_CONNECT))->click();
        QTimer::singleShot(kPollMs, [this] { Poll(); });
    }

    int Result() const { return result_; }

  private:
    QString Status() const { return static_cast<QLineEdit*>(dialog_->Control(IDC_STATUS))->text(); }

    void Poll() {
        waitedMs_ += kPollMs;
        if (Status() == QString::fromStdString(options_.expect)) {
            QTimer::singleShot(kSettleMs, [this] { Finish(true); });
        } else if (waitedMs_ >= options_.timeoutMs) {
            Finish(false);
        } else {
            QTimer::singleShot(kPollMs, [this] { Poll(); });
        }
    }

    // Opens the history through its command; the window is closed once it is saved.
    void OpenHistory() {
        for (QAction* action : dialog_->actions()) {
            if (action->data().toInt() == axistune::SettingsCommands::kHistory) {
                action->trigger();
                return;
            }
        }
        std::fprintf(stderr, "the window offers no settings history\n");
        dialog_->close();
    }

    void SaveHistory(axistune::QtDialog& history) {
        result_ = Save(history) ? 0 : kNotAsExpected;
        history.close();
        dialog_->close();
    }

    bool Save(QWidget& window) const {
        if (window.grab().save(QString::fromStdString(options_.out))) {
            std::printf("screenshot: %s\n", options_.out.c_str());
            std::fflush(stdout);
            return true;
        }
        std::fprintf(stderr, "cannot write %s\n", options_.out.c_str());
        return false;
    }

    void Finish(bool asExpected) {
        if (asExpected && options_.history) {
            // Later: the command runs the history modally.
            QTimer::singleShot(0, dialog_, [this] { OpenHistory(); });
            return;
        }
        if (options_.night) {
            // Through the key, as a user switches it.
            QKeyEvent press(QEvent::KeyPress, axistune::NightMode::kKey,
                            axistune::NightMode::kModifier);
            QApplication::sendEvent(dialog_, &press);
        }
        QApplication::processEvents();
        std::printf("status:   %s\n", Status().toUtf8().constData());
        std::printf(
            "firmware: %s\n",
            static_cast<QLineEdit*>(dialog_->Control(IDC_FIRMWARE))->text().toUtf8().constData());
        asExpected = Save(*dialog_) && asExpected;
        std::fflush(stdout);
        result_ = asExpected ? 0 : kNotAsExpected;
        dialog_->close();  // the close box
    }

    const Options& options_;
    axistune::QtDialog* dialog_ = nullptr;
    int waitedMs_ = 0;
    int result_ = kNotAsExpected;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: axistune_qt_snapshot --port PATH --out FILE.png [--baud 9600|115200] "
                     "[--expect TEXT] [--night] [--history] [--timeout-ms N]\n");
        return kUsage;
    }
    QApplication application(argc, argv);
    Driver driver(options);
    const int exitCode = axistune::RunLinuxProgram(
        application, [&driver](axistune::QtDialog& dialog) { driver.Start(dialog); },
        axistune::NightModeMemory::kNone);
    return exitCode != 0 ? exitCode : driver.Result();
}
