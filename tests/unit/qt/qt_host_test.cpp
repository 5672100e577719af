// What only the Qt host does: keyboard trackbar moves, Return in an edit, the port list that
// takes typed names and is read again on opening, night mode, the arrows and the layout.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <string>
#include <vector>

#include "core/port_catalogue.h"
#include "support/host_conformance.h"
#include "ui/description/dialog_templates.h"
#include "ui/description/resource_ids.h"
#include "ui/port_choices.h"
#include "ui/qt/arrow_image.h"
#include "ui/qt/night_mode.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_module.h"

namespace axistune {

namespace {

// One dialog, shown and active, without a modal loop.
class OpenDialog {
  public:
    OpenDialog(QtDialogModule& module, int templateId, DialogLogic& logic)
        : dialog_(module, *FindDialogTemplate(templateId), logic, nullptr) {
        dialog_.Open();
        if (!dialog_.isActiveWindow()) {
            QApplication::setActiveWindow(&dialog_);
        }
    }
    ~OpenDialog() { dialog_.Finish(); }
    QtDialog* operator->() { return &dialog_; }
    QtDialog& operator*() { return dialog_; }

  private:
    QtDialog dialog_;
};

TEST(QtHost, KeysAndPageMovesEndTheTrack) {
    // The code names the direction of the move; for the page keys that is Qt's.
    const struct {
        Qt::Key key;
        int code;
        int position;
    } cases[] = {
        {Qt::Key_Right, 1, 11},    {Qt::Key_Left, 0, 10}, {Qt::Key_PageUp, 3, 16},
        {Qt::Key_PageDown, 2, 10}, {Qt::Key_End, 7, 31},  {Qt::Key_Home, 6, 0},
    };
    QtDialogModule module;
    ProbeLogic probe;
    OpenDialog dialog(module, IDD_MAIN, probe);
    dialog->TrackbarSetRange(IDC_SPEED, 0, 31);
    dialog->TrackbarSetPos(IDC_SPEED, 10);
    QWidget* slider = dialog->Control(IDC_SPEED);
    slider->setFocus();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        probe.log.clear();
        QTest::keyClick(slider, c.key);
        EXPECT_EQ(probe.log, (ProbeLog{"scroll 115 " + std::to_string(c.code), "scroll 115 8"}));
        EXPECT_EQ(dialog->TrackbarGetPos(IDC_SPEED), c.position);
    }
    probe.log.clear();
    dialog->TrackbarSetPos(IDC_SPEED, 3);  // the program's moves report nothing
    EXPECT_TRUE(probe.log.empty());
}

TEST(QtHost, ReturnCommitsAnEntryOnceThenIsOk) {
    QtDialogModule module;
    ProbeLogic probe;
    OpenDialog dialog(module, IDD_GEAR_RATIO, probe);
    auto* edit = static_cast<QLineEdit*>(dialog->Control(IDC_GEAR_RA));
    edit->setFocus();
    probe.log.clear();
    QTest::keyClicks(edit, "12");
    EXPECT_EQ(probe.log, (ProbeLog{"command 100 768", "command 100 768"}));  // nothing acts
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(probe.log,
              (ProbeLog{"command 100 768", "command 100 768", "command 100 512", "command 1 0"}));
    probe.log.clear();
    dialog->Control(IDC_GEAR_DEC)->setFocus();  // leaving repeats nothing...
    EXPECT_EQ(probe.log, (ProbeLog{"command 101 256"}));
    edit->setFocus();
    QTest::keyClicks(edit, "3");
    probe.log.clear();
    dialog->Control(IDC_GEAR_DEC)->setFocus();  // ...unless more was typed
    EXPECT_EQ(probe.log, (ProbeLog{"command 100 512", "command 101 256"}));
    EXPECT_EQ(dialog->GetItemInt(IDC_GEAR_RA, false), 123u);
}

TEST(QtHost, PortListTakesTypedNamesAndIsReadAgainOnOpening) {
    std::vector<std::string> present{"/dev/serial/by-id/usb-FTDI_A1-if00-port0"};
    PortCatalogue catalogue;
    ListedPorts ports([&] { return present; }, catalogue);
    QtDialogModule module;
    module.ReloadRowsOnOpening(IDD_MAIN, IDC_PORT, [&] { return ports.Names(); });
    ProbeLogic probe;
    OpenDialog dialog(module, IDD_MAIN, probe);
    auto* combo = static_cast<QComboBox*>(dialog->Control(IDC_PORT));
    ASSERT_TRUE(combo->isEditable());

    for (const std::wstring& name : ports.Names()) {
        dialog->ComboAddString(IDC_PORT, name.c_str());
    }
    dialog->ComboSetSelection(IDC_PORT, 0);
    EXPECT_EQ(ports.PortNumber(*dialog, IDC_PORT), ListedPorts::kChosenPort);
    EXPECT_EQ(catalogue.Name(ListedPorts::kChosenPort), present[0]);

    combo->setEditText(QStringLiteral("  tcp://bridge:4000 "));
    EXPECT_EQ(ports.PortNumber(*dialog, IDC_PORT), ListedPorts::kChosenPort);
    EXPECT_EQ(catalogue.Name(ListedPorts::kChosenPort), "tcp://bridge:4000");

    // An adapter plugged in later shows up when the list opens; the typed name stays.
    present.push_back("/dev/ttyACM0");
    combo->showPopup();
    combo->hidePopup();
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("  tcp://bridge:4000 "));

    combo->setEditText(QStringLiteral(" "));
    EXPECT_EQ(ports.PortNumber(*dialog, IDC_PORT), 0);  // nothing chosen opens nothing
    EXPECT_EQ(catalogue.Name(ListedPorts::kChosenPort), "");
}

bool IsRedOnly(const QColor& colour) {
    return colour.green() <= colour.red() / 3 && colour.blue() <= colour.red() / 3;
}

TEST(QtHost, NightModeKeyTurnsEveryColourRedOrBlackAndBack) {
    QtDialogModule module;
    NightMode night(*qApp);
    const QPalette day = QApplication::palette();
    ProbeLogic probe;
    OpenDialog dialog(module, IDD_MAIN, probe);
    QTest::keyClick(dialog->Control(IDC_CONNECT), NightMode::kKey, NightMode::kModifier);
    ASSERT_TRUE(night.On());
    QCoreApplication::processEvents();  // palette changes reach the widgets through the loop
    const QPalette palette = dialog->Control(IDC_STATUS)->palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const QColor colour = palette.color(static_cast<QPalette::ColorGroup>(group),
                                                static_cast<QPalette::ColorRole>(role));
            SCOPED_TRACE(std::to_string(group) + " " + std::to_string(role));
            EXPECT_TRUE(IsRedOnly(colour)) << colour.name().toStdString();
        }
    }
    EXPECT_TRUE(probe.log == ProbeLog{"init"});  // the key reaches no control
    QTest::keyClick(dialog->Control(IDC_CONNECT), NightMode::kKey, NightMode::kModifier);
    EXPECT_FALSE(night.On());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), day.color(QPalette::Window));
}

// An empty box as painted: read-only ones on the window's background, in either palette.
TEST(QtHost, ReadOnlyEditsShowTheWindowBackgroundInEitherPalette) {
    QtDialogModule module;
    NightMode night(*qApp);
    ProbeLogic probes[3];
    OpenDialog main(module, IDD_MAIN, probes[0]), gear(module, IDD_GEAR_RATIO, probes[1]),
        report(module, IDD_RESTORE_RESULT, probes[2]);
    const struct {
        QtDialog& dialog;
        int control;
        bool readOnly;
    } cases[] = {{*main, IDC_STATUS, true},        {*main, IDC_FIRMWARE, true},
                 {*main, IDC_RA_GEAR, true},       {*main, IDC_DEC_GEAR, true},
                 {*main, IDC_RA_MAX_SPEED, false}, {*gear, IDC_GEAR_RA, false},
                 {*gear, IDC_GEAR_DEC, false},     {*report, IDC_RESTORE_REPORT, true}};
    for (const bool on : {false, true, false}) {
        night.Switch(on);
        QCoreApplication::processEvents();
        for (const auto& c : cases) {
            QWidget* edit = c.dialog.Control(c.control);
            const QColor shown = edit->grab().toImage().pixelColor(edit->rect().center());
            SCOPED_TRACE(std::string(on ? "night " : "day ") + std::to_string(c.control));
            EXPECT_EQ(shown == c.dialog.palette().color(QPalette::Window), c.readOnly)
                << shown.name().toStdString();
        }
    }
}

TEST(QtHost, ArrowsStaySharpAtAnyPixelRatio) {
    for (const double ratio : {1.0, 1.5, 2.0}) {
        const QImage image = LoadArrow(IDB_ARROW_UP)
                                 .Render(Qt::red, 1.0, ratio)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        const int factor = static_cast<int>(ratio + 0.5);
        ASSERT_EQ(image.width(), 16 * factor);
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                // Only the colour or nothing: no blended edge pixels.
                ASSERT_TRUE(qAlpha(pixel) == 0 || pixel == QColor(Qt::red).rgba());
                drawn += qAlpha(pixel) != 0 ? 1 : 0;
            }
        }
        EXPECT_GT(drawn, 0);
    }
    EXPECT_TRUE(LoadArrow(4242).IsNull());
}

TEST(QtHost, EveryOneLineTextFitsAndStaysInsideItsDialog) {
    QtDialogModule module;
    size_t count = 0;
    const DialogTemplate* templates = DialogTemplates(&count);
    for (size_t t = 0; t < count; ++t) {
        ProbeLogic probe;
        OpenDialog dialog(module, templates[t].id, probe);
        for (size_t c = 0; c < templates[t].controlCount; ++c) {
            const ControlTemplate& control = templates[t].controls[c];
            QWidget* widget = dialog->Control(control.id);
            SCOPED_TRACE(std::string(templates[t].symbol) + " " + control.symbol);
            EXPECT_TRUE(dialog->rect().contains(widget->geometry()));
            const int text =
                widget->fontMetrics().horizontalAdvance(QString::fromLatin1(control.text));
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                if (widget->height() < 2 * widget->fontMetrics().height()) {
                    EXPECT_LE(text, label->width());
                }
            } else if (qobject_cast<QCheckBox*>(widget) != nullptr ||
                       qobject_cast<QPushButton*>(widget) != nullptr) {
                EXPECT_LE(text, widget->width());
            }
        }
    }
}

}  // namespace

}  // namespace axistune

namespace axistune {

namespace {

// The commands' menu opens on the background and on controls without a menu of their own; an
// edit keeps its own. Runs step on whichever menu a right click on target opens.
void RightClick(QWidget* target, const std::function<void(QMenu*)>& step) {
    // Ours runs a loop of its own (exec), an edit's only pops up (popup): the step runs in the
    // one, or right after the other.
    QMetaObject::invokeMethod(
        qApp, [step] { step(qobject_cast<QMenu*>(QApplication::activePopupWidget())); },
        Qt::QueuedConnection);
    const QPoint at = target->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    QCoreApplication::sendPostedEvents(qApp, QEvent::MetaCall);
}

TEST(QtHost, CommandsMenuLeavesEditsTheirOwn) {
    QtDialogModule module;
    ProbeLogic probe;
    OpenDialog open(module, IDD_MAIN, probe);
    const MenuCommand backUp = {0x0100, L"Back up settings...", 'B', true};
    ASSERT_TRUE(probe.host->SetMenuCommands(&backUp, 1));
    const struct {
        int id;
        bool ours;
    } targets[] = {{IDC_STOP, true}, {IDC_SPEED, true}, {IDC_RA_MAX_SPEED, false}};
    for (const auto& target : targets) {
        bool shown = false;
        bool ours = false;
        RightClick(open->Control(target.id), [&](QMenu* menu) {
            shown = menu != nullptr;
            for (QAction* action : shown ? menu->actions() : QList<QAction*>()) {
                ours = ours || action->text() == "Back up settings...";
            }
            if (menu != nullptr) {
                menu->close();
            }
        });
        EXPECT_TRUE(shown) << target.id;
        EXPECT_EQ(ours, target.ours) << target.id;
    }
}

TEST(QtHost, OpensExistingFoldersThroughTheDesktop) {
    QtDialogModule module;
    std::vector<QString> opened;
    module.SetFolderOpener([&](const QString& path) {
        opened.push_back(path);
        return true;
    });
    ProbeLogic probe;
    OpenDialog open(module, IDD_SETTINGS_HISTORY, probe);
    const std::string folder = QDir::tempPath().toStdString();
    EXPECT_TRUE(probe.host->OpenFolder(folder));
    EXPECT_EQ(opened, std::vector<QString>{QDir::tempPath()});
}

}  // namespace

}  // namespace axistune
