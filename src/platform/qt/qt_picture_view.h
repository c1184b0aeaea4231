#pragma once
// The viewer windows' own surface: the picture the program drew onto a
// window, scaled smoothly, and the frameless window that covers a screen.
#include <QPixmap>
#include <QSize>
#include <memory>

#include "platform/model/form.h"

class QPainter;
class QWidget;

namespace kestrova {

class SurfacePainter {
public:
    // Draws the form's surface picture, if any, over the window's background.
    void Paint(QPainter& painter, const Form& form);

private:
    // Scaling a photo on every repaint would make a slideshow crawl; the
    // last scaled copy stays while picture and size do.
    std::shared_ptr<const Picture> cached_for_;
    QSize cached_size_;
    QPixmap cached_;
};

// Places the window over the whole screen it is on. Set directly, so it
// also covers the screen without a window manager.
void CoverScreen(QWidget& window);

}  // namespace kestrova
