#include "mainwin/list_interaction.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "list_fixture.h"
#include "mainwin/help_text.h"
#include "platform/system/files.h"

namespace kestrova {
namespace {

class ListInteractionTest : public testing::ListFixture {
protected:
    void SetUp() override {
        StartProgram();
        AddFiles(5);
    }
};

TEST_F(ListInteractionTest, MiddleButtonSelectsAllOrNone) {
    using Rows = std::vector<std::int32_t>;
    const Rows all{1, 2, 3, 4, 5};
    Press(kLeftButton, 2);
    EXPECT_EQ(SelectedRows(), Rows{2}) << "a plain left press leaves the row under the pointer";
    EXPECT_EQ(list().SelectedItem(), 2);
    Press(kMiddleButton, 4);
    EXPECT_EQ(SelectedRows(), all) << "the first middle click selects all";
    Press(kMiddleButton, 4);
    EXPECT_EQ(SelectedRows(), Rows{}) << "the second one clears";
    Press(kMiddleButton, 1);
    EXPECT_EQ(SelectedRows(), all);
    Press(kLeftButton, 3);
    EXPECT_EQ(SelectedRows(), Rows{3});
    Press(kMiddleButton, 3);
    EXPECT_EQ(SelectedRows(), Rows{}) << "after a select-all, a left click and a middle click: none";
    EXPECT_EQ(state().Interrupted, 1);
}

TEST_F(ListInteractionTest, MiddleClickAfterCtrlSelectingTwoRowsClearsThem) {
    Select({1});
    Press(kLeftButton, 1, kCtrlMask);  // the list's own toggle keeps row 1
    Select({4});
    Press(kLeftButton, 4, kCtrlMask);
    EXPECT_EQ(SelectedRows(), (std::vector<std::int32_t>{1, 4})) << "Ctrl keeps the selection";
    EXPECT_EQ(state().SelectedCount, 2);
    EXPECT_EQ(state().AllSelectedToggle, 1);
    Press(kMiddleButton, 2);
    EXPECT_TRUE(SelectedRows().empty());
}

TEST_F(ListInteractionTest, RightClickBelowTheLastRowOpensTheMenuOnNoRow) {
    Select({2});
    list().SetSelectedItem(2);
    services.QueueMenuChoice("Kestren");
    UserMouseDown(list(), kRightButton, 0, 300, RowY(9));
    EXPECT_EQ(services.PopupMenus(), std::vector<std::string>{"Kestmenu"});
    EXPECT_EQ(list().SelectedItem(), 0);
    EXPECT_EQ(state().RenamePending, 0) << "a rename without a row renames nothing";

    services.QueueMenuChoice("KestDel");
    UserMouseDown(list(), kRightButton, 0, 300, RowY(9));
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, ErrorText(ENOENT) + "削除はできませんでした。");
    EXPECT_EQ(list().Count(), 5);
}

TEST_F(ListInteractionTest, RightClickOnAnUnselectedRowMakesItCurrentForRenameAndDelete) {
    Select({1, 2, 3});
    services.QueueMenuChoice("KestDel");
    services.QueueAnswer(kNo);
    Press(kRightButton, 5);
    EXPECT_EQ(list().SelectedItem(), 5);
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, "file5.txt　を削除しますか");
    EXPECT_EQ(services.MessageBoxes()[0].buttons, kYesNo);
    EXPECT_EQ(services.MessageBoxes()[0].icon, kQuestion);
    EXPECT_EQ(SelectedRows(), std::vector<std::int32_t>{5}) << "as the list control picks an unselected row";
    EXPECT_EQ(state().SelectedCount, 1) << "counted after the menu command";
    EXPECT_EQ(state().AllSelectedToggle, 0);

    // On a row of a selection, the selection stays for the menu to act on.
    Select({1, 2, 3});
    list().SetSelected(5, false);
    services.QueueMenuChoice("");
    Press(kRightButton, 2);
    EXPECT_EQ(list().SelectedItem(), 2);
    EXPECT_EQ(SelectedRows(), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(state().SelectedCount, 3);
    EXPECT_EQ(state().AllSelectedToggle, 1);
}

TEST_F(ListInteractionTest, MenuItemsOfOtherCommandsRunTheirHandoffs) {
    std::vector<std::string> ran;
    p().handoffs.MPC_Open = [&] { ran.push_back("MPC_Open"); };
    p().handoffs.Pem_Open = [&] { ran.push_back("Pem_Open"); };
    for (const char* item : {"MPC_Open", "Pem_Open", "Pem_Help"}) {
        services.QueueMenuChoice(item);
        Press(kRightButton, 1);
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"MPC_Open", "Pem_Open"}));
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].title, kListHelpTitle);
}

TEST_F(ListInteractionTest, KeysShowHelpFlipTheFolderColumnOrEndAnUntouchedAutoRun) {
    const int kArrowDown = 40;
    const int kLetterA = 65;
    UserKeyDown(list(), kArrowDown, 0);
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, ListHelpText(state().ProgramTitle));
    EXPECT_EQ(services.MessageBoxes()[0].title, "Ｈｅｌｐ");
    EXPECT_GT(services.CursorCount(), 0) << "the pointer is made visible first";

    const int shown = state().ShowFolderColumn;
    UserKeyDown(list(), kLetterA, kAltMask);
    EXPECT_EQ(state().ShowFolderColumn, shown == 1 ? 0 : 1);
    UserKeyDown(list(), kLetterA, kCtrlMask);
    UserKeyDown(list(), kLetterA, kAltMask | kShiftMask);
    EXPECT_EQ(state().ShowFolderColumn, shown == 1 ? 0 : 1) << "other modifiers do nothing";
    EXPECT_EQ(services.MessageBoxes().size(), 1u);

    state().QuitAfterAutoRun = 1;
    EXPECT_THROW(UserKeyDown(list(), kLetterA, 0), ProgramEnded);
    Press(kLeftButton, 1);
    UserKeyDown(list(), kLetterA, 0);
    EXPECT_EQ(services.MessageBoxes().size(), 2u) << "after a click in the list a key only shows the help";
}

}  // namespace
}  // namespace kestrova
