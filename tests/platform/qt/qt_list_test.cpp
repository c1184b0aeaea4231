// The file list on screen as Qt shows it: sorting, columns, selection in
// both directions, hit tests and in-place editing.
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include "platform/model/form.h"
#include "platform/model/listview.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_test_support.h"

namespace kestrova {
namespace {

using K = ControlKind;

class QtListTest : public ::testing::Test {
protected:
    QtListTest() {
        qt_test::EnsureApplication();
        form = std::make_unique<Form>(FormDesign{"FormL", "一覧", 9000, 6000, FormBorder::Sizable, true, false},
                                      std::vector<ControlDesign>{
                                          {"ListView1", K::ListView, "", "", {0, 0, 9000, 6000}, ""},
                                          {"ImageList1", K::ImageList, "", "", {}, "", false},
                                      });
        list = &form->Get<ListView>("ListView1");
        list->AddColumn("名前", 3000);
        list->AddColumn("サイズ", 1500, ColumnAlign::Right);
        list->AddColumn("更新日時", 2250);
        services = std::make_unique<QtServices>();
        services->AttachForm(*form);
        view = qobject_cast<QTreeView*>(services->WidgetOf(*list));
    }

    void Show() {
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(services->WindowOf(*form)));
    }

    void AddRows(std::initializer_list<const char*> names) {
        for (const char* name : names) list->AddRow(name);
        services->FlushViews();
    }

    QString Cell(int row, int column) const { return view->model()->index(row, column).data().toString(); }

    std::vector<int> ViewSelectedRows() const {
        std::vector<int> rows;
        for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::vector<int> StateSelectedRows() const {
        std::vector<int> rows;
        for (std::int32_t i = 1; i <= list->Count(); ++i) {
            if (list->Selected(i)) rows.push_back(i);
        }
        return rows;
    }

    // Centre of a row, in the viewport's coordinates.
    QPoint RowPoint(int row0) const { return view->visualRect(view->model()->index(row0, 0)).center(); }

    std::unique_ptr<Form> form;
    ListView* list = nullptr;
    std::unique_ptr<QtServices> services;
    QTreeView* view = nullptr;
};

TEST_F(QtListTest, IsAReportViewOverTheRows) {
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->rootIsDecorated());
    EXPECT_TRUE(view->uniformRowHeights());
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(view->model()->columnCount(), 3);
    EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("サイズ"));
    EXPECT_EQ(view->header()->sectionSize(0), 200);

    const std::int32_t row = list->AddRow("写真.jpg");
    list->SetSubItem(row, 1, "1,024");
    services->FlushViews();
    EXPECT_EQ(Cell(0, 0), QString::fromUtf8("写真.jpg"));
    EXPECT_EQ(Cell(0, 1), QString("1,024"));
    const auto align = view->model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_TRUE(align.testFlag(Qt::AlignRight));
    const auto header_align = view->model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_TRUE(header_align.testFlag(Qt::AlignRight));

    list->SetSubItem(row, 1, "2,048");
    EXPECT_EQ(Cell(0, 1), QString("2,048"));
}

TEST_F(QtListTest, RemovingAndClearingKeepTheViewInStep) {
    AddRows({"a", "b", "c", "d"});
    list->RemoveRow(2);
    EXPECT_EQ(view->model()->rowCount(), 3);
    EXPECT_EQ(Cell(1, 0), QString("c"));

    // A row the view has not been told about yet goes without a trace.
    list->AddRow("e");
    list->RemoveRow(4);
    services->FlushViews();
    EXPECT_EQ(view->model()->rowCount(), 3);

    // The current row removed: no row is current, in the list and on screen.
    list->SetSelectedItem(2);
    services->FlushViews();
    list->RemoveRow(2);
    services->FlushViews();
    EXPECT_EQ(list->SelectedItem(), 0);
    EXPECT_FALSE(view->selectionModel()->currentIndex().isValid());

    list->Clear();
    EXPECT_EQ(view->model()->rowCount(), 0);
    AddRows({"x"});
    EXPECT_EQ(Cell(0, 0), QString("x"));
}

TEST_F(QtListTest, SortingReordersTheViewAndSelectionFollowsItsRows) {
    AddRows({"b", "A", "c"});
    list->SetSelected(3, true);  // "c"
    list->SetColumnWidth(3, 0);
    view->header()->resizeSection(1, 110);  // as the user left it
    list->SetSorted(true);
    services->FlushViews();
    EXPECT_EQ(Cell(0, 0), QString("A"));
    EXPECT_EQ(Cell(2, 0), QString("c"));
    EXPECT_TRUE(view->header()->isSortIndicatorShown());
    EXPECT_EQ(ViewSelectedRows(), std::vector<int>{2});

    list->SetSortOrder(1);
    services->FlushViews();
    EXPECT_EQ(Cell(0, 0), QString("c"));
    EXPECT_EQ(view->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(ViewSelectedRows(), std::vector<int>{0});

    list->SetSorted(false);
    EXPECT_FALSE(view->header()->isSortIndicatorShown());
    EXPECT_FALSE(list->SortPending());
    list->AddRow("a0");
    services->FlushViews();
    EXPECT_EQ(Cell(3, 0), QString("a0"));  // unsorted again: appended at the end

    // Sorting forgets nothing of the columns.
    EXPECT_EQ(view->header()->sectionSize(1), 110);
    EXPECT_EQ(list->ColumnWidth(2), 1650);
    EXPECT_TRUE(view->header()->isSectionHidden(2));
}

// A click on rows shown unsorted would pick a row that moves away: it puts
// the list in order first and picks nothing.
TEST_F(QtListTest, APickDuringADeferredSortSortsFirst) {
    AddRows({"b", "a"});
    Show();
    int downs = 0;
    list->MouseDown = [&](int, int, int, int) { ++downs; };
    list->SetSorted(true);
    ASSERT_TRUE(list->SortPending());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowPoint(0));
    EXPECT_FALSE(list->SortPending());
    EXPECT_EQ(Cell(0, 0), QString("a"));
    EXPECT_TRUE(StateSelectedRows().empty());
    EXPECT_EQ(downs, 0);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowPoint(0));
    EXPECT_EQ(StateSelectedRows(), std::vector<int>{1});
    EXPECT_EQ(list->RowText(1), "a");
    EXPECT_EQ(downs, 1);
}

TEST_F(QtListTest, ColumnWidthsHideShowAndComeBackFromTheUser) {
    list->SetColumnWidth(2, 0);
    EXPECT_TRUE(view->header()->isSectionHidden(1));
    list->SetColumnWidth(2, 1800);
    EXPECT_FALSE(view->header()->isSectionHidden(1));
    EXPECT_EQ(view->header()->sectionSize(1), 120);
    EXPECT_EQ(list->ColumnWidth(2), 1800);

    // The user drags a column edge.
    view->header()->resizeSection(2, 90);
    EXPECT_EQ(list->ColumnWidth(3), 1350);

    list->AddColumn("No", 600);
    EXPECT_EQ(view->model()->columnCount(), 4);
    EXPECT_EQ(view->header()->sectionSize(3), 40);
}

TEST_F(QtListTest, ProgramSelectionShowsInTheView) {
    AddRows({"a", "b", "c", "d", "e", "f", "g", "h"});
    for (int i : {2, 3, 4, 7}) list->SetSelected(i, true);
    list->SetSelectedItem(3);
    services->FlushViews();
    EXPECT_EQ(ViewSelectedRows(), (std::vector<int>{1, 2, 3, 6}));
    EXPECT_EQ(view->selectionModel()->currentIndex().row(), 2);

    list->SetAllSelected(false);
    services->FlushViews();
    EXPECT_TRUE(ViewSelectedRows().empty());
    // Mirroring the program's change is not a user change.
    EXPECT_TRUE(StateSelectedRows().empty());
    EXPECT_EQ(list->SelectedItem(), 3);
}

TEST_F(QtListTest, UserSelectionReachesTheRows) {
    AddRows({"a", "b", "c", "d", "e"});
    Show();
    list->SetSelected(5, true);
    services->FlushViews();

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowPoint(1));
    EXPECT_EQ(StateSelectedRows(), std::vector<int>{2});
    EXPECT_EQ(list->SelectedItem(), 2);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(3));
    EXPECT_EQ(StateSelectedRows(), (std::vector<int>{2, 4}));
    EXPECT_EQ(list->SelectedItem(), 4);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(0));
    EXPECT_EQ(StateSelectedRows(), (std::vector<int>{1, 2, 3, 4}));

    // Selection stays visible without the focus.
    const QPalette palette = view->palette();
    EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Highlight), palette.color(QPalette::Active, QPalette::Highlight));
}

TEST_F(QtListTest, MouseKeysAndHeaderClicksAreReported) {
    AddRows({"a", "b", "c"});
    Show();
    struct Down {
        int button, shift, x, y;
        std::int32_t current;
    };
    std::vector<Down> downs;
    int dbl = 0;
    std::vector<int> columns;
    std::vector<int> keys;
    list->MouseDown = [&](int b, int s, int x, int y) { downs.push_back({b, s, x, y, list->SelectedItem()}); };
    list->DblClick = [&] { ++dbl; };
    list->ColumnClick = [&](int column) { columns.push_back(column); };
    list->KeyDown = [&](int key, int) { keys.push_back(key); };

    const QPoint at = RowPoint(1);
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].button, kRightButton);
    // In the control's coordinates: the header is above the rows.
    const QPoint in_control = view->viewport()->mapTo(view, at);
    EXPECT_EQ(downs[0].x, in_control.x() * 15);
    EXPECT_EQ(downs[0].y, in_control.y() * 15);
    EXPECT_GT(downs[0].y, view->header()->height() * 15);
    EXPECT_EQ(downs[0].current, 2);  // the row is current before MouseDown
    EXPECT_EQ(list->HitTest(downs[0].x, downs[0].y), 2);

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(dbl, 1);

    QTest::mouseClick(view->header()->viewport(), Qt::LeftButton, {},
                      QPoint(view->header()->sectionViewportPosition(1) + 5, view->header()->height() / 2));
    EXPECT_EQ(columns, std::vector<int>{2});
    EXPECT_FALSE(view->header()->isSortIndicatorShown());  // the list is not sorted

    view->setFocus();
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return view->hasFocus(); }));
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(keys, std::vector<int>{kKeyDown});
    EXPECT_EQ(list->SelectedItem(), 3);  // default navigation after the handler
}

TEST_F(QtListTest, MiddleAndRightPressesSeeTheSelectionAsItStood) {
    AddRows({"a", "b", "c", "d", "e"});
    Show();
    using Rows = std::vector<int>;
    struct Case {
        const char* what;
        Qt::MouseButton button;
        Qt::KeyboardModifiers keys;
        int row0;
        Rows seen;  // the selection MouseDown finds
        std::int32_t current;
    };
    const Case cases[] = {
        {"middle", Qt::MiddleButton, {}, 4, {1, 2, 3}, 1},
        {"middle with Ctrl", Qt::MiddleButton, Qt::ControlModifier, 4, {1, 2, 3}, 1},
        {"middle with Shift", Qt::MiddleButton, Qt::ShiftModifier, 4, {1, 2, 3}, 1},
        // The right button picks an unselected row alone, keeps a selected
        // one among the others, and changes nothing with Ctrl or Shift.
        {"right on an unselected row", Qt::RightButton, {}, 4, {5}, 5},
        {"right on a selected row", Qt::RightButton, {}, 1, {1, 2, 3}, 2},
        {"right with Ctrl", Qt::RightButton, Qt::ControlModifier, 4, {1, 2, 3}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list->SetAllSelected(false);
        for (std::int32_t row : {1, 2, 3}) list->SetSelected(row, true);
        list->SetSelectedItem(1);
        services->FlushViews();
        Rows seen;
        std::int32_t current = -1;
        list->MouseDown = [&](int, int, int, int) {
            seen = StateSelectedRows();
            current = list->SelectedItem();
        };
        QTest::mousePress(view->viewport(), c.button, c.keys, RowPoint(c.row0));
        QTest::mouseRelease(view->viewport(), c.button, c.keys, RowPoint(c.row0));
        EXPECT_EQ(seen, c.seen);
        EXPECT_EQ(current, c.current);
        EXPECT_EQ(StateSelectedRows(), c.seen) << "nothing changes after the handler either";
        services->FlushViews();
        std::vector<int> shown;
        for (int row0 : ViewSelectedRows()) shown.push_back(row0 + 1);
        EXPECT_EQ(shown, c.seen) << "the view shows the same selection";
    }
}

TEST_F(QtListTest, HitTestFindsTheRowUnderAPointOrNone) {
    AddRows({"a", "b"});
    Show();
    const int header = view->header()->height();
    const QPoint first = view->viewport()->mapTo(view, RowPoint(0));
    EXPECT_EQ(list->HitTest(first.x() * 15, first.y() * 15), 1);
    EXPECT_EQ(list->HitTest(first.x() * 15, (header / 2) * 15), 0);  // on the header
    const QPoint below = view->viewport()->mapTo(view, RowPoint(1) + QPoint(0, 200));
    EXPECT_EQ(list->HitTest(below.x() * 15, below.y() * 15), 0);
    EXPECT_EQ(list->HitTest(-15, first.y() * 15), 0);
}

TEST_F(QtListTest, LabelEditCommitAndCancelReachAfterLabelEdit) {
    AddRows({"old.txt", "other.txt"});
    Show();
    std::vector<std::optional<std::string>> seen;
    int cancel_with = 0;
    list->AfterLabelEdit = [&](int& cancel, const std::optional<std::string>& text) {
        seen.push_back(text);
        cancel = cancel_with;
    };
    auto editor_of = [&](int row0) { return qobject_cast<QLineEdit*>(view->indexWidget(view->model()->index(row0, 0))); };

    list->SetSelectedItem(1);
    list->StartLabelEdit();
    QLineEdit* editor = editor_of(0);
    ASSERT_NE(editor, nullptr);
    editor->setText("new.txt");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen[0], std::optional<std::string>("new.txt"));
    EXPECT_EQ(list->RowText(1), "new.txt");
    EXPECT_EQ(Cell(0, 0), QString("new.txt"));

    list->SetSelectedItem(2);
    list->StartLabelEdit();
    editor = editor_of(1);
    ASSERT_NE(editor, nullptr);
    editor->setText("ignored");
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], std::nullopt);
    EXPECT_EQ(list->RowText(2), "other.txt");

    // The handler may refuse the new name.
    cancel_with = 1;
    list->StartLabelEdit();
    editor = editor_of(1);
    ASSERT_NE(editor, nullptr);
    editor->setText("refused");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return seen.size() == 3; }));
    EXPECT_EQ(list->RowText(2), "other.txt");

    // Outside an edit the rows are not editable.
    EXPECT_FALSE(view->model()->flags(view->model()->index(0, 0)).testFlag(Qt::ItemIsEditable));
}

TEST_F(QtListTest, EditReopenedFromTheEndOfAnEditOpensOnceTheOldOneIsClosed) {
    AddRows({"old.txt"});
    Show();
    std::vector<std::optional<std::string>> seen;
    list->AfterLabelEdit = [&](int& cancel, const std::optional<std::string>& text) {
        seen.push_back(text);
        if (seen.size() > 1) return;
        // Refused, as a rename onto a taken name is: told, then asked again.
        cancel = 1;
        QTimer::singleShot(0, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
        });
        QMessageBox box(QMessageBox::NoIcon, "t", "refused", QMessageBox::Ok, view);
        box.exec();
        list->StartLabelEdit();
    };
    auto editor = [&] { return qobject_cast<QLineEdit*>(view->indexWidget(view->model()->index(0, 0))); };
    list->SetSelectedItem(1);
    list->StartLabelEdit();
    ASSERT_NE(editor(), nullptr);
    editor()->setText("taken.txt");
    QTest::keyClick(editor(), Qt::Key_Return);
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return seen.size() == 1 && editor() != nullptr; }));
    EXPECT_EQ(editor()->text(), QString("old.txt")) << "the reopened edit starts from the old name";
    EXPECT_EQ(list->RowText(1), "old.txt");
    editor()->setText("free.txt");
    QTest::keyClick(editor(), Qt::Key_Return);
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[1], std::optional<std::string>("free.txt"));
    EXPECT_EQ(list->RowText(1), "free.txt");
}

TEST_F(QtListTest, RowIconsComeFromTheImageListAndFollowItsChanges) {
    auto& icons = form->Get<ImageList>("ImageList1");
    auto square = [](std::uint32_t argb) {
        auto p = std::make_shared<Picture>();
        p->width = 16;
        p->height = 16;
        p->pixels.assign(256, argb);
        return p;
    };
    icons.Add(square(0xffff0000u));
    list->SetSmallIcons(&icons);
    list->AddRow("red", 1);
    list->AddRow("none", 0);
    services->FlushViews();
    auto icon_colour = [&](int row0) {
        const QVariant v = view->model()->index(row0, 0).data(Qt::DecorationRole);
        return v.isValid() ? v.value<QPixmap>().toImage().pixelColor(8, 8) : QColor();
    };
    EXPECT_EQ(icon_colour(0), QColor(255, 0, 0));
    EXPECT_FALSE(icon_colour(1).isValid());

    icons.Clear();
    icons.Add(square(0xff0000ffu));
    EXPECT_EQ(icon_colour(0), QColor(0, 0, 255));
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

// The way a refresh ends: rows added while sorting waits, then sorting on
// and everything deselected, then the window is shown and focused.
TEST_F(QtListTest, RowsDeselectedAfterAPendingSortShowNoSelection) {
    list->SetSorted(false);
    for (const char* name : {"b", "a", "c"}) list->AddRow(name);
    list->SetSorted(true);
    list->SetAllSelected(false);
    list->SetSelectedItem(0);
    Show();
    view->setFocus();
    qt_test::ProcessUntil([] { return false; }, 200);
    EXPECT_EQ(ViewSelectedRows(), std::vector<int>{});
    EXPECT_EQ(StateSelectedRows(), std::vector<int>{});
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

// Padded sizes sort as text; on screen the right alignment stands in for
// the padding, which a fixed-pitch face would not have room for.
TEST_F(QtListTest, RightAlignedCellsShowWithoutTheirPaddingButSortWithIt) {
    const auto big = list->AddRow("big");
    list->SetSubItem(big, 1, "              10,000 ");
    const auto small = list->AddRow("small");
    list->SetSubItem(small, 1, "               9,999*");
    list->SetSortKey(1);
    list->SetSorted(true);
    Show();
    services->FlushViews();
    qt_test::ProcessUntil([&] { return !list->SortPending(); }, 500);
    EXPECT_EQ(Cell(0, 1), QString("9,999*"));
    EXPECT_EQ(Cell(1, 1), QString("10,000 "));
    EXPECT_EQ(Cell(0, 0), QString("small"));
}

}  // namespace
}  // namespace kestrova
