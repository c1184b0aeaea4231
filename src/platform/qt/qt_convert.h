#pragma once
// Conversions between the platform layer's plain types and Qt's.
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <string>
#include <string_view>

#include "platform/model/geometry.h"
#include "platform/pictures/picture.h"
#include "qt_text.h"

namespace kestrova {

// A rectangle in twips as Qt's logical pixels (see TwipsToPixels).
QRect TwipsToPixels(const Rect& rect);

QColor ToQColor(Color color);

// A deep copy, so the image outlives the picture.
QImage ToQImage(const Picture& picture);
// A read-only view on the picture's pixels; valid while the picture lives.
QImage ViewOf(const Picture& picture);
// One conversion at most, in place when the image is not shared.
Picture FromQImage(QImage image);
// The picture as a pixmap of `size` logical pixels for a screen of the given
// device pixel ratio, made from the least dense rendering that has pixels
// enough, so a scaled screen gets a picture drawn for it, not enlarged.
// Scaled smoothly only when no rendering fits exactly.
QPixmap PixmapAt(const Picture& picture, QSize size, qreal ratio,
                 Qt::AspectRatioMode aspect = Qt::IgnoreAspectRatio);

}  // namespace kestrova
