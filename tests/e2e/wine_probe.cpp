// Looks at the windows of the program under test from beside it, in the same
// Wine session, for the end-to-end scripts: which windows are up, the texts
// of a window's controls (a message box's text), and where on the screen a
// list row or a control lies, so the script can click there with the mouse.
//   wine_probe.exe windows
//   wine_probe.exe texts <title>
//   wine_probe.exe row <title> <row>          (1-based)
//   wine_probe.exe selected <title>           (how many rows are selected)
//   wine_probe.exe control <title> <text>
//   wine_probe.exe at <title> <x> <y>          (twips in the window's client area)
//   wine_probe.exe wait <title> [gone]
//   wine_probe.exe covered                    (waits; prints the title)
// A title ending in "*" matches every title that begins with the rest.
// Output is UTF-8, one line per item; positions are "x y" in screen pixels.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
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

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

bool TitleMatches(const std::wstring& title, const std::wstring& pattern) {
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
        if (TitleMatches(TextOf(hwnd), pattern)) return hwnd;
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
              std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top) + "\t" + Utf8(TextOf(hwnd)));
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

// How many rows of the list are selected as it shows them.
int Selected(HWND top) {
    HWND list = FindWindowExW(top, nullptr, WC_LISTVIEWW, nullptr);
    if (!list) return 1;
    Print(std::to_string(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)));
    return 0;
}

int Control(HWND top, const std::wstring& text) {
    for (HWND child : Children(top)) {
        if (!IsWindowVisible(child) || TextOf(child) != text) continue;
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

// Polls for a while: long enough for a slow machine, and the script's own
// step fails with a message when the state never comes.
int Wait(const std::wstring& pattern, bool gone) {
    for (int i = 0; i < 600; ++i) {
        if ((FindTop(pattern) != nullptr) != gone) return 0;
        Sleep(50);
    }
    return 1;
}

int Covered() {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    for (int i = 0; i < 600; ++i) {
        for (HWND hwnd : VisibleTopWindows()) {
            RECT r{};
            GetWindowRect(hwnd, &r);
            if (r.left <= screen.left && r.top <= screen.top && r.right >= screen.right && r.bottom >= screen.bottom) {
                Print(Utf8(TextOf(hwnd)));
                return 0;
            }
        }
        Sleep(50);
    }
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Positions in the screen's real pixels, whatever its scaling.
    SetProcessDPIAware();
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"windows") return ListWindows();
    if (command == L"covered") return Covered();
    if (argc < 3) return 2;
    const std::wstring title = argv[2];
    if (command == L"wait") return Wait(title, argc > 3 && std::wstring(argv[3]) == L"gone");
    HWND top = FindTop(title);
    if (!top) return 1;
    if (command == L"texts") return Texts(top);
    if (command == L"row" && argc > 3) return Row(top, _wtoi(argv[3]));
    if (command == L"selected") return Selected(top);
    if (command == L"control" && argc > 3) return Control(top, argv[3]);
    if (command == L"at" && argc > 4) return At(top, _wtoi(argv[3]), _wtoi(argv[4]));
    return 2;
}
