#include "mainwin/open_sequence.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "list_fixture.h"
#include "listing/refresh.h"
#include "mainwin/open_items.h"

namespace kestrova {
namespace {

using Texts = std::vector<std::string>;

class OpenSequenceTest : public testing::ListFixture {
protected:
    void SetUp() override {
        StartProgram();
        // A sequence that never ends fails the test instead of hanging it.
        services.When([this] { return services.Turns() > 100000; }, [] { throw std::runtime_error("the sequence never ended"); });
    }

    // Presses `button` of the dialog each time its label shows one of `at`,
    // in order, recording what the dialog and the main window showed. The
    // label is wiped after each press, so the next one waits for the walk
    // to show a position again.
    void PressAt(const Texts& at, CommandButton& button) {
        for (const std::string& label : at) {
            services.When([this, label] { return dialog().Label1.Caption() == label && state().StopFlag == 0; },
                          [this, &button] {
                              seen_labels.push_back(dialog().Label1.Caption());
                              seen_captions.push_back(dialog().Caption());
                              main_hidden_while_waiting = main_hidden_while_waiting && !f().Visible();
                              dialog().Label1.SetCaption("");
                              UserClick(button);
                          });
        }
    }
    Texts Opened() const {
        Texts names;
        for (const std::string& path : services.ShellOpens()) names.push_back(path.substr(path.rfind(kPathSeparator) + 1));
        return names;
    }

    Texts seen_labels;
    Texts seen_captions;
    bool main_hidden_while_waiting = true;
};

TEST_F(OpenSequenceTest, DoubleClickOpensTheCurrentRowOrReportsItMissing) {
    AddFile("movie one.mp4");
    AddFile(".hidden.txt");
    AddFile("gone.txt");
    std::filesystem::remove(PathOf("gone.txt"));
    UserDblClick(list());
    EXPECT_TRUE(services.ShellOpens().empty()) << "no current row, nothing opens";
    for (std::int32_t row : {1, 2, 3}) {
        list().SetSelectedItem(row);
        UserDblClick(list());
    }
    EXPECT_EQ(services.ShellOpens(), Texts{PathOf("movie one.mp4")});
    ASSERT_EQ(services.MessageBoxes().size(), 2u) << "a hidden file counts as missing";
    for (const RecordedMsgBox& box : services.MessageBoxes()) {
        EXPECT_EQ(box.text, kFileNotFoundMessage);
        EXPECT_EQ(box.buttons, kOkOnly);
        EXPECT_EQ(box.icon, kNoIcon);
    }
}

TEST_F(OpenSequenceTest, ThreeSelectedRowsStepThroughTheDialog) {
    AddFiles(10);
    Select({2, 5, 9});
    PressAt({"1/3", "2/3", "3/3"}, dialog().Command1);
    UserClick(f().Kest_Open);
    EXPECT_EQ(Opened(), (Texts{"file2.txt", "file5.txt", "file9.txt"}));
    EXPECT_EQ(seen_labels, (Texts{"1/3", "2/3", "3/3"}));
    EXPECT_EQ(seen_captions, (Texts{"次処理へ(ケストロヴァ) 1/3", "次処理へ(ケストロヴァ) 2/3", "次処理へ(ケストロヴァ) 3/3"}));
    EXPECT_TRUE(main_hidden_while_waiting);
    EXPECT_TRUE(dialog().Topmost());
    EXPECT_EQ(dialog().Command1.Caption(), "次へ");
    EXPECT_EQ(dialog().Command2.Caption(), "戻る");
    const ScreenSize screen = services.Screen();
    EXPECT_EQ(dialog().Left(), screen.width - dialog().Width() - 1000);
    EXPECT_EQ(dialog().Top(), screen.height - dialog().Height() - 1000);
    EXPECT_EQ(dialog().BackColor(), Rgb(192, 255, 255));
    EXPECT_FALSE(dialog().Visible()) << "the walk is over after the third row";
    EXPECT_TRUE(f().Visible());
    EXPECT_EQ(state().OpenSequenceActive, 0);
}

TEST_F(OpenSequenceTest, BackOnTheFirstRowOpensItAgainAtPositionOne) {
    AddFiles(3);
    Select({1, 2});
    PressAt({"1/2"}, dialog().Command2);
    PressAt({"1/2", "2/2"}, dialog().Command1);
    UserClick(f().Kest_Open);
    EXPECT_EQ(Opened(), (Texts{"file1.txt", "file1.txt", "file2.txt"}));
    EXPECT_EQ(seen_labels, (Texts{"1/2", "1/2", "2/2"}));
}

TEST_F(OpenSequenceTest, BackStepsToThePreviousSelectedRowOverUnselectedOnes) {
    AddFiles(6);
    Select({3, 5});
    PressAt({"1/2"}, dialog().Command1);
    PressAt({"2/2"}, dialog().Command2);
    PressAt({"1/2"}, dialog().Command3);
    UserClick(f().Kest_Open);
    EXPECT_EQ(Opened(), (Texts{"file3.txt", "file5.txt", "file3.txt"}));
    EXPECT_EQ(seen_labels, (Texts{"1/2", "2/2", "1/2"}));
    EXPECT_FALSE(dialog().Visible()) << "終了 ends the walk";
}

TEST_F(OpenSequenceTest, MissingFileInTheMiddleIsReportedAndPassedOver) {
    AddFiles(3);
    std::filesystem::remove(PathOf("file2.txt"));
    Select({1, 2, 3});
    PressAt({"1/3", "3/3"}, dialog().Command1);
    UserClick(f().Kest_Open);
    EXPECT_EQ(Opened(), (Texts{"file1.txt", "file3.txt"}));
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, kFileNotFoundMessage);
}

TEST_F(OpenSequenceTest, ClosingTheDialogByItsFrameEndsTheSequence) {
    AddFiles(3);
    Select({1, 2, 3});
    // Busy turns take no virtual time: the clock only runs when the button
    // wait gives the processor back between its turns.
    services.When([this] { return dialog().Label1.Caption() == "1/3" && services.ClockMilliseconds() >= 5000; },
                  [this] { UserClose(dialog()); });
    UserClick(f().Kest_Open);
    EXPECT_EQ(Opened(), Texts{"file1.txt"});
    EXPECT_FALSE(dialog().Visible());
    EXPECT_TRUE(f().Visible());
}

TEST_F(OpenSequenceTest, TimedRunHoldsOnStopAndGoesOnWithContinue) {
    AddFiles(4);
    Select({1, 3, 4});
    state().AutoRunChoice = kAutoRunOpenTimed;
    state().AutoRunActive = 1;
    state().ViewSeconds = 3;
    std::vector<long> opened_at;
    Texts captions;
    services.When([this] { return dialog().Label1.Caption() == "1/3"; },
                  [&, this] {
                      captions = {dialog().Command1.Caption(), dialog().Command2.Caption()};
                      UserClick(dialog().Command1);  // 停止
                  });
    services.When([this] { return services.ClockMilliseconds() >= 20000; }, [this] { UserClick(dialog().Command2); });
    for (size_t n = 1; n <= 3; ++n) {
        services.When([this, n] { return services.ShellOpens().size() == n; }, [&] { opened_at.push_back(services.ClockMilliseconds()); });
    }
    UserClick(f().Kest_Open);
    EXPECT_EQ(captions, (Texts{"停止", "続行"}));
    EXPECT_EQ(Opened(), (Texts{"file1.txt", "file3.txt", "file4.txt"}));
    ASSERT_EQ(opened_at.size(), 3u);
    // Held for 20 s on row 1, then 3 s for the unselected row 2; row 3 stays
    // its 3 s (three ticks of the one-second timer started within the turn).
    EXPECT_GE(opened_at[1] - opened_at[0], 23000);
    EXPECT_LT(opened_at[1] - opened_at[0], 25000);
    EXPECT_GE(opened_at[2] - opened_at[1], 3000);
    EXPECT_LT(opened_at[2] - opened_at[1], 3100);
    EXPECT_EQ(state().AutoRunActive, 0) << "the automatic run is over";
}

TEST_F(OpenSequenceTest, AutomaticRunEndsTheProgramUnlessTheListWasClicked) {
    AddFiles(1);
    state().AutoRunChoice = kAutoRunOpen;
    state().QuitAfterAutoRun = 1;
    state().AutoRunActive = 1;
    SelectAll(p());
    EXPECT_THROW(RunAutoRunChoice(p()), ProgramEnded);
    EXPECT_EQ(Opened(), Texts{"file1.txt"});
    EXPECT_FALSE(dialog().EverShown()) << "one row opens without the dialog";
    EXPECT_TRUE(f().Visible());

    state().AutoRunActive = 1;
    Press(kLeftButton, 1);
    RunAutoRunChoice(p());
    EXPECT_EQ(Opened(), (Texts{"file1.txt", "file1.txt"}));
    EXPECT_EQ(state().AutoRunActive, 0);
}

TEST_F(OpenSequenceTest, EmptyListOpensNothingAndMayEndTheProgram) {
    UserClick(f().Kest_Open);
    EXPECT_TRUE(services.ShellOpens().empty());
    EXPECT_EQ(state().OpenSequenceActive, 0);
    state().AutoRunChoice = kAutoRunOpen;
    state().QuitAfterAutoRun = 1;
    state().AutoRunActive = 1;
    EXPECT_THROW(RunAutoRunChoice(p()), ProgramEnded);
}

TEST_F(OpenSequenceTest, RepeatStopsWhenAPassFindsNoSelectedRow) {
    AddFiles(3);
    state().AutoRunChoice = kAutoRunOpen;
    state().LoopMode = 1;
    UserClick(f().Kest_Open);
    EXPECT_TRUE(services.ShellOpens().empty());
    EXPECT_EQ(state().OpenSequenceActive, 0);

    Select({1, 2});
    PressAt({"1/2", "2/2", "1/2"}, dialog().Command1);
    PressAt({"2/2"}, dialog().Command3);
    UserClick(f().Kest_Open);
    EXPECT_EQ(Opened(), (Texts{"file1.txt", "file2.txt", "file1.txt", "file2.txt"})) << "repeat starts a new pass";
}

}  // namespace
}  // namespace kestrova
