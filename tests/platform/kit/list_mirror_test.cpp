// The list mirror against a toolkit that only remembers what it was told:
// appends in batches, the selection as runs, the current row, the deferred
// sort, picks against rows shown unsorted, removals, column widths and the
// in-place editor.
#include "platform/kit/list_mirror.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/kit/fake_list_view.h"
#include "support/test_form.h"

namespace kestrova {
namespace {

using std::chrono::milliseconds;
using testing::FakeListView;

class ListMirrorTest : public ::testing::Test {
protected:
    explicit ListMirrorTest(SelectionKeeping keeping = SelectionKeeping::WithRows) {
        list.AddColumn("名前", 3000);
        list.AddColumn("サイズ", 1500, ColumnAlign::Right);
        view = std::make_unique<FakeListView>(list, loop, keeping);
    }
    void Add(std::initializer_list<const char*> names) {
        for (const char* name : names) list.AddRow(name);
    }
    void AttachWith(std::initializer_list<const char*> names) {
        Add(names);
        view->Attach();
    }
    std::vector<std::int32_t> SelectedRows() const {
        std::vector<std::int32_t> rows;
        for (std::int32_t i = 1; i <= list.Count(); ++i) {
            if (list.Selected(i)) rows.push_back(i);
        }
        return rows;
    }

    testing::SmallForm form;
    ListView& list = form.list();
    LoopState loop;
    std::unique_ptr<FakeListView> view;
};

TEST_F(ListMirrorTest, AttachShowsTheListAsItIs) {
    AttachWith({"a", "b", "c"});
    list.SetSelected(2, true);
    list.SetSelectedItem(3);
    view->Flush();
    EXPECT_EQ(view->rows, 3);
    EXPECT_EQ(view->columns, 2);
    EXPECT_EQ(view->selection, (std::vector<RowRun>{{1, 1}}));
    EXPECT_EQ(view->current, 2);
}

// A scan lets events through after every file; the view is told of new rows
// at most once per batch interval, and a flush the program forces shows them
// whatever the interval.
TEST_F(ListMirrorTest, AppendsAreShownInBatches) {
    AttachWith({});
    for (int i = 0; i < 100000; ++i) list.AddRow("file" + std::to_string(i));
    EXPECT_EQ(view->rows, 0) << "the view lags behind";
    EXPECT_EQ(view->flush_in, ListMirror::kAppendBatch.count()) << "the batch timer shows them without a turn";
    view->FlushIfDue();
    EXPECT_EQ(view->rows, 100000);
    EXPECT_EQ(view->row_batches, 1);

    struct Case {
        int ms_since_last_batch;
        bool shown;
    };
    const Case cases[] = {{0, false}, {49, false}, {50, true}, {400, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms_since_last_batch);
        const auto last_batch = view->now;
        const std::int32_t before = view->rows;
        list.AddRow("more");
        view->now = last_batch + milliseconds(c.ms_since_last_batch);
        view->FlushIfDue();
        EXPECT_EQ(view->rows > before, c.shown);
        view->Flush();
        EXPECT_EQ(view->rows, list.Count()) << "forced";
    }
    // The toolkit reads the old count until the change is complete.
    for (const auto& [at_begin, at_end] : view->counts_at_begin_end) EXPECT_LT(at_begin, at_end);
}

TEST_F(ListMirrorTest, SelectionGoesAsRuns) {
    struct Case {
        const char* what;
        std::set<std::int32_t> selected;  // 1-based
        std::vector<RowRun> runs;         // 0-based
    };
    const Case cases[] = {
        {"none", {}, {}},
        {"first", {1}, {{0, 0}}},
        {"last", {10}, {{9, 9}}},
        {"runs and singles", {2, 3, 5, 8, 9, 10}, {{1, 2}, {4, 4}, {7, 9}}},
        {"all", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {{0, 9}}},
    };
    AttachWith({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list.SetAllSelected(false);
        for (std::int32_t row : c.selected) list.SetSelected(row, true);
        EXPECT_EQ(view->flush_in, 0) << "shown at the next idle turn";
        view->FireFlush();
        EXPECT_EQ(view->selection, c.runs);
    }
}

// A selected row the view was not told about yet is shown with its batch.
TEST_F(ListMirrorTest, SelectionOfRowsNotShownYetComesWithTheirBatch) {
    AttachWith({"a"});
    view->FireFlush();
    list.AddRow("b");
    list.SetSelected(2, true);
    view->FireFlush();
    EXPECT_EQ(view->rows, 2);
    EXPECT_EQ(view->selection, (std::vector<RowRun>{{1, 1}}));
}

TEST_F(ListMirrorTest, CurrentRowIsShownOnlyWhereTheViewHasIt) {
    AttachWith({"a", "b", "c"});
    struct Case {
        const char* what;
        std::int32_t current1;
        std::int32_t shown0;
    };
    const Case cases[] = {{"first", 1, 0}, {"last", 3, 2}, {"none", 0, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list.SetSelectedItem(c.current1);
        view->FireFlush();
        EXPECT_EQ(view->current, c.shown0);
    }
    // A row still on its way to the view is not current there yet.
    list.AddRow("d");
    list.SetSelectedItem(4);
    view->ShowPendingSelection();
    EXPECT_EQ(view->current, -1);
    view->Flush();
    EXPECT_EQ(view->current, 3);
}

// A handler at work (events let through with DoEvents) never pays for a
// sort the list deferred; the idle loop shows the rows in order.
TEST_F(ListMirrorTest, DeferredSortWaitsForTheIdleLoop) {
    AttachWith({"b", "c", "a"});
    list.SetSelected(1, true);  // "b"
    list.SetSorted(true);
    view->SortChanged();
    ASSERT_TRUE(list.SortPending());
    for (int turn = 0; turn < 5; ++turn) view->FlushIfDue();
    loop.pumping = 1;
    view->FireFlush();
    EXPECT_TRUE(list.SortPending()) << "not while a handler is at work";
    EXPECT_EQ(view->flush_in, ListMirror::kAppendBatch.count()) << "asked again";
    EXPECT_EQ(view->resets, 0);

    loop.pumping = 0;
    view->FireFlush();
    EXPECT_FALSE(list.SortPending());
    EXPECT_EQ(view->resets, 1);
    EXPECT_EQ(list.RowText(2), "b");
    view->FireFlush();
    EXPECT_EQ(view->selection, (std::vector<RowRun>{{1, 1}})) << "the selection follows its row";
}

// A pick against rows shown unsorted would land on a row that moves away.
TEST_F(ListMirrorTest, PicksWaitForADeferredSort) {
    AttachWith({"b", "a"});
    list.SetSorted(true);
    EXPECT_FALSE(view->AcceptsUserPick()) << "the view goes back to what the list holds";
    EXPECT_EQ(view->flush_in, 0);
    EXPECT_TRUE(view->SortBeforeUserPick());
    EXPECT_EQ(list.RowText(1), "a");
    EXPECT_FALSE(view->SortBeforeUserPick()) << "already in order";
    ASSERT_TRUE(view->AcceptsUserPick());
    view->UserSelected(0, 0, true);
    view->UserMovedCurrent(0);
    EXPECT_EQ(SelectedRows(), std::vector<std::int32_t>{1});
    EXPECT_EQ(list.SelectedItem(), 1);
}

TEST_F(ListMirrorTest, UserSelectionReachesTheListButTheMirrorsOwnChangeDoesNot) {
    AttachWith({"a", "b", "c", "d"});
    view->UserSelected(1, 2, true);
    view->UserSelected(-3, 0, true);  // a range beyond the rows is cut to them
    view->UserSelected(3, 99, true);
    EXPECT_EQ(SelectedRows(), (std::vector<std::int32_t>{1, 2, 3, 4}));
    view->UserSelected(1, 1, false);
    view->UserMovedCurrent(2);
    EXPECT_EQ(SelectedRows(), (std::vector<std::int32_t>{1, 3, 4}));
    EXPECT_EQ(list.SelectedItem(), 3);

    view->echoes_selection = true;
    list.SetAllSelected(true);
    list.SetSelectedItem(1);
    view->FireFlush();
    EXPECT_EQ(SelectedRows(), (std::vector<std::int32_t>{1, 2, 3, 4})) << "shown, not undone";
    EXPECT_EQ(list.SelectedItem(), 1);
}

class ListMirrorKeepingTest : public ListMirrorTest, public ::testing::WithParamInterface<SelectionKeeping> {
protected:
    ListMirrorKeepingTest() : ListMirrorTest(GetParam()) {}
};

// A view whose selection stays at its places is set again at once when a
// row goes or the rows are reordered; one whose selection moved with its
// rows catches up at the next idle turn. Either way the list decides.
TEST_P(ListMirrorKeepingTest, RemovalsAndResetsShowTheListsSelection) {
    const bool at_places = GetParam() == SelectionKeeping::AtPlaces;
    AttachWith({"a", "b", "c", "d"});
    list.SetSelected(3, true);
    list.SetSelectedItem(3);
    view->FireFlush();
    const int shows = view->selection_shows;

    list.RemoveRow(2);
    EXPECT_EQ(view->rows, 3);
    EXPECT_EQ(view->counts_at_begin_end.back(), std::make_pair(4, 3));
    EXPECT_EQ(view->selection_shows > shows, at_places) << "set again at once";
    view->FireFlush();
    if (at_places) {
        EXPECT_EQ(view->selection, (std::vector<RowRun>{{1, 1}}));
    } else {
        EXPECT_EQ(view->selection_shows, shows) << "it moved with its row";
    }
    EXPECT_EQ(view->current, 1) << "the list decides where the current row is";

    // A row the view has not been told about yet goes without a trace.
    list.AddRow("e");
    list.RemoveRow(4);
    EXPECT_EQ(view->rows, 3);

    const std::uint64_t resets = view->ResetCount();
    list.Clear();
    EXPECT_EQ(view->ResetCount(), resets + 1);
    EXPECT_EQ(view->rows, 0);
    view->FireFlush();
    EXPECT_TRUE(view->selection.empty());
    EXPECT_EQ(view->current, -1);
}

INSTANTIATE_TEST_SUITE_P(Keeping, ListMirrorKeepingTest,
                         ::testing::Values(SelectionKeeping::WithRows, SelectionKeeping::AtPlaces));

// Rows cannot be selected in a view without columns; once it has some, the
// selection the list kept meanwhile is shown.
TEST_F(ListMirrorTest, SelectionWaitsForTheFirstColumn) {
    testing::SmallForm other;
    ListView& bare = other.list();
    FakeListView bare_view(bare, loop, SelectionKeeping::WithRows);
    bare.AddRow("a");
    bare_view.Attach();
    bare.SetSelected(1, true);
    bare.SetSelectedItem(1);
    bare_view.FireFlush();
    EXPECT_TRUE(bare_view.selection.empty());
    EXPECT_EQ(bare_view.current, -1);

    bare.AddColumn("名前", 3000);
    EXPECT_EQ(bare_view.columns, 1);
    EXPECT_EQ(bare_view.flush_in, 0);
    bare_view.FireFlush();
    EXPECT_EQ(bare_view.selection, (std::vector<RowRun>{{0, 0}}));
    EXPECT_EQ(bare_view.current, 0);
}

// A width the program set that still rounds to the pixels shown is kept, so
// remembered widths do not drift by rounding; a real change comes back in
// twips at the screen's density.
TEST_F(ListMirrorTest, ColumnWidthsFromTheUserKeepWhatStillRoundsTheSame) {
    AttachWith({"a"});
    struct Case {
        int dpi;
        int twips;
        int pixels;
        int kept;
    };
    const Case cases[] = {
        {96, 2208, 147, 2208},  // 147.2 pixels
        {96, 2208, 148, 2220},
        {96, 2208, 90, 1350},
        {144, 2208, 221, 2208},  // 220.8 pixels at 150 %
        {144, 2208, 220, 2200},
        {120, 1653, 138, 1653},  // 137.75
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi, " + std::to_string(c.pixels) + " px");
        list.SetColumnWidth(1, c.twips);
        view->dpi = c.dpi;
        view->UserColumnWidth(0, c.pixels);
        EXPECT_EQ(list.ColumnWidth(1), c.kept);
    }
    view->UserColumnWidth(7, 100);  // no such column: nothing
    EXPECT_EQ(list.ColumnCount(), 2);
}

TEST_F(ListMirrorTest, HeaderClicksReachTheListsHandler) {
    AttachWith({"b", "a"});
    std::vector<int> clicked;
    list.ColumnClick = [&](int column) {
        clicked.push_back(column);
        list.SetSorted(true);
    };
    view->UserHeaderClick(1);
    EXPECT_EQ(clicked, std::vector<int>{2});
    EXPECT_EQ(view->flush_in, 0) << "the sort it asked for is shown at the next idle turn";
}

TEST_F(ListMirrorTest, LabelEditOpensOnShownRowsAndReopensAfterTheOldEditHasEnded) {
    AttachWith({"old.txt"});
    list.AddRow("new.txt");  // not shown yet: the edit shows it first
    list.SetSelectedItem(2);
    list.StartLabelEdit();
    EXPECT_EQ(view->editor_row, 1);
    EXPECT_EQ(view->rows, 2);

    std::vector<std::optional<std::string>> ended;
    list.AfterLabelEdit = [&](int& cancel, const std::optional<std::string>& text) {
        ended.push_back(text);
        cancel = 1;
        list.StartLabelEdit();  // refused: asked again while the old editor closes
    };
    view->editor_row.reset();
    view->UserEndedEdit(1, std::string("taken.txt"));
    EXPECT_EQ(ended, (std::vector<std::optional<std::string>>{"taken.txt"}));
    EXPECT_EQ(list.RowText(2), "new.txt");
    EXPECT_FALSE(view->editor_row) << "not while the old one closes";
    EXPECT_EQ(view->editors_later, std::vector<std::int32_t>{2});
    view->StartLabelEdit(view->editors_later.back());
    EXPECT_EQ(view->editor_row, 1);

    view->editor_row.reset();
    view->StartLabelEdit(9);
    EXPECT_FALSE(view->editor_row) << "no such row";
}

TEST_F(ListMirrorTest, DetachedMirrorHearsNothingAndReportsNothing) {
    AttachWith({"a", "b"});
    view->Detach();
    EXPECT_EQ(list.ViewObserver(), nullptr);
    list.AddRow("c");
    view->Flush();
    EXPECT_EQ(view->rows, 2);
    EXPECT_FALSE(view->AcceptsUserPick());
    int clicks = 0;
    list.ColumnClick = [&](int) { ++clicks; };
    view->UserHeaderClick(0);
    view->UserColumnWidth(0, 10);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(list.ColumnWidth(1), 3000);
}

TEST(ListCells, RightAlignedColumnsShowWithoutTheirPaddingAndIconsComeFromTheImageList) {
    testing::SmallForm form;
    ListView& list = form.list();
    list.AddColumn("名前", 3000);
    list.AddColumn("サイズ", 1500, ColumnAlign::Right);
    const std::int32_t row = list.AddRow("big", 2);
    list.SetSubItem(row, 1, "              10,000 ");
    std::string scratch;
    EXPECT_EQ(ShownCellText(list, row, 1, scratch), "10,000 ");
    EXPECT_EQ(ShownCellText(list, row, 0, scratch), "big");
    list.SetSubItem(row, 1, "    ");
    EXPECT_EQ(ShownCellText(list, row, 1, scratch), "");

    EXPECT_EQ(ShownPicture(list, row), -1) << "no image list";
    ImageList icons(form, {"ImageList1", ControlKind::ImageList, "", "", {}});
    list.SetSmallIcons(&icons);
    EXPECT_EQ(ShownPicture(list, row), -1) << "no picture 2 yet";
    auto picture = std::make_shared<Picture>();
    icons.Add(picture);
    icons.Add(picture);
    EXPECT_EQ(ShownPicture(list, row), 0) << "the same picture twice is one";
}

}  // namespace
}  // namespace kestrova
