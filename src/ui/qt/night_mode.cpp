#include "ui/qt/night_mode.h"

#include <QApplication>
#include <QKeyEvent>
#include <utility>

#include "ui/night_palette.h"

namespace axistune {

NightMode::NightMode(QApplication& application, bool startOn, SwitchReport whenSwitched)
    : application_(application),
      dayPalette_(QApplication::palette()),
      whenSwitched_(std::move(whenSwitched)) {
    Apply(startOn);
    application_.installEventFilter(this);
}

NightMode::~NightMode() {
    application_.removeEventFilter(this);
    Apply(false);
}

void NightMode::Switch(bool on) {
    if (on == on_) {
        return;
    }
    Apply(on);
    if (whenSwitched_) {
        whenSwitched_(on);
    }
}

void NightMode::Apply(bool on) {
    if (on == on_) {
        return;
    }
    on_ = on;
    QApplication::setPalette(on ? Palette() : dayPalette_);
}

namespace {

QColor Colour(const NightColour& colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

}  // namespace

QPalette NightMode::Palette() {
    const QColor black = Colour(night::kWindow);
    const QColor ground = Colour(night::kField);
    const QColor button = Colour(night::kButton);
    const QColor text = Colour(night::kText);
    const QColor dim = Colour(night::kDisabledText);
    const QColor edge = Colour(night::kEdge);
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
        palette.setColor(group, QPalette::BrightText, Colour(night::kBrightText));
        palette.setColor(group, QPalette::Highlight, Colour(night::kHighlight));
        palette.setColor(group, QPalette::HighlightedText, Colour(night::kHighlightedText));
        palette.setColor(group, QPalette::Link, Colour(night::kLink));
        palette.setColor(group, QPalette::LinkVisited, Colour(night::kLinkVisited));
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
        palette.setColor(group, QPalette::Midlight, Colour(night::kMidlight));
        palette.setColor(group, QPalette::Mid, Colour(night::kMid));
        palette.setColor(group, QPalette::Dark, Colour(night::kDark));
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
