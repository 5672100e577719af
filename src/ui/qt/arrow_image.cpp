#include "ui/qt/arrow_image.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/description/resource_ids.h"

// The compiled-in bitmaps and icon; outside any namespace, as Qt's macro requires.
static void InitialiseQtResources() {
    Q_INIT_RESOURCE(axistune_qt);
}

namespace axistune {

QPixmap ArrowImage::Render(const QColor& colour, double scale, double pixelRatio) const {
    if (bitmap_.isNull()) {
        return QPixmap();
    }
    const int factor = std::max(1, static_cast<int>(std::lround(scale * pixelRatio)));
    QImage image(bitmap_.width() * factor, bitmap_.height() * factor,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int y = 0; y < bitmap_.height(); ++y) {
        for (int x = 0; x < bitmap_.width(); ++x) {
            if (qGray(bitmap_.pixel(x, y)) < 128) {
                painter.fillRect(x * factor, y * factor, factor, factor, colour);
            }
        }
    }
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(pixelRatio);
    return pixmap;
}

namespace {

void EnsureResources() {
    static const bool initialised = (InitialiseQtResources(), true);
    (void)initialised;
}

}  // namespace

QIcon ProgramIcon() {
    EnsureResources();
    return QIcon(QStringLiteral(":/axistune/axistune.ico"));
}

ArrowImage LoadArrow(int bitmapResourceId) {
    EnsureResources();
    const char* file = nullptr;
    switch (bitmapResourceId) {
        case IDB_ARROW_LEFT:
            file = ":/axistune/arrow_left.bmp";
            break;
        case IDB_ARROW_RIGHT:
            file = ":/axistune/arrow_right.bmp";
            break;
        case IDB_ARROW_UP:
            file = ":/axistune/arrow_up.bmp";
            break;
        case IDB_ARROW_DOWN:
            file = ":/axistune/arrow_down.bmp";
            break;
        default:
            return ArrowImage();
    }
    return ArrowImage(QImage(QString::fromLatin1(file)));
}

}  // namespace axistune
