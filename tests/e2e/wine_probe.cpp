// Looks at the windows of the program under test from beside it, in the same
// Wine session, for the end-to-end scripts: which windows are up, the texts
// of a window's controls (a message box's text), and where on the screen a
// list row or a control lies, so the script can click there with the mouse.
//   wine_probe.exe windows
//   wine_probe.exe texts <title>
//   wine_probe.exe row <title> <row>          (1-based)
//   wine_probe.exe selected <title>           (how many rows are selected)
//   wine_probe.exe control <title> <text>
//   wine_probe.exe kind <title> <class>        (the first control of the class)
//   wine_probe.exe at <title> <x> <y>          (twips in the window's client area)
// The waits poll until the state comes (and fail when it never does):
//   wine_probe.exe wait <title> [gone]
//   wine_probe.exe covered                    (prints the title)
//   wine_probe.exe menu [gone]                (a pop-up menu)
//   wine_probe.exe selection <title> <count>...  (prints the count it found)
//   wine_probe.exe text <title> <class> <text> (a control of that class shows it)
// A title or text ending in "*" matches every one that begins with the rest.
// Output is UTF-8, one line per item; positions are "x y" in screen pixels.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// Written as bytes: the console's code page never gets a say.
void Print(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A top window's title, as Windows keeps it: no waiting on a busy program.
std::wstring TitleOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A control's text is asked of the control itself: GetWindowText gives
// only the title Windows keeps for a control of another process, not what
// its edit holds. A program busy for a moment gets a while to answer.
std::wstring TextOf(HWND hwnd) {
    constexpr UINT kFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, kFlags, 5000, &length)) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), kFlags, 5000, &copied)) return {};
    text.resize(std::min(static_cast<size_t>(copied), static_cast<size_t>(length)));
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

bool Matches(const std::wstring& title, const std::wstring& pattern) {
    if (!pattern.empty() && pattern.back() == L'*') return title.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0;
    return title == pattern;
}

std::vector<HWND> VisibleTopWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindTop(const std::wstring& pattern) {
    for (HWND hwnd : VisibleTopWindows()) {
        if (Matches(TitleOf(hwnd), pattern)) return hwnd;
    }
    return nullptr;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

void PrintCentre(const RECT& r) { Print(std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2)); }

int ListWindows() {
    for (HWND hwnd : VisibleTopWindows()) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        char handle[32];
        std::snprintf(handle, sizeof handle, "%p", static_cast<void*>(hwnd));
        Print(std::string(handle) + "\t" + Utf8(ClassOf(hwnd)) + "\t" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
              std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top) + "\t" + Utf8(TitleOf(hwnd)));
    }
    return 0;
}

int Texts(HWND top) {
    for (HWND child : Children(top)) {
        if (IsWindowVisible(child)) Print(Utf8(ClassOf(child)) + "\t" + Utf8(TextOf(child)));
    }
    return 0;
}

// The list belongs to another process: the rectangle is asked for in memory
// of that process.
int Row(HWND top, int row) {
    HWND list = FindWindowExW(top, nullptr, WC_LISTVIEWW, nullptr);
    if (!list) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 1;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    RECT r{LVIR_LABEL, 0, 0, 0};
    SIZE_T moved = 0;
    bool ok = remote && WriteProcessMemory(process, remote, &r, sizeof r, &moved) &&
              SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(remote)) &&
              ReadProcessMemory(process, remote, &r, sizeof r, &moved);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!ok) return 1;
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
    PrintCentre(r);
    return 0;
}

// How many rows of the list are selected as it shows them; -1 without a list.
long SelectedCount(HWND top) {
    HWND list = top ? FindWindowExW(top, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    return list ? static_cast<long>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)) : -1;
}

int Control(HWND top, const std::function<bool(HWND)>& wanted) {
    for (HWND child : Children(top)) {
        if (!IsWindowVisible(child) || !wanted(child)) continue;
        RECT r{};
        GetWindowRect(child, &r);
        PrintCentre(r);
        return 0;
    }
    return 1;
}

// Twips become pixels by the window's own DPI, as the program scales them.
int At(HWND top, int x, int y) {
    const int dpi = static_cast<int>(GetDpiForWindow(top));
    POINT p{MulDiv(x, dpi, 1440), MulDiv(y, dpi, 1440)};
    ClientToScreen(top, &p);
    Print(std::to_string(p.x) + " " + std::to_string(p.y));
    return 0;
}

// Polls until the state comes: a minute is long enough for a slow, busy
// machine, and the script's own step fails with a message when it never does.
int Poll(const std::function<bool()>& came) {
    const ULONGLONG end = GetTickCount64() + 60000;
    do {
        if (came()) return 0;
        Sleep(50);
    } while (GetTickCount64() < end);
    return 1;
}

int Wait(const std::wstring& pattern, bool gone) {
    return Poll([&] { return (FindTop(pattern) != nullptr) != gone; });
}

int Covered() {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return Poll([&] {
        for (HWND hwnd : VisibleTopWindows()) {
            RECT r{};
            GetWindowRect(hwnd, &r);
            if (r.left <= screen.left && r.top <= screen.top && r.right >= screen.right && r.bottom >= screen.bottom) {
                Print(Utf8(TitleOf(hwnd)));
                return true;
            }
        }
        return false;
    });
}

int Menu(bool gone) {
    return Poll([&] {
        const auto windows = VisibleTopWindows();
        const bool shown = std::any_of(windows.begin(), windows.end(), [](HWND hwnd) { return ClassOf(hwnd) == L"#32768"; });
        return shown != gone;
    });
}

// Until the window's list has one of the counts selected.
int Selection(const std::wstring& title, const std::vector<long>& counts) {
    return Poll([&] {
        const long count = SelectedCount(FindTop(title));
        if (std::find(counts.begin(), counts.end(), count) == counts.end()) return false;
        Print(std::to_string(count));
        return true;
    });
}

// Until a visible control of the class in the window shows the text.
int Text(const std::wstring& title, const std::wstring& window_class, const std::wstring& pattern) {
    return Poll([&] {
        HWND top = FindTop(title);
        if (!top) return false;
        for (HWND child : Children(top)) {
            if (IsWindowVisible(child) && ClassOf(child) == window_class && Matches(TextOf(child), pattern)) return true;
        }
        return false;
    });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Positions in the screen's real pixels, whatever its scaling.
    SetProcessDPIAware();
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"windows") return ListWindows();
    if (command == L"covered") return Covered();
    if (command == L"menu") return Menu(argc > 2 && std::wstring(argv[2]) == L"gone");
    if (argc < 3) return 2;
    const std::wstring title = argv[2];
    if (command == L"wait") return Wait(title, argc > 3 && std::wstring(argv[3]) == L"gone");
    if (command == L"selection" && argc > 3) {
        std::vector<long> counts;
        for (int i = 3; i < argc; ++i) counts.push_back(_wtol(argv[i]));
        return Selection(title, counts);
    }
    if (command == L"text" && argc > 4) return Text(title, argv[3], argv[4]);
    HWND top = FindTop(title);
    if (!top) return 1;
    if (command == L"texts") return Texts(top);
    if (command == L"row" && argc > 3) return Row(top, _wtoi(argv[3]));
    if (command == L"selected") {
        Print(std::to_string(SelectedCount(top)));
        return 0;
    }
    if (command == L"control" && argc > 3) return Control(top, [&](HWND child) { return TextOf(child) == argv[3]; });
    if (command == L"kind" && argc > 3) return Control(top, [&](HWND child) { return ClassOf(child) == argv[3]; });
    if (command == L"at" && argc > 4) return At(top, _wtoi(argv[3]), _wtoi(argv[4]));
    return 2;
}
