#include "qt_widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "qt_convert.h"

namespace kestrova {

FormWidget::FormWidget(WindowEvents& events, Qt::WindowFlags flags) : QWidget(nullptr, flags), events_(events) {}

void FormWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    events_.WindowCloseRequested();
}

void FormWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    events_.WindowGeometryChanged();
}

void FormWidget::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    events_.WindowGeometryChanged();
}

void FormWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    events_.WindowGeometryChanged();
}

void FormWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) events_.WindowGeometryChanged();
}

void FormWidget::keyPressEvent(QKeyEvent* event) { events_.WindowKeyPressed(event); }
void FormWidget::mousePressEvent(QMouseEvent* event) { events_.WindowMouse(event); }
void FormWidget::mouseReleaseEvent(QMouseEvent* event) { events_.WindowMouse(event); }
void FormWidget::mouseDoubleClickEvent(QMouseEvent* event) { events_.WindowMouse(event); }

PictureWidget::PictureWidget(const ImageControl& control, QWidget* parent) : QWidget(parent), control_(control) {}

void PictureWidget::PictureChanged() {
    if (control_.GetPicture() != cached_for_) {
        cached_for_.reset();
        cached_ = QPixmap();
    }
    update();
}

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (auto back = control_.BackColor()) painter.fillRect(rect(), ToQColor(*back));
    const auto& picture = control_.GetPicture();
    if (!picture || picture->Empty()) return;
    const bool stretch = control_.Stretch();
    const QSize target = stretch ? size() : QSize(picture->width, picture->height);
    const qreal ratio = devicePixelRatioF();
    if (picture != cached_for_ || target != cached_size_ || stretch != cached_stretch_ || ratio != cached_ratio_ ||
        cached_.isNull()) {
        cached_ = PixmapAt(*picture, target, ratio);
        cached_for_ = picture;
        cached_size_ = target;
        cached_stretch_ = stretch;
        cached_ratio_ = ratio;
    }
    painter.drawPixmap(0, 0, cached_);
}

LineWidget::LineWidget(const Line& control, QWidget* parent) : QWidget(parent), control_(control) {
    // A line never takes clicks from what lies under it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    UpdateGeometry();
}

void LineWidget::UpdateGeometry() {
    const int x1 = TwipsToPixels(control_.X1());
    const int y1 = TwipsToPixels(control_.Y1());
    const int x2 = TwipsToPixels(control_.X2());
    const int y2 = TwipsToPixels(control_.Y2());
    setGeometry(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1);
    update();
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Lines have a single colour; whichever of the two the program set is it.
    const auto set = control_.ForeColor() ? control_.ForeColor() : control_.BackColor();
    const QColor colour = set ? ToQColor(*set) : palette().color(QPalette::WindowText);
    painter.setPen(QPen(colour, 1));
    const int x1 = TwipsToPixels(control_.X1());
    const int y1 = TwipsToPixels(control_.Y1());
    const int x2 = TwipsToPixels(control_.X2());
    const int y2 = TwipsToPixels(control_.Y2());
    const QPoint origin(std::min(x1, x2), std::min(y1, y2));
    painter.drawLine(QPoint(x1, y1) - origin, QPoint(x2, y2) - origin);
}

}  // namespace kestrova
