#pragma once
// Conversions between the platform layer's plain types and Qt's.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <string>

#include "platform/geometry.h"
#include "platform/picture.h"
#include "qt_text.h"

namespace kestrova {

int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);
QRect TwipsToPixels(const Rect& rect);

QColor ToQColor(Color color);

// A deep copy, so the image outlives the picture.
QImage ToQImage(const Picture& picture);
// A read-only view on the picture's pixels; valid while the picture lives.
QImage ViewOf(const Picture& picture);
Picture FromQImage(const QImage& image);

}  // namespace kestrova
