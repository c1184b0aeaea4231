#include "settings/data_folders.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "platform/text/codepage.h"
#include "platform/system/files.h"
#include "platform/system/user_folders.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"
#include "support/permission_bits.h"

namespace kestrova {
namespace {

using testing::TempDir;

// The desktop's variables and permission bits are Linux's; Windows has
// known folders and access lists (see the Windows test at the end).
#ifndef _WIN32
// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        if (value) setenv(name, value, 1); else unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_, old_->c_str(), 1); else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};
#endif

// A folder below the test folder, with its separator.
std::string Folder(const TempDir& dir, const std::string& name) { return dir / name + kPathSeparator; }

TEST(DataFolders, PortableOrPerUserByWhetherTheProgramFolderRefusesWriting) {
    TempDir dir;
    const std::string program = Folder(dir, "bin");
    const std::string config = Folder(dir, "home" + std::string(1, kPathSeparator) + "config");
    const std::string cache = Folder(dir, "home" + std::string(1, kPathSeparator) + "cache");
    const std::string own = std::string(kUserFolderName) + kPathSeparator;
    dir.Write("cache-is-a-file", "x");
    const std::string blocked = Folder(dir, "cache-is-a-file");
    struct Case {
        const char* what;
        bool refuses;
        std::string config_home, cache_home;
        std::string settings, scratch;
    } cases[] = {
        {"writable: everything beside the program", false, config, cache, program, program},
        {"refused: config and cache folders", true, config, cache, config + own, cache + own},
        {"refused, no cache folder to be had", true, config, blocked, config + own, config + own},
        {"refused, no cache home known", true, config, "", config + own, config + own},
        {"refused, no config folder to be had", true, blocked, cache, program, program},
        {"refused, no home at all", true, "", "", program, program},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(testing::NativePath(dir / "home"));
        const DataFolders got = ChooseDataFolders(program, c.refuses, c.config_home, c.cache_home);
        EXPECT_EQ(got.settings, c.settings) << c.what;
        EXPECT_EQ(got.scratch, c.scratch) << c.what;
        for (const std::string& folder : {got.settings, got.scratch}) {
            if (folder != program) {
                EXPECT_TRUE(FolderExists(folder)) << c.what << ": " << folder;
            }
        }
        if (!c.refuses) {
            EXPECT_FALSE(dir.Exists("home")) << c.what << ": a portable copy makes no user folders";
        }
    }
}

TEST(DataFolders, MadeFoldersArePrivateToTheUser) {
    TempDir dir;
    ASSERT_TRUE(MakeUserFolder(dir / "a/b/kestrova/"));
    EXPECT_TRUE(FolderExists(dir / "a/b/kestrova"));
#ifndef _WIN32
    struct stat info {};
    ASSERT_EQ(stat((dir / "a/b/kestrova").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
#endif
    EXPECT_TRUE(MakeUserFolder(dir / "a/b/kestrova")) << "an existing folder is fine";
    dir.Write("file", "x");
    EXPECT_FALSE(MakeUserFolder(dir / "file/kestrova/"));
    EXPECT_FALSE(MakeUserFolder(""));
}

#ifndef _WIN32
TEST(DataFolders, BaseFoldersFollowTheDesktopVariablesOrTheHomeFolder) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/elsewhere/conf");
        ScopedEnv cache("XDG_CACHE_HOME", "/elsewhere/cache/");
        EXPECT_EQ(UserConfigHome(), "/elsewhere/conf/");
        EXPECT_EQ(UserCacheHome(), "/elsewhere/cache/");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "relative/conf");
        ScopedEnv cache("XDG_CACHE_HOME", "");
        EXPECT_EQ(UserConfigHome(), "/home/someone/.config/") << "a relative value is ignored";
        EXPECT_EQ(UserCacheHome(), "/home/someone/.cache/") << "an empty value is ignored";
    }
    ScopedEnv no_home("HOME", nullptr);
    ScopedEnv no_config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserConfigHome(), "");
}
#endif

TEST(DataFolders, OnlyARefusalCountsAsUnwritable) {
    TempDir dir;
    EXPECT_FALSE(FolderRefusesWriting(dir.path()));
    EXPECT_FALSE(FolderRefusesWriting(dir / "missing")) << "a missing folder keeps its usual place";
}

#ifndef _WIN32
// Run as an ordinary user (root writes everywhere): an installed copy in a
// read-only folder keeps its settings in $XDG_CONFIG_HOME/kestrova/, made on
// first use, and they come back on the next start.
TEST(DataFolders, UnwritableProgramFolderKeepsSettingsInTheConfigFolder) {
    SKIP_UNLESS_PERMISSION_BITS_HOLD();
    TempDir dir;
    dir.Write("bin/kestrova", "");
    chmod((dir / "bin").c_str(), 0555);
    ScopedEnv config("XDG_CONFIG_HOME", (dir / "conf").c_str());
    ScopedEnv cache("XDG_CACHE_HOME", (dir / "cache").c_str());
    ASSERT_TRUE(FolderRefusesWriting(dir / "bin"));

    SharedState s;
    ApplyDefaultSettings(s);
    s.ViewSeconds = 7;
    SetProgramPaths(s, dir / "bin");
    EXPECT_EQ(s.ProgramFolder, dir / "bin/") << "the launcher is still looked for beside the program";
    EXPECT_EQ(s.SettingsFilePath, dir / "conf/kestrova/Kestrova.ini");
    EXPECT_EQ(s.ListFilePath, dir / "conf/kestrova/Kestrova.csv");
    EXPECT_EQ(s.ScratchFolder, dir / "cache/kestrova/");
    ASSERT_TRUE(SaveSettingsFile(s));

    SharedState back;
    SetProgramPaths(back, dir / "bin");
    ASSERT_TRUE(ReadSettingsFile(back));
    EXPECT_EQ(back.ViewSeconds, 7);
    EXPECT_EQ(dir.Read("conf/kestrova/Kestrova.ini"), EncodeFileText(FormatSettingsText(s)));
}
#else
TEST(DataFolders, BaseFoldersAreTheApplicationDataFolders) {
    const std::string roaming = UserConfigHome();
    const std::string local = UserCacheHome();
    EXPECT_TRUE(FolderExists(roaming)) << roaming;
    EXPECT_TRUE(FolderExists(local)) << local;
    EXPECT_NE(roaming, local) << "the scratch files stay on this machine";
    EXPECT_EQ(roaming.back(), kPathSeparator);
}
#endif

}  // namespace
}  // namespace kestrova
