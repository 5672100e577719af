#pragma once

#include <QFont>
#include <QRect>

namespace axistune {

// Dialog units as the dialog manager derives them from the dialog font: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of its height. Qt
// works in device-independent pixels, so high-DPI screens scale the result once more.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    // The same units enlarged by factor in both directions, so that the proportions stay.
    DialogUnits Enlarged(double factor) const;

    int X(int units) const { return static_cast<int>(units * baseX_ / 4 + 0.5); }
    int Y(int units) const { return static_cast<int>(units * baseY_ / 8 + 0.5); }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }
    // The dialog font's size against the one the templates were drawn with (8 pt MS Shell Dlg
    // at 96 dpi, 13 pixels high).
    double Scale() const { return baseY_ / 13.0; }

  private:
    DialogUnits(double baseX, double baseY) : baseX_(baseX), baseY_(baseY) {}

    double baseX_;
    double baseY_;
};

}  // namespace axistune
