#include <gtest/gtest.h>

#include <thread>

#include "platform/headless/headless_services.h"
#include "platform/model/user_input.h"
#include "platform/model/work_signal.h"
#include "support/test_form.h"

namespace kestrova {
namespace {

using testing::SmallForm;

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override { services.AttachForm(form); }
    HeadlessServices services;
    SmallForm form;
};

TEST_F(HeadlessTest, QueuedClickRunsDuringTheTurnItWasQueuedFor) {
    int clicks = 0;
    form.Get<CommandButton>("Command1").Click = [&] { ++clicks; };
    services.OnTurn(3, [&] { UserClick(form.Get<CommandButton>("Command1")); });
    services.DoEvents();
    services.DoEvents();
    EXPECT_EQ(clicks, 0);
    services.DoEvents();
    EXPECT_EQ(clicks, 1);
    services.DoEvents();
    EXPECT_EQ(clicks, 1) << "an action runs once";
}

TEST_F(HeadlessTest, ConditionalActionWaitsForItsCondition) {
    int value = 0;
    bool fired = false;
    services.When([&] { return value == 2; }, [&] { fired = true; });
    services.DoEvents();
    EXPECT_FALSE(fired);
    value = 2;
    services.DoEvents();
    EXPECT_TRUE(fired);
}

// A wait for another thread's work is no turn: scripted turns and the
// virtual clock stay as they were, however long the other thread takes.
TEST_F(HeadlessTest, WaitingForWorkTakesNoTurnAndRunsOnlyTheActionsQueuedForIt) {
    WorkSignal work;
    int turn_actions = 0;
    services.When([] { return true; }, [&] { ++turn_actions; });
    std::thread worker([&] { work.Notify(); });
    services.WaitForWork(work);  // sleeps until notified
    worker.join();
    EXPECT_EQ(services.Turns(), 0);
    EXPECT_EQ(services.ClockMilliseconds(), 0);
    EXPECT_EQ(turn_actions, 0) << "actions of turns wait for a turn";
    EXPECT_EQ(services.WorkWaits(), 1);

    int clicks = 0;
    form.Get<CommandButton>("Command1").Click = [&] { ++clicks; };
    bool ready = false;
    services.WhenWaitingForWork([&] { return ready; }, [&] { UserClick(form.Get<CommandButton>("Command1")); });
    work.Notify();
    services.WaitForWork(work);  // the condition does not hold: sleeps (notified already)
    EXPECT_EQ(clicks, 0);
    ready = true;
    services.WaitForWork(work);  // the user clicks while the program waits; no sleep
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(services.Turns(), 0);
}

TEST(WorkSignal, ABackendsWakerRunsOnlyWhileArmedAndANotificationIsNotLost) {
    WorkSignal work;
    int woken = 0;
    EXPECT_TRUE(work.Arm([&] { ++woken; }));
    work.Notify();
    EXPECT_EQ(woken, 1);
    work.Disarm();
    work.Notify();  // nobody waits: kept for the next wait
    EXPECT_EQ(woken, 1);
    EXPECT_FALSE(work.Arm([&] { ++woken; })) << "the notification came before the wait";
    work.Disarm();
    EXPECT_TRUE(work.Arm([&] { ++woken; })) << "and is forgotten after it";
    work.Disarm();
}

TEST_F(HeadlessTest, MessageBoxesAreRecordedAndQuestionsAnsweredFromTheQueue) {
    EXPECT_EQ(services.MsgBox("了解", kOkOnly, kInformation), kOk);
    services.QueueAnswer(kNo);
    services.QueueAnswer(kYes);
    EXPECT_EQ(services.MsgBox("終了しますか", kYesNo, kQuestion), kNo);
    EXPECT_EQ(services.MsgBox("終了しますか", kYesNo, kQuestion, "別"), kYes);
    ASSERT_EQ(services.MessageBoxes().size(), 3u);
    EXPECT_EQ(services.MessageBoxes()[1].title, "Kestrova");
    EXPECT_EQ(services.MessageBoxes()[1].icon, kQuestion);
    EXPECT_EQ(services.MessageBoxes()[2].title, "別");
    EXPECT_THROW(services.MsgBox("unanswered", kYesNo, kQuestion), std::logic_error);
}

TEST_F(HeadlessTest, VirtualTimerTicksOncePerIntervalOnlyWhileEnabled) {
    Timer& timer = form.timer();
    int ticks = 0;
    timer.Tick = [&] { ++ticks; };
    timer.SetInterval(1000);
    timer.SetEnabled(true);
    services.WaitTurn();  // the timer starts counting here
    const long start = services.ClockMilliseconds();
    for (int second = 1; second <= 3; ++second) {
        services.WaitTurn();
        EXPECT_EQ(services.ClockMilliseconds(), start + 1000L * second) << "a waiting turn sleeps to the next tick";
        EXPECT_EQ(ticks, second);
    }
    timer.SetEnabled(false);
    for (int i = 0; i < 500; ++i) services.WaitTurn();
    EXPECT_EQ(ticks, 3);
}

TEST_F(HeadlessTest, EndProgramThrowsProgramEnded) { EXPECT_THROW(services.EndProgram(), ProgramEnded); }

TEST_F(HeadlessTest, VirtualClockAdvancesNow) {
    services.SetNow({2024, 12, 31, 23, 59, 59});
    services.SetTurnMilliseconds(1000);
    services.DoEvents();
    EXPECT_EQ(services.Now(), (LocalTime{2025, 1, 1, 0, 0, 0}));
}

TEST_F(HeadlessTest, UserClicksChangeStateBeforeTheEventAndRespectEnabled) {
    CheckBox& check = form.check();
    int seen = -1;
    check.Click = [&] { seen = check.Value(); };
    UserClick(check);
    EXPECT_EQ(seen, 1);
    check.SetEnabled(false);
    UserClick(check);
    EXPECT_EQ(check.Value(), 1) << "a disabled box ignores clicks";
}

TEST_F(HeadlessTest, OptionButtonsFormOneGroupPerContainer) {
    form.option(1).SetValue(true);
    form.option(3).SetValue(true);
    UserClick(form.option(2));
    EXPECT_FALSE(form.option(1).Value());
    EXPECT_TRUE(form.option(2).Value());
    EXPECT_TRUE(form.option(3).Value()) << "buttons on the window are another group";
    int clicks = 0;
    form.option(2).Click = [&] { ++clicks; };
    UserClick(form.option(2));
    EXPECT_EQ(clicks, 0) << "clicking the selected button changes nothing";
}

TEST_F(HeadlessTest, FormEmulatesInnerSizeAndWindowStates) {
    form.Move(0, 0, 10335, 5880);
    EXPECT_EQ(form.ScaleWidth(), 10215);
    EXPECT_EQ(form.ScaleHeight(), 5202);
    int resizes = 0;
    form.Resize = [&] { ++resizes; };
    form.SetWindowState(kMinimized);
    EXPECT_EQ(form.ScaleWidth(), 0);
    form.SetWindowState(kMaximized);
    EXPECT_EQ(form.Width(), services.Screen().width);
    form.SetWindowState(kNormal);
    EXPECT_EQ(form.Width(), 10335) << "the normal size survives min and max";
    EXPECT_EQ(resizes, 3);
}

}  // namespace
}  // namespace kestrova
