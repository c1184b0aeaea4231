#include "settings/settings_screen.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "app/wiring.h"
#include "mainwin/help_text.h"
#include "platform/model/user_input.h"
#include "settings/settings_file.h"
#include "settings/settings_transfer.h"
#include "support/program_fixture.h"

namespace kestrova {
namespace {

std::vector<std::string> SplitCr(const std::string& text) { return testing::Split(text, "\r"); }

class ScreenTest : public testing::ProgramTest {
protected:
    void SetUp() override {
        StartProgram();
        UserClick(p().Form1.Command1);  // open the screen
    }
    SettingsForm& screen() { return p().Form2; }
    void Browse(int row_box, std::optional<std::string> choice) {
        UserFocus(*screen().Text[row_box]);
        services.QueueFolderChoice(std::move(choice));
        UserClick(screen().Command1);
    }
};

TEST(ShortFolderName, KeepsUpToTenCharactersOfTheLastPart) {
    EXPECT_EQ(ShortFolderName("C:\\"), "C:\\");
    EXPECT_EQ(ShortFolderName("D:\\Photos\\Holiday2004"), "Holiday200");
    EXPECT_EQ(ShortFolderName("\\\\SERVER\\share\\"), "");
    EXPECT_EQ(ShortFolderName("/"), "/");
    EXPECT_EQ(ShortFolderName("/Photos/Holiday2004"), "Holiday200");
    EXPECT_EQ(ShortFolderName("//SERVER/share/"), "");
    EXPECT_EQ(ShortFolderName("/home/user/写真アルバム二〇〇四年夏"), "写真アルバム二〇〇四");
}

TEST_F(ScreenTest, BrowseWithoutACurrentRowDoesNothing) {
    services.QueueFolderChoice(std::string("/anything"));
    UserClick(screen().Command1);
    for (int i = 17; i <= 32; ++i) EXPECT_NE(screen().Text[i]->Text(), "/anything");
}

TEST_F(ScreenTest, BrowsingFillsTheFolderAndAnEmptyTitle) {
    Browse(21, std::string("/Photos/Holiday2004"));  // row 5's folder box
    EXPECT_EQ(screen().Text[21]->Text(), "/Photos/Holiday2004");
    EXPECT_EQ(screen().Text[5]->Text(), "Holiday200");
    EXPECT_EQ(screen().CurrentRow, 0);

    UserEditText(*screen().Text[6], "My title");
    Browse(6, std::string("/Music/Albums"));  // row 6's title box
    EXPECT_EQ(screen().Text[22]->Text(), "/Music/Albums");
    EXPECT_EQ(screen().Text[6]->Text(), "My title") << "an existing title stays";

    Browse(7, std::nullopt);  // cancelled
    EXPECT_EQ(screen().Text[23]->Text(), "");
    EXPECT_EQ(screen().CurrentRow, 7) << "a cancelled browse keeps the row";
}

TEST_F(ScreenTest, FolderAlreadyListedAsksFirst) {
    screen().Text[18]->SetText("/shared");  // row 2
    services.QueueAnswer(kNo);
    Browse(21, std::string("/shared"));
    EXPECT_EQ(screen().Text[21]->Text(), "");
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, "/shared　が設定されていますが追加しますか");
    EXPECT_EQ(services.MessageBoxes()[0].icon, kQuestion);
    services.QueueAnswer(kYes);
    Browse(21, std::string("/shared"));
    EXPECT_EQ(screen().Text[21]->Text(), "/shared");
}

TEST_F(ScreenTest, NetworkBrowsingRefusesALocalFolder) {
    screen().Text[21]->SetText("/old");
    UserClick(*screen().Check[22]);
    Browse(21, std::string("/home/local"));
    EXPECT_EQ(screen().Text[21]->Text(), "");
    ASSERT_FALSE(services.MessageBoxes().empty());
    EXPECT_EQ(services.MessageBoxes()[0].text, "選択できません！！");
    const std::string share = std::string(2, kPathSeparator) + "nas" + kPathSeparator + "media";
    Browse(21, share);
    EXPECT_EQ(screen().Text[21]->Text(), share);
    EXPECT_EQ(screen().Text[5]->Text(), "media");
}

TEST_F(ScreenTest, ClosingWithTheButtonShowsTheNewCaption) {
    UserEditText(*screen().Text[1], "新しい題");
    UserClick(screen().Command2);
    EXPECT_FALSE(screen().Visible());
    EXPECT_EQ(state().SettingsScreenOpen, 0);
    EXPECT_EQ(p().Form1.Check[1]->Caption(), "01:新しい題");
    EXPECT_EQ(state().DisplayEntries[1].Title, "新しい題");
}

TEST_F(ScreenTest, CloseBoxHidesWithoutApplyingTheFolderColumn) {
    ListView& list = p().Form1.ListView1;
    UserClick(*screen().Check[19]);  // hide the folder column
    UserClose(screen());
    EXPECT_FALSE(screen().Visible());
    EXPECT_EQ(state().ShowFolderColumn, 0);
    EXPECT_EQ(list.ColumnWidth(2), 2000) << "the close box does not apply the column";
    UserClick(p().Form1.Command1);
    UserClick(screen().Command2);
    EXPECT_EQ(list.ColumnWidth(2), 0) << "閉じる does";
}

TEST_F(ScreenTest, ResetAsksAndRestoresEveryDefault) {
    screen().Text[3]->SetText("x");
    state().DisplayEntries[9].Folder = "/nine";
    services.QueueAnswer(kNo);
    UserClick(screen().Image1);
    EXPECT_EQ(screen().Text[3]->Text(), "x");
    EXPECT_EQ(services.MessageBoxes().back().text, "設定をデフォルトに戻しますか");
    services.QueueAnswer(kYes);
    UserClick(screen().Image1);
    EXPECT_EQ(screen().Text[3]->Text(), "");
    EXPECT_EQ(state().DisplayEntries[9].Folder, "");
    EXPECT_EQ(screen().Text[37]->Text(), "*東京*.*");
    EXPECT_TRUE(screen().Option[11]->Value());
}

TEST_F(ScreenTest, QuoteOptionIsEnabledOnlyWithThePreviousListAndKeepsItsTick) {
    UserClick(*screen().Option[12]);
    ASSERT_TRUE(screen().Check[2]->Enabled());
    UserClick(*screen().Check[2]);
    UserClick(*screen().Option[11]);
    EXPECT_FALSE(screen().Check[2]->Enabled());
    EXPECT_EQ(screen().Check[2]->Value(), 1);
    UserClick(*screen().Option[12]);
    EXPECT_TRUE(screen().Check[2]->Enabled());
    EXPECT_EQ(screen().Check[2]->Value(), 1);
}

TEST_F(ScreenTest, FolderColumnBoxAppliesWhenItLosesTheFocus) {
    UserFocus(*screen().Check[19]);
    UserClick(*screen().Check[19]);
    EXPECT_EQ(state().ShowFolderColumn, 1);
    UserFocus(*screen().Text[1]);
    EXPECT_EQ(state().ShowFolderColumn, 0);
}

TEST(SettingsHelp, IsTwentyOneCrSeparatedLinesExactly) {
    const std::string text = SettingsHelpText("ケストロヴァ (Kestrova) ZI22");
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const auto lines = SplitCr(text);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[0], "\u2015\u2015\u2015\u2015\u2015\u2015\u3000表示フォルダ名\u3000\u2015\u2015\u2015");
    EXPECT_EQ(lines[10], "\u3000前回の更新情報で起動\u3000「\"」対策");
    EXPECT_EQ(lines[14], "フォルダ名\u3000\u3000 リストのフォルダ名表示");
    EXPECT_EQ(lines[15], "隠しファイル\u3000  隠しファイルも表示\u3000");
    EXPECT_EQ(lines[18], " View時\u3000画像拡大,全画面表示,時間(秒)");
    EXPECT_EQ(lines[19], "");
    EXPECT_EQ(lines[20], "ケストロヴァ (Kestrova) ZI22  by Pem");
}

TEST_F(ScreenTest, HelpBoxesCarryTheirOwnTitles) {
    UserClick(screen().Image2);
    EXPECT_EQ(services.MessageBoxes().back().title, "設定　Ｈｅｌｐ");
    EXPECT_EQ(services.MessageBoxes().back().icon, kNoIcon);
    UserClick(p().Form1.Pem_Help);
    EXPECT_EQ(services.MessageBoxes().back().title, "Ｈｅｌｐ");
    EXPECT_EQ(services.MessageBoxes().back().text, ListHelpText(state().ProgramTitle));
}

}  // namespace
}  // namespace kestrova
