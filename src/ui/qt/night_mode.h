#pragma once

#include <QObject>
#include <QPalette>

class QApplication;

namespace axistune {

// Red on black for every window, dialog, control and text, so that an observer's eyes stay
// adapted to the dark. Ctrl+N switches it anywhere in the program; it lasts for the session
// and is stored nowhere.
class NightMode : public QObject {
  public:
    static constexpr Qt::Key kKey = Qt::Key_N;
    static constexpr Qt::KeyboardModifier kModifier = Qt::ControlModifier;

    explicit NightMode(QApplication& application);
    ~NightMode() override;
    NightMode(const NightMode&) = delete;
    NightMode& operator=(const NightMode&) = delete;

    bool On() const { return on_; }
    void Switch(bool on);

    static QPalette Palette();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QApplication& application_;
    QPalette dayPalette_;
    bool on_ = false;
};

}  // namespace axistune
