// The Qt host through the shared conformance suite, offscreen, driven as a user drives it:
// focus moves, clicks, keys and the close box go through Qt's own events.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <utility>

#include "qt_test_application.h"
#include "support/host_conformance.h"
#include "ui/description/dialog_templates.h"
#include "ui/description/resource_ids.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/qt_dialog_module.h"

namespace axistune {

namespace {

// Runs body from the dialog's own event loop before anything already posted to it.
class BodyEvent : public QEvent {
  public:
    static QEvent::Type Kind() {
        static const QEvent::Type kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    explicit BodyEvent(std::function<void()> body) : QEvent(Kind()), body_(std::move(body)) {}
    std::function<void()> body_;
};

class BodyRunner : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() != BodyEvent::Kind()) {
            return QObject::event(event);
        }
        static_cast<BodyEvent*>(event)->body_();
        return true;
    }
};

class QtHost : public HostUnderTest {
  public:
    intptr_t Run(int templateId, DialogLogic& logic, const Body& body) override {
        const DialogTemplate* description = FindDialogTemplate(templateId);
        if (description == nullptr) {
            return kNotShown;
        }
        QtDialog dialog(module_, *description, logic, nullptr);
        dialog_ = &dialog;
        bool leftOpen = false;
        if (dialog.Open()) {
            if (!dialog.isActiveWindow()) {
                QApplication::setActiveWindow(&dialog);
            }
            BodyRunner runner;
            QCoreApplication::postEvent(&runner, new BodyEvent([&] {
                body();
                if (!dialog.Ended()) {
                    leftOpen = true;
                    dialog.QDialog::done(0);  // logic not asked
                }
            }),
                                        Qt::HighEventPriority);
            dialog.exec();
        }
        dialog.Finish();
        dialog_ = nullptr;
        return leftOpen ? kLeftOpen : dialog.Result();
    }

    bool Click(int id) override {
        QWidget* widget = Usable(id);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setFocus(Qt::MouseFocusReason);
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
        if (qobject_cast<QLabel*>(widget) != nullptr) {
            const auto* spec = FindControl(*FindDialogTemplate(dialog_->TemplateId()), id);
            if ((spec->options & kNotify) == 0) {
                return false;  // a plain label: the click reaches nothing
            }
            QTest::mouseClick(widget, Qt::LeftButton);
            return true;
        }
        return false;
    }
    bool Type(int id, const std::wstring& text) override {
        auto* edit = qobject_cast<QLineEdit*>(Usable(id));
        if (edit == nullptr || edit->isReadOnly()) {
            return false;
        }
        edit->setFocus(Qt::TabFocusReason);
        edit->setText(QString::fromStdWString(text));
        return true;
    }
    bool Leave(int id) override {
        if (id == 0 || Focus() != id) {
            return false;
        }
        QApplication::focusWidget()->clearFocus();
        return true;
    }
    bool Pick(int id, int row) override {
        auto* combo = qobject_cast<QComboBox*>(Usable(id));
        if (combo == nullptr || row < 0 || row >= combo->count()) {
            return false;
        }
        combo->setFocus(Qt::MouseFocusReason);
        combo->setCurrentIndex(row);
        emit combo->activated(row);
        return true;
    }
    bool Drag(int id, int position) override {
        auto* slider = qobject_cast<QSlider*>(Usable(id));
        if (slider == nullptr) {
            return false;
        }
        slider->setFocus(Qt::MouseFocusReason);
        slider->setSliderDown(true);
        slider->setSliderPosition(position);
        return true;
    }
    bool Release(int id) override {
        auto* slider = qobject_cast<QSlider*>(Usable(id));
        if (slider == nullptr) {
            return false;
        }
        slider->setFocus(Qt::MouseFocusReason);
        slider->setSliderDown(true);
        slider->setSliderDown(false);
        return true;
    }
    bool SelectRow(int id, int row) override {
        QTreeWidgetItem* item = Row(id, row);
        if (item == nullptr) {
            return false;
        }
        auto* list = item->treeWidget();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        return true;
    }
    bool DoubleClickRow(int id, int row) override {
        QTreeWidgetItem* item = Row(id, row);
        if (item == nullptr) {
            return false;
        }
        auto* list = item->treeWidget();
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        return true;
    }
    // The context menu of the dialog's background, as a right click opens it.
    bool ChooseMenu(int id) override {
        bool chosen = false;
        WithContextMenu(dialog_, [&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                if (action->data().toInt() == id && action->isEnabled()) {
                    QTest::mouseClick(menu, Qt::LeftButton, {},
                                      menu->actionGeometry(action).center());
                    chosen = true;
                }
            }
        });
        return chosen;
    }
    void PressShortcut(int focusId, char key) override {
        QWidget* focus = dialog_->Control(focusId);
        // Offscreen, nothing gives the window back its activation once a menu closed.
        if (!dialog_->isActiveWindow()) {
            QApplication::setActiveWindow(dialog_);
        }
        focus->setFocus(Qt::TabFocusReason);
        QTest::keyClick(focus, static_cast<Qt::Key>(key), Qt::ControlModifier);
    }
    void CancelNextFileDialog() override {
        Later([this] {
            auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (files != nullptr) {
                modalSeen_ = files->windowTitle().toStdWString();
                files->reject();
            }
        });
    }
    void AnswerNextMessage(bool yes) override {
        Later([this, yes] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            modalSeen_ = box->text().toStdWString();
            QAbstractButton* button = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
            if (button == nullptr && yes) {
                button = box->button(QMessageBox::Ok);
            }
            if (button != nullptr) {
                QTest::mouseClick(button, Qt::LeftButton);
            }
        });
    }
    std::wstring ModalSeen() override { return std::exchange(modalSeen_, std::wstring()); }
    // The context menu of a push button, which has none of its own.
    std::vector<MenuItem> Menu() override {
        std::vector<MenuItem> items;
        WithContextMenu(dialog_->Control(IDC_CONNECT), [&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                const QKeySequence shortcut = action->shortcut();
                char key = 0;
                if (shortcut.count() == 1 && action->isShortcutVisibleInContextMenu() &&
                    shortcut[0].keyboardModifiers() == Qt::ControlModifier) {
                    key = static_cast<char>(shortcut[0].key());
                }
                items.push_back({action->text().toStdWString(), key, action->isEnabled()});
            }
            menu->close();
        });
        return items;
    }
    std::vector<std::wstring> ListColumns(int id) override {
        std::vector<std::wstring> titles;
        if (auto* list = qobject_cast<QTreeWidget*>(dialog_->Control(id))) {
            for (int i = 0; i < list->columnCount(); ++i) {
                titles.push_back(list->headerItem()->text(i).toStdWString());
            }
        }
        return titles;
    }
    std::vector<std::wstring> ListRow(int id, int row) override {
        std::vector<std::wstring> cells;
        auto* list = qobject_cast<QTreeWidget*>(dialog_->Control(id));
        QTreeWidgetItem* item = list != nullptr ? list->topLevelItem(row) : nullptr;
        for (int i = 0; item != nullptr && i < list->columnCount(); ++i) {
            cells.push_back(item->text(i).toStdWString());
        }
        return cells;
    }
    int LineCount(int id) override {
        auto* text = qobject_cast<QPlainTextEdit*>(dialog_->Control(id));
        return text != nullptr ? text->document()->blockCount() : 1;
    }
    void PressEnter() override { Key(Qt::Key_Return); }
    void PressEscape() override { Key(Qt::Key_Escape); }
    void PressCloseBox() override { dialog_->close(); }
    size_t Pump() override { return dialog_->DeliverPosted(); }

    bool Has(int id) override { return dialog_->Control(id) != nullptr; }
    std::wstring Text(int id) override { return dialog_->Text(id).toStdWString(); }
    bool Checked(int id) override { return dialog_->IsItemChecked(id); }
    bool Enabled(int id) override {
        QWidget* widget = dialog_->Control(id);
        return widget != nullptr && widget->isEnabled();
    }
    int Position(int id) override { return dialog_->TrackbarGetPos(id); }
    std::pair<int, int> Range(int id) override {
        auto* slider = qobject_cast<QSlider*>(dialog_->Control(id));
        return slider ? std::make_pair(slider->minimum(), slider->maximum()) : std::make_pair(0, 0);
    }
    int Focus() override {
        QWidget* focus = QApplication::focusWidget();
        const DialogTemplate* description = FindDialogTemplate(dialog_->TemplateId());
        for (size_t i = 0; focus != nullptr && i < description->controlCount; ++i) {
            const int id = description->controls[i].id;
            if (dialog_->Control(id) == focus || focus->parentWidget() == dialog_->Control(id)) {
                return id;
            }
        }
        return 0;
    }
    bool Ended() override { return dialog_->Ended(); }

  private:
    QTreeWidgetItem* Row(int id, int row) {
        auto* list = qobject_cast<QTreeWidget*>(Usable(id));
        return list != nullptr && row >= 0 ? list->topLevelItem(row) : nullptr;
    }
    // Runs step from the next modal loop, which the logic's next call opens.
    void Later(std::function<void()> step) {
        QCoreApplication::postEvent(&runner_, new BodyEvent(std::move(step)));
    }
    // Opens target's context menu as a right click does and runs step while it is shown; no
    // menu, no step.
    void WithContextMenu(QWidget* target, const std::function<void(QMenu*)>& step) {
        bool ran = false;
        Later([&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                ran = true;
                step(menu);
                if (menu->isVisible()) {
                    menu->close();
                }
            }
        });
        const QPoint at = target->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
        if (!ran) {
            QCoreApplication::sendPostedEvents(&runner_, BodyEvent::Kind());
        }
    }
    QWidget* Usable(int id) {
        QWidget* widget = dialog_->Control(id);
        return widget != nullptr && widget->isEnabled() && !dialog_->Ended() ? widget : nullptr;
    }
    void Key(Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : dialog_, key);
    }

    QtDialogModule module_;
    QtDialog* dialog_ = nullptr;
    BodyRunner runner_;
    std::wstring modalSeen_;
};

std::unique_ptr<HostUnderTest> MakeQtHost() {
    return std::make_unique<QtHost>();
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Qt, HostConformance, ::testing::Values(HostFactory{"Qt", &MakeQtHost}),
                         HostFactoryName);

}  // namespace axistune
