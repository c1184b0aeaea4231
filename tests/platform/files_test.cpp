#include "platform/system/files.h"
#include "platform/system/save_recovery.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

using Names = std::vector<std::string>;

bool IsRoot() { return ::geteuid() == 0; }

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/kestrova-files-XXXXXX";
        ASSERT_NE(::mkdtemp(templ.data()), nullptr) << std::strerror(errno);
        dir_ = templ;
    }
    void TearDown() override {
        for (const auto& path : locked_) ::chmod(path.c_str(), 0755);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    void MakeFolder(const std::string& name) { ASSERT_EQ(::mkdir(Path(name).c_str(), 0755), 0); }
    void Link(const std::string& target, const std::string& name) {
        ASSERT_EQ(::symlink(target.c_str(), Path(name).c_str()), 0);
    }
    void Lock(const std::string& name, mode_t mode) {
        locked_.push_back(Path(name));
        ASSERT_EQ(::chmod(Path(name).c_str(), mode), 0);
    }
    Names List(int attributes, const std::string& patterns) {
        const Listing listing = ListFolder(dir_, attributes, patterns);
        EXPECT_TRUE(listing.ok) << listing.error;
        Names names;
        for (const auto& e : listing.entries) names.push_back(e.name);
        return names;
    }
    // Everything the folder holds, to catch leftover temporary files.
    std::set<std::string> Raw(const std::string& name) const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Path(name))) names.insert(e.path().filename());
        return names;
    }

    std::string dir_;
    std::vector<std::string> locked_;
};

TEST_F(FilesTest, AttributesAndPatternsSelectEntries) {
    for (const char* name : {"b.txt", "A.MPG", "a.mp4", ".secret.wmv", "c"}) Write(name, "x");
    MakeFolder("clips.avi");
    MakeFolder(".hidden.avi");
    const std::tuple<int, std::string, Names> cases[] = {
        {kAttrNormal, "*.*", {"a.mp4", "A.MPG", "b.txt", "c"}},
        {kAttrHidden, "*.avi;*.mpg;*.wmv", {".secret.wmv", "A.MPG"}},
        {kAttrDirectory, "*.avi;*.mpg;*.wmv", {"A.MPG", "clips.avi"}},
        {kAttrHidden | kAttrDirectory, "*.avi; *.wmv", {".hidden.avi", ".secret.wmv", "clips.avi"}},
        {kAttrReadOnly | kAttrSystem | kAttrArchive, "*.mpg", {"A.MPG"}},
        {kAttrDirectory, "", {}},
    };
    for (const auto& [attributes, patterns, expected] : cases) {
        EXPECT_EQ(List(attributes, patterns), expected) << attributes << " " << patterns;
    }
    for (const auto& e : ListFolder(dir_, kAttrHidden | kAttrDirectory, "*").entries) {
        EXPECT_EQ(e.is_hidden, e.name[0] == '.') << e.name;
        EXPECT_EQ(e.is_directory, e.name.find(".avi") != std::string::npos) << e.name;
    }
}

TEST_F(FilesTest, OrderIgnoresCaseThenUsesBytes) {
    for (const char* name : {"b", "B", "a", "A", "_x", "a1", "Z"}) Write(name, "");
    EXPECT_EQ(List(kAttrNormal, "*"), (Names{"_x", "A", "a", "a1", "B", "b", "Z"}));
}

TEST_F(FilesTest, EntriesCarrySizeTimeAndIdentity) {
    Write("data.bin", std::string(1234, 'x'));
    const timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path("data.bin").c_str(), times, 0), 0);
    struct stat st;
    ASSERT_EQ(::stat(Path("data.bin").c_str(), &st), 0);
    const Listing listing = ListFolder(dir_, kAttrNormal, "*");
    ASSERT_EQ(listing.entries.size(), 1u);
    const DirEntry& e = listing.entries[0];
    EXPECT_EQ(e.size, 1234);
    EXPECT_EQ(e.mtime_seconds, 1600000000);
    EXPECT_EQ(e.inode, st.st_ino);
    EXPECT_EQ(e.device, st.st_dev);
    EXPECT_EQ(FileLength(Path("data.bin")), 1234);
    EXPECT_EQ(FileModified(Path("data.bin")), ToLocalTime(1600000000));
    EXPECT_EQ(FileLength(Path("missing")), std::nullopt);
}

// A listing that leaves the files' status for later must come to the same
// entries once they are looked up, and must not take a file that went away
// or became a folder meanwhile for a file.
TEST_F(FilesTest, StatusLookedUpLaterMatchesStatusAtOnce) {
    Write("a.avi", std::string(10, 'x'));
    Write("b.avi", std::string(2000, 'x'));
    Write("gone.avi", "x");
    Write("now-folder.avi", "x");
    Write(".hidden.avi", "xyz");
    MakeFolder("sub");
    Link("b.avi", "link.avi");
    Link("nowhere.avi", "dangling.avi");
    std::string error;
    const FolderHandle folder = OpenFolder(dir_, error);
    ASSERT_TRUE(folder.is_open()) << error;
    const int attributes = kAttrDirectory | kAttrHidden;
    const Listing now = ListFolder(folder, attributes, "*");
    Listing later = ListFolder(folder, attributes, "*", EntryStatus::Later);
    ASSERT_TRUE(now.ok && later.ok);
    ASSERT_EQ(later.entries.size(), now.entries.size());
    ASSERT_EQ(::unlink(Path("gone.avi").c_str()), 0);
    ASSERT_EQ(::unlink(Path("now-folder.avi").c_str()), 0);
    MakeFolder("now-folder.avi");
    int deferred = 0;
    for (std::size_t i = 0; i < now.entries.size(); ++i) {
        const DirEntry& want = now.entries[i];
        DirEntry& got = later.entries[i];
        SCOPED_TRACE(want.name);
        ASSERT_EQ(got.name, want.name);
        EXPECT_EQ(got.is_directory, want.is_directory);
        EXPECT_EQ(got.is_hidden, want.is_hidden);
        EXPECT_EQ(got.is_symlink, want.is_symlink);
        if (got.status_known) {
            EXPECT_EQ(got.size, want.size);
            continue;
        }
        ++deferred;
        const auto status = LookUpFileStatus(folder, got.name.c_str());
        if (want.name == "gone.avi" || want.name == "now-folder.avi") {
            EXPECT_FALSE(status.has_value());
            continue;
        }
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(status->size, want.size);
        EXPECT_EQ(status->mtime_seconds, want.mtime_seconds);
    }
    // The five plain files; folders and links are looked up at once. A
    // Windows listing carries every status, so none is left for later.
    EXPECT_EQ(deferred, kPathSeparator == '\\' ? 0 : 5);
}

TEST_F(FilesTest, SymlinksShowTheirTargets) {
    Write("target.avi", std::string(5000, 'x'));
    MakeFolder("realdir");
    Link("target.avi", "link.avi");
    Link("realdir", "linkdir");
    Link("nowhere.avi", "dangling.avi");
    Link("loop.avi", "loop.avi");
    const Listing listing = ListFolder(dir_, kAttrDirectory, "*");
    ASSERT_TRUE(listing.ok) << listing.error;
    ASSERT_EQ(listing.entries.size(), 6u);
    // dangling.avi, link.avi, linkdir, loop.avi, realdir, target.avi
    const bool links[] = {true, true, true, true, false, false};
    const bool folders[] = {false, false, true, false, true, false};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(listing.entries[i].is_symlink, links[i]) << listing.entries[i].name;
        EXPECT_EQ(listing.entries[i].is_directory, folders[i]) << listing.entries[i].name;
    }
    EXPECT_EQ(listing.entries[1].size, 5000);
    EXPECT_EQ(listing.entries[1].inode, listing.entries[5].inode);
    EXPECT_EQ(List(kAttrNormal, "link*"), (Names{"link.avi"}));  // a folder link needs the folder bit
}

TEST_F(FilesTest, OddNamesSurviveListing) {
    const std::set<std::string> names = {"with blank.txt", " leading", "quote\"s'.txt", "bad\xFF\xFE.txt",
                                         "日本語 ﾌｧｲﾙ.avi", "back\\slash"};
    for (const auto& n : names) Write(n, n);
    const Listing listing = ListFolder(dir_, kAttrNormal, "*");
    std::set<std::string> got;
    for (const auto& e : listing.entries) {
        got.insert(e.name);
        EXPECT_EQ(e.size, static_cast<std::int64_t>(e.name.size())) << e.name;
    }
    EXPECT_EQ(got, names);
}

TEST_F(FilesTest, ListingFailuresCarryTheSystemText) {
    Write("plain", "x");
    const std::pair<std::string, std::string> cases[] = {
        {"missing", "No such file or directory"}, {"plain", "Not a directory"}};
    for (const auto& [name, error] : cases) {
        const Listing listing = ListFolder(Path(name), kAttrNormal, "*");
        EXPECT_FALSE(listing.ok);
        EXPECT_EQ(listing.error, error);
    }
    if (IsRoot()) GTEST_SKIP() << "root bypasses permission checks";
    MakeFolder("locked");
    Write("locked/inside.txt", "x");
    Lock("locked", 0);
    const Listing denied = ListFolder(Path("locked"), kAttrNormal, "*");
    EXPECT_FALSE(denied.ok);
    EXPECT_EQ(denied.error, "Permission denied");
    EXPECT_TRUE(denied.entries.empty());

    // Readable but not searchable: the names are there, their files are not
    // within reach, so the folder is not listed as empty.
    MakeFolder("readonly");
    Write("readonly/inside.txt", "x");
    Lock("readonly", 0444);
    const Listing unsearchable = ListFolder(Path("readonly"), kAttrNormal, "*");
    EXPECT_FALSE(unsearchable.ok);
    EXPECT_EQ(unsearchable.error, "Permission denied");
}

TEST_F(FilesTest, FoldersOpenByHandleAndByPathsBeyondTheLimit) {
    // 300 levels of a 20-byte name: a path of over 6,000 bytes.
    const std::string name(20, 'n');
    std::string error;
    FolderHandle folder = OpenFolder(dir_, error);
    std::string path = dir_;
    for (int depth = 0; depth < 300; ++depth) {
        ASSERT_EQ(::mkdirat(folder.native().fd, name.c_str(), 0755), 0);
        folder = OpenSubfolder(folder, name, error);
        ASSERT_TRUE(folder.is_open()) << error;
        path += "/" + name;
    }
    ASSERT_GE(::close(::openat(folder.native().fd, "deep.txt", O_WRONLY | O_CREAT, 0644)), 0);
    const FolderHandle again = OpenFolder(path, error);
    ASSERT_TRUE(again.is_open()) << error;
    EXPECT_EQ(again.Identity(), folder.Identity());
    const Listing listing = ListFolder(again, kAttrNormal, "*");
    ASSERT_TRUE(listing.ok) << listing.error;
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].name, "deep.txt");
    EXPECT_EQ(ListFolder(again, kAttrNormal, "*").entries.size(), 1u) << "a second listing starts from the top";
    EXPECT_FALSE(OpenSubfolder(again, "deep.txt", error).is_open());
    EXPECT_EQ(error, "Not a directory");
    // Cut the chain so the test folder can be removed by path.
    FolderHandle middle = OpenFolder(dir_, error);
    for (int depth = 0; depth < 150; ++depth) middle = OpenSubfolder(middle, name, error);
    const FolderHandle top = OpenFolder(dir_, error);
    EXPECT_EQ(::renameat(middle.native().fd, name.c_str(), top.native().fd, "lower_half"), 0);
}

TEST_F(FilesTest, ExistenceChecks) {
    Write("movie.avi", "x");
    Write(".hidden.avi", "x");
    MakeFolder("folder");
    Link("movie.avi", "link.avi");
    Link("gone.avi", "dangling.avi");
    Link("folder", "folderlink");
    const std::tuple<std::string, bool, bool> cases[] = {
        {"movie.avi", true, false},   {".hidden.avi", false, false}, {"folder", false, true},
        {"link.avi", true, false},    {"dangling.avi", false, false}, {"folderlink", false, true},
        {"missing.avi", false, false},
    };
    for (const auto& [name, normal_file, folder] : cases) {
        EXPECT_EQ(NormalFileExists(Path(name)), normal_file) << name;
        EXPECT_EQ(FolderExists(Path(name)), folder) << name;
    }
}

TEST_F(FilesTest, DeleteAndRename) {
    std::string error;
    Write("a.txt", "A");
    Write("b.txt", "B");
    EXPECT_FALSE(RenameFile(Path("a.txt"), Path("b.txt"), error));
    EXPECT_EQ(error, "File exists");
    EXPECT_EQ(ReadFileBytes(Path("b.txt"), error), "B");
    EXPECT_TRUE(RenameFile(Path("a.txt"), Path("c.txt"), error)) << error;
    EXPECT_EQ(ReadFileBytes(Path("c.txt"), error), "A");
    EXPECT_FALSE(NormalFileExists(Path("a.txt")));
    EXPECT_TRUE(RenameFile(Path("c.txt"), Path("c.txt"), error)) << error;
    ASSERT_EQ(::link(Path("c.txt").c_str(), Path("C.txt").c_str()), 0);
    EXPECT_FALSE(RenameFile(Path("c.txt"), Path("C.txt"), error)) << "another name of the same file";
    EXPECT_EQ(error, "File exists");
    EXPECT_TRUE(NormalFileExists(Path("c.txt")));
    ASSERT_EQ(::unlink(Path("C.txt").c_str()), 0);
    EXPECT_FALSE(RenameFile(Path("nothing"), Path("d.txt"), error));
    EXPECT_EQ(error, "No such file or directory");

    EXPECT_TRUE(DeleteFile(Path("c.txt"), error)) << error;
    EXPECT_FALSE(NormalFileExists(Path("c.txt")));
    EXPECT_FALSE(DeleteFile(Path("c.txt"), error));
    EXPECT_EQ(error, "No such file or directory");
}

TEST_F(FilesTest, ReadFileBytes) {
    std::string error;
    const std::string binary("a\0b\xFF\r\n", 6);
    Write("bin", binary);
    EXPECT_EQ(ReadFileBytes(Path("bin"), error, 6), binary);
    EXPECT_EQ(ReadFileBytes(Path("bin"), error, 5), std::nullopt);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(ReadFileBytes(Path("missing"), error), std::nullopt);
    EXPECT_EQ(error, "No such file or directory");
    MakeFolder("folder");
    EXPECT_EQ(ReadFileBytes(Path("folder"), error), std::nullopt);
    EXPECT_EQ(error, "Is a directory");
    // Files that report no size still obey the limit.
    EXPECT_EQ(ReadFileBytes("/proc/self/status", error, 10), std::nullopt);
    EXPECT_NE(ReadFileBytes("/proc/self/status", error).value_or("").find("Name:"), std::string::npos);

    std::string big(50u * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
    Write("big", big);
    EXPECT_TRUE(ReadFileBytes(Path("big"), error) == big);
    EXPECT_EQ(ReadFileBytes(Path("big"), error, big.size() - 1), std::nullopt);

    if (IsRoot()) GTEST_SKIP() << "root bypasses permission checks";
    Lock("bin", 0);
    EXPECT_EQ(ReadFileBytes(Path("bin"), error), std::nullopt);
    EXPECT_EQ(error, "Permission denied");
}

TEST_F(FilesTest, AtomicWriteReplacesAndLeavesNoTemporary) {
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Path("settings.ini"), "first", error)) << error;
    ASSERT_EQ(::chmod(Path("settings.ini").c_str(), 0600), 0);
    // A stale temporary with this process id, as after a crash, is no obstacle.
    Write("settings.ini.tmp-" + std::to_string(::getpid()), "stale");
    ASSERT_TRUE(WriteFileAtomically(Path("settings.ini"), std::string("second\0x", 8), error)) << error;
    EXPECT_EQ(ReadFileBytes(Path("settings.ini"), error), std::string("second\0x", 8));
    EXPECT_EQ(Raw(""), (std::set<std::string>{"settings.ini"}));
    struct stat st;
    ASSERT_EQ(::stat(Path("settings.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // a private file stays private
}

TEST_F(FilesTest, AtomicWriteThroughLinksReplacesWhatTheyPointAt) {
    MakeFolder("shared");
    MakeFolder("program");
    Write("shared/settings.ini", "old");
    Link("../shared/settings.ini", "program/settings.ini");  // relative to the link's folder
    Link(Path("program/settings.ini"), "second_link.ini");     // a chain of two links
    Link("shared/not_yet.ini", "dangling.ini");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Path("program/settings.ini"), "new", error)) << error;
    ASSERT_TRUE(WriteFileAtomically(Path("second_link.ini"), "newer", error)) << error;
    ASSERT_TRUE(WriteFileAtomically(Path("dangling.ini"), "created", error)) << error;
    struct stat st;
    for (const char* link : {"program/settings.ini", "second_link.ini", "dangling.ini"}) {
        ASSERT_EQ(::lstat(Path(link).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link << " is still a link";
    }
    EXPECT_EQ(ReadFileBytes(Path("shared/settings.ini"), error), "newer");
    EXPECT_EQ(ReadFileBytes(Path("shared/not_yet.ini"), error), "created");
    EXPECT_EQ(Raw("shared"), (std::set<std::string>{"settings.ini", "not_yet.ini"}));
    EXPECT_EQ(Raw("program"), (std::set<std::string>{"settings.ini"}));

    Link("loop.ini", "loop.ini");
    EXPECT_FALSE(WriteFileAtomically(Path("loop.ini"), "x", error));
    EXPECT_EQ(error, "Too many levels of symbolic links");
}

TEST_F(FilesTest, StaleTemporariesAreRemovedAndLiveOnesKept) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);  // a process id that is gone
    const std::string dead = std::to_string(child);
    const std::string alive = std::to_string(::getppid());
    MakeFolder("real");
    Link("real/settings.ini", "settings.ini");
    for (const std::string& name : {"settings.ini.tmp-" + dead, "settings.ini.tmp-" + std::to_string(::getpid()),
                                    "settings.ini.tmp-" + alive, std::string("settings.ini.tmp-x1"), "other.ini.tmp-" + dead,
                                    "locked.ini.tmp-" + dead}) {
        Write("real/" + name, "partial");
    }
    // Another machine's save under way holds the lock on its temporary.
    const int held = ::open(Path("real/locked.ini.tmp-" + dead).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(RecoverInterruptedSaves(Path("settings.ini")).removed, 2) << "beside the link's target";
    EXPECT_EQ(RecoverInterruptedSaves(Path("real/locked.ini")).removed, 0);
    ::close(held);
    EXPECT_EQ(Raw("real"), (std::set<std::string>{"settings.ini.tmp-" + alive, "settings.ini.tmp-x1",
                                                   "other.ini.tmp-" + dead, "locked.ini.tmp-" + dead}));
}

TEST_F(FilesTest, AtomicWriteFailuresReportText) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(Path("missing/settings.ini"), "x", error));
    EXPECT_EQ(error, "No such file or directory");
    if (IsRoot()) GTEST_SKIP() << "root bypasses permission checks";
    MakeFolder("ro");
    Write("ro/settings.ini", "old");
    Lock("ro", 0555);
    EXPECT_FALSE(WriteFileAtomically(Path("ro/settings.ini"), "new", error));
    EXPECT_EQ(error, "Permission denied");
    EXPECT_EQ(ReadFileBytes(Path("ro/settings.ini"), error), "old");
    EXPECT_EQ(Raw("ro"), (std::set<std::string>{"settings.ini"}));
}

}  // namespace
}  // namespace kestrova
