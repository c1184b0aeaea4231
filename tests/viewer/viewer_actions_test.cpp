#include "viewer/viewer_actions.h"

#include <gtest/gtest.h>

#include "platform/model/user_input.h"
#include "viewer/slideshow.h"
#include "viewer_fixture.h"

namespace kestrova {
namespace {

class ViewerActionsTest : public testing::ViewerTest {
protected:
    void Start(Flag16 full_screen, std::int16_t seconds = 5) {
        StartProgram([&](SharedState& s) {
            s.FullScreenView = full_screen;
            s.ViewSeconds = seconds;
            s.ZoomSetting = 0;
        });
        path = AddFile("a.jpg", 100, 50);
    }
    Form& Viewer(bool full) { return full ? static_cast<Form&>(p().Form4) : static_cast<Form&>(p().Form5); }
    // Runs the slideshow; action runs once the picture is up in the window.
    void RunWith(bool full, std::function<void()> action) {
        When([this, full] { return Viewer(full).Drawing().has_value(); }, std::move(action));
        ViewSelectedItems(p());
    }
    void Press(Form& form, int button, int shift = 0) { UserFormMouseDown(form, button, shift, 100, 100); }
    bool BothCaptions(const std::string& caption) {
        return p().Form4.Label1.Caption() == caption && p().Form5.Label1.Caption() == caption;
    }
    std::string path;
};

class EitherViewerTest : public ViewerActionsTest, public ::testing::WithParamInterface<bool> {
protected:
    bool full() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(FullScreenAndWindow, EitherViewerTest, ::testing::Bool());

TEST_P(EitherViewerTest, LeftClickPausesAndResumesWithEachWindowsCaption) {
    Start(full() ? 1 : 0);
    RunWith(full(), [&] {
        Press(Viewer(full()), kLeftButton);
        EXPECT_EQ(state().StopFlag, 1);
        EXPECT_TRUE(BothCaptions("[Stop] " + path));
        Press(Viewer(full()), kLeftButton);
        EXPECT_EQ(state().StopFlag, 0);
        EXPECT_TRUE(BothCaptions(full() ? "1/1 " + path : path));
        state().StopFlag = 2;  // the open sequence's own value
        Press(Viewer(full()), kLeftButton);
        EXPECT_EQ(state().StopFlag, 2) << "a press leaves other values alone";
        state().StopFlag = 0;
    });
}

TEST_P(EitherViewerTest, KeyDuringAnAutomaticRunEndsTheProgram) {
    Start(full() ? 1 : 0);
    state().AutoRunActive = 1;
    EXPECT_THROW(RunWith(full(), [&] { UserFormKeyDown(Viewer(full()), kKeyEscape, 0); }), ProgramEnded);
}

TEST_P(EitherViewerTest, RightButtonEndsOnlyTheSlideshowAndTheAutomaticRun) {
    Start(full() ? 1 : 0);
    state().AutoRunActive = 1;
    state().QuitAfterAutoRun = 1;
    RunWith(full(), [&] { Press(Viewer(full()), kRightButton); });
    EXPECT_EQ(state().AutoRunActive, 0);
    EXPECT_EQ(state().EndRequested, 1);
    EXPECT_FALSE(Viewer(full()).Visible());
}

TEST_F(ViewerActionsTest, CloseBoxOfTheWindowEndsTheSlideshowAsItsRightButtonDoes) {
    Start(0);
    state().AutoRunActive = 1;
    state().QuitAfterAutoRun = 1;
    p().Form2.Check[25]->SetValue(1);
    RunWith(false, [&] {
        p().Form5.Move(1500, 1200, 7000, 5000);
        UserClose(p().Form5);
        EXPECT_EQ(state().EndRequested, 1);
        EXPECT_FALSE(p().Form5.Visible());
    });
    EXPECT_EQ(state().AutoRunActive, 0) << "the program stays open";
    EXPECT_EQ(state().FullScreenView, 0);
    EXPECT_EQ(p().Form2.Check[25]->Value(), 0);
    EXPECT_EQ(state().ViewWindowLeft, 1500);
    EXPECT_EQ(state().ViewWindowWidth, 7000);
}

TEST_F(ViewerActionsTest, ShiftInFullScreenRedrawsAtOnce) {
    Start(1, 5);
    // Enlarged to the screen's width: 100 x 50 px -> 1920 x 960 px.
    const Rect enlarged{0, 60 * 15, 1920 * 15, 960 * 15};
    long shift_at = -1;
    long redrawn_at = -1;
    RunWith(true, [&] {
        shift_at = services.ClockMilliseconds();
        UserFormKeyDown(p().Form4, kKeyShift, kShiftMask);
        EXPECT_EQ(state().ZoomMode, 1);
        EXPECT_EQ(state().ZoomSetting, 1);
        EXPECT_EQ(p().Form2.Check[23]->Value(), 1);
        EXPECT_TRUE(BothCaptions("[MaxOn] " + path));
        When([&] { return p().Form4.Drawing()->target == enlarged; }, [&] {
            redrawn_at = services.ClockMilliseconds();
            UserFormKeyDown(p().Form4, kKeyEscape, 0);
        });
    });
    ASSERT_GE(redrawn_at, 0);
    EXPECT_LT(redrawn_at - shift_at, 1000) << "redrawn at the next turn, not with the next picture";
}

TEST_F(ViewerActionsTest, ShiftInTheWindowOnlySwitchesTheMode) {
    Start(0);
    RunWith(false, [&] {
        const Rect before = p().Form5.Drawing()->target;
        UserFormKeyDown(p().Form5, kKeyShift, kShiftMask);
        EXPECT_EQ(state().ZoomMode, 1);
        EXPECT_EQ(p().Form5.Drawing()->target, before) << "not redrawn";
        EXPECT_TRUE(BothCaptions("[MaxOn] " + path));
        UserFormKeyDown(p().Form5, kKeyShift, kShiftMask);
        EXPECT_EQ(state().ZoomMode, 0);
        EXPECT_EQ(p().Form2.Check[23]->Value(), 0);
        EXPECT_TRUE(BothCaptions("[MaxOff] " + path));
        UserFormKeyDown(p().Form5, kKeyEscape, 0);
    });
}

TEST_F(ViewerActionsTest, MiddleButtonInTheWindowRepeatsThisRunOnlyAltAlsoTheSetting) {
    Start(0);
    RunWith(false, [&] {
        Press(p().Form5, kMiddleButton);
        EXPECT_EQ(state().LoopMode, 1);
        EXPECT_EQ(state().LoopSetting, 0);
        EXPECT_EQ(p().Form2.Check[24]->Value(), 0);
        EXPECT_TRUE(BothCaptions("[LoopOn] " + path));
        EXPECT_EQ(p().Form5.Label1.ForeColor(), kViewerLoopCaptionColor);
        Press(p().Form5, kMiddleButton, kShiftMask);
        EXPECT_EQ(state().LoopMode, 1) << "with a modifier the middle button does nothing";
        UserFormKeyDown(p().Form5, kKeyMenu, kAltMask);
        EXPECT_EQ(state().LoopMode, 0);
        EXPECT_EQ(state().LoopSetting, 0);
        EXPECT_TRUE(BothCaptions("[LoopOff] " + path));
        EXPECT_EQ(p().Form4.Label1.ForeColor(), kViewerCaptionColor);
        UserFormKeyDown(p().Form5, kKeyMenu, kAltMask);
        EXPECT_EQ(state().LoopSetting, 1);
        EXPECT_EQ(p().Form2.Check[24]->Value(), 1);
        UserFormKeyDown(p().Form5, kKeyMenu, kAltMask | kCtrlMask);
        EXPECT_EQ(state().LoopMode, 1) << "other modifier states do nothing";
        Press(p().Form5, kRightButton);
    });
    EXPECT_FALSE(p().Form5.Visible());
}

TEST_F(ViewerActionsTest, DoubleClickMovesThePictureToTheOtherWindow) {
    Start(1, 3);
    std::vector<std::string> shown_in;
    When([&] { return p().Form4.Drawing().has_value(); }, [&] {
        shown_in.push_back("Form4");
        Press(p().Form4, kLeftButton);  // a double click's press comes first
        UserFormDblClick(p().Form4);
        EXPECT_EQ(state().StopFlag, 0) << "the press and the double click cancel out";
        EXPECT_EQ(state().FullScreenView, 0);
        EXPECT_EQ(p().Form2.Check[25]->Value(), 0);
        When([&] { return p().Form5.Drawing().has_value(); }, [&] {
            shown_in.push_back("Form5");
            EXPECT_FALSE(p().Form4.Visible());
            Press(p().Form5, kLeftButton);
            UserFormDblClick(p().Form5);
            EXPECT_EQ(state().FullScreenView, 1);
            EXPECT_EQ(p().Form2.Check[25]->Value(), 1);
            When([&] { return p().Form4.Visible() && p().Form4.Drawing().has_value(); },
                 [&] { shown_in.push_back("Form4"); });
        });
    });
    ViewSelectedItems(p());
    EXPECT_EQ(shown_in, (std::vector<std::string>{"Form4", "Form5", "Form4"}));
    EXPECT_EQ(state().SequencePosition, 1) << "the same picture, not the next";
}

TEST_F(ViewerActionsTest, DoubleClickWithOneSecondSwitchesOnlyTheSetting) {
    Start(1, 1);
    RunWith(true, [&] {
        Press(p().Form4, kLeftButton);
        UserFormDblClick(p().Form4);
        EXPECT_EQ(state().FullScreenView, 0);
        EXPECT_EQ(p().Form2.Check[25]->Value(), 0);
        EXPECT_FALSE(p().Form5.Drawing().has_value()) << "the picture stays in Form4";
        EXPECT_TRUE(p().Form4.Visible());
    });
}

TEST_F(ViewerActionsTest, CaptionStaysOnTheBottomLine) {
    Start(0);
    p().Form5.Move(0, 0, 6000, 5000);
    EXPECT_EQ(p().Form5.Label1.Top(), p().Form5.ScaleHeight() - 340);
    p().Form4.SetWindowState(kMaximized);
    p().Form4.Show();
    EXPECT_EQ(p().Form4.Label1.Top(), 1080 * 15 - 340);
}

}  // namespace
}  // namespace kestrova
