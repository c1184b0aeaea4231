#include "mainwin/main_window.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "app/wiring.h"
#include "platform/model/user_input.h"
#include "settings/settings_file.h"
#include "support/program_fixture.h"

namespace kestrova {
namespace {

class MainWindowTest : public testing::ProgramTest {
protected:
    void SetUp() override {
        StartProgram([](SharedState& s) {
            s.MainWidth = 12000;
            s.MainHeight = 7000;
        });
    }
    MainForm& f() { return p().Form1; }
    ListView& list() { return p().Form1.ListView1; }
};

TEST_F(MainWindowTest, FirstShowLaysTheListOutAtTheRememberedSize) {
    const int w = f().ScaleWidth();
    const int h = f().ScaleHeight();
    EXPECT_EQ(w, 12000 - 120);
    EXPECT_EQ(list().Left(), 1680);
    EXPECT_EQ(list().Top(), 0);
    EXPECT_EQ(list().Width(), w - 1740);
    EXPECT_EQ(list().Height(), h - 660);
    EXPECT_EQ(list().ColumnWidth(1), w - (2000 + 5832));
    EXPECT_EQ(f().Label3.Top(), h - 600);
    EXPECT_EQ(f().Label2.Top(), h - 340);
}

TEST_F(MainWindowTest, ResizingRemembersOnlyTheNormalSize) {
    f().Move(0, 0, 11000, 6000);
    EXPECT_EQ(state().MainWidth, 11000);
    EXPECT_EQ(state().MainScaleHeight, 6000 - 678);
    const int list_width = list().Width();
    f().SetWindowState(kMinimized);
    EXPECT_EQ(list().Width(), list_width) << "a minimised window leaves the list alone";
    EXPECT_EQ(state().MainWidth, 11000);
    f().SetWindowState(kMaximized);
    EXPECT_EQ(list().Width(), f().ScaleWidth() - 1740) << "the list fills the maximised window";
    EXPECT_EQ(state().MainWidth, 11000) << "the remembered size stays the normal one";
    f().SetWindowState(kNormal);
    EXPECT_EQ(list().Width(), 11000 - 120 - 1740);
}

TEST_F(MainWindowTest, TinyWindowSkipsNegativeSizes) {
    const int list_width = list().Width();
    f().Move(0, 0, 1000, 900);
    EXPECT_EQ(list().Width(), list_width);
    EXPECT_EQ(state().MainWidth, 1000);
}

TEST_F(MainWindowTest, FolderColumnButtonHidesAndRestoresTheDraggedWidth) {
    list().BackendColumnWidth(2, 2600);  // dragged by the user
    UserClick(f().Image2);
    EXPECT_EQ(list().ColumnWidth(2), 0);
    EXPECT_EQ(state().ShowFolderColumn, 0);
    EXPECT_EQ(p().Form2.Check[19]->Value(), 0);
    EXPECT_EQ(list().ColumnWidth(1), f().ScaleWidth() - 5832);
    UserClick(f().Image2);
    EXPECT_EQ(list().ColumnWidth(2), 2600);
    EXPECT_EQ(state().FolderColumnWidth, 2600);
}

TEST_F(MainWindowTest, InterruptImageWithoutARefreshOnlyEndsSequences) {
    UserClick(f().Image1);
    EXPECT_EQ(state().AbortRequested, 0);
    EXPECT_EQ(state().EndRequested, 1);
    EXPECT_EQ(f().Command3.BackColor(), std::nullopt);
}

TEST_F(MainWindowTest, EndImageEndsAtOnceWithoutSaving) {
    EXPECT_THROW(UserClick(f().Image3), ProgramEnded);
    const std::string before = dir.Read("Kestrova.ini");
    EXPECT_NE(before.find("12000"), std::string::npos) << "the file is the one written before start-up";
}

TEST_F(MainWindowTest, SetFormTopKnowsOnlyModesZeroAndOne) {
    EXPECT_EQ(SetFormTop(p().Form6, 1), 1);
    EXPECT_TRUE(p().Form6.Topmost());
    EXPECT_EQ(SetFormTop(p().Form6, 2), 0);
    EXPECT_TRUE(p().Form6.Topmost()) << "another mode changes nothing";
    EXPECT_EQ(SetFormTop(p().Form6, 0), 1);
    EXPECT_FALSE(p().Form6.Topmost());
}

TEST_F(MainWindowTest, TimerCountsSecondsOfATimedWait) {
    state().TickCount = 0;
    f().Timer1.SetEnabled(true);
    for (int i = 0; i < 4; ++i) services.WaitTurn();
    f().Timer1.SetEnabled(false);
    EXPECT_EQ(state().TickCount, 3);
}

TEST_F(MainWindowTest, EveryPictureButtonHasAPicture) {
    for (ImageControl* image : {&f().Image1, &f().Image2, &f().Image3, &f().Image4, &f().Image5, &f().Image7,
                                &p().Form2.Image1, &p().Form2.Image2}) {
        ASSERT_NE(image->GetPicture(), nullptr) << image->Name();
        EXPECT_EQ(image->GetPicture()->width, 32);
        EXPECT_EQ(image->GetPicture()->height, 32);
    }
    EXPECT_NE(f().Image1.GetPicture()->pixels, f().Image3.GetPicture()->pixels);
}

TEST_F(MainWindowTest, ListMenuHasItsSevenItemsInOrder) {
    std::vector<std::string> items;
    for (const auto& control : f().Controls()) {
        if (control->Kind() == ControlKind::Menu && control->Container() == "Kestmenu") items.push_back(control->Caption());
    }
    EXPECT_EQ(items, (std::vector<std::string>{"開く", "名前の変更", "削除", "-", "Media Player Classic (動画)",
                                               "Pem View (画像)", "Ｈｅｌｐ"}));
}

}  // namespace
}  // namespace kestrova
