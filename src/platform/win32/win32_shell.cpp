#include "win32_shell.h"

#include <shellapi.h>
#include <shlobj.h>

#include "win32_picture.h"
#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"

namespace kestrova {
namespace {

// Backslashes count only before a quote: there they are doubled, and the
// quote itself is escaped.
std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

// A shell folder's own parsing name, "::{GUID}", which Wine gives as the
// path of a folder that has none (the network places).
bool IsShellFolderName(const std::wstring& text) { return text.rfind(L"::", 0) == 0; }

}  // namespace

bool ShellOpenFile(HWND owner, const std::string& path, std::string& error) {
    const std::wstring file = WideFromUtf8(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The shell's own boxes stay: a file no program is associated with asks
    // which program to open it with, over the program's window.
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) return true;
    error = WindowsErrorText(GetLastError());
    return false;
}

Picture ShellIconOf(const std::string& path, UINT dpi) {
    const std::wstring file = WideFromUtf8(path);
    SHFILEINFOW info{};
    const int size = MulDiv(16, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    const UINT which = size > 16 ? SHGFI_LARGEICON : SHGFI_SMALLICON;
    if (!SHGetFileInfoW(file.c_str(), 0, &info, sizeof info, SHGFI_ICON | which) || !info.hIcon) {
        // A file that is gone still has a type: its name alone decides.
        if (!SHGetFileInfoW(file.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                            SHGFI_ICON | which | SHGFI_USEFILEATTRIBUTES) ||
            !info.hIcon) {
            return {};
        }
    }
    Picture picture = IconToPicture(info.hIcon, 16);
    if (size > 16) picture.denser.push_back(IconToPicture(info.hIcon, size));
    DestroyIcon(info.hIcon);
    return picture;
}

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title, bool network) {
    // The computer's drives, or with "Net" the network places.
    PIDLIST_ABSOLUTE root = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, network ? CSIDL_NETWORK : CSIDL_DRIVES, &root))) root = nullptr;
    std::wstring name(MAX_PATH, L'\0');
    const std::wstring heading = WideFromUtf8(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = root;
    info.pszDisplayName = name.data();
    info.lpszTitle = heading.empty() ? nullptr : heading.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (root) CoTaskMemFree(root);
    if (!chosen) return std::nullopt;
    std::wstring path(MAX_PATH * 8, L'\0');
    if (!SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) path[0] = L'\0';
    path.resize(wcslen(path.c_str()));
    if (IsShellFolderName(path)) path.clear();
    if (path.empty()) {
        // An item without a path of its own, such as a computer on the
        // network, is named by the browser: \\NAME. Where the browser gives
        // no such name (Wine's writes the item's path there), the shell's
        // own name of the item stands in.
        name.resize(wcslen(name.c_str()));
        SHFILEINFOW item{};
        if ((name.empty() || IsShellFolderName(name)) &&
            SHGetFileInfoW(reinterpret_cast<LPCWSTR>(chosen), 0, &item, sizeof item, SHGFI_PIDL | SHGFI_DISPLAYNAME)) {
            name = item.szDisplayName;
        }
        path = L"\\\\" + name;
    }
    CoTaskMemFree(chosen);
    return Utf8FromWide(path);
}

std::wstring CommandLineOf(const std::vector<std::string>& argv) {
    std::wstring line;
    for (size_t i = 0; i < argv.size(); ++i) {
        if (i > 0) line += L' ';
        const std::wstring arg = WideFromUtf8(argv[i]);
        // The program's own name is read by other rules: quoted whole, no escapes.
        line += i == 0 ? (arg.find_first_of(L" \t") == std::wstring::npos && !arg.empty() ? arg : L"\"" + arg + L"\"")
                       : Quoted(arg);
    }
    return line;
}

}  // namespace kestrova
