#include "qt_picture_view.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include "qt_convert.h"

namespace kestrova {

void SurfacePainter::Paint(QPainter& painter, const Form& form) {
    const auto& drawing = form.Drawing();
    if (!drawing || !drawing->picture || drawing->picture->Empty()) {
        cached_for_.reset();
        cached_ = QPixmap();
        return;
    }
    const QRect target = TwipsToPixels(drawing->target);
    if (target.width() <= 0 || target.height() <= 0) return;
    if (drawing->picture != cached_for_ || target.size() != cached_size_ || cached_.isNull()) {
        const QImage view = ViewOf(*drawing->picture);
        cached_ = QPixmap::fromImage(view.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        cached_for_ = drawing->picture;
        cached_size_ = target.size();
    }
    painter.drawPixmap(target.topLeft(), cached_);
}

void CoverScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen) window.setGeometry(screen->geometry());
}

}  // namespace kestrova
