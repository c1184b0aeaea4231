#include "platform/files.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace kestrova {
namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/kestrova-files-XXXXXX";
        ASSERT_NE(::mkdtemp(templ.data()), nullptr) << std::strerror(errno);
        dir_ = templ;
    }

    void TearDown() override {
        // Folders locked by a test must be opened again before removal.
        for (const auto& locked : locked_) ::chmod(locked.c_str(), 0755);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream out(Path(name), std::ios::binary);
        out << bytes;
        ASSERT_TRUE(out.good()) << name;
    }

    void MakeFolder(const std::string& name) { ASSERT_EQ(::mkdir(Path(name).c_str(), 0755), 0) << name; }

    void Lock(const std::string& path, mode_t mode) {
        locked_.push_back(path);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    }

    static std::vector<std::string> Names(const Listing& listing) {
        std::vector<std::string> names;
        for (const auto& e : listing.entries) names.push_back(e.name);
        return names;
    }

    // Everything in a folder as the system sees it, for checking leftovers.
    static std::set<std::string> RawNames(const std::string& folder) {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
        return names;
    }

    std::string dir_;
    std::vector<std::string> locked_;
};

bool IsRoot() { return ::geteuid() == 0; }

TEST_F(FilesTest, AttributesSelectHiddenEntriesAndFolders) {
    Write("b.txt", "b");
    Write("A.txt", "a");
    Write(".secret", "s");
    MakeFolder("sub");
    MakeFolder(".hdir");

    struct Case {
        int attributes;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {kAttrNormal, {"A.txt", "b.txt"}},
        {kAttrHidden, {".secret", "A.txt", "b.txt"}},
        {kAttrDirectory, {"A.txt", "b.txt", "sub"}},
        {kAttrHidden | kAttrDirectory, {".hdir", ".secret", "A.txt", "b.txt", "sub"}},
        {kAttrReadOnly | kAttrArchive | kAttrSystem, {"A.txt", "b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        const Listing listing = ListFolder(dir_, c.attributes, "*.*");
        ASSERT_TRUE(listing.ok) << listing.error;
        EXPECT_EQ(Names(listing), c.expected);
    }

    const Listing all = ListFolder(dir_, kAttrHidden | kAttrDirectory, "*");
    ASSERT_TRUE(all.ok);
    for (const auto& e : all.entries) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.is_hidden, e.name[0] == '.');
        EXPECT_EQ(e.is_directory, e.name == "sub" || e.name == ".hdir");
        EXPECT_FALSE(e.is_symlink);
    }
}

TEST_F(FilesTest, PatternsFilterFilesAndFolders) {
    for (const char* name : {"A.MPG", "a.mp4", "c.avi", "d.WMV", "e.mpg.txt", "f"}) Write(name, "x");
    MakeFolder("clips.avi");
    MakeFolder("other");

    Listing listing = ListFolder(dir_, kAttrNormal, "*.avi;*.mpg;*.wmv");
    ASSERT_TRUE(listing.ok) << listing.error;
    EXPECT_EQ(Names(listing), (std::vector<std::string>{"A.MPG", "c.avi", "d.WMV"}));

    listing = ListFolder(dir_, kAttrDirectory, "*.avi;*.mpg;*.wmv");
    ASSERT_TRUE(listing.ok);
    EXPECT_EQ(Names(listing), (std::vector<std::string>{"A.MPG", "c.avi", "clips.avi", "d.WMV"}));

    listing = ListFolder(dir_, kAttrDirectory, "");
    ASSERT_TRUE(listing.ok);
    EXPECT_TRUE(listing.entries.empty());
}

TEST_F(FilesTest, OrderIgnoresCaseThenUsesBytes) {
    for (const char* name : {"b", "B", "a", "A", "_x", "a1", "Z"}) Write(name, "");
    const Listing listing = ListFolder(dir_, kAttrNormal, "*");
    ASSERT_TRUE(listing.ok);
    EXPECT_EQ(Names(listing), (std::vector<std::string>{"_x", "A", "a", "a1", "B", "b", "Z"}));
}

TEST_F(FilesTest, SizeTimeAndIdentity) {
    Write("data.bin", std::string(1234, 'x'));
    const timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path("data.bin").c_str(), times, 0), 0);
    struct stat st;
    ASSERT_EQ(::stat(Path("data.bin").c_str(), &st), 0);

    const Listing listing = ListFolder(dir_, kAttrNormal, "*");
    ASSERT_TRUE(listing.ok);
    ASSERT_EQ(listing.entries.size(), 1u);
    const DirEntry& e = listing.entries[0];
    EXPECT_EQ(e.size, 1234);
    EXPECT_EQ(e.mtime_seconds, 1600000000);
    EXPECT_EQ(e.inode, static_cast<std::uint64_t>(st.st_ino));
    EXPECT_EQ(e.device, static_cast<std::uint64_t>(st.st_dev));

    EXPECT_EQ(FileLength(Path("data.bin")), 1234);
    EXPECT_EQ(FileModified(Path("data.bin")), ToLocalTime(1600000000));
    EXPECT_EQ(FileLength(Path("missing")), std::nullopt);
    EXPECT_EQ(FileModified(Path("missing")), std::nullopt);
}

TEST_F(FilesTest, SymlinksShowTheirTargets) {
    Write("target.avi", std::string(5000, 'x'));
    MakeFolder("realdir");
    ASSERT_EQ(::symlink("target.avi", Path("link.avi").c_str()), 0);
    ASSERT_EQ(::symlink("realdir", Path("linkdir").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere.avi", Path("dangling.avi").c_str()), 0);
    ASSERT_EQ(::symlink("loop.avi", Path("loop.avi").c_str()), 0);

    const Listing listing = ListFolder(dir_, kAttrDirectory, "*");
    ASSERT_TRUE(listing.ok) << listing.error;
    EXPECT_EQ(Names(listing),
              (std::vector<std::string>{"dangling.avi", "link.avi", "linkdir", "loop.avi", "realdir", "target.avi"}));
    for (const auto& e : listing.entries) {
        SCOPED_TRACE(e.name);
        if (e.name == "link.avi") {
            EXPECT_TRUE(e.is_symlink);
            EXPECT_FALSE(e.is_directory);
            EXPECT_EQ(e.size, 5000);
        } else if (e.name == "linkdir") {
            EXPECT_TRUE(e.is_symlink);
            EXPECT_TRUE(e.is_directory);
        } else if (e.name == "dangling.avi" || e.name == "loop.avi") {
            EXPECT_TRUE(e.is_symlink);
            EXPECT_FALSE(e.is_directory);
        } else {
            EXPECT_FALSE(e.is_symlink);
        }
    }
    // The link and its target are one file.
    EXPECT_EQ(listing.entries[1].inode, listing.entries[5].inode);

    // Without the folder bit a link to a folder is left out like the folder.
    EXPECT_EQ(Names(ListFolder(dir_, kAttrNormal, "link*")), (std::vector<std::string>{"link.avi"}));
}

TEST_F(FilesTest, OddNamesSurviveListing) {
    const std::set<std::string> names = {"with blank.txt", " leading", "quote\"s'.txt", "bad\xFF\xFE.txt",
                                         "日本語 ﾌｧｲﾙ.avi", "semi;colon", "back\\slash"};
    for (const auto& n : names) Write(n, n);
    const Listing listing = ListFolder(dir_, kAttrNormal, "*");
    ASSERT_TRUE(listing.ok);
    const std::vector<std::string> got = Names(listing);
    EXPECT_EQ(std::set<std::string>(got.begin(), got.end()), names);
    for (const auto& e : listing.entries) EXPECT_EQ(e.size, static_cast<std::int64_t>(e.name.size())) << e.name;
}

TEST_F(FilesTest, ListingFailuresCarryTheSystemText) {
    Listing missing = ListFolder(Path("missing"), kAttrNormal, "*");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "No such file or directory");

    Write("plain", "x");
    Listing not_folder = ListFolder(Path("plain"), kAttrNormal, "*");
    EXPECT_FALSE(not_folder.ok);
    EXPECT_EQ(not_folder.error, std::strerror(ENOTDIR));

    if (IsRoot()) GTEST_SKIP() << "permission checks do not apply to root";
    MakeFolder("locked");
    Write("locked/inside.txt", "x");
    Lock(Path("locked"), 0);
    Listing denied = ListFolder(Path("locked"), kAttrNormal, "*");
    EXPECT_FALSE(denied.ok);
    EXPECT_EQ(denied.error, "Permission denied");
    EXPECT_TRUE(denied.entries.empty());
}

TEST_F(FilesTest, ExistenceChecks) {
    Write("movie.avi", "x");
    Write(".hidden.avi", "x");
    MakeFolder("folder");
    ASSERT_EQ(::symlink("movie.avi", Path("link.avi").c_str()), 0);
    ASSERT_EQ(::symlink("gone.avi", Path("dangling.avi").c_str()), 0);
    ASSERT_EQ(::symlink("folder", Path("folderlink").c_str()), 0);

    struct Case {
        std::string name;
        bool normal_file;
        bool folder;
    };
    const Case cases[] = {
        {"movie.avi", true, false},   {".hidden.avi", false, false}, {"folder", false, true},
        {"link.avi", true, false},    {"dangling.avi", false, false}, {"folderlink", false, true},
        {"missing.avi", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NormalFileExists(Path(c.name)), c.normal_file);
        EXPECT_EQ(FolderExists(Path(c.name)), c.folder);
    }
}

TEST_F(FilesTest, ToLocalTimeUsesTheTimeZone) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    const LocalTime epoch = ToLocalTime(0);
    const LocalTime later = ToLocalTime(1700000000);
    if (old) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
    EXPECT_EQ(epoch, (LocalTime{1970, 1, 1, 9, 0, 0}));
    EXPECT_EQ(later, (LocalTime{2023, 11, 15, 7, 13, 20}));
}

TEST_F(FilesTest, DeleteAndRename) {
    std::string error;
    Write("a.txt", "A");
    Write("b.txt", "B");

    EXPECT_FALSE(RenameFile(Path("a.txt"), Path("b.txt"), error));
    EXPECT_EQ(error, std::strerror(EEXIST));
    EXPECT_EQ(ReadFileBytes(Path("b.txt"), error), "B");  // untouched
    EXPECT_TRUE(NormalFileExists(Path("a.txt")));

    error.clear();
    EXPECT_TRUE(RenameFile(Path("a.txt"), Path("c.txt"), error)) << error;
    EXPECT_FALSE(NormalFileExists(Path("a.txt")));
    EXPECT_EQ(ReadFileBytes(Path("c.txt"), error), "A");

    EXPECT_TRUE(RenameFile(Path("c.txt"), Path("c.txt"), error)) << error;
    EXPECT_TRUE(NormalFileExists(Path("c.txt")));

    EXPECT_FALSE(RenameFile(Path("nothing"), Path("d.txt"), error));
    EXPECT_EQ(error, "No such file or directory");

    error.clear();
    EXPECT_TRUE(DeleteFile(Path("c.txt"), error)) << error;
    EXPECT_FALSE(NormalFileExists(Path("c.txt")));
    EXPECT_FALSE(DeleteFile(Path("c.txt"), error));
    EXPECT_EQ(error, "No such file or directory");
}

TEST_F(FilesTest, ReadFileBytes) {
    std::string error;
    const std::string binary("a\0b\xFF\r\n", 6);
    Write("bin", binary);
    EXPECT_EQ(ReadFileBytes(Path("bin"), error), binary);
    EXPECT_EQ(ReadFileBytes(Path("bin"), error, 6), binary);

    EXPECT_EQ(ReadFileBytes(Path("bin"), error, 5), std::nullopt);
    EXPECT_FALSE(error.empty());

    error.clear();
    Write("empty", "");
    EXPECT_EQ(ReadFileBytes(Path("empty"), error), "");

    EXPECT_EQ(ReadFileBytes(Path("missing"), error), std::nullopt);
    EXPECT_EQ(error, "No such file or directory");

    MakeFolder("folder");
    error.clear();
    EXPECT_EQ(ReadFileBytes(Path("folder"), error), std::nullopt);
    EXPECT_FALSE(error.empty());

    // Files that report no size still obey the limit.
    error.clear();
    EXPECT_EQ(ReadFileBytes("/proc/self/status", error, 10), std::nullopt);
    EXPECT_FALSE(error.empty());
    const auto status = ReadFileBytes("/proc/self/status", error);
    ASSERT_TRUE(status.has_value()) << error;
    EXPECT_NE(status->find("Name:"), std::string::npos);

    if (IsRoot()) GTEST_SKIP() << "permission checks do not apply to root";
    Write("private", "x");
    Lock(Path("private"), 0);
    EXPECT_EQ(ReadFileBytes(Path("private"), error), std::nullopt);
    EXPECT_EQ(error, "Permission denied");
}

TEST_F(FilesTest, ReadsALargeFile) {
    std::string big(50u * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
    Write("big", big);
    std::string error;
    const auto read = ReadFileBytes(Path("big"), error);
    ASSERT_TRUE(read.has_value()) << error;
    EXPECT_TRUE(*read == big);
    EXPECT_EQ(ReadFileBytes(Path("big"), error, big.size() - 1), std::nullopt);
}

TEST_F(FilesTest, AtomicWriteReplacesAndLeavesNoTemporary) {
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Path("settings.ini"), "first", error)) << error;
    EXPECT_EQ(ReadFileBytes(Path("settings.ini"), error), "first");

    ASSERT_EQ(::chmod(Path("settings.ini").c_str(), 0600), 0);
    ASSERT_TRUE(WriteFileAtomically(Path("settings.ini"), std::string("second\0x", 8), error)) << error;
    EXPECT_EQ(ReadFileBytes(Path("settings.ini"), error), std::string("second\0x", 8));
    EXPECT_EQ(RawNames(dir_), (std::set<std::string>{"settings.ini"}));

    struct stat st;
    ASSERT_EQ(::stat(Path("settings.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A stale temporary of this process id from an earlier run is no obstacle.
    Write("settings.ini.tmp-" + std::to_string(::getpid()), "stale");
    ASSERT_TRUE(WriteFileAtomically(Path("settings.ini"), "third", error)) << error;
    EXPECT_EQ(ReadFileBytes(Path("settings.ini"), error), "third");
    EXPECT_EQ(RawNames(dir_), (std::set<std::string>{"settings.ini"}));
}

TEST_F(FilesTest, AtomicWriteFailuresReportText) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(Path("missing/settings.ini"), "x", error));
    EXPECT_EQ(error, "No such file or directory");

    if (IsRoot()) GTEST_SKIP() << "permission checks do not apply to root";
    MakeFolder("ro");
    Write("ro/settings.ini", "old");
    Lock(Path("ro"), 0555);
    error.clear();
    EXPECT_FALSE(WriteFileAtomically(Path("ro/settings.ini"), "new", error));
    EXPECT_EQ(error, "Permission denied");
    EXPECT_EQ(ReadFileBytes(Path("ro/settings.ini"), error), "old");
    EXPECT_EQ(RawNames(Path("ro")), (std::set<std::string>{"settings.ini"}));
}

TEST(Files, ExecutableFolderHoldsThisProgram) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(FolderExists(folder));
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    const std::string exe(self, static_cast<std::size_t>(n));
    EXPECT_EQ(exe.substr(0, folder.size() + 1), folder + "/");
    EXPECT_EQ(exe.find('/', folder.size() + 1), std::string::npos);
}

}  // namespace
}  // namespace kestrova
