#pragma once

#include <QObject>
#include <QPalette>
#include <functional>

class QApplication;

namespace axistune {

// Red on black for every window, dialog, control and text, so that an observer's eyes stay
// adapted to the dark. Ctrl+N switches it anywhere in the program. It starts in the mode the
// program was given and reports each switch after that, so that the program can remember it;
// on its end the application has its day palette again.
class NightMode : public QObject {
  public:
    static constexpr Qt::Key kKey = Qt::Key_N;
    static constexpr Qt::KeyboardModifier kModifier = Qt::ControlModifier;

    using SwitchReport = std::function<void(bool on)>;

    explicit NightMode(QApplication& application, bool startOn = false,
                       SwitchReport whenSwitched = {});
    ~NightMode() override;
    NightMode(const NightMode&) = delete;
    NightMode& operator=(const NightMode&) = delete;

    bool On() const { return on_; }
    void Switch(bool on);

    static QPalette Palette();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Apply(bool on);

    QApplication& application_;
    QPalette dayPalette_;
    SwitchReport whenSwitched_;
    bool on_ = false;
};

}  // namespace axistune
