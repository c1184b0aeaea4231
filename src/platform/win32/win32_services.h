#pragma once
// The Win32 backend of the platform layer: native windows for the program's
// forms, and the desktop's services through user32, shell32 and WIC. The
// attached forms must outlive it (or be detached).
#include <windows.h>

#include <memory>

#include "platform/kit/window_services.h"

namespace kestrova {

class FormWindow;

class Win32Services final : public WindowServices {
public:
    Win32Services();
    ~Win32Services() override;
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

    bool ShellOpen(const std::string& path, std::string& error) override;
    Picture AssociatedIcon(const std::string& path) override;
    std::optional<std::string> BrowseFolder(const std::string& title, bool network) override;
    std::optional<ProcessId> StartProcess(const std::vector<std::string>& argv, std::string& error) override;
    std::optional<VideoPlayer> InstalledVideoPlayer() override;
    int ShowCursor(bool show) override;
    ScreenSize Screen() override;
    LocalTime Now() override;

    // Dispatches one message the way the program's loops do (Tab moves
    // between a window's controls).
    void Dispatch(MSG& message);
    // The window behind a form and its controls (nullptr when none), for tests.
    FormWindow* WindowOf(const Form& form) const;

private:
    std::unique_ptr<FormMirrorBase> MakeWindow(Form& form) override;
    void RunTurn(bool waiting) override;
    std::function<void()> TurnWaker() override;
    std::optional<MsgBoxResult> ShowMessageBox(const std::string& text, int buttons, int icon,
                                               const std::string& title) override;
    std::optional<int> PollProcess(ProcessId id) override;
    [[noreturn]] void ExitNow() override;
    // The window message boxes and dialogs belong to.
    HWND Owner() const;
    UINT MainDpi() const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kestrova
