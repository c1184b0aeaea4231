#pragma once
// One window on screen for one Form: built from the form's control table by
// a single generic builder, then kept in step with the form by the kit's
// mirror, which tells it what to show; what the user does with the widgets
// goes back through the mirror's rules and the user_input functions.
#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/kit/form_mirror.h"
#include "platform/kit/loop_state.h"
#include "qt_picture_view.h"
#include "qt_widgets.h"

class QAction;
class QButtonGroup;
class QMenu;
class QTimer;

namespace kestrova {

class ListModel;

// A control's widgets: its own, its timer, or its menu entry.
struct QtBinding : ControlBinding {
    QWidget* widget = nullptr;
    QTimer* timer = nullptr;
    QAction* action = nullptr;
    QMenu* menu = nullptr;
};

class FormWindow final : public QObject, public WindowEvents, public FormMirror<QtBinding> {
    Q_OBJECT
public:
    FormWindow(Form& form, const LoopState& loop);
    ~FormWindow() override;

    FormWidget* Window() const { return window_.get(); }
    QWidget* WidgetOf(const Control& control) const;
    QMenu* MenuOf(const Menu& menu) const;
    QTimer* TimerOf(const Timer& timer) const;

    void WindowCloseRequested() override;
    void WindowGeometryChanged() override;
    void WindowKeyPressed(QKeyEvent* event) override;
    void WindowMouse(QMouseEvent* event) override;
    void WindowPaint(QPainter& painter) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- building (qt_form_window.cpp) ----
    void Build();
    QWidget* EnsureWidget(Control& control, int depth);
    QWidget* CreateWidget(QtBinding& binding, QWidget* parent);
    void Route(QObject* object, QtBinding& binding);
    void MakeMenu(QtBinding& menu) override;
    void AddSubmenu(QtBinding& menu, QtBinding& submenu) override;
    void AddSeparator(QtBinding& menu, QtBinding& separator) override;
    void AddMenuItem(QtBinding& menu, QtBinding& item) override;

    // ---- program changes -> widgets (qt_form_controls.cpp) ----
    void ShowCaption(QtBinding& binding) override;
    void ShowText(QtBinding& binding) override;
    void ShowValue(QtBinding& binding) override;
    void ShowEnabled(QtBinding& binding) override;
    void ShowVisible(QtBinding& binding) override;
    void ShowColors(QtBinding& binding) override;
    void ShowGeometry(QtBinding& binding) override;
    void ShowToolTip(QtBinding& binding) override;
    void ShowItems(QtBinding& binding) override;
    void ShowFocus(QtBinding& binding) override;
    void ShowPicture(QtBinding& binding) override;
    void ShowTimer(QtBinding& binding) override;
    void StopTimer(QtBinding& binding) override;

    // ---- the window itself (qt_form_state.cpp) ----
    void ShowFormCaption() override;
    void ShowFormGeometry() override;
    void ShowWindowState() override;
    void ShowForm() override;
    void HideForm() override;
    void CenterOnScreen() override;
    void ShowFormColor() override;
    void ShowTopmost() override;
    void BringToFront() override;
    void ShowDrawing() override;
    void ReportGeometry() override;
    int DeviceDpi() const override;
    Menu* ShowPopup(QtBinding& menu) override;
    Qt::WindowStates StatesOfForm() const;

    // ---- user actions -> state (qt_form_events.cpp) ----
    bool FromOtherControl(QWidget* watched, const QPoint& pos, const QtBinding& binding) const;

    const LoopState& loop_;
    std::unique_ptr<FormWidget> window_;
    std::unordered_map<const QObject*, QtBinding*> routes_;
    std::unordered_map<const QAction*, Menu*> menu_items_;
    std::map<std::string, QButtonGroup*> option_groups_;
    SurfacePainter surface_;
};

}  // namespace kestrova
