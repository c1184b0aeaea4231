#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "listing/folder_scan.h"
#include "listing_fixture.h"
#include "support/permission_bits.h"

namespace kestrova {
namespace {

using testing::ListingTest;

class WalkTest : public ListingTest {
protected:
    // Rows in the order the walk added them: sorting by the row number keeps
    // that order, as equal keys stay in place.
    std::vector<std::string> Paths() {
        state().SortKey = kSortByNumber;
        Refresh();
        std::vector<std::string> out;
        const std::string root = dir.path();
        for (std::int32_t i = 1; i <= list().Count(); ++i) {
            std::string path = list().SubItem(i, 1).substr(root.size()) + "/" + list().RowText(i);
            std::replace(path.begin(), path.end(), kPathSeparator, '/');
            out.push_back(path);
        }
        return out;
    }
    // The first "cannot search" report of the next refresh, wherever the
    // status line goes afterwards.
    std::shared_ptr<std::string> CatchCannotSearch() {
        auto report = std::make_shared<std::string>();
        services.When([this] { return Status().find(kCannotSearch) != std::string::npos; },
                      [this, report] { *report = Status(); });
        return report;
    }
};

#ifndef _WIN32
// A folder handle for test set-up, closed at the end of its scope.
struct OpenFd {
    int fd;
    explicit OpenFd(int f) : fd(f) {}
    ~OpenFd() {
        if (fd >= 0) ::close(fd);
    }
    void Descend(const char* name) {
        const int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
};

void WriteAt(int folder_fd, const char* name) {
    const int fd = ::openat(folder_fd, name, O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
}
#endif

TEST_F(WalkTest, ParentComesBeforeChildrenAndSubfoldersInNameOrder) {
    for (const char* f : {"t/top", "t/b/in_b", "t/a/in_a", "t/a/z/deep", "t/a/Y/deeper", "t/c/in_c"}) WriteSized(f, 1);
    SetRow(1, dir / "t", true);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/t/top", "/t/a/in_a", "/t/a/Y/deeper", "/t/a/z/deep", "/t/b/in_b",
                                                 "/t/c/in_c"}));
}

TEST_F(WalkTest, WithoutSubfoldersOnlyTheRowFolderIsScanned) {
    WriteSized("t/top", 1);
    WriteSized("t/sub/inner", 1);
    SetRow(1, dir / "t", false);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/t/top"}));
}

TEST_F(WalkTest, DeepTreesAreWalkedToTheBottom) {
    std::string path = "deep";
    for (int level = 0; level < 60; ++level) path += "/d" + std::to_string(level);
    WriteSized(path + "/bottom", 1);
    SetRow(1, dir / "deep", true);
    const auto paths = Paths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], "/" + path + "/bottom");
}

// The tree of thousands of levels is built and cut through descriptors, with
// a link leading back up: the Linux walk's road. The Windows file layer has
// its own test of long paths.
#ifndef _WIN32
TEST_F(WalkTest, DepthAndPathLengthDoNotMatter) {
    // 3,000 levels of "d": the bottom file's path is over 6,000 bytes. A link
    // at level 40 and a side folder at level 2,000 make the walk find its
    // way back up to folders it had let go of.
    constexpr int kDepth = 3000;
    WriteSized("elsewhere/sub/via_link", 1);
    ASSERT_EQ(::mkdir((dir / "chain").c_str(), 0755), 0);
    {
        OpenFd level(::open((dir / "chain").c_str(), O_RDONLY | O_DIRECTORY));
        for (int depth = 0; depth < kDepth; ++depth) {
            ASSERT_GE(level.fd, 0) << depth;
            ASSERT_EQ(::mkdirat(level.fd, "d", 0755), 0);
            if (depth == 40) {
                ASSERT_EQ(::symlinkat((dir / "elsewhere").c_str(), level.fd, "e"), 0);
            }
            if (depth == 2000) {
                ASSERT_EQ(::mkdirat(level.fd, "f", 0755), 0);
                OpenFd side(::openat(level.fd, "f", O_RDONLY | O_DIRECTORY));
                WriteAt(side.fd, "side");
            }
            level.Descend("d");
        }
        WriteAt(level.fd, "bottom");
    }
    SetRow(1, dir / "chain", true);
    const auto report = CatchCannotSearch();
    const auto paths = Paths();

    std::string chain = "/chain";
    for (int depth = 0; depth < kDepth; ++depth) chain += "/d";
    std::string side = "/chain";
    for (int depth = 0; depth < 2000; ++depth) side += "/d";
    std::string via_link = "/chain";
    for (int depth = 0; depth < 40; ++depth) via_link += "/d";
    EXPECT_EQ(paths, (std::vector<std::string>{chain + "/bottom", side + "/f/side", via_link + "/e/sub/via_link"}));
    EXPECT_EQ(*report, "") << "every folder could be entered";

    // Cut the chain in two so the temporary folder can be removed by path.
    OpenFd middle(::open((dir / "chain").c_str(), O_RDONLY | O_DIRECTORY));
    for (int depth = 0; depth < kDepth / 2; ++depth) middle.Descend("d");
    OpenFd top(::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY));
    EXPECT_EQ(::renameat(middle.fd, "d", top.fd, "lower_half"), 0);
}
#endif

TEST_F(WalkTest, FolderWithoutSearchPermissionIsReportedAndSkipped) {
    SKIP_UNLESS_PERMISSION_BITS_HOLD();
    WriteSized("r/locked/inside", 1);
    WriteSized("r/open/visible", 1);
    ASSERT_EQ(::chmod((dir / "r/locked").c_str(), 0444), 0);  // readable, not searchable
    SetRow(1, dir / "r", true);
    const auto report = CatchCannotSearch();
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"visible"}));
    EXPECT_EQ(*report, dir / "r/locked" + kCannotSearch);
}

TEST_F(WalkTest, SymbolicLinkLoopsAreNotFollowedTwice) {
    WriteSized("loop/a/file", 1);
    std::error_code ec;
    std::filesystem::create_directory_symlink(testing::NativePath(dir / "loop"), testing::NativePath(dir / "loop/a/back_to_top"), ec);
    // The Windows build's standard library makes no links at all.
    if (ec) GTEST_SKIP() << "no symbolic link could be made: " << ec.message();
    std::filesystem::create_directory_symlink(testing::NativePath(dir / "loop/a"), testing::NativePath(dir / "loop/also_a"));
    SetRow(1, dir / "loop", true);
    const auto paths = Paths();
    EXPECT_EQ(paths, (std::vector<std::string>{"/loop/a/file"})) << "each real folder once";
}

TEST_F(WalkTest, HiddenFoldersAreEnteredOnlyByTheAttributeWalk) {
    WriteSized("h/.cache/inside", 1);
    WriteSized("h/shown/visible", 1);
    SetRow(1, dir / "h", true);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/h/shown/visible"}));
    HiddenFiles(true);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/h/.cache/inside", "/h/shown/visible"}));
}

TEST_F(WalkTest, NetworkFoldersAreAlwaysWalkedByListing) {
#ifdef _WIN32
    GTEST_SKIP() << "a network folder needs a share, which a test folder is not";
#endif
    WriteSized("net/.hidden_dir/inside", 1);
    WriteSized("net/.hidden_file", 1);
    SetRow(1, "/" + dir / "net", true);  // "//..." names a network folder
    HiddenFiles(true);
    state().SortKey = kSortByName;
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{".hidden_file"})) << "hidden files yes, hidden folders no";
}

TEST_F(WalkTest, FolderThatVanishesMidWalkIsReportedAndSkipped) {
#ifdef _WIN32
    // Wine keeps a folder deleted while a handle holds it open until the
    // handle closes (the deletion reports success, the folder still exists)
    // and never reports the pending delete, so the read-ahead folder looks
    // untouched there. Windows reports the pending delete through the
    // handle (or removes the name at once), which the walk checks; only a
    // real Windows can run this case.
    GTEST_SKIP() << "Wine neither removes a held folder nor reports its pending delete";
#endif
    WriteSized("v/a/one", 1);
    WriteSized("v/b/two", 1);
    SetRow(1, dir / "v", true);
    services.When([&] { return list().Count() == 1; }, [&] { std::filesystem::remove_all(dir / "v/b"); });
    const auto report = CatchCannotSearch();
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"one"}));
    EXPECT_EQ(*report, dir / "v/b" + "を検索できません");
}

TEST(DisplayFolder, KeepsTheRootAndDropsTrailingSeparators) {
#ifdef _WIN32
    EXPECT_EQ(MakeDisplayFolder("C:\\"), "C:") << "a drive root is shown as its drive";
    EXPECT_EQ(MakeDisplayFolder("E:"), "E:");
    EXPECT_EQ(MakeDisplayFolder("D:\\pics\\"), "D:\\pics");
    EXPECT_EQ(MakeDisplayFolder("D:\\pics"), "D:\\pics");
    EXPECT_TRUE(IsNetworkPath("\\\\server\\share"));
    EXPECT_FALSE(IsNetworkPath("\\server\\share"));
#else
    EXPECT_EQ(MakeDisplayFolder("/"), "/");
    EXPECT_EQ(MakeDisplayFolder("/home/a/"), "/home/a");
    EXPECT_EQ(MakeDisplayFolder("/home/a"), "/home/a");
    EXPECT_TRUE(IsNetworkPath("//server/share"));
    EXPECT_FALSE(IsNetworkPath("/server/share"));
#endif
}

}  // namespace
}  // namespace kestrova
