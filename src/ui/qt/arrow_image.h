#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace axistune {

// The arrow bitmaps (one bit per pixel, a black triangle on white) drawn in any colour on a
// transparent ground, enlarged by whole pixels so that they stay sharp on a scaled screen.
class ArrowImage {
  public:
    ArrowImage() = default;
    explicit ArrowImage(const QImage& bitmap) : bitmap_(bitmap) {}
    bool IsNull() const { return bitmap_.isNull(); }

    // scale: the dialog font against the templates' font; pixelRatio: the screen's.
    QPixmap Render(const QColor& colour, double scale, double pixelRatio) const;

  private:
    QImage bitmap_;
};

// The bitmap of a resource id (IDB_ARROW_*), null for an unknown id.
ArrowImage LoadArrow(int bitmapResourceId);
// The program's icon (axistune.ico).
QIcon ProgramIcon();

}  // namespace axistune
