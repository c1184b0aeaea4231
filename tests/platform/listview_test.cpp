#include <gtest/gtest.h>

#include "support/list_observer_stub.h"
#include "support/test_form.h"

namespace kestrova {
namespace {

using testing::SmallForm;

std::vector<std::string> Texts(const ListView& list, int key = 0) {
    std::vector<std::string> out;
    for (std::int32_t i = 1; i <= list.Count(); ++i) out.push_back(key == 0 ? list.RowText(i) : list.SubItem(i, key));
    return out;
}

class ListViewTest : public ::testing::Test {
protected:
    void Add(const std::string& name, const std::string& size) {
        const auto row = list.AddRow(name);
        list.SetSubItem(row, 2, size);
    }
    SmallForm form;
    ListView& list = form.list();
};

TEST_F(ListViewTest, RowsStayInInsertionOrderUntilSortingIsSwitchedOn) {
    Add("b.txt", "2");
    Add("C.txt", "3");
    Add("a.txt", "1");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"b.txt", "C.txt", "a.txt"}));
    list.SetSortKey(0);
    list.SetSortOrder(0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"b.txt", "C.txt", "a.txt"})) << "key and order alone do not sort";
    list.SetSorted(true);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a.txt", "b.txt", "C.txt"})) << "letter case is ignored";
    list.SetSortOrder(1);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"C.txt", "b.txt", "a.txt"}));
    list.SetSorted(false);
    Add("0.txt", "0");
    EXPECT_EQ(list.RowText(list.Count()), "0.txt") << "rows added while unsorted go to the end";
}

TEST_F(ListViewTest, EqualKeysKeepTheirOrderInBothDirections) {
    for (const char* name : {"x1", "x2", "x3"}) Add(name, "   5");
    Add("y", "   7");
    list.SetSortKey(2);
    list.SetSorted(true);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"x1", "x2", "x3", "y"}));
    list.SetSortOrder(1);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"y", "x1", "x2", "x3"}));
}

TEST_F(ListViewTest, SortingOnAfterEveryBatchEqualsOneSortOfEverything) {
    // The way a refresh fills the list: sorting off, a folder of rows, sorting on.
    const std::vector<std::vector<std::string>> batches = {{"m", "B", "a"}, {"b", "A"}, {"z", "c", "M"}};
    for (const auto& batch : batches) {
        list.SetSorted(false);
        for (const auto& name : batch) Add(name, "");
        list.SetSorted(true);
    }
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "A", "B", "b", "c", "m", "M", "z"}));
}

TEST_F(ListViewTest, ChangingTheKeyBetweenBatchesSortsTheEarlierRowsByTheirKey) {
    Add("b", "1");
    Add("a", "2");
    list.SetSortKey(2);
    list.SetSorted(true);  // by size: b, a
    list.SetSorted(false);
    Add("c", "0");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"b", "a", "c"}));
    list.SetSortKey(0);
    list.SetSortOrder(1);
    list.SetSorted(true);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"c", "b", "a"}));
}

TEST_F(ListViewTest, ViewIndexesDuringAPendingSortReachTheRightRow) {
    Add("b", "");
    Add("a", "");
    list.SetSorted(true);
    ASSERT_TRUE(list.SortPending());
    EXPECT_EQ(list.DisplayRow(1).text, "b") << "a view still shows the rows as added";
    list.BackendSelection(1, true);  // the user picks "b" as displayed
    EXPECT_FALSE(list.SortPending());
    EXPECT_TRUE(list.Selected(2));
    EXPECT_EQ(list.RowText(2), "b");
}

// A view that displays rows as added and finds the second one under any point.
class SecondRowView : public testing::ListObserverStub {
public:
    std::int32_t HitTest(int, int) override { return 2; }
};

TEST_F(ListViewTest, HitTestDuringAPendingSortNamesTheRowTheUserSaw) {
    SecondRowView view;
    list.SetViewObserver(&view);
    Add("b", "");
    Add("a", "");  // displayed second
    list.SetSorted(true);
    const auto row = list.HitTest(10, 10);
    EXPECT_EQ(list.RowText(row), "a");
    list.SetViewObserver(nullptr);
}

TEST_F(ListViewTest, CurrentRowFollowsItsRowThroughASortAndARemoval) {
    Add("b", "");
    Add("a", "");
    Add("c", "");
    list.SetSelectedItem(1);  // "b"
    list.SetSorted(true);
    EXPECT_EQ(list.RowText(list.SelectedItem()), "b");
    list.RemoveRow(1);  // "a"
    EXPECT_EQ(list.RowText(list.SelectedItem()), "b");
    list.RemoveRow(list.SelectedItem());
    EXPECT_EQ(list.SelectedItem(), 0);
}

TEST_F(ListViewTest, SelectionFlagsAreIndependentOfTheCurrentRow) {
    for (const char* name : {"a", "b", "c"}) Add(name, "");
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    list.SetSelectedItem(2);
    EXPECT_TRUE(list.Selected(1));
    EXPECT_FALSE(list.Selected(2));
    EXPECT_TRUE(list.Selected(3));
    list.SetAllSelected(false);
    EXPECT_FALSE(list.Selected(1) || list.Selected(3));
}

TEST_F(ListViewTest, HitTestFindsRowsAndNothingBelowOrAboveThem) {
    Add("a", "");
    Add("b", "");
    EXPECT_EQ(list.HitTest(100, 270 + 10), 1);
    EXPECT_EQ(list.HitTest(100, 270 + 255 + 10), 2);
    EXPECT_EQ(list.HitTest(100, 270 + 2 * 255 + 10), 0) << "below the last row";
    EXPECT_EQ(list.HitTest(100, 10), 0) << "on the header";
    list.Clear();
    EXPECT_EQ(list.HitTest(100, 280), 0);
}

TEST_F(ListViewTest, ColumnOfWidthZeroIsHiddenAndComesBackWithItsWidth) {
    list.AddColumn("名前", 2208);
    list.AddColumn("フォルダ名", 2000);
    list.AddColumn("サイズ(Byte)", 1653, ColumnAlign::Right);
    list.SetColumnWidth(2, 0);
    EXPECT_EQ(list.ColumnWidth(2), 0);
    list.SetColumnWidth(2, 2000);
    EXPECT_EQ(list.ColumnWidth(2), 2000);
    EXPECT_EQ(list.Column(3).align, ColumnAlign::Right);
    list.SetColumnWidth(1, -5);
    EXPECT_EQ(list.ColumnWidth(1), 0) << "a negative width is never stored";
}

TEST_F(ListViewTest, LabelEditDeliversTheNewTextAndHonoursCancel) {
    Add("old.txt", "");
    std::vector<std::optional<std::string>> seen;
    bool refuse = false;
    list.AfterLabelEdit = [&](int& cancel, const std::optional<std::string>& text) {
        seen.push_back(text);
        if (refuse) cancel = 1;
    };
    list.BackendEndLabelEdit(1, std::string("new.txt"));
    EXPECT_EQ(list.RowText(1), "new.txt");
    refuse = true;
    list.BackendEndLabelEdit(1, std::string("refused.txt"));
    EXPECT_EQ(list.RowText(1), "new.txt") << "a handler's cancel keeps the old text";
    list.BackendEndLabelEdit(1, std::nullopt);
    EXPECT_EQ(list.RowText(1), "new.txt");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[2].has_value()) << "a cancelled edit arrives without text";
}

TEST_F(ListViewTest, WholeListOperationsWorkPastSixteenBitRowCounts) {
    const std::int32_t n = 40000;
    for (std::int32_t i = 0; i < n; ++i) list.AddRow("f" + std::to_string(n - i));
    EXPECT_EQ(list.Count(), n);
    list.SetSelected(n, true);
    EXPECT_TRUE(list.Selected(n));
    list.SetSorted(true);
    EXPECT_EQ(list.RowText(1), "f1");
    list.RemoveRow(n);
    EXPECT_EQ(list.Count(), n - 1);
}

// Images added with one shared picture keep their own numbers but share one
// distinct picture, whose place a view may keep until the list is cleared
// or resized.
TEST(ImageListTest, SharedPicturesAreHeldOnceAndKeepTheirPlaceUntilACleanSlate) {
    SmallForm form;
    ImageList images(form, {"Images1", ControlKind::ImageList, "", "", {}, "", false});
    const auto a = std::make_shared<const Picture>(Picture{1, 1, {1}, {}});
    const auto b = std::make_shared<const Picture>(Picture{1, 1, {1}, {}});
    for (const auto& picture : {a, a, b, a}) images.Add(picture);
    EXPECT_EQ(images.Count(), 4);
    EXPECT_EQ(images.DistinctCount(), 2) << "equal pixels in two pictures stay two";
    const int expected_distinct[] = {0, 0, 1, 0};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(images.DistinctOf(i), expected_distinct[i - 1]) << i;
        EXPECT_EQ(images.Item(i), images.Distinct(images.DistinctOf(i))) << i;
    }
    const std::uint64_t generation = images.Generation();
    images.Add(b);
    EXPECT_EQ(images.Generation(), generation) << "adding keeps every place";
    images.SetImageSize(32, 32);
    EXPECT_NE(images.Generation(), generation);
    const std::uint64_t resized = images.Generation();
    images.Clear();
    EXPECT_NE(images.Generation(), resized);
    images.Add(b);
    EXPECT_EQ(images.DistinctCount(), 1);
    EXPECT_EQ(images.Item(1), b);
}

TEST(CompareListText, FoldsAsciiCaseAndOrdersOtherwiseByCodePoint) {
    EXPECT_EQ(CompareListText("ABC", "abc"), 0);
    EXPECT_LT(CompareListText("abc", "abd"), 0);
    EXPECT_LT(CompareListText("ab", "abc"), 0);
    EXPECT_LT(CompareListText("       9,999 ", "      10,000 "), 0) << "padded sizes compare as numbers";
    EXPECT_LT(CompareListText("Z", "あ"), 0);
}

}  // namespace
}  // namespace kestrova
