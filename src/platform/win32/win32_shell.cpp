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

}  // namespace

bool ShellOpenFile(const std::string& path, std::string& error) {
    const std::wstring file = WideFromUtf8(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No box of the shell's own: a failure is reported by the program.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
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
    const std::wstring heading = WideFromUtf8(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = heading.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE network_root = nullptr;
    if (network && SUCCEEDED(SHGetSpecialFolderLocation(owner, CSIDL_NETWORK, &network_root))) info.pidlRoot = network_root;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (network_root) CoTaskMemFree(network_root);
    if (!chosen) return std::nullopt;
    std::wstring path(MAX_PATH * 8, L'\0');
    const bool ok = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    CoTaskMemFree(chosen);
    if (!ok) return std::nullopt;
    path.resize(wcslen(path.c_str()));
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
