#include <gtest/gtest.h>

#include "listing/folder_scan.h"
#include "listing_fixture.h"

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
            out.push_back(list().SubItem(i, 1).substr(root.size()) + "/" + list().RowText(i));
        }
        return out;
    }
};

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

TEST_F(WalkTest, SymbolicLinkLoopsAreNotFollowedTwice) {
    WriteSized("loop/a/file", 1);
    std::filesystem::create_directory_symlink(dir / "loop", dir / "loop/a/back_to_top");
    std::filesystem::create_directory_symlink(dir / "loop/a", dir / "loop/also_a");
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
    WriteSized("net/.hidden_dir/inside", 1);
    WriteSized("net/.hidden_file", 1);
    SetRow(1, "/" + dir / "net", true);  // "//..." names a network folder
    HiddenFiles(true);
    state().SortKey = kSortByName;
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{".hidden_file"})) << "hidden files yes, hidden folders no";
}

TEST_F(WalkTest, FolderThatVanishesMidWalkIsReportedAndSkipped) {
    WriteSized("v/a/one", 1);
    WriteSized("v/b/two", 1);
    SetRow(1, dir / "v", true);
    services.When([&] { return list().Count() == 1; }, [&] { std::filesystem::remove_all(dir / "v/b"); });
    std::string report;
    services.When([&] { return p().Form1.Label3.Caption().find("を検索できません") != std::string::npos; },
                  [&] { report = p().Form1.Label3.Caption(); });
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"one"}));
    EXPECT_EQ(report, dir / "v/b" + "を検索できません");
}

TEST(DisplayFolder, KeepsTheRootAndDropsTrailingSeparators) {
    EXPECT_EQ(MakeDisplayFolder("/"), "/");
    EXPECT_EQ(MakeDisplayFolder("/home/a/"), "/home/a");
    EXPECT_EQ(MakeDisplayFolder("/home/a"), "/home/a");
    EXPECT_TRUE(IsNetworkPath("//server/share"));
    EXPECT_FALSE(IsNetworkPath("/server/share"));
}

}  // namespace
}  // namespace kestrova
