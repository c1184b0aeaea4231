#include "mainwin/rename_delete.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "list_fixture.h"
#include "platform/system/files.h"
#include "support/list_observer_stub.h"

namespace kestrova {
namespace {

// Counts the in-place edits the list asks its view to open.
class EditRecorder final : public testing::ListObserverStub {
public:
    void StartLabelEdit(std::int32_t index1) override { edits.push_back(index1); }
    std::vector<std::int32_t> edits;
};

class RenameDeleteTest : public testing::ListFixture {
protected:
    void SetUp() override {
        StartProgram([](SharedState& s) { s.SizeCheck = 1; });
        list().SetViewObserver(&edits);
    }
    void TearDown() override { list().SetViewObserver(nullptr); }

    // The menu command on a row, then the user's edit of its name.
    void Rename(std::int32_t row, std::optional<std::string> typed) {
        list().SetSelectedItem(row);
        UserClick(f().Kestren);
        list().BackendEndLabelEdit(row, std::move(typed));
    }
    void Delete(std::int32_t row, MsgBoxResult answer) {
        list().SetSelectedItem(row);
        services.QueueAnswer(answer);
        UserClick(f().KestDel);
    }
    // The counters as a refresh of these rows would have left them.
    void SetCounters(std::int32_t files, double bytes, std::int32_t hits) {
        state().ListedFileCount = files;
        state().ListedTotalBytes = bytes;
        state().SameSizeHitCount = hits;
    }

    EditRecorder edits;
};

TEST_F(RenameDeleteTest, RenameChangesTheFileAndTheRow) {
    AddFile("old name.txt");
    dir.Write("elsewhere/x.txt", "x");
    ListRow elsewhere;
    elsewhere.text = "x.txt";
    elsewhere.sub[0] = dir / "elsewhere";
    list().AddRow(elsewhere);
    list().SetSelectedItem(1);
    UserClick(f().Kestren);
    list().SetSelectedItem(2);  // another row, in another folder, became current
    list().BackendEndLabelEdit(1, std::string("新しい名前.txt"));
    EXPECT_FALSE(dir.Exists("files/old name.txt"));
    EXPECT_TRUE(dir.Exists("files/新しい名前.txt"));
    EXPECT_FALSE(dir.Exists("elsewhere/新しい名前.txt"));
    EXPECT_EQ(list().RowText(1), "新しい名前.txt");
    EXPECT_EQ(state().RenamePending, 0);
    EXPECT_EQ(edits.edits, std::vector<std::int32_t>{1});
    EXPECT_TRUE(services.MessageBoxes().empty());
}

TEST_F(RenameDeleteTest, RefusedRenameKeepsEveryFileAndReopensTheEdit) {
    AddFile("a.txt", 3);
    AddFile("b.txt", 7);
    dir.Write("files/sub/keep.txt", "k");
    std::filesystem::create_hard_link(dir / "files/a.txt", dir / "files/A link.txt");
    struct Case {
        std::string typed;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"b.txt", ErrorText(EEXIST)},          // the name is taken: b.txt must survive
        {"A link.txt", ErrorText(EEXIST)},     // taken by another name of the same file
        {"sub/moved.txt", ErrorText(EINVAL)},  // not a move to another folder
        {"..", ErrorText(EINVAL)},
    };
    for (const Case& c : cases) {
        edits.edits.clear();
        const size_t boxes = services.MessageBoxes().size();
        Rename(1, c.typed);
        ASSERT_EQ(services.MessageBoxes().size(), boxes + 1) << c.typed;
        EXPECT_EQ(services.MessageBoxes().back().text, c.error + "名前の変更はできませんでした。");
        EXPECT_EQ(services.MessageBoxes().back().icon, kNoIcon);
        EXPECT_EQ(list().RowText(1), "a.txt") << c.typed;
        EXPECT_EQ(dir.Read("files/a.txt"), "xxx");
        EXPECT_EQ(dir.Read("files/b.txt"), "xxxxxxx");
        EXPECT_FALSE(dir.Exists("files/sub/moved.txt"));
        EXPECT_EQ(dir.Read("files/A link.txt"), "xxx");
        EXPECT_EQ(edits.edits, (std::vector<std::int32_t>{1, 1})) << "the edit reopens";
        EXPECT_EQ(state().RenamePending, 1);
    }
    // The reopened edit still renames the file the command was given on.
    list().BackendEndLabelEdit(1, std::string("c.txt"));
    EXPECT_TRUE(dir.Exists("files/c.txt"));
    EXPECT_EQ(list().RowText(1), "c.txt");
}

TEST_F(RenameDeleteTest, CancelledEmptyOrUnaskedEditsChangeNothing) {
    AddFile("a.txt");
    Rename(1, std::nullopt);
    Rename(1, std::string());
    list().BackendEndLabelEdit(1, std::string("z.txt"));  // not started by the menu
    EXPECT_TRUE(dir.Exists("files/a.txt"));
    EXPECT_EQ(list().RowText(1), "a.txt");
    EXPECT_EQ(state().RenamePending, 0);
    EXPECT_TRUE(services.MessageBoxes().empty());
}

TEST_F(RenameDeleteTest, DeleteAsksAndLowersTheCountersByTheRow) {
    AddFile("small.txt", 10);
    AddFile("big.bin", 1234567, true);
    AddFile("last.txt", 2);
    SetCounters(3, 1234579, 1);
    state().InterruptMark = "中断 ";

    Delete(2, kNo);
    EXPECT_EQ(services.MessageBoxes().back().text, "big.bin　を削除しますか");
    EXPECT_TRUE(dir.Exists("files/big.bin"));
    EXPECT_EQ(list().Count(), 3);

    Delete(2, kYes);
    EXPECT_FALSE(dir.Exists("files/big.bin"));
    EXPECT_EQ(list().Count(), 2);
    EXPECT_EQ(f().Label3.Caption(), "中断 2 個のファイルを表示（表示領域 12 Byte)    ChkHit(*) 0");
    EXPECT_EQ(state().StatusText, f().Label3.Caption());

    Delete(1, kYes);
    Delete(1, kYes);
    EXPECT_EQ(list().Count(), 0);
    EXPECT_EQ(f().Label3.Caption(), "中断 0 個のファイルを表示（表示領域 0 Byte)    ChkHit(*) 0");
    EXPECT_EQ(services.MessageBoxes().size(), 4u) << "only the questions";
}

// Counts that a list file of another origin left lower than its rows stop
// at zero: a list shows "0 個", never "-1 個" or a negative size.
TEST_F(RenameDeleteTest, DeleteNeverTakesACountBelowZero) {
    AddFile("a.txt", 10, true);
    AddFile("b.txt", 20);
    SetCounters(0, 15, 0);
    Delete(1, kYes);
    EXPECT_EQ(f().Label3.Caption(), "0 個のファイルを表示（表示領域 5 Byte)    ChkHit(*) 0");
    Delete(1, kYes);
    EXPECT_EQ(list().Count(), 0);
    EXPECT_EQ(f().Label3.Caption(), "0 個のファイルを表示（表示領域 0 Byte)    ChkHit(*) 0");
    EXPECT_EQ(state().ListedFileCount, 0);
    EXPECT_EQ(state().ListedTotalBytes, 0);
    EXPECT_EQ(state().SameSizeHitCount, 0);
}

TEST_F(RenameDeleteTest, DeleteOfAFileAlreadyGoneKeepsTheRow) {
    AddFile("gone.txt", 4);
    SetCounters(1, 4, 0);
    f().Label3.SetCaption("before");
    std::filesystem::remove(PathOf("gone.txt"));
    Delete(1, kYes);
    EXPECT_EQ(services.MessageBoxes().back().text, ErrorText(ENOENT) + "削除はできませんでした。");
    EXPECT_EQ(services.MessageBoxes().back().buttons, kOkOnly);
    EXPECT_EQ(list().Count(), 1);
    EXPECT_EQ(state().ListedFileCount, 1);
    EXPECT_EQ(f().Label3.Caption(), "before");
}

}  // namespace
}  // namespace kestrova
