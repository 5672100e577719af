#include "ui/qt/night_mode.h"

#include <QApplication>
#include <QKeyEvent>

namespace axistune {

NightMode::NightMode(QApplication& application)
    : application_(application), dayPalette_(QApplication::palette()) {
    application_.installEventFilter(this);
}

NightMode::~NightMode() {
    application_.removeEventFilter(this);
}

void NightMode::Switch(bool on) {
    if (on == on_) {
        return;
    }
    on_ = on;
    QApplication::setPalette(on ? Palette() : dayPalette_);
}

QPalette NightMode::Palette() {
    const QColor black(0, 0, 0);
    const QColor ground(24, 0, 0);  // edits, lists, buttons: barely lighter than the window
    const QColor button(40, 0, 0);
    const QColor text(220, 30, 30);
    const QColor dim(110, 16, 16);  // disabled text
    const QColor edge(70, 8, 8);
    QPalette palette;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, black);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, ground);
        palette.setColor(group, QPalette::AlternateBase, button);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::BrightText, QColor(255, 60, 60));
        palette.setColor(group, QPalette::Highlight, QColor(120, 0, 0));
        palette.setColor(group, QPalette::HighlightedText, QColor(255, 80, 80));
        palette.setColor(group, QPalette::Link, QColor(255, 70, 70));
        palette.setColor(group, QPalette::LinkVisited, QColor(190, 40, 40));
        palette.setColor(group, QPalette::ToolTipBase, black);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, dim);
    }
    palette.setColor(QPalette::Disabled, QPalette::Window, black);
    palette.setColor(QPalette::Disabled, QPalette::Base, black);
    palette.setColor(QPalette::Disabled, QPalette::Button, ground);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::Link}) {
        palette.setColor(QPalette::Disabled, role, dim);
    }
    palette.setColor(QPalette::Disabled, QPalette::Highlight, edge);
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Light, edge);
        palette.setColor(group, QPalette::Midlight, QColor(55, 4, 4));
        palette.setColor(group, QPalette::Mid, QColor(45, 2, 2));
        palette.setColor(group, QPalette::Dark, QColor(20, 0, 0));
        palette.setColor(group, QPalette::Shadow, black);
    }
    return palette;
}

bool NightMode::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == kKey && (key->modifiers() & ~Qt::KeypadModifier) == kModifier) {
            if (!key->isAutoRepeat()) {
                Switch(!on_);
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace axistune
