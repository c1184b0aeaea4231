#pragma once
// The widgets the platform layer needs beyond Qt's stock ones: the window
// itself (which hands its events to the program's form), a picture surface
// and a drawn line.
#include <QPixmap>
#include <QWidget>
#include <memory>
#include <optional>

#include "platform/model/controls.h"

class QPainter;

namespace kestrova {

// What a window reports to whoever keeps it in step with its form.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void WindowCloseRequested() = 0;
    virtual void WindowGeometryChanged() = 0;
    virtual void WindowKeyPressed(QKeyEvent* event) = 0;
    virtual void WindowMouse(QMouseEvent* event) = 0;
    // Paints what the program drew onto the window's own surface.
    virtual void WindowPaint(QPainter&) {}
};

class FormWidget : public QWidget {
    Q_OBJECT
public:
    FormWidget(WindowEvents& events, Qt::WindowFlags flags);

protected:
    // The close box only asks: the program decides whether the window goes.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    WindowEvents& events_;
};

// Image and picture-box controls: the picture at its natural size from the
// top left corner, or scaled to the whole control when stretched.
class PictureWidget : public QWidget {
    Q_OBJECT
public:
    PictureWidget(const ImageControl& control, QWidget* parent);
    // Call after the control's picture, stretch or colour changed.
    void PictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ImageControl& control_;
    // Scaling a large picture on every repaint would make a slideshow crawl,
    // so the last scaled copy is kept for as long as picture and size stay.
    std::shared_ptr<const Picture> cached_for_;
    QSize cached_size_;
    bool cached_stretch_ = false;
    qreal cached_ratio_ = 0;
    QPixmap cached_;
};

// A line control: drawn from (X1, Y1) to (X2, Y2) inside its bounding box,
// which is one pixel wider and taller so a straight line has room.
class LineWidget : public QWidget {
    Q_OBJECT
public:
    LineWidget(const Line& control, QWidget* parent);
    // Places the widget over the line's end points.
    void UpdateGeometry();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Line& control_;
};

}  // namespace kestrova
