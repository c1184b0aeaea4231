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
#include <set>

#include "platform/model/listview.h"
#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"
#include "qt_list_model.h"

namespace kestrova {
namespace {

// Controls whose Click comes from a press and release over them; buttons
// and boxes report their own clicks, which also covers the keyboard.
bool ClicksOnRelease(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::Image || kind == ControlKind::PictureBox ||
           kind == ControlKind::Frame;
}

}  // namespace

void FormWindow::UserToggled(Binding& binding) {
    if (detached_) return;
    UserClick(*binding.control);
    if (binding.control->Kind() == ControlKind::OptionButton) {
        for (OptionButton* member : form_.OptionGroup(static_cast<OptionButton&>(*binding.control))) {
            Apply(bindings_[member], Property::Value);
        }
    } else {
        Apply(binding, Property::Value);
    }
}

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
            form_pressed_ = button == kLeftButton;
            if (button != 0) {
                UserFormMouseDown(form_, button, ShiftMask(event->modifiers()), PixelsToTwips(pos.x()), PixelsToTwips(pos.y()));
            }
            break;
        case QEvent::MouseButtonRelease: {
            const bool click = form_pressed_ && button == kLeftButton && window_->rect().contains(pos);
            form_pressed_ = false;
            if (click) UserFormClick(form_);
            break;
        }
        case QEvent::MouseButtonDblClick:
            // Qt sends press, release, double click: the same order as the
            // window system the handlers were written for.
            if (button == kLeftButton) UserFormDblClick(form_);
            break;
        default:
            break;
    }
}

bool FormWindow::FromOtherControl(QWidget* watched, const QPoint& pos, const Binding& binding) const {
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
    Binding& binding = *route->second;
    Control& control = *binding.control;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            // The list view reports its mouse itself, after it has selected.
            if (binding.model) break;
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint pos = mouse->position().toPoint();
            if (FromOtherControl(widget, pos, binding)) break;
            const QPoint at = widget == binding.widget ? pos : widget->mapTo(binding.widget, pos);
            const int button = MouseButtonCode(mouse->button());
            if (event->type() == QEvent::MouseButtonPress) {
                pressed_ = button == kLeftButton ? &control : nullptr;
                if (button != 0) {
                    UserMouseDown(control, button, ShiftMask(mouse->modifiers()), PixelsToTwips(at.x()), PixelsToTwips(at.y()));
                }
            } else if (event->type() == QEvent::MouseButtonRelease) {
                const bool click = button == kLeftButton && pressed_ == &control && ClicksOnRelease(control.Kind()) &&
                                   binding.widget->rect().contains(at);
                pressed_ = nullptr;
                if (click) UserClick(control);
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
            const std::uint64_t resets = binding.model ? binding.model->ResetCount() : 0;
            UserKeyDown(control, key, ShiftMask(key_event->modifiers()));
            // A handler that rebuilt the list leaves nothing for the key's
            // own action (moving the current row) to act on.
            if (binding.model && binding.model->ResetCount() != resets) return true;
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
