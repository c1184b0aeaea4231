#include "win32_services.h"

#include <windows.h>

#include <unordered_map>

#include "platform/windows/installed_player.h"
#include "win32_dpi.h"
#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"
#include "win32_form_window.h"
#include "win32_shell.h"
#include "win32_wic.h"

namespace kestrova {
namespace {

// One turn handles what is queued, but never more than this many messages,
// so a flood of paints cannot keep the program's work from going on.
constexpr int kMessagesPerTurn = 500;

// Lines break at CR LF, LF or a lone CR; the box wants LF.
std::wstring BoxText(const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    std::wstring out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] != L'\r') {
            out += wide[i];
        } else {
            out += L'\n';
            if (i + 1 < wide.size() && wide[i + 1] == L'\n') ++i;
        }
    }
    return out;
}

}  // namespace

struct Win32Services::Impl {
    BackendShared shared;
    std::unordered_map<std::int64_t, HANDLE> processes;
    // Set by a worker thread whose work the program waits for.
    HANDLE work_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
};

Win32Services::Win32Services() : WindowServices(DecodePictureFile), impl_(std::make_unique<Impl>()) {}

Win32Services::~Win32Services() {
    for (auto& [pid, handle] : impl_->processes) CloseHandle(handle);
    if (impl_->work_event) CloseHandle(impl_->work_event);
}

std::unique_ptr<FormMirrorBase> Win32Services::MakeWindow(Form& form) {
    return std::make_unique<FormWindow>(form, impl_->shared, Loop());
}

FormWindow* Win32Services::WindowOf(const Form& form) const { return static_cast<FormWindow*>(WindowFor(form)); }

HWND Win32Services::Owner() const {
    HWND active = GetActiveWindow();
    for (const auto& [form, window] : Windows()) {
        if (static_cast<const FormWindow&>(*window).Handle() == active) return active;
    }
    HWND main = impl_->shared.main_window;
    return main && IsWindowVisible(main) ? main : nullptr;
}

UINT Win32Services::MainDpi() const {
    return impl_->shared.main_window ? WindowDpi(impl_->shared.main_window) : SystemDpi();
}

namespace {

// The option an arrow key moved to is chosen, as a click would choose it.
// Windows' own buttons send that click when they take the focus; Wine's do
// not, and the dialog manager clicks only buttons that check themselves.
void ChooseFocusedOption() {
    HWND focus = GetFocus();
    if (focus && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
        SendMessageW(focus, BM_GETCHECK, 0, 0) != BST_CHECKED) {
        SendMessageW(focus, BM_CLICK, 0, 0);
    }
}

}  // namespace

void Win32Services::Dispatch(MSG& message) {
    const WPARAM key = message.wParam;
    const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    if (message.message == WM_KEYDOWN && (key == VK_TAB || key == VK_RETURN || arrow)) {
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root && root != message.hwnd) {
            // Tab moves between a window's controls, Enter presses a focused
            // button, the arrow keys move within a group of option buttons.
            const LRESULT code = SendMessageW(message.hwnd, WM_GETDLGCODE, 0, 0);
            const bool button = (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
            const bool option = (code & DLGC_RADIOBUTTON) != 0;
            if ((key == VK_TAB || (key == VK_RETURN && button) || (arrow && option)) && IsDialogMessageW(root, &message)) {
                if (arrow && option) ChooseFocusedOption();
                return;
            }
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Win32Services::RunTurn(bool waiting) {
    // A notification left from an earlier wait ends one waiting turn early, no more.
    if (waiting) MsgWaitForMultipleObjectsEx(1, &impl_->work_event, kWaitTurnMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    for (int n = 0; n < kMessagesPerTurn && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (message.message == WM_QUIT) {
            // The main loop ends on it; a turn inside a handler passes it on.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        Dispatch(message);
    }
}

std::function<void()> Win32Services::TurnWaker() {
    HANDLE event = impl_->work_event;
    return [event] { SetEvent(event); };
}

// The box's buttons, icon and answers have the same numbers as the program's.
std::optional<MsgBoxResult> Win32Services::ShowMessageBox(const std::string& text, int buttons, int icon,
                                                          const std::string& title) {
    const UINT style = static_cast<UINT>(buttons & (MB_TYPEMASK | MB_DEFMASK)) | static_cast<UINT>(icon & MB_ICONMASK) |
                       MB_SETFOREGROUND;
    const std::wstring body = BoxText(text);
    const std::wstring heading = WideFromUtf8(title);
    switch (MessageBoxW(Owner(), body.c_str(), heading.c_str(), style)) {
        case IDOK: return kOk;
        case IDYES: return kYes;
        case IDNO: return kNo;
        case IDCANCEL: return kCancel;
        default: return std::nullopt;
    }
}

// The main window owns what the shell asks, such as which program opens a
// file that has none; the shell runs the question's loop meanwhile.
bool Win32Services::ShellOpen(const std::string& path, std::string& error) {
    Counting pumping(Pumping());
    return ShellOpenFile(impl_->shared.main_window, path, error);
}

Picture Win32Services::AssociatedIcon(const std::string& path) { return ShellIconOf(path, MainDpi()); }

std::optional<std::string> Win32Services::BrowseFolder(const std::string& title, bool network) {
    Counting pumping(Pumping());
    return BrowseForFolder(Owner(), title, network);
}

std::optional<ProcessId> Win32Services::StartProcess(const std::vector<std::string>& argv, std::string& error) {
    if (argv.empty()) {
        error = WindowsErrorText(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    std::wstring line = CommandLineOf(argv);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        error = WindowsErrorText(GetLastError());
        return std::nullopt;
    }
    // The started program may take the foreground: it gets the focus.
    AllowSetForegroundWindow(process.dwProcessId);
    CloseHandle(process.hThread);
    impl_->processes[process.dwProcessId] = process.hProcess;
    return ProcessId{static_cast<std::int64_t>(process.dwProcessId)};
}

std::optional<int> Win32Services::PollProcess(ProcessId id) {
    auto it = impl_->processes.find(id.value);
    if (it == impl_->processes.end()) return -1;
    if (WaitForSingleObject(it->second, 0) == WAIT_TIMEOUT) return std::nullopt;
    DWORD code = 0;
    const int result = GetExitCodeProcess(it->second, &code) ? static_cast<int>(code) : -1;
    CloseHandle(it->second);
    impl_->processes.erase(it);
    return result;
}

std::optional<VideoPlayer> Win32Services::InstalledVideoPlayer() { return FindInstalledPlayer(); }

int Win32Services::ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

ScreenSize Win32Services::Screen() {
    HMONITOR monitor = MonitorFromWindow(impl_->shared.main_window, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const int dpi = static_cast<int>(MainDpi());
    if (!GetMonitorInfoW(monitor, &info)) return {PixelsToTwips(1920, dpi), PixelsToTwips(1080, dpi)};
    return {PixelsToTwips(info.rcMonitor.right - info.rcMonitor.left, dpi),
            PixelsToTwips(info.rcMonitor.bottom - info.rcMonitor.top, dpi)};
}

LocalTime Win32Services::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void Win32Services::ExitNow() { ExitProcess(0); }

}  // namespace kestrova
