// A stand-in for a program the end-to-end tests let Kestrova start: a file
// type's opener, mplayerc.exe, an installed player. It appends a line to
// "<its own path>.log":
//   alone|overlap covered|uncovered | <the command line it was given>
// "overlap" when another copy of it was still there, "covered" when a
// window covered the screen as it started. Then it stays for
// KESTROVA_STAND_IN_MS milliseconds, as a player stays while it plays.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// A window of another program over the whole primary screen, as the
// black backdrop behind the player is.
bool ScreenCovered() {
    struct Search {
        DWORD self;
        RECT screen;
        bool found;
    } search{GetCurrentProcessId(), {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, false};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            RECT r{};
            if (owner == s->self || !IsWindowVisible(hwnd) || !GetWindowRect(hwnd, &r)) return TRUE;
            s->found = r.left <= s->screen.left && r.top <= s->screen.top && r.right >= s->screen.right &&
                       r.bottom >= s->screen.bottom;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Append(const std::wstring& path, const std::string& line) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    SetProcessDPIAware();
    wchar_t self[4096] = {};
    GetModuleFileNameW(nullptr, self, 4096);
    // Only one copy can hold the mark; it goes when its holder ends.
    const std::wstring mark_path = std::wstring(self) + L".busy";
    HANDLE mark = CreateFileW(mark_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    const bool alone = mark != INVALID_HANDLE_VALUE;
    const std::string flags = std::string(alone ? "alone" : "overlap") + (ScreenCovered() ? " covered" : " uncovered");
    Append(std::wstring(self) + L".log", flags + " | " + Utf8(GetCommandLineW()) + "\n");
    wchar_t stay[32] = {};
    if (GetEnvironmentVariableW(L"KESTROVA_STAND_IN_MS", stay, 32)) Sleep(static_cast<DWORD>(_wtoi(stay)));
    if (alone) CloseHandle(mark);
    return 0;
}
