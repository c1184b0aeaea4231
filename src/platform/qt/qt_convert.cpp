#include "qt_convert.h"

#include <cstring>

namespace kestrova {

QRect TwipsToPixels(const Rect& rect) {
    return QRect(TwipsToPixels(rect.left), TwipsToPixels(rect.top), TwipsToPixels(rect.width), TwipsToPixels(rect.height));
}

QColor ToQColor(Color color) { return QColor(color.red, color.green, color.blue); }

QImage ViewOf(const Picture& picture) {
    if (picture.Empty() || picture.pixels.size() < static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
        return QImage();
    }
    return QImage(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                  static_cast<qsizetype>(picture.width) * 4, QImage::Format_ARGB32);
}

QImage ToQImage(const Picture& picture) { return ViewOf(picture).copy(); }

Picture FromQImage(QImage image) {
    Picture picture;
    if (image.isNull()) return picture;
    image.convertTo(QImage::Format_ARGB32);
    const QImage& argb = image;
    picture.width = argb.width();
    picture.height = argb.height();
    picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(picture.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.width), argb.constScanLine(y),
                    static_cast<size_t>(picture.width) * 4);
    }
    return picture;
}

QPixmap PixmapAt(const Picture& picture, QSize size, qreal ratio, Qt::AspectRatioMode aspect) {
    const QSize device = (QSizeF(size) * ratio).toSize();
    const Picture* best = &picture;
    for (const Picture& denser : picture.denser) {
        if (best->width >= device.width() && best->height >= device.height()) break;
        best = &denser;
    }
    const QImage view = ViewOf(*best);
    if (view.isNull() || device.isEmpty()) return {};
    QPixmap pixmap = QPixmap::fromImage(view.size() == device ? view : view.scaled(device, aspect, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace kestrova
