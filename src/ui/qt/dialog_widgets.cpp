#include "ui/qt/dialog_widgets.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QString>
#include <algorithm>

namespace axistune {

void BitmapButton::SetArrow(const ArrowImage& arrow) {
    arrow_ = arrow;
    Refresh();
}

void BitmapButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::EnabledChange) {
        Refresh();
    }
}

void BitmapButton::showEvent(QShowEvent* event) {
    Refresh();  // the screen, and with it the pixel ratio, is known now
    QPushButton::showEvent(event);
}

void BitmapButton::Refresh() {
    if (arrow_.IsNull()) {
        return;
    }
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QPixmap pixmap =
        arrow_.Render(palette().color(group, QPalette::ButtonText), scale_, devicePixelRatioF());
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Disabled);
    setIcon(icon);
    setIconSize(pixmap.deviceIndependentSize().toSize());
}

ReadOnlyBackground::ReadOnlyBackground(QWidget* edit) : QObject(edit) {
    Follow(edit);
    edit->installEventFilter(this);
}

bool ReadOnlyBackground::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        Follow(static_cast<QWidget*>(watched));
    }
    return false;
}

// Only the editable background is the edit's own; the window colour still comes from the
// application, so a new palette brings a new one, and this follows it. Setting the same
// colour again changes nothing, which ends the palette change this causes.
void ReadOnlyBackground::Follow(QWidget* edit) {
    const QPalette current = edit->palette();
    QPalette own;
    bool differs = false;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QBrush& window = current.brush(group, QPalette::Window);
        differs = differs || current.brush(group, QPalette::Base) != window;
        own.setBrush(group, QPalette::Base, window);
    }
    if (differs) {
        edit->setPalette(own);
    }
}

void ReloadingComboBox::Reload() {
    if (!source_) {
        return;
    }
    const QString chosen = currentText();
    clear();
    for (const std::wstring& row : source_()) {
        addItem(QString::fromStdWString(row));
    }
    const int row = findText(chosen);
    setCurrentIndex(row);
    if (row < 0 && isEditable()) {
        setEditText(chosen);
    }
}

void ReloadingComboBox::showPopup() {
    Reload();
    // Device names are longer than the box is wide: the list is as wide as its longest row.
    int widest = width();
    for (int row = 0; row < count(); ++row) {
        widest = std::max(widest, fontMetrics().horizontalAdvance(itemText(row)) + 32);
    }
    view()->setMinimumWidth(widest);
    QComboBox::showPopup();
}

}  // namespace axistune
