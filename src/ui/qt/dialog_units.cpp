#include "ui/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace axistune {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // GdiGetCharDimensions: the width of the 52 letters, averaged and rounded.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = std::max(1, (letters / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

DialogUnits DialogUnits::Enlarged(double factor) const {
    return DialogUnits(baseX_ * factor, baseY_ * factor);
}

}  // namespace axistune
