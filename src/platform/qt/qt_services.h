#pragma once
// The Qt6 Widgets backend of the platform layer: real windows for the
// program's forms and the desktop's services. Needs a QApplication that
// outlives it; the attached forms must outlive it too (or be detached).
#include <memory>

#include "platform/kit/window_services.h"

class QMenu;
class QTimer;
class QWidget;

namespace kestrova {

class QtServices final : public WindowServices {
public:
    QtServices();
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    bool ShellOpen(const std::string& path, std::string& error) override;
    Picture AssociatedIcon(const std::string& path) override;
    std::optional<std::string> BrowseFolder(const std::string& title, bool network) override;
    std::optional<ProcessId> StartProcess(const std::vector<std::string>& argv, std::string& error) override;
    int ShowCursor(bool show) override;
    ScreenSize Screen() override;
    std::vector<Rect> ScreenAreas() override;
    LocalTime Now() override;

    // The widgets behind the controls (nullptr when none), for tests.
    QWidget* WindowOf(const Form& form) const;
    QWidget* WidgetOf(const Control& control) const;
    QMenu* MenuOf(const Menu& menu) const;
    QTimer* TimerOf(const Timer& timer) const;

private:
    std::unique_ptr<FormMirrorBase> MakeWindow(Form& form) override;
    void RunTurn(bool waiting) override;
    std::function<void()> TurnWaker() override;
    std::optional<MsgBoxResult> ShowMessageBox(const std::string& text, int buttons, int icon,
                                               const std::string& title) override;
    std::optional<int> PollProcess(ProcessId id) override;
    [[noreturn]] void ExitNow() override;
    std::chrono::nanoseconds SteadyNow() const override;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kestrova
