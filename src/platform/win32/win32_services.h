#pragma once
// The Win32 backend of the platform layer: native windows for the program's
// forms, and the desktop's services through user32, shell32 and WIC. The
// attached forms must outlive it (or be detached).
#include <windows.h>

#include <memory>

#include "platform/form.h"
#include "platform/services.h"

namespace kestrova {

class FormWindow;

class Win32Services final : public Services, public FormObserver {
public:
    Win32Services();
    ~Win32Services() override;
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

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
    LocalTime Now() override;
    std::optional<LoadedPicture> LoadPicture(const std::string& path, PixelSize fit) override;
    std::unique_ptr<PendingPicture> LoadPictureAhead(const std::string& path, PixelSize fit) override;
    [[noreturn]] void EndProgram() override;

    void FormChanged(Form& form, FormProperty what) override;
    void ControlChanged(Control& control, Property what) override;
    void PopupMenu(Form& form, Menu& menu) override;

    // Takes a form's window down; the form no longer reports to this backend.
    void DetachForm(Form& form);
    // Brings every list up to date now, whatever the batching.
    void FlushViews();
    // Dispatches one message the way the program's loops do (Tab moves
    // between a window's controls).
    void Dispatch(MSG& message);
    // The window behind a form and its controls (nullptr when none), for tests.
    FormWindow* WindowOf(const Form& form) const;

private:
    void Pump();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kestrova
