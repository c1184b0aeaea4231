#include "qt_picture_view.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <cstdlib>

#include "qt_convert.h"

namespace kestrova {

void SurfacePainter::Paint(QPainter& painter, const Form& form) {
    const auto& drawing = form.Drawing();
    if (!drawing || !drawing->picture || drawing->picture->Empty()) {
        cached_for_.reset();
        cached_ = QPixmap();
        return;
    }
    // Scaled in the screen's device pixels, by the rule the picture was
    // decoded by: one decoded for them is drawn 1:1, not stretched. At a
    // fractional ratio (150 %) the window's logical size is rounded, so a
    // picture a pixel off the target is taken as decoded for it.
    const int dpi = form.ScreenDpi();
    const Picture& picture = *drawing->picture;
    QSize device(TwipsToPixels(drawing->target.width, dpi), TwipsToPixels(drawing->target.height, dpi));
    if (device.width() <= 0 || device.height() <= 0) return;
    if (std::abs(device.width() - picture.width) <= 1 && std::abs(device.height() - picture.height) <= 1) {
        device = QSize(picture.width, picture.height);
    }
    if (drawing->picture != cached_for_ || device != cached_size_ || cached_.isNull()) {
        const QImage view = ViewOf(picture);
        cached_ = QPixmap::fromImage(view.size() == device ? view : view.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        cached_.setDevicePixelRatio(static_cast<qreal>(dpi) / kDefaultDpi);
        cached_for_ = drawing->picture;
        cached_size_ = device;
    }
    painter.drawPixmap(TwipsToPixels(drawing->target).topLeft(), cached_);
}

void CoverScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen) window.setGeometry(screen->geometry());
}

}  // namespace kestrova
