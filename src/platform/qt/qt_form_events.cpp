// What the user does in a window reaches the program's Form and controls as events.
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

#include "platform/model/listview.h"
#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"
#include "qt_list_model.h"

namespace kestrova {

void FormWindow::WindowCloseRequested() {
    if (!detached_) UserClose(form_);
}

void FormWindow::WindowGeometryChanged() { ReportGeometry(); }

void FormWindow::WindowPaint(QPainter& painter) {
    if (!detached_) surface_.Paint(painter, form_);
}

void FormWindow::WindowKeyPressed(QKeyEvent* event) {
    if (detached_) return;
    // With a control focused the key went to that control (which lets the
    // form preview it); it reaches the window only because the control let
    // it pass.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != window_.get() && window_->isAncestorOf(focus)) {
        event->ignore();
        return;
    }
    const int key = VirtualKey(event->key(), event->modifiers());
    if (key != 0) UserFormKeyDown(form_, key, ShiftMask(event->modifiers()));
}

void FormWindow::WindowMouse(QMouseEvent* event) {
    if (detached_) return;
    const QPoint pos = event->position().toPoint();
    // A control under the mouse had the event first and let it pass.
    if (window_->childAt(pos)) return;
    const int button = MouseButtonCode(event->button());
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            FormPressed(button, ShiftMask(event->modifiers()), PixelsToTwips(pos.x()), PixelsToTwips(pos.y()));
            break;
        case QEvent::MouseButtonRelease:
            FormReleased(button, window_->rect().contains(pos));
            break;
        case QEvent::MouseButtonDblClick:
            // Qt sends press, release, double click: the same order as the
            // window system the handlers were written for.
            if (button == kLeftButton) UserFormDblClick(form_);
            break;
        default:
            break;
    }
}

bool FormWindow::FromOtherControl(QWidget* watched, const QPoint& pos, const QtBinding& binding) const {
    for (QWidget* child = watched->childAt(pos); child && child != watched; child = child->parentWidget()) {
        auto it = routes_.find(child);
        if (it != routes_.end() && it->second != &binding) return true;
    }
    return false;
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (detached_) return false;
    auto route = routes_.find(watched);
    if (route == routes_.end()) return false;
    QtBinding& binding = *route->second;
    Control& control = *binding.control;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            // The list view reports its mouse itself, after it has selected.
            if (binding.list) break;
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint pos = mouse->position().toPoint();
            if (FromOtherControl(widget, pos, binding)) break;
            const QPoint at = widget == binding.widget ? pos : widget->mapTo(binding.widget, pos);
            const int button = MouseButtonCode(mouse->button());
            if (event->type() == QEvent::MouseButtonPress) {
                ControlPressed(control, button, ShiftMask(mouse->modifiers()), PixelsToTwips(at.x()), PixelsToTwips(at.y()));
            } else if (event->type() == QEvent::MouseButtonRelease) {
                ControlReleased(control, button, binding.widget->rect().contains(at));
            } else if (button == kLeftButton) {
                UserDblClick(control);
            }
            break;
        }
        case QEvent::KeyPress: {
            if (QApplication::focusWidget() != widget) break;
            auto* key_event = static_cast<QKeyEvent*>(event);
            const int key = VirtualKey(key_event->key(), key_event->modifiers());
            if (key == 0) break;
            const std::uint64_t resets = binding.list ? binding.list->ResetCount() : 0;
            UserKeyDown(control, key, ShiftMask(key_event->modifiers()));
            // A handler that rebuilt the list leaves nothing for the key's
            // own action (moving the current row) to act on.
            if (binding.list && binding.list->ResetCount() != resets) return true;
            break;
        }
        case QEvent::FocusIn:
            if (!applying_focus_) UserFocus(control);
            break;
        default:
            break;
    }
    return false;
}

}  // namespace kestrova
