#pragma once

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <vector>

#include "ui/qt/arrow_image.h"

namespace axistune {

// Buttons that only the program checks (push-like check boxes, plain radio buttons): a click
// reports itself and leaves the check as it was.
class ProgramCheckedButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void nextCheckState() override {}
};

class ProgramCheckedRadio : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void nextCheckState() override {}
};

// A push button showing one of the arrow bitmaps in its text colour, so that it follows the
// palette, at the dialog's scale and sharp at any device pixel ratio.
class BitmapButton : public QPushButton {
  public:
    BitmapButton(double scale, QWidget* parent) : QPushButton(parent), scale_(scale) {}
    void SetArrow(const ArrowImage& arrow);

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Refresh();

    double scale_;
    ArrowImage arrow_;
};

// Paints an edit the user cannot type into on the window's background instead of the editable
// one, as Windows paints a read-only edit, in whichever palette the application has now.
class ReadOnlyBackground : public QObject {
  public:
    explicit ReadOnlyBackground(QWidget* edit);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static void Follow(QWidget* edit);
};

// A combo box whose rows can be read again from a source each time its list is opened.
class ReloadingComboBox : public QComboBox {
  public:
    using RowSource = std::function<std::vector<std::wstring>()>;
    using QComboBox::QComboBox;
    void SetRowSource(RowSource source) { source_ = std::move(source); }
    void Reload();

    void showPopup() override;

  private:
    RowSource source_;
};

}  // namespace axistune
