#include "installed_player.h"

#include <windows.h>

#include <string>

#include "wide_text.h"

namespace kestrova {
namespace {

// Where an installer records its player: a value holding the program's path,
// or (with file) the folder the program lies in.
struct Record {
    PlayerKind kind;
    const wchar_t* key;
    const wchar_t* value;  // nullptr: the key's default value
    const wchar_t* file = nullptr;
};

#define APP_PATHS L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"

constexpr Record kRecords[] = {
    {PlayerKind::MediaPlayerClassic, L"SOFTWARE\\MPC-HC\\MPC-HC", L"ExePath"},
    {PlayerKind::MediaPlayerClassic, L"SOFTWARE\\MPC-BE", L"ExePath"},
    {PlayerKind::MediaPlayerClassic, APP_PATHS L"mpc-hc64.exe", nullptr},
    {PlayerKind::MediaPlayerClassic, APP_PATHS L"mpc-hc.exe", nullptr},
    {PlayerKind::MediaPlayerClassic, APP_PATHS L"mpc-be64.exe", nullptr},
    {PlayerKind::MediaPlayerClassic, APP_PATHS L"mpc-be.exe", nullptr},
    {PlayerKind::Vlc, L"SOFTWARE\\VideoLAN\\VLC", L"InstallDir", L"vlc.exe"},
    {PlayerKind::Vlc, APP_PATHS L"vlc.exe", nullptr},
    {PlayerKind::Mpv, APP_PATHS L"mpv.exe", nullptr},
};

#undef APP_PATHS

// The user's own installation first; a 32-bit installer on 64-bit Windows
// writes the machine's records into the 32-bit view.
const HKEY kRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

std::wstring ReadText(HKEY root, REGSAM view, const Record& record) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, record.key, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return {};
    std::wstring text;
    DWORD bytes = 0;
    // Takes an expandable value as well, with %ProgramFiles% and the like
    // expanded.
    constexpr DWORD kText = RRF_RT_REG_SZ;
    if (RegGetValueW(key, nullptr, record.value, kText, nullptr, nullptr, &bytes) == ERROR_SUCCESS && bytes > 0) {
        text.resize(bytes / sizeof(wchar_t));
        if (RegGetValueW(key, nullptr, record.value, kText, nullptr, text.data(), &bytes) != ERROR_SUCCESS) text.clear();
        text.resize(wcslen(text.c_str()));
    }
    RegCloseKey(key);
    return text;
}

// App Paths values are sometimes written in quotes.
std::wstring Unquoted(std::wstring text) {
    const auto first = text.find_first_not_of(L" \t\"");
    const auto last = text.find_last_not_of(L" \t\"");
    return first == std::wstring::npos ? std::wstring() : text.substr(first, last - first + 1);
}

bool IsProgramFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::optional<VideoPlayer> FindInstalledPlayer() {
    for (const Record& record : kRecords) {
        for (HKEY root : kRoots) {
            for (REGSAM view : kViews) {
                std::wstring path = Unquoted(ReadText(root, view, record));
                if (path.empty()) continue;
                if (record.file) path += (path.back() == L'\\' ? L"" : L"\\") + std::wstring(record.file);
                // An uninstalled player may leave its record behind.
                if (IsProgramFile(path)) return VideoPlayer{record.kind, Utf8FromWide(path)};
            }
        }
    }
    return std::nullopt;
}

}  // namespace kestrova
