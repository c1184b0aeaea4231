#pragma once
// One window on screen for one Form: built from the form's control table by
// a single generic builder, then kept in step with the form's state both
// ways. Program changes arrive as FormChanged/ControlChanged and are mirrored
// to the widgets; user actions go through the user_input functions, which
// update the state before they raise the events.
#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/model/form.h"
#include "qt_loop_state.h"
#include "qt_picture_view.h"
#include "qt_widgets.h"

class QAction;
class QButtonGroup;
class QMenu;
class QTimer;

namespace kestrova {

// Scope guard for a counter: how many of a window's updates are under way.
struct Counting {
    explicit Counting(int& c) : count(c) { ++count; }
    ~Counting() { --count; }
    int& count;
};

class ListModel;

class FormWindow final : public QObject, public WindowEvents {
    Q_OBJECT
public:
    FormWindow(Form& form, const LoopState& loop);
    ~FormWindow() override;

    Form& GetForm() const { return form_; }
    FormWidget* Window() const { return window_.get(); }
    QWidget* WidgetOf(const Control& control) const;
    QMenu* MenuOf(const Menu& menu) const;
    QTimer* TimerOf(const Timer& timer) const;

    void FormChanged(FormProperty what);
    void ControlChanged(Control& control, Property what);
    void Popup(Menu& menu);
    // Lets list views catch up with rows appended by the program. Unless
    // forced, a batch younger than the batching interval waits.
    void FlushLists(bool force);
    // Stops mirroring and reporting; the widgets stay until destruction.
    void Detach();

    void WindowCloseRequested() override;
    void WindowGeometryChanged() override;
    void WindowKeyPressed(QKeyEvent* event) override;
    void WindowMouse(QMouseEvent* event) override;
    void WindowPaint(QPainter& painter) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        Control* control = nullptr;
        QWidget* widget = nullptr;
        QTimer* timer = nullptr;
        QAction* action = nullptr;
        QMenu* menu = nullptr;
        ListModel* model = nullptr;
        bool ticking = false;
    };

    void Build();
    QWidget* EnsureWidget(Control& control, int depth);
    QWidget* CreateWidget(Binding& binding, QWidget* parent);
    void BuildMenus();
    QMenu* EnsureMenu(Menu& menu);
    void Route(QObject* object, Binding& binding);

    void Apply(Binding& binding, Property what);
    void ApplyAll(Binding& binding);
    void ApplyCaption(Binding& binding);
    void ApplyText(Binding& binding);
    void ApplyValue(Binding& binding);
    void ApplyColors(Binding& binding);
    void ApplyGeometry(Binding& binding);
    void ApplyItems(Binding& binding);
    void ApplyTimer(Binding& binding);

    void ApplyFormGeometry();
    void ApplyWindowState();
    void ApplyVisible();
    void ApplyFormColor();
    void ApplyTopmost();
    void CenterOnScreen();
    void ReportGeometry();
    void ReportScreenDpi();

    void UserToggled(Binding& binding);
    void Tick(Binding& binding);
    bool FromOtherControl(QWidget* watched, const QPoint& pos, const Binding& binding) const;

    Form& form_;
    const LoopState& loop_;
    std::unique_ptr<FormWidget> window_;
    std::unordered_map<const Control*, Binding> bindings_;
    std::unordered_map<const QObject*, Binding*> routes_;
    std::unordered_map<const QAction*, Menu*> menu_items_;
    std::map<std::string, QButtonGroup*> option_groups_;
    SurfacePainter surface_;
    // Non-zero while a program change is being mirrored to the screen.
    int applying_ = 0;
    bool applying_focus_ = false;
    bool shown_once_ = false;
    bool detached_ = false;
    const Control* pressed_ = nullptr;
    bool form_pressed_ = false;
};

}  // namespace kestrova
