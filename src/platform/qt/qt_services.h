#pragma once
// The Qt6 Widgets backend of the platform layer: real windows for the
// program's forms and the desktop's services. Needs a QApplication that
// outlives it; the attached forms must outlive it too (or be detached).
#include <memory>

#include "platform/form.h"
#include "platform/services.h"

class QMenu;
class QMimeType;
class QTimer;
class QWidget;

namespace kestrova {

class QtServices final : public Services, public FormObserver {
public:
    QtServices();
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    void AttachForm(Form& form) override;
    void DoEvents() override;
    void WaitTurn() override;
    void WaitForWork(WorkSignal& work) override;
    MsgBoxResult MsgBox(const std::string& text, int buttons, int icon, const std::string& title) override;
    bool ShellOpen(const std::string& path, std::string& error) override;
    Picture AssociatedIcon(const std::string& path) override;
    std::optional<std::string> BrowseFolder(const std::string& title, bool network) override;
    std::optional<ProcessId> StartProcess(const std::vector<std::string>& argv, std::string& error) override;
    std::optional<int> ProcessExitCode(ProcessId id) override;
    int ShowCursor(bool show) override;
    ScreenSize Screen() override;
    std::vector<Rect> ScreenAreas() override;
    LocalTime Now() override;
    std::optional<LoadedPicture> LoadPicture(const std::string& path, PixelSize fit) override;
    std::unique_ptr<PendingPicture> LoadPictureAhead(const std::string& path, PixelSize fit) override;
    [[noreturn]] void EndProgram() override;

    void FormChanged(Form& form, FormProperty what) override;
    void ControlChanged(Control& control, Property what) override;
    void PopupMenu(Form& form, Menu& menu) override;

    // Takes a form's window down; the form no longer reports to this backend.
    void DetachForm(Form& form);
    // Brings every list view up to date now, whatever the batching.
    void FlushViews();

    // The widgets behind the controls (nullptr when none), for tests.
    QWidget* WindowOf(const Form& form) const;
    QWidget* WidgetOf(const Control& control) const;
    QMenu* MenuOf(const Menu& menu) const;
    QTimer* TimerOf(const Timer& timer) const;

private:
    Picture TypeIcon(const QMimeType& mime, bool folder);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kestrova
