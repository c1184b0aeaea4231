#include "settings/settings_transfer.h"

#include <gtest/gtest.h>

#include "platform/model/user_input.h"
#include "settings/pattern_selector.h"
#include "settings/settings_file.h"
#include "support/program_fixture.h"

namespace kestrova {
namespace {

class TransferTest : public testing::ProgramTest {
protected:
    void SetUp() override {
        LoadDefaultSettings(p());
        for (const char* h : {"名前", "フォルダ名", "サイズ(Byte)", "更新日時", "No"}) p().Form1.ListView1.AddColumn(h, 1000);
        p().Form1.ListView1.SetColumnWidth(2, 2000);
    }
};

TEST_F(TransferTest, DefaultsReachTheScreenAndComeBackUnchanged) {
    const std::string before = FormatSettingsText(state());
    ScreenTextsToSettings(p());
    ScreenOptionsToSettings(p());
    EXPECT_EQ(FormatSettingsText(state()), before);
    EXPECT_TRUE(p().Form2.Option[2]->Value()) << "descending";
    EXPECT_TRUE(p().Form2.Option[5]->Value()) << "sorted by modification time";
    EXPECT_TRUE(p().Form2.Option[11]->Value()) << "refresh at start";
    EXPECT_FALSE(p().Form2.Check[2]->Enabled()) << "quote handling only with the previous list";
    EXPECT_EQ(p().Form1.Combo1.Text(), "*.*");
    EXPECT_EQ(p().Form2.Text[49]->Text(), "3");
}

TEST_F(TransferTest, ValuesWithoutAButtonSelectNothingAndLaterTakeTheSelection) {
    state().SortKey = 9;
    p().Form2.Option[3]->SetValue(false);
    p().Form2.Option[5]->SetValue(false);
    SettingsToScreen(p());
    for (int o : {3, 7, 4, 5, 6}) EXPECT_FALSE(p().Form2.Option[o]->Value()) << o;
    ScreenOptionsToSettings(p());
    EXPECT_EQ(state().SortKey, 9) << "no button selected keeps the value";
    UserClick(*p().Form2.Option[4]);
    ScreenOptionsToSettings(p());
    EXPECT_EQ(state().SortKey, 2);

    for (int o : {10, 11, 12}) p().Form2.Option[o]->SetValue(false);
    ScreenOptionsToSettings(p());
    EXPECT_EQ(state().StartMode, 0) << "no start option selected means start only";
}

TEST_F(TransferTest, RowCaptionsTakeTheFirstTenBytesOfTheTitle) {
    state().DisplayEntries[3] = {"七文字の題名です", "/photos", 1, "", 0};
    state().DisplayEntries[4] = {"abcdefghijkl", "/x", 0, "", 0};
    state().DisplayEntries[5] = {"no folder", "", 1, "", 0};
    LabelEnabledChecks(p());
    EXPECT_EQ(p().Form1.Check[1]->Caption(), "01:私の円盤");
    EXPECT_EQ(p().Form1.Check[3]->Caption(), "03:七文字の題");
    EXPECT_EQ(p().Form1.Check[4]->Caption(), "04:abcdefghij");
    EXPECT_EQ(p().Form1.Check[5]->Caption(), "");
}

TEST_F(TransferTest, MaximisedMainWindowKeepsItsSizeAndSelectorText) {
    p().Form1.SetWindowState(kMaximized);
    const int width = p().Form1.Width();
    p().Form1.Combo1.SetText("*.png");
    state().MainWidth = 5000;
    SettingsToScreen(p());
    EXPECT_EQ(p().Form1.Width(), width);
    EXPECT_EQ(p().Form1.Combo1.Text(), "*.png");
    p().Form1.SetWindowState(kNormal);
    SettingsToScreen(p());
    EXPECT_EQ(p().Form1.Width(), 5000);
    EXPECT_EQ(p().Form1.Combo1.Text(), "*.*");
}

TEST_F(TransferTest, DisplayTimeThatIsNotANumberKeepsTheOldValueAndSaysSo) {
    p().Form2.Text[49]->SetText("abc");
    ScreenTextsToSettings(p());
    ScreenOptionsToSettings(p());
    EXPECT_EQ(state().ViewSeconds, 3);
    ASSERT_EQ(services.MessageBoxes().size(), 1u) << "told once, not once per transfer";
    EXPECT_NE(services.MessageBoxes()[0].text.find("abc"), std::string::npos);
    p().Form2.Text[49]->SetText("");
    ScreenTextsToSettings(p());
    EXPECT_EQ(state().ViewSeconds, 0);
    EXPECT_EQ(p().Form2.Text[49]->Text(), "0");
    p().Form2.Text[49]->SetText("2.5");
    ScreenTextsToSettings(p());
    EXPECT_EQ(state().ViewSeconds, 2) << "a half rounds to even";
}

TEST_F(TransferTest, FolderColumnHiddenGivesItsRoomToTheNameColumn) {
    p().Form1.Move(0, 0, 10335, 5880);
    state().ShowFolderColumn = 0;
    ApplyFolderColumn(p());
    EXPECT_EQ(p().Form1.ListView1.ColumnWidth(2), 0);
    EXPECT_EQ(p().Form1.ListView1.ColumnWidth(1), 10215 - 5832);
    state().ShowFolderColumn = 1;
    ApplyFolderColumn(p());
    EXPECT_EQ(p().Form1.ListView1.ColumnWidth(2), 2000);
    EXPECT_EQ(p().Form1.ListView1.ColumnWidth(1), 10215 - 2000 - 5832);
}

TEST_F(TransferTest, PatternSelectorKeepsTheMostRecentlyUsedFirst) {
    FillPatternSelector(p());
    p().Form1.Combo1.SetText("*.jpg");
    Combo1_LostFocus(p());
    EXPECT_EQ(state().DisplayEntries[1].Pattern, "*.jpg");
    EXPECT_EQ(state().DisplayEntries[2].Pattern, "*.*");
    EXPECT_EQ(state().DisplayEntries[3].Pattern, "*.avi;*.mpg;*.wmv");
    EXPECT_EQ(p().Form1.File1.Pattern(), "*.jpg");
    EXPECT_EQ(p().Form2.Text[33]->Text(), "*.jpg");

    for (int i = 1; i <= 16; ++i) state().DisplayEntries[i].Pattern = "*." + std::to_string(i);
    state().DisplayEntries[2].Pattern = "*.JPG";
    p().Form1.Combo1.SetText("*.jpg");
    PromoteSelectedPattern(p());
    EXPECT_EQ(state().DisplayEntries[1].Pattern, "*.jpg");
    EXPECT_EQ(state().DisplayEntries[3].Pattern, "*.JPG") << "case matters";
    EXPECT_EQ(state().DisplayEntries[16].Pattern, "*.15") << "the sixteenth drops out";
    EXPECT_EQ(p().Form1.Combo1.ListCount(), 16);

    p().Form1.Combo1.SetText("");
    PromoteSelectedPattern(p());
    EXPECT_EQ(state().DisplayEntries[1].Pattern, "");
    EXPECT_EQ(p().Form1.Combo1.ListCount(), 15) << "an empty entry is not offered";
}

TEST_F(TransferTest, KeyInTheSelectorInterruptsOnlyWithoutModifiers) {
    Combo1_KeyDown(p(), 'A', kShiftMask);
    EXPECT_EQ(state().AbortRequested, 0);
    Combo1_KeyDown(p(), 'A', 0);
    EXPECT_EQ(state().AbortRequested, 1);
}

}  // namespace
}  // namespace kestrova
