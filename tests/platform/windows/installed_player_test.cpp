// Finding an installed video player where the installers record it. The
// test registers stand-in players (empty files) in keys of its own, which it
// makes the process's HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE for the time.
#include "platform/windows/installed_player.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/windows/wide_text.h"

namespace kestrova {
namespace {

// One value an installer writes; root is the machine's or the user's.
struct Entry {
    HKEY root;
    std::wstring key;
    std::wstring value;  // empty: the key's default value
    std::wstring data;   // "@" stands for the stand-ins' folder
    DWORD type = REG_SZ;
};

class RegisteredPlayers {
public:
    RegisteredPlayers() {
        scratch_ = L"Software\\KestrovaTest\\" + std::to_wstring(GetCurrentProcessId());
        RegCreateKeyExW(HKEY_CURRENT_USER, (scratch_ + L"\\user").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &user_, nullptr);
        RegCreateKeyExW(HKEY_CURRENT_USER, (scratch_ + L"\\machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &machine_, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, user_);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
        folder_ = std::filesystem::temp_directory_path() / ("kestrova-players-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
    }
    ~RegisteredPlayers() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegCloseKey(user_);
        RegCloseKey(machine_);
        RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
        std::filesystem::remove_all(folder_);
    }
    RegisteredPlayers(const RegisteredPlayers&) = delete;
    RegisteredPlayers& operator=(const RegisteredPlayers&) = delete;

    // A stand-in program in the stand-ins' folder.
    std::wstring Program(const std::wstring& relative) {
        const std::filesystem::path path = folder_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "stand-in";
        return path.wstring();
    }
    void Register(const Entry& entry) {
        std::wstring data = entry.data;
        if (const auto at = data.find(L'@'); at != std::wstring::npos) data.replace(at, 1, folder_.wstring());
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(entry.root, entry.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, entry.value.empty() ? nullptr : entry.value.c_str(), 0, entry.type,
                       reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    std::string Path(const std::wstring& relative) const { return Utf8FromWide((folder_ / relative).wstring()); }
    std::wstring Folder() const { return folder_.wstring(); }

private:
    std::wstring scratch_;
    HKEY user_ = nullptr;
    HKEY machine_ = nullptr;
    std::filesystem::path folder_;
};

const std::wstring kAppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

TEST(InstalledPlayer, FoundWhereEachInstallerRecordsIt) {
    const struct Case {
        const char* what;
        std::vector<Entry> entries;
        PlayerKind kind;
        const wchar_t* program;
    } cases[] = {
        {"home cinema, the user's record",
         {{HKEY_CURRENT_USER, L"SOFTWARE\\MPC-HC\\MPC-HC", L"ExePath", L"@\\MPC-HC\\mpc-hc64.exe"}},
         PlayerKind::MediaPlayerClassic, L"MPC-HC\\mpc-hc64.exe"},
        {"black edition, the machine's record",
         {{HKEY_LOCAL_MACHINE, L"SOFTWARE\\MPC-BE", L"ExePath", L"@\\MPC-BE x64\\mpc-be64.exe"}},
         PlayerKind::MediaPlayerClassic, L"MPC-BE x64\\mpc-be64.exe"},
        {"home cinema through App Paths, quoted",
         {{HKEY_LOCAL_MACHINE, kAppPaths + L"mpc-hc64.exe", L"", L"\"@\\MPC-HC\\mpc-hc64.exe\""}},
         PlayerKind::MediaPlayerClassic, L"MPC-HC\\mpc-hc64.exe"},
        {"VLC by its folder",
         {{HKEY_LOCAL_MACHINE, L"SOFTWARE\\VideoLAN\\VLC", L"InstallDir", L"@\\VideoLAN\\VLC"}},
         PlayerKind::Vlc, L"VideoLAN\\VLC\\vlc.exe"},
        {"VLC through the user's App Paths",
         {{HKEY_CURRENT_USER, kAppPaths + L"vlc.exe", L"", L"@\\VLC\\vlc.exe"}},
         PlayerKind::Vlc, L"VLC\\vlc.exe"},
        {"mpv through App Paths, an expandable value",
         {{HKEY_LOCAL_MACHINE, kAppPaths + L"mpv.exe", L"", L"%KESTROVA_PLAYERS%\\mpv\\mpv.exe", REG_EXPAND_SZ}},
         PlayerKind::Mpv, L"mpv\\mpv.exe"},
        {"Media Player Classic before VLC before mpv",
         {{HKEY_LOCAL_MACHINE, kAppPaths + L"mpv.exe", L"", L"@\\mpv\\mpv.exe"},
          {HKEY_LOCAL_MACHINE, L"SOFTWARE\\VideoLAN\\VLC", L"InstallDir", L"@\\VideoLAN\\VLC\\"},
          {HKEY_CURRENT_USER, L"SOFTWARE\\MPC-BE", L"ExePath", L"@\\MPC-BE\\mpc-be.exe"}},
         PlayerKind::MediaPlayerClassic, L"MPC-BE\\mpc-be.exe"},
        {"VLC before mpv",
         {{HKEY_LOCAL_MACHINE, kAppPaths + L"mpv.exe", L"", L"@\\mpv\\mpv.exe"},
          {HKEY_LOCAL_MACHINE, L"SOFTWARE\\VideoLAN\\VLC", L"InstallDir", L"@\\VideoLAN\\VLC\\"}},
         PlayerKind::Vlc, L"VideoLAN\\VLC\\vlc.exe"},
        {"a record left behind by an uninstalled player is passed over",
         {{HKEY_CURRENT_USER, L"SOFTWARE\\MPC-HC\\MPC-HC", L"ExePath", L"@\\gone\\mpc-hc64.exe"},
          {HKEY_CURRENT_USER, kAppPaths + L"mpv.exe", L"", L"@\\mpv\\mpv.exe"}},
         PlayerKind::Mpv, L"mpv\\mpv.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegisteredPlayers players;
        SetEnvironmentVariableW(L"KESTROVA_PLAYERS", players.Folder().c_str());
        for (const wchar_t* program : {L"MPC-HC\\mpc-hc64.exe", L"MPC-BE x64\\mpc-be64.exe", L"MPC-BE\\mpc-be.exe",
                                       L"VideoLAN\\VLC\\vlc.exe", L"VLC\\vlc.exe", L"mpv\\mpv.exe"}) {
            players.Program(program);
        }
        for (const Entry& entry : c.entries) players.Register(entry);
        const auto found = FindInstalledPlayer();
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->kind, c.kind);
        EXPECT_EQ(found->program, players.Path(c.program));
    }
}

TEST(InstalledPlayer, NoneWhenNothingIsRegisteredOrTheProgramIsGone) {
    RegisteredPlayers players;
    EXPECT_FALSE(FindInstalledPlayer().has_value());
    players.Register({HKEY_LOCAL_MACHINE, L"SOFTWARE\\VideoLAN\\VLC", L"InstallDir", L"@\\VideoLAN\\VLC"});
    players.Register({HKEY_CURRENT_USER, kAppPaths + L"mpv.exe", L"", L"@\\mpv"});
    players.Program(L"mpv\\mpv.exe");  // a folder named like the program is no program
    EXPECT_FALSE(FindInstalledPlayer().has_value());
}

}  // namespace
}  // namespace kestrova
