#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "listing/folder_scan.h"
#include "support/gates.h"
#include "listing_fixture.h"

namespace kestrova {
namespace {

using testing::ListingTest;

// What a user could see of one refresh: the rows in the order they were
// added (size text with its mark included), and every change of the list
// count, the title and the status line together with the turn it showed at.
struct Seen {
    std::vector<std::string> rows;
    std::vector<std::string> turns;
};

struct Case {
    const char* name;
    bool subfolders;
    bool hidden;
    // Changes the tree or interrupts, at a turn of the refresh.
    std::function<void()> during;
    std::vector<std::string> rows;  // expected, relative to the temporary folder
};

class ReadAheadTest : public ListingTest {
protected:
    Seen RefreshWith(const Case& c, const FolderReading& reading) {
        state().SortKey = kSortByNumber;  // equal keys: the order rows were added
        HiddenFiles(c.hidden);
        SizeCheck(true);
        SetRow(1, dir / "t", c.subfolders);
        // Nothing of the last refresh may show, or count, at the first turn.
        list().Clear();
        p().Form1.SetCaption("");
        p().Form1.Label3.SetCaption("");
        auto seen = std::make_shared<Seen>();
        auto running = std::make_shared<bool>(true);
        const long first_turn = services.Turns();
        services.When(
            [this, seen, running, first_turn, last = std::string()]() mutable {
                if (!*running) return true;  // done watching
                std::string now = std::to_string(list().Count()) + "|" + p().Form1.Caption() + "|" + Status();
                if (now != last) seen->turns.push_back(std::to_string(services.Turns() - first_turn) + ":" + now);
                last = std::move(now);
                return false;
            },
            [] {});
        if (c.during) c.during();
        RefreshList(p(), reading);
        *running = false;
        const std::string root = dir.path();
        for (std::int32_t i = 1; i <= list().Count(); ++i) {
            seen->rows.push_back(list().SubItem(i, 1).substr(root.size()) + "/" + list().RowText(i) + " [" +
                                 list().SubItem(i, 2) + "]");
        }
        return *seen;
    }

    // Every way of reading on the same tree, made afresh for each, so a
    // case that changes it meets it as it was: in turn, ahead as on a local
    // disk, and ahead as on a slow share (folders listed ahead on the pool,
    // files looked up in small pieces by many threads).
    void Check(const std::function<void()>& make_tree, const Case& c) {
        SCOPED_TRACE(c.name);
        make_tree();
        const Seen in_turn = RefreshWith(c, FolderReading{false});
        RemoveTree();
        for (const bool as_if_slow : {false, true}) {
            SCOPED_TRACE(as_if_slow ? "ahead, as on a slow share" : "ahead");
            make_tree();
            const Seen ahead = RefreshWith(c, FolderReading{true, as_if_slow});
            RemoveTree();
            std::vector<std::string> paths;
            for (const std::string& row : ahead.rows) paths.push_back(row.substr(0, row.find(" [")));
            EXPECT_EQ(paths, c.rows);
            EXPECT_EQ(ahead.rows, in_turn.rows);
            EXPECT_EQ(ahead.turns, in_turn.turns);
        }
    }

    // Folders without permissions are opened up first, so they can go.
    void RemoveTree() {
        for (const char* locked : {"t/locked", "t/unsearchable"}) ::chmod((dir / locked).c_str(), 0755);
        std::filesystem::remove_all(dir / "t");
    }

    void RemoveWhenCount(std::int32_t count, const std::string& path) {
        services.When([this, count] { return list().Count() == count; }, [path] { std::filesystem::remove_all(path); });
    }
};

TEST_F(ReadAheadTest, SameRowsAndTurnsAsReadingEachFolderInItsTurn) {
    auto make_tree = [this] {
        WriteSized("t/a.txt", 1);
        WriteSized("t/b.txt", 2);
        WriteSized("t/.dot.txt", 5);
        WriteSized("t/sub/c.txt", 3);
        WriteSized("t/sub/deeper/d.txt", 1);
        WriteSized("t/vanish/v.txt", 4);
        WriteSized("t/vanish/below/w.txt", 4);
        WriteSized("t/z/y.txt", 2);
        WriteSized("t/.hidden/h.txt", 6);
        std::filesystem::create_directory_symlink(dir / "t/sub", dir / "t/link_to_sub");
        std::filesystem::create_directory_symlink(dir / "t", dir / "t/sub/up");
        std::filesystem::create_symlink(dir / "t/a.txt", dir / "t/file_link.txt");
        std::filesystem::create_symlink(dir / "nowhere", dir / "t/dangling");
    };
    // The link comes first by name, so the real folder is walked through it;
    // the link back up and the dangling link's own data are listed as before.
    const std::vector<std::string> walked{"/t/a.txt",
                                          "/t/b.txt",
                                          "/t/dangling",
                                          "/t/file_link.txt",
                                          "/t/link_to_sub/c.txt",
                                          "/t/link_to_sub/deeper/d.txt"};
    std::vector<std::string> with_vanish = walked;
    with_vanish.insert(with_vanish.end(), {"/t/vanish/v.txt", "/t/vanish/below/w.txt", "/t/z/y.txt"});
    std::vector<std::string> hidden{"/t/.dot.txt", "/t/a.txt", "/t/b.txt", "/t/dangling", "/t/file_link.txt",
                                    "/t/.hidden/h.txt"};
    hidden.insert(hidden.end(), with_vanish.begin() + 4, with_vanish.end());
    const std::vector<Case> cases{
        {"listing walk", true, false, nullptr, with_vanish},
        {"attribute walk", true, true, nullptr, hidden},
        {"folder alone", false, false, nullptr, {"/t/a.txt", "/t/b.txt", "/t/dangling", "/t/file_link.txt"}},
        {"a folder vanishes before its turn",
         true,
         false,
         [this] { RemoveWhenCount(2, dir / "t/vanish"); },
         [&] {
             std::vector<std::string> rows = walked;
             rows.push_back("/t/z/y.txt");
             return rows;
         }()},
        {"a walked folder vanishes with what is below it",
         true,
         false,
         [this] { RemoveWhenCount(5, dir / "t/sub/deeper"); },
         {"/t/a.txt", "/t/b.txt", "/t/dangling", "/t/file_link.txt", "/t/link_to_sub/c.txt", "/t/vanish/v.txt",
          "/t/vanish/below/w.txt", "/t/z/y.txt"}},
        {"interrupted in the second folder",
         true,
         false,
         [this] { services.When([this] { return list().Count() == 5; }, [this] { state().AbortRequested = 1; }); },
         {"/t/a.txt", "/t/b.txt", "/t/dangling", "/t/file_link.txt", "/t/link_to_sub/c.txt"}},
    };
    for (const Case& c : cases) Check(make_tree, c);
}

TEST_F(ReadAheadTest, SameRowsAndTurnsWithUnreadableFolders) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    auto make_tree = [this] {
        WriteSized("t/a.txt", 1);
        WriteSized("t/locked/inside.txt", 1);
        WriteSized("t/unsearchable/inside.txt", 1);
        WriteSized("t/open/visible.txt", 1);
        ASSERT_EQ(::chmod((dir / "t/locked").c_str(), 0), 0);
        ASSERT_EQ(::chmod((dir / "t/unsearchable").c_str(), 0444), 0);
    };
    const std::vector<Case> cases{
        {"listing walk", true, false, nullptr, {"/t/a.txt", "/t/open/visible.txt"}},
        {"attribute walk", true, true, nullptr, {"/t/a.txt", "/t/open/visible.txt"}},
    };
    for (const Case& c : cases) Check(make_tree, c);
}

// Trees of many small and empty folders, more than the reading may hold
// ahead: the lookups of small folders are gathered into one job, and none
// may be left waiting while the caller waits for its folder.
TEST_F(ReadAheadTest, SameRowsAndTurnsInATreeOfManySmallAndEmptyFolders) {
    std::vector<std::string> rows;
    auto make_tree = [this, &rows] {
        rows.clear();
        for (int folder = 0; folder < 300; ++folder) {
            const std::string name = "t/f" + std::to_string(1000 + folder);
            if (folder % 3 != 0) {
                std::filesystem::create_directories(dir / (name + "/empty"));
                continue;
            }
            for (int file = 0; file < folder % 5; ++file) {
                const std::string path = name + "/" + std::to_string(file) + ".txt";
                WriteSized(path, static_cast<std::size_t>(file));
                rows.push_back("/" + path);
            }
            if (folder % 5 == 0) std::filesystem::create_directories(dir / name);
        }
    };
    make_tree();
    const std::vector<std::string> expected = rows;
    RemoveTree();
    Check(make_tree, {"small and empty folders", true, false, nullptr, expected});
}

// A file removed after its folder was listed and before its status was
// looked up is left out as a listing made a moment later would leave it:
// no row, and neither the count, the bytes nor the same-size marks hold it
// (its twin of the same size is left without a mark).
TEST_F(ReadAheadTest, AFileRemovedBetweenListingAndStatusIsLeftOut) {
    for (const bool as_if_slow : {false, true}) {
        SCOPED_TRACE(as_if_slow ? "as on a slow share" : "as on a local disk");
        RemoveTree();
        WriteSized("t/a.txt", 10);
        WriteSized("t/m/gone.txt", 7);
        WriteSized("t/m/kept.txt", 20);
        WriteSized("t/z/twin.txt", 7);
        SetRow(1, dir / "t", true);
        SizeCheck(true);
        state().SortKey = kSortByNumber;
        FolderReading reading{true, as_if_slow};
        const auto gone = dir / "t/m/gone.txt";
        reading.after_listing = [gone](const std::string& path) {
            if (std::filesystem::path(path).filename() == "m") std::filesystem::remove(gone);
        };
        RefreshList(p(), reading);
        EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "kept.txt", "twin.txt"}));
        EXPECT_EQ(Status(), "3 個のファイルを表示（表示領域 37 Byte)         [24/05/01 13:45:07]");
    }
}

// A folder that does not answer (a share gone away) holds up neither the
// window nor an interrupt: a click while the refresh waits for it ends the
// refresh with the rows found before it, and the request still under way is
// left to end on its own, after the refresh has returned.
TEST_F(ReadAheadTest, AnInterruptWhileAFolderDoesNotAnswerEndsTheRefreshAtOnce) {
    WriteSized("t/a.txt", 1);
    WriteSized("t/b.txt", 2);
    WriteSized("t/m/in_m.txt", 3);
    WriteSized("t/slow/s.txt", 4);
    WriteSized("t/z/y.txt", 5);
    SetRow(1, dir / "t", true);
    state().SortKey = kSortByNumber;
    for (const bool as_if_slow : {false, true}) {
        SCOPED_TRACE(as_if_slow ? "as on a slow share" : "as on a local disk");
        // Shared with the reading threads, which outlive the refresh.
        auto gate = std::make_shared<testing::Gate>();
        FolderReading reading{true, as_if_slow};
        reading.before_opening = [gate](const std::string& path) {
            if (path.ends_with("slow")) gate->acquire();
        };
        const long waits = services.WorkWaits();
        services.WhenWaitingForWork([this] { return list().Count() == 3; }, [this] { UserClick(p().Form3.Label3); });
        RefreshList(p(), reading);  // returns while the folder is held
        gate->release();
        EXPECT_GT(services.WorkWaits(), waits);
        EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.txt", "in_m.txt"}));
        EXPECT_TRUE(Status().starts_with("中断 3 ")) << Status();
        EXPECT_EQ(p().Form3.Label1.Caption(), "ケストロヴァ 中断中！！");
    }
}

}  // namespace
}  // namespace kestrova
