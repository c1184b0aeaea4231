#include "win32_services.h"

#include <windows.h>

#include <chrono>
#include <map>
#include <stdexcept>
#include <unordered_map>

#include "platform/picture_worker.h"
#include "platform/work_signal.h"
#include "win32_form_window.h"
#include "system_error.h"
#include "win32_shell.h"
#include "wide_text.h"
#include "win32_wic.h"

namespace kestrova {
namespace {

using Clock = std::chrono::steady_clock;

// DoEvents inside a tight loop returns at once when the last real turn is
// this recent: clicks still land at the next call, and a scan of a million
// files does not pay a million turns of the message loop.
constexpr auto kTurnSlice = std::chrono::milliseconds(5);
// The longest a waiting loop's turn sleeps when nothing happens.
constexpr DWORD kWaitTurnMs = 10;
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
    std::map<const Form*, std::unique_ptr<FormWindow>> windows;
    BackendShared shared;
    Clock::time_point last_turn{};
    std::unordered_map<std::int64_t, HANDLE> processes;
    std::unordered_map<std::int64_t, int> exit_codes;
    PictureWorker pictures{DecodePictureFile};
    // Set by a worker thread whose work the program waits for.
    HANDLE work_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);

    FormWindow* WindowFor(const Form& form) const {
        auto it = windows.find(&form);
        return it == windows.end() ? nullptr : it->second.get();
    }
    void FlushAll(bool force) {
        for (auto& [form, window] : windows) window->FlushLists(force);
    }
    HWND Owner() const {
        HWND active = GetActiveWindow();
        for (const auto& [form, window] : windows) {
            if (window->Handle() == active) return active;
        }
        return shared.main_window && IsWindowVisible(shared.main_window) ? shared.main_window : nullptr;
    }
};

Win32Services::Win32Services() : impl_(std::make_unique<Impl>()) {}

Win32Services::~Win32Services() {
    for (auto& [form, window] : impl_->windows) {
        auto* mutable_form = const_cast<Form*>(form);
        if (mutable_form->Observer() == this) mutable_form->SetObserver(nullptr);
        window->Detach();
    }
    impl_->windows.clear();
    for (auto& [pid, handle] : impl_->processes) CloseHandle(handle);
    if (impl_->work_event) CloseHandle(impl_->work_event);
}

void Win32Services::AttachForm(Form& form) {
    if (impl_->WindowFor(form)) return;
    const ScreenSize screen = Screen();
    form.SetScreenSize(screen.width, screen.height);
    impl_->windows[&form] = std::make_unique<FormWindow>(form, impl_->shared);
    form.SetObserver(this);
}

void Win32Services::DetachForm(Form& form) {
    auto it = impl_->windows.find(&form);
    if (it == impl_->windows.end()) return;
    if (form.Observer() == this) form.SetObserver(nullptr);
    it->second->Detach();
    impl_->windows.erase(it);
}

void Win32Services::FlushViews() { impl_->FlushAll(true); }

FormWindow* Win32Services::WindowOf(const Form& form) const { return impl_->WindowFor(form); }

void Win32Services::Dispatch(MSG& message) {
    if (message.message == WM_KEYDOWN && (message.wParam == VK_TAB || message.wParam == VK_RETURN)) {
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root && root != message.hwnd) {
            // Tab moves between a window's controls, Enter presses a focused button.
            const bool button = (SendMessageW(message.hwnd, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
            if ((message.wParam == VK_TAB || button) && IsDialogMessageW(root, &message)) return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Win32Services::Pump() {
    ++impl_->shared.pumping;
    MSG message;
    for (int n = 0; n < kMessagesPerTurn && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (message.message == WM_QUIT) {
            // The main loop ends on it; a turn inside a handler passes it on.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        Dispatch(message);
    }
    --impl_->shared.pumping;
    impl_->last_turn = Clock::now();
}

void Win32Services::DoEvents() {
    if (Clock::now() - impl_->last_turn < kTurnSlice) return;
    impl_->FlushAll(false);
    Pump();
}

void Win32Services::WaitTurn() {
    impl_->FlushAll(false);
    MsgWaitForMultipleObjectsEx(0, nullptr, kWaitTurnMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Pump();
}

void Win32Services::WaitForWork(WorkSignal& work) {
    impl_->FlushAll(false);
    HANDLE event = impl_->work_event;
    if (work.Arm([event] { SetEvent(event); })) {
        MsgWaitForMultipleObjectsEx(1, &event, kWaitTurnMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    work.Disarm();
    Pump();
}

// The box's buttons, icon and answers have the same numbers as the program's.
MsgBoxResult Win32Services::MsgBox(const std::string& text, int buttons, int icon, const std::string& title) {
    impl_->FlushAll(true);
    const UINT style = static_cast<UINT>(buttons & (MB_TYPEMASK | MB_DEFMASK)) | static_cast<UINT>(icon & MB_ICONMASK) |
                       MB_SETFOREGROUND;
    const std::wstring body = BoxText(text);
    const std::wstring heading = WideFromUtf8(title.empty() ? std::string(kApplicationTitle) : title);
    ++impl_->shared.pumping;
    const int answer = MessageBoxW(impl_->Owner(), body.c_str(), heading.c_str(), style);
    --impl_->shared.pumping;
    switch (answer) {
        case IDOK: return kOk;
        case IDYES: return kYes;
        case IDNO: return kNo;
        case IDCANCEL: return kCancel;
        default: break;
    }
    const int kind = buttons & 7;
    if (kind == kOkOnly) return kOk;
    if (kind == kYesNo) return kNo;
    return kCancel;
}

bool Win32Services::ShellOpen(const std::string& path, std::string& error) { return ShellOpenFile(path, error); }

Picture Win32Services::AssociatedIcon(const std::string& path) {
    const UINT dpi = impl_->shared.main_window ? GetDpiForWindow(impl_->shared.main_window) : USER_DEFAULT_SCREEN_DPI;
    return ShellIconOf(path, dpi ? dpi : USER_DEFAULT_SCREEN_DPI);
}

std::optional<std::string> Win32Services::BrowseFolder(const std::string& title, bool network) {
    ++impl_->shared.pumping;
    auto chosen = BrowseForFolder(impl_->Owner(), title, network);
    --impl_->shared.pumping;
    return chosen;
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

std::optional<int> Win32Services::ProcessExitCode(ProcessId id) {
    if (auto it = impl_->exit_codes.find(id.value); it != impl_->exit_codes.end()) return it->second;
    auto it = impl_->processes.find(id.value);
    if (it == impl_->processes.end()) return -1;
    if (WaitForSingleObject(it->second, 0) == WAIT_TIMEOUT) return std::nullopt;
    DWORD code = 0;
    const int result = GetExitCodeProcess(it->second, &code) ? static_cast<int>(code) : -1;
    CloseHandle(it->second);
    impl_->processes.erase(it);
    // Closed now; later polls must still see the same end.
    impl_->exit_codes[id.value] = result;
    return result;
}

int Win32Services::ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

ScreenSize Win32Services::Screen() {
    HMONITOR monitor = MonitorFromWindow(impl_->shared.main_window, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    UINT dpi = impl_->shared.main_window ? GetDpiForWindow(impl_->shared.main_window) : 0;
    if (!dpi) dpi = USER_DEFAULT_SCREEN_DPI;
    if (!GetMonitorInfoW(monitor, &info)) return {PixelsToTwips(1920, dpi), PixelsToTwips(1080, dpi)};
    return {PixelsToTwips(info.rcMonitor.right - info.rcMonitor.left, dpi),
            PixelsToTwips(info.rcMonitor.bottom - info.rcMonitor.top, dpi)};
}

LocalTime Win32Services::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// A picture is never shown larger than the screen, so it is never decoded larger.
std::optional<LoadedPicture> Win32Services::LoadPicture(const std::string& path, PixelSize fit) {
    return DecodePictureFile(path, fit);
}

std::unique_ptr<PendingPicture> Win32Services::LoadPictureAhead(const std::string& path, PixelSize fit) {
    return impl_->pictures.Start(path, fit);
}

void Win32Services::EndProgram() {
    std::fflush(stdout);
    std::fflush(stderr);
    ExitProcess(0);
}

void Win32Services::FormChanged(Form& form, FormProperty what) {
    if (FormWindow* window = impl_->WindowFor(form)) window->FormChanged(what);
}

void Win32Services::ControlChanged(Control& control, Property what) {
    if (FormWindow* window = impl_->WindowFor(control.Owner())) window->ControlChanged(control, what);
}

void Win32Services::PopupMenu(Form& form, Menu& menu) {
    if (FormWindow* window = impl_->WindowFor(form)) {
        ++impl_->shared.pumping;
        window->Popup(menu);
        --impl_->shared.pumping;
    }
}

}  // namespace kestrova
