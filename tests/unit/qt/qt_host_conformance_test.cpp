// The Qt host through the shared conformance suite, offscreen, driven as a user drives it:
// focus moves, clicks, keys and the close box go through Qt's own events.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <memory>

#include "qt_test_application.h"
#include "support/host_conformance.h"
#include "ui/description/dialog_templates.h"
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
};

std::unique_ptr<HostUnderTest> MakeQtHost() {
    return std::make_unique<QtHost>();
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Qt, HostConformance, ::testing::Values(HostFactory{"Qt", &MakeQtHost}),
                         HostFactoryName);

}  // namespace axistune
