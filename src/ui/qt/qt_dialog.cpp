#include "ui/qt/qt_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <cstring>

#include "text/twos_complement.h"
#include "ui/dialog_int.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/dialog_widgets.h"
#include "ui/qt/qt_dialog_module.h"

namespace axistune {

namespace {

// Trackbar codes beside those of dialog_host.h (Win32 values).
constexpr int kTbLineUp = 0;
constexpr int kTbLineDown = 1;
constexpr int kTbPageUp = 2;
constexpr int kTbPageDown = 3;
constexpr int kTbTop = 6;
constexpr int kTbBottom = 7;
// The height of a closed drop-down list, and of one row of its list, in dialog units.
constexpr int kComboHeight = 13;
constexpr int kComboRowHeight = 8;
constexpr int kDenseTickRange = 64;
// A drop-down list's template height is that of its opened list.

// WM_USER as a Qt event: posted from any thread, delivered on the window's.
class UserMessageEvent : public QEvent {
  public:
    static QEvent::Type Kind() {
        static const QEvent::Type kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    UserMessageEvent(uintptr_t wParam, intptr_t lParam)
        : QEvent(Kind()), wParam_(wParam), lParam_(lParam) {}
    uintptr_t wParam_;
    intptr_t lParam_;
};

Qt::Alignment LabelAlignment(uint32_t options) {
    const Qt::Alignment horizontal = (options & kAlignRight) != 0    ? Qt::AlignRight
                                     : (options & kAlignCenter) != 0 ? Qt::AlignHCenter
                                                                     : Qt::AlignLeft;
    return horizontal | Qt::AlignTop;
}

// A font other than the templates' one sets some texts wider against its average character than
// the templates allow for. How much the dialog must grow, in both directions, so that every
// one-line text fits its control; at most a half.
double FitFactor(const DialogTemplate& dialog, const QFont& font, const DialogUnits& units) {
    constexpr double kMostGrowth = 1.5;
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height();
    // The indicator of a check box or radio and its gap, and a button's margins, in dialog
    // units of the templates.
    constexpr int kIndicatorUnits = 12;
    constexpr int kButtonMarginUnits = 6;
    double factor = 1.0;
    for (size_t i = 0; i < dialog.controlCount; ++i) {
        const ControlTemplate& control = dialog.controls[i];
        int reserved = 0;
        switch (control.kind) {
            case ControlKind::kLabel:
                if (units.Y(control.height) >= 2 * lineHeight) {
                    continue;  // room for more lines: it wraps
                }
                break;
            case ControlKind::kCheckBox:
            case ControlKind::kRadioButton:
                reserved = kIndicatorUnits;
                break;
            case ControlKind::kPushButton:
            case ControlKind::kPushLikeCheckBox:
                reserved = kButtonMarginUnits;
                break;
            default:
                continue;
        }
        const int room = units.X(control.width - reserved);
        const int needed = metrics.horizontalAdvance(QString::fromLatin1(control.text));
        if (room > 0 && needed > room) {
            factor = std::max(factor, static_cast<double>(needed) / room);
        }
    }
    return std::min(factor, kMostGrowth);
}

}  // namespace

QtDialog::QtDialog(QtDialogModule& module, const DialogTemplate& dialog, DialogLogic& logic,
                   QWidget* owner)
    : QDialog(owner), module_(module), template_(dialog), logic_(logic) {
    setObjectName(QString::fromLatin1(dialog.symbol));
    setWindowTitle(QString::fromLatin1(dialog.caption));
    setFont(module.DialogFont());
    setModal(true);
    if (owner == nullptr) {
        setWindowIcon(ProgramIcon());
    }
    Build();
}

QtDialog::~QtDialog() {
    Finish();
}

void QtDialog::Build() {
    const DialogUnits fontUnits(module_.DialogFont());
    const DialogUnits units =
        fontUnits.Enlarged(FitFactor(template_, module_.DialogFont(), fontUnits));
    scale_ = units.Scale();
    unitWidth_ = units.X(400) / 400.0;
    setFixedSize(units.X(template_.width), units.Y(template_.height));
    for (size_t i = 0; i < template_.controlCount; ++i) {
        const ControlTemplate& control = template_.controls[i];
        QWidget* widget = Create(control);
        widget->setObjectName(QString::fromLatin1(control.symbol));
        QRect area = units.Rect(control.x, control.y, control.width, control.height);
        if (control.kind == ControlKind::kDropDownList) {
            area.setHeight(units.Y(kComboHeight));
            static_cast<QComboBox*>(widget)->setMaxVisibleItems(
                std::max(1, (control.height - kComboHeight) / kComboRowHeight));
        }
        widget->setGeometry(area);
        widget->setFocusPolicy(IsTabStop(control.kind) ? Qt::StrongFocus : Qt::NoFocus);
        if (control.kind == ControlKind::kGroupBox) {
            widget->lower();  // a frame behind the controls it surrounds
        }
        controls_[control.id] = widget;
        order_.push_back(control.id);
        Connect(control, widget);
    }
}

QWidget* QtDialog::Create(const ControlTemplate& control) {
    const QString text = QString::fromLatin1(control.text);
    switch (control.kind) {
        case ControlKind::kLabel: {
            auto* label = new QLabel(text, this);
            label->setAlignment(LabelAlignment(control.options));
            label->setWordWrap(true);  // as a static control breaks lines
            return label;
        }
        case ControlKind::kGroupBox:
            return new QGroupBox(text, this);
        case ControlKind::kEtchedLine: {
            auto* line = new QFrame(this);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            return line;
        }
        case ControlKind::kPushButton: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::kBitmapButton: {
            auto* button = new BitmapButton(scale_, this);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::kCheckBox:
            return new QCheckBox(text, this);
        case ControlKind::kPushLikeCheckBox: {
            auto* button = new ProgramCheckedButton(text, this);
            button->setCheckable(true);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::kRadioButton: {
            auto* radio = new ProgramCheckedRadio(text, this);
            radio->setAutoExclusive(false);  // the program checks each one
            return radio;
        }
        case ControlKind::kEdit: {
            auto* edit = new QLineEdit(text, this);
            if ((control.options & kReadOnly) != 0) {
                edit->setReadOnly(true);
                new ReadOnlyBackground(edit);
            }
            return edit;
        }
        case ControlKind::kDropDownList: {
            auto* combo = new ReloadingComboBox(this);
            if (const auto* rows = module_.ReloadedRows(template_.id, control.id)) {
                combo->setEditable(true);
                combo->setInsertPolicy(QComboBox::NoInsert);
                combo->SetRowSource(*rows);
            }
            return combo;
        }
        case ControlKind::kListView:
            return CreateList(control);
        case ControlKind::kMultiLineText: {
            auto* text = new QPlainTextEdit(this);
            text->setReadOnly(true);
            new ReadOnlyBackground(text);
            text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            text->setTabChangesFocus(true);
            return text;
        }
        case ControlKind::kTrackbar: {
            auto* slider = new QSlider(Qt::Horizontal, this);
            slider->setRange(0, 100);  // a new trackbar's range
            slider->setPageStep(20);
            slider->setTickPosition(QSlider::TicksBelow);
            return slider;
        }
    }
    return new QWidget(this);
}

void QtDialog::Connect(const ControlTemplate& control, QWidget* widget) {
    const int id = control.id;
    switch (control.kind) {
        case ControlKind::kLabel:
            if ((control.options & kNotify) != 0) {
                ids_[widget] = id;
                widget->installEventFilter(this);
            }
            break;
        case ControlKind::kPushButton:
        case ControlKind::kBitmapButton:
        case ControlKind::kCheckBox:
        case ControlKind::kPushLikeCheckBox:
        case ControlKind::kRadioButton:
            // A check box has toggled itself by the time it reports the click.
            QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                             [this, id] { Command(id, kBnClicked); });
            break;
        case ControlKind::kEdit: {
            auto* edit = static_cast<QLineEdit*>(widget);
            ids_[widget] = id;
            widget->installEventFilter(this);
            // Return commits the entry at once; the focus leaving later does not repeat it
            // unless more was typed.
            // Every change of the text, the program's too, as an edit control reports it.
            QObject::connect(edit, &QLineEdit::textChanged, this,
                             [this, id] { Command(id, kEnChange); });
            QObject::connect(edit, &QLineEdit::textEdited, this,
                             [this, id] { editDirty_[id] = true; });
            QObject::connect(edit, &QLineEdit::returnPressed, this, [this, id] {
                editDirty_[id] = false;
                Command(id, kEnKillFocus);
            });
            break;
        }
        case ControlKind::kDropDownList:
            QObject::connect(static_cast<QComboBox*>(widget), &QComboBox::activated, this,
                             [this, id] { Command(id, kCbnSelChange); });
            break;
        case ControlKind::kListView:
            ConnectList(id, widget);
            break;
        case ControlKind::kMultiLineText:
            // Only the focus: a multi-line edit does not report the program's text.
            ids_[widget] = id;
            widget->installEventFilter(this);
            break;
        case ControlKind::kTrackbar: {
            auto* slider = static_cast<QSlider*>(widget);
            QObject::connect(slider, &QSlider::sliderMoved, this,
                             [this, id] { Scroll(kTbThumbTrack, id); });
            QObject::connect(slider, &QSlider::sliderReleased, this, [this, id] {
                Scroll(kTbThumbPosition, id);
                Scroll(kTbEndTrack, id);
            });
            // Keys, page clicks and the wheel: the move, then the end of it. The slider's
            // position has moved already when the action is reported.
            QObject::connect(
                slider, &QSlider::actionTriggered, this, [this, id, slider](int action) {
                    int code = -1;
                    switch (action) {
                        case QAbstractSlider::SliderSingleStepAdd:
                            code = kTbLineDown;
                            break;
                        case QAbstractSlider::SliderSingleStepSub:
                            code = kTbLineUp;
                            break;
                        case QAbstractSlider::SliderPageStepAdd:
                            code = kTbPageDown;
                            break;
                        case QAbstractSlider::SliderPageStepSub:
                            code = kTbPageUp;
                            break;
                        case QAbstractSlider::SliderToMinimum:
                            code = kTbTop;
                            break;
                        case QAbstractSlider::SliderToMaximum:
                            code = kTbBottom;
                            break;
                        case QAbstractSlider::SliderMove:
                            if (!slider->isSliderDown()) {
                                code = slider->sliderPosition() < slider->value() ? kTbLineUp
                                                                                  : kTbLineDown;
                            }
                            break;
                        default:
                            break;
                    }
                    if (code >= 0) {
                        Scroll(code, id);
                        Scroll(kTbEndTrack, id);
                    }
                });
            break;
        }
        case ControlKind::kGroupBox:
        case ControlKind::kEtchedLine:
            break;
    }
}

bool QtDialog::Open() {
    const intptr_t initResult = logic_.OnInit(*this);
    if (ended_) {
        return false;
    }
    if (initResult != 0) {
        // The dialog manager focuses the first enabled tab stop.
        for (int id : order_) {
            QWidget* widget = controls_[id];
            if (widget->focusPolicy() != Qt::NoFocus && widget->isEnabled()) {
                widget->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    show();
    module_.NotifyOpened(*this);
    return !ended_;
}

intptr_t QtDialog::Run() {
    if (Open()) {
        exec();
    }
    Finish();
    return result_;
}

void QtDialog::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    hide();
    logic_.OnDestroy();
}

QWidget* QtDialog::Control(int id) const {
    const auto found = controls_.find(id);
    return found != controls_.end() ? found->second : nullptr;
}

void QtDialog::Command(int id, int code) {
    if (Alive()) {
        logic_.OnCommand(id, code);
    }
}

void QtDialog::Scroll(int code, int id) {
    if (Alive()) {
        logic_.OnHScroll(code, id);
    }
}

size_t QtDialog::DeliverPosted() {
    const size_t before = delivered_;
    QCoreApplication::sendPostedEvents(this, UserMessageEvent::Kind());
    return delivered_ - before;
}

// Events ---------------------------------------------------------------------------------------

bool QtDialog::event(QEvent* event) {
    if (event->type() == UserMessageEvent::Kind()) {
        // A message that arrives after the dialog ended is dropped with the window.
        const auto* message = static_cast<UserMessageEvent*>(event);
        if (Alive() && !ended_) {
            ++delivered_;
            logic_.OnUser(message->wParam_, message->lParam_);
        }
        return true;
    }
    return QDialog::event(event);
}

bool QtDialog::eventFilter(QObject* watched, QEvent* event) {
    const auto found = ids_.find(watched);
    if (found == ids_.end()) {
        return QDialog::eventFilter(watched, event);
    }
    const int id = found->second;
    // Edits, also multi-line ones, report the focus they gain and lose.
    const bool isEdit = qobject_cast<QLineEdit*>(watched) != nullptr ||
                        qobject_cast<QPlainTextEdit*>(watched) != nullptr;
    if (event->type() == QEvent::FocusOut && isEdit) {
        focusedEdit_ = 0;
        const bool committed = editDirty_.count(id) != 0 && !editDirty_[id];
        editDirty_.erase(id);
        if (!committed) {
            Command(id, kEnKillFocus);
        }
    } else if (event->type() == QEvent::FocusIn && isEdit) {
        // Qt repeats the focus when the window is activated again without a focus change.
        if (focusedEdit_ != id) {
            focusedEdit_ = id;
            editDirty_.erase(id);
            Command(id, kEnSetFocus);
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            Command(id, kBnClicked);  // STN_CLICKED
        }
    }
    return QDialog::eventFilter(watched, event);
}

void QtDialog::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Escape:
            Command(kIdCancel, kBnClicked);
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // A focused push button is the default one; otherwise Enter is command 1.
            auto* button = qobject_cast<QPushButton*>(focusWidget());
            if (button != nullptr && !button->isCheckable() && button->isEnabled()) {
                button->click();
            } else {
                Command(kIdOk, kBnClicked);
            }
            event->accept();
            return;
        }
        default:
            QDialog::keyPressEvent(event);
    }
}

void QtDialog::closeEvent(QCloseEvent* event) {
    // The window closes only when the logic ends it; unhandled, the close box is command 2.
    event->ignore();
    if (!Alive() || ended_) {
        return;
    }
    if (logic_.OnClose() == 0) {
        Command(kIdCancel, kBnClicked);
    }
}

// DialogHost -----------------------------------------------------------------------------------

QString QtDialog::Text(int id) const {
    QWidget* widget = Control(id);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return combo->currentText();
    }
    if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
        return text->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    }
    return QString();
}

void QtDialog::SetText(int id, const QString& text) {
    QWidget* widget = Control(id);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
        edit->setCursorPosition(0);  // a long status shows its beginning
        edit->setToolTip(text.size() > 40 ? text : QString());
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        }
    } else if (auto* lines = qobject_cast<QPlainTextEdit*>(widget)) {
        // Lines break at "\r\n", as in an edit control.
        lines->setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }
}

void QtDialog::SetItemText(int id, const wchar_t* text) {
    SetText(id, text != nullptr ? QString::fromWCharArray(text) : QString());
}

void QtDialog::SetItemTextA(int id, const char* text) {
    SetText(id, QString::fromLatin1(text != nullptr ? text : ""));
}

uint32_t QtDialog::GetItemTextA(int id, char* buffer, uint32_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    // The single-byte form: characters beyond Latin-1 become '?'.
    const QByteArray text = Text(id).toLatin1();
    const uint32_t count = static_cast<uint32_t>(
        std::min<qsizetype>(text.size(), static_cast<qsizetype>(capacity - 1)));
    std::memcpy(buffer, text.constData(), count);
    buffer[count] = '\0';
    return count;
}

void QtDialog::SetItemInt(int id, uint32_t value, bool isSigned) {
    SetText(id, QString::fromStdWString(DialogIntText(value, isSigned)));
}

uint32_t QtDialog::GetItemInt(int id, bool isSigned) {
    return DialogIntFromText(Text(id).toStdWString(), isSigned);
}

void QtDialog::CheckItem(int id, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(Control(id));
        button && button->isCheckable()) {
        button->setChecked(checked);
    }
}

bool QtDialog::IsItemChecked(int id) {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button != nullptr && button->isCheckable() && button->isChecked();
}

void QtDialog::EnableItem(int id, bool enabled) {
    if (QWidget* widget = Control(id)) {
        widget->setEnabled(enabled);
    }
}

void QtDialog::SetButtonBitmap(int id, int bitmapResourceId) {
    if (auto* button = dynamic_cast<BitmapButton*>(Control(id))) {
        const ArrowImage arrow = LoadArrow(bitmapResourceId);
        if (!arrow.IsNull()) {
            button->SetArrow(arrow);
        }
    }
}

void QtDialog::ComboAddString(int id, const wchar_t* text) {
    if (auto* combo = qobject_cast<QComboBox*>(Control(id))) {
        const bool wasEmpty = combo->count() == 0;
        combo->addItem(text != nullptr ? QString::fromWCharArray(text) : QString());
        if (wasEmpty) {
            combo->setCurrentIndex(-1);  // a new row selects nothing, as CB_ADDSTRING
        }
    }
}

void QtDialog::ComboSetSelection(int id, int index) {
    if (auto* combo = qobject_cast<QComboBox*>(Control(id))) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
}

int QtDialog::ComboGetSelection(int id) {
    auto* combo = qobject_cast<QComboBox*>(Control(id));
    if (combo == nullptr || combo->currentIndex() < 0) {
        return kComboNoSelection;
    }
    return combo->currentIndex();
}

void QtDialog::TrackbarSetRange(int id, int minimum, int maximum) {
    if (auto* slider = qobject_cast<QSlider*>(Control(id))) {
        // Both ends travel as signed 16-bit words.
        const int low = LowSigned16(minimum);
        const int high = LowSigned16(maximum);
        slider->setRange(low, std::max(low, high));
        const int span = slider->maximum() - slider->minimum();
        slider->setPageStep(std::max(1, span / 5));
        slider->setTickInterval(span <= kDenseTickRange ? 1 : 0);
    }
}

void QtDialog::TrackbarSetPos(int id, int position) {
    if (auto* slider = qobject_cast<QSlider*>(Control(id))) {
        slider->setValue(position);
    }
}

int QtDialog::TrackbarGetPos(int id) {
    // Where the thumb is, also while it is being dragged.
    auto* slider = qobject_cast<QSlider*>(Control(id));
    return slider != nullptr ? slider->sliderPosition() : 0;
}

ControlHandle QtDialog::ItemHandle(int id) {
    return reinterpret_cast<ControlHandle>(Control(id));
}

void QtDialog::SetItemFont(int id, const FontChange& change) {
    QWidget* widget = Control(id);
    if (widget == nullptr) {
        return;
    }
    QFont font = widget->font();
    if (change.underline) {
        font.setUnderline(true);
    }
    if (change.height != 0) {
        // A height in the templates' pixels, as large against this dialog font.
        const DialogUnits units(module_.DialogFont());
        font.setPixelSize(
            std::max(1, static_cast<int>(std::abs(change.height) * 0.8 * units.Scale() + 0.5)));
    }
    if (change.weight != 0) {
        font.setWeight(static_cast<QFont::Weight>(std::clamp(change.weight, 1, 1000)));
    }
    widget->setFont(font);
}

void QtDialog::MakeLink(int id) {
    QWidget* widget = Control(id);
    if (widget == nullptr) {
        return;
    }
    widget->setForegroundRole(QPalette::Link);  // follows the palette, also the night one
    widget->setCursor(Qt::PointingHandCursor);
}

void QtDialog::OpenUrl(const wchar_t* url) {
    module_.OpenUrl(QString::fromWCharArray(url != nullptr ? url : L""));
}

void QtDialog::Post(uintptr_t wParam, intptr_t lParam) {
    QCoreApplication::postEvent(this, new UserMessageEvent(wParam, lParam));
}

void QtDialog::End(intptr_t result) {
    if (ended_ || finished_) {
        return;
    }
    ended_ = true;
    result_ = result;
    done(0);
}

intptr_t QtDialog::RunChild(int templateId, DialogLogic& logic) {
    return module_.RunModal(templateId, logic, this);
}

}  // namespace axistune
