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
#include <set>

#include "platform/model/listview.h"
#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"
#include "qt_list_model.h"

namespace kestrova {
namespace {

bool FixedSize(FormBorder border) { return border == FormBorder::FixedToolWindow || border == FormBorder::FixedDialog; }

}  // namespace

void FormWindow::FormChanged(FormProperty what) {
    if (detached_) return;
    switch (what) {
        case FormProperty::Caption:
            window_->setWindowTitle(ToQString(form_.Caption()));
            break;
        case FormProperty::Geometry:
            ApplyFormGeometry();
            ReportGeometry();
            break;
        case FormProperty::WindowState:
            ApplyWindowState();
            ReportGeometry();
            break;
        case FormProperty::Visible:
            ApplyVisible();
            break;
        case FormProperty::BackColor:
            ApplyFormColor();
            break;
        case FormProperty::Topmost:
            ApplyTopmost();
            break;
        case FormProperty::Focus:
            if (window_->isVisible()) {
                window_->raise();
                window_->activateWindow();
            }
            break;
        case FormProperty::Drawing:
            window_->update();
            break;
    }
}

void FormWindow::ApplyFormGeometry() {
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

void FormWindow::ApplyWindowState() {
    Counting guard(applying_);
    Qt::WindowStates states = Qt::WindowNoState;
    if (form_.State() == kMinimized) states = Qt::WindowMinimized;
    if (form_.State() == kMaximized) states = Qt::WindowMaximized;
    if (!window_->isVisible()) {
        // A hidden window keeps its state for when it is shown.
        window_->setWindowState(states);
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

void FormWindow::ApplyVisible() {
    if (!form_.Visible()) {
        window_->hide();
        return;
    }
    if (!shown_once_) {
        shown_once_ = true;
        if (form_.Design().center_on_screen) CenterOnScreen();
    }
    {
        Counting guard(applying_);
        Qt::WindowStates states = Qt::WindowNoState;
        if (form_.State() == kMinimized) states = Qt::WindowMinimized;
        if (form_.State() == kMaximized) states = Qt::WindowMaximized;
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

void FormWindow::ApplyFormColor() {
    QPalette palette;
    if (auto back = form_.BackColor()) palette.setColor(QPalette::Window, ToQColor(*back));
    window_->setPalette(palette);
    window_->setAutoFillBackground(form_.BackColor().has_value());
    window_->update();
}

void FormWindow::ApplyTopmost() {
    const bool on = form_.Topmost();
    if (window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    const bool visible = window_->isVisible();
    Counting guard(applying_);
    // Changing window flags hides the window; it comes back where it was.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) window_->show();
}

// Sizes go back in twips. A value the program set that still rounds to the
// pixels on screen is kept as it was, so remembered sizes do not drift by
// rounding. Without a window manager a window has no frame; it then keeps
// the frame the program assumed, so outer and inner sizes stay apart.
void FormWindow::ReportGeometry() {
    if (detached_) return;
    ReportScreenDpi();
    if (applying_ || !window_->isVisible()) return;
    const QRect outer = window_->frameGeometry();
    const QSize inner = window_->size();
    WindowState state = kNormal;
    if (window_->isMinimized()) state = kMinimized;
    else if (window_->isMaximized() || window_->isFullScreen()) state = kMaximized;
    auto keep = [](int twips, int pixels) { return TwipsToPixels(twips) == pixels ? twips : PixelsToTwips(pixels); };
    const int inner_w = keep(form_.ScaleWidth(), inner.width());
    const int inner_h = keep(form_.ScaleHeight(), inner.height());
    const bool framed = outer.size() != inner;
    const int outer_w = framed ? keep(form_.Width(), outer.width()) : inner_w + form_.FrameWidth();
    const int outer_h = framed ? keep(form_.Height(), outer.height()) : inner_h + form_.FrameHeight();
    const bool minimized = state == kMinimized;
    form_.BackendGeometry(keep(form_.Left(), outer.x()), keep(form_.Top(), outer.y()), outer_w, outer_h,
                          minimized ? 0 : inner_w, minimized ? 0 : inner_h, state);
}

void FormWindow::FlushLists(bool force) {
    if (detached_) return;
    for (auto& [control, binding] : bindings_) {
        if (!binding.model) continue;
        if (force) binding.model->Flush();
        else binding.model->FlushIfDue();
    }
}

void FormWindow::Popup(Menu& menu) {
    if (detached_) return;
    QMenu* qmenu = MenuOf(menu);
    if (!qmenu) return;
    QAction* chosen = qmenu->exec(QCursor::pos());
    if (!chosen || detached_) return;
    auto it = menu_items_.find(chosen);
    if (it != menu_items_.end()) UserClick(*it->second);
}

// ---- user actions -> state ------------------------------------------------

// Qt has already flipped the box; the state decides what it shows after
// the click (a handler may set it back, or the group may refuse).

// Device pixels by Qt's device pixel ratio: pictures are decoded and drawn
// in them. The screen's, as a window has none of its own before it is first
// shown, and a picture is decoded before its window shows.
void FormWindow::ReportScreenDpi() {
    const QScreen* screen = window_->screen();
    const qreal ratio = screen ? screen->devicePixelRatio() : window_->devicePixelRatioF();
    form_.SetScreenDpi(static_cast<int>(std::lround(ratio * kDefaultScreenDpi)));
}

}  // namespace kestrova
