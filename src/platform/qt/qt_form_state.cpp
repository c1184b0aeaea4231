// The window itself follows its Form: place and size, state, visibility, colour, always-on-top.
#include "qt_form_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "platform/model/listview.h"
#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"
#include "qt_list_model.h"

namespace kestrova {
namespace {

bool FixedSize(FormBorder border) { return border == FormBorder::FixedToolWindow || border == FormBorder::FixedDialog; }

}  // namespace

void FormWindow::ShowFormCaption() { window_->setWindowTitle(ToQString(form_.Caption())); }

void FormWindow::BringToFront() {
    if (window_->isVisible()) {
        window_->raise();
        window_->activateWindow();
    }
}

void FormWindow::ShowDrawing() { window_->update(); }

void FormWindow::ShowFormGeometry() {
    if (form_.State() != kNormal) return;
    Counting guard(applying_);
    const int inner_w = std::max(1, TwipsToPixels(form_.Width() - form_.FrameWidth()));
    const int inner_h = std::max(1, TwipsToPixels(form_.Height() - form_.FrameHeight()));
    if (FixedSize(form_.Design().border)) {
        window_->setFixedSize(inner_w, inner_h);
    } else {
        window_->resize(inner_w, inner_h);
    }
    window_->move(TwipsToPixels(form_.Left()), TwipsToPixels(form_.Top()));
}

Qt::WindowStates FormWindow::StatesOfForm() const {
    if (form_.State() == kMinimized) return Qt::WindowMinimized;
    if (form_.State() == kMaximized) return Qt::WindowMaximized;
    return Qt::WindowNoState;
}

void FormWindow::ShowWindowState() {
    Counting guard(applying_);
    if (!window_->isVisible()) {
        // A hidden window keeps its state for when it is shown.
        window_->setWindowState(StatesOfForm());
        return;
    }
    if (CoversScreen(form_)) {
        CoverScreen(*window_);
        window_->showFullScreen();
        return;
    }
    switch (form_.State()) {
        case kMinimized: window_->showMinimized(); break;
        case kMaximized: window_->showMaximized(); break;
        case kNormal: window_->showNormal(); break;
    }
}

void FormWindow::HideForm() { window_->hide(); }

void FormWindow::ShowForm() {
    {
        Counting guard(applying_);
        Qt::WindowStates states = StatesOfForm();
        if (CoversScreen(form_)) {
            states = Qt::WindowFullScreen;
            CoverScreen(*window_);
        }
        window_->setWindowState(states);
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    ReportGeometry();
}

void FormWindow::CenterOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const int outer_w = std::max(window_->frameGeometry().width(), TwipsToPixels(form_.Width()));
    const int outer_h = std::max(window_->frameGeometry().height(), TwipsToPixels(form_.Height()));
    Counting guard(applying_);
    window_->move(area.x() + (area.width() - outer_w) / 2, area.y() + (area.height() - outer_h) / 2);
}

void FormWindow::ShowFormColor() {
    QPalette palette;
    if (auto back = form_.BackColor()) palette.setColor(QPalette::Window, ToQColor(*back));
    window_->setPalette(palette);
    window_->setAutoFillBackground(form_.BackColor().has_value());
    window_->update();
}

void FormWindow::ShowTopmost() {
    const bool on = form_.Topmost();
    if (window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    const bool visible = window_->isVisible();
    Counting guard(applying_);
    // Changing window flags hides the window; it comes back where it was.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) window_->show();
}

// Without a window manager a window has no frame.
void FormWindow::ReportGeometry() {
    if (detached_) return;
    ReportScreenDpi();
    if (applying_ || !window_->isVisible()) return;
    const QRect outer = window_->frameGeometry();
    ShownWindow shown;
    shown.left = outer.x();
    shown.top = outer.y();
    shown.outer_width = outer.width();
    shown.outer_height = outer.height();
    shown.inner_width = window_->width();
    shown.inner_height = window_->height();
    shown.framed = outer.size() != window_->size();
    if (window_->isMinimized()) shown.state = kMinimized;
    else if (window_->isMaximized() || window_->isFullScreen()) shown.state = kMaximized;
    ReportShown(shown);
}

Menu* FormWindow::ShowPopup(QtBinding& menu) {
    if (!menu.menu) return nullptr;
    QAction* chosen = menu.menu->exec(QCursor::pos());
    auto it = menu_items_.find(chosen);
    return it == menu_items_.end() ? nullptr : it->second;
}

// Device pixels by Qt's device pixel ratio. The screen's, as a window has
// none of its own before it is first shown, and a picture is decoded
// before its window shows.
int FormWindow::DeviceDpi() const {
    const QScreen* screen = window_->screen();
    const qreal ratio = screen ? screen->devicePixelRatio() : window_->devicePixelRatioF();
    return static_cast<int>(std::lround(ratio * kDefaultDpi));
}

}  // namespace kestrova
