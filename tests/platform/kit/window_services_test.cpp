// The services every window backend shares, against a toolkit whose loop,
// message box, processes and clock the test plays: the forms registry, the
// slicing of turns, the message box's answer when closed without a button,
// exit codes kept after the end, and the end of the program.
#include "platform/kit/window_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/model/work_signal.h"

namespace kestrova {
namespace {

using std::chrono::milliseconds;

// A window that counts what reaches it.
class CountingWindow final : public FormMirrorBase {
public:
    explicit CountingWindow(Form& form) : FormMirrorBase(form) {}
    void ControlChanged(Control&, Property) override { ++control_changes; }
    void Popup(Menu&) override { ++popups; }
    void FlushLists(bool force) override { (force ? forced_flushes : due_flushes)++; }
    void Detach() override { detached = true; }

    int control_changes = 0;
    int form_changes = 0;
    int popups = 0;
    int forced_flushes = 0;
    int due_flushes = 0;
    bool detached = false;

private:
    void ShowFormCaption() override { ++form_changes; }
    void ShowFormGeometry() override {}
    void ShowWindowState() override {}
    void ShowForm() override {}
    void HideForm() override {}
    void CenterOnScreen() override {}
    void ShowFormColor() override {}
    void ShowTopmost() override {}
    void BringToFront() override {}
    void ShowDrawing() override {}
    void ReportGeometry() override {}
};

class FakeServices final : public WindowServices {
public:
    FakeServices() : WindowServices([](const std::string&, PixelSize) { return std::optional<LoadedPicture>(); }) {}

    CountingWindow& Of(const Form& form) { return static_cast<CountingWindow&>(*WindowFor(form)); }

    bool ShellOpen(const std::string&, std::string&) override { return true; }
    Picture AssociatedIcon(const std::string&) override { return {}; }
    std::optional<std::string> BrowseFolder(const std::string&, bool) override { return std::nullopt; }
    std::optional<ProcessId> StartProcess(const std::vector<std::string>&, std::string&) override { return ProcessId{7}; }
    int ShowCursor(bool) override { return 0; }
    ScreenSize Screen() override { return {1600 * kTwipsPerPixel, 1000 * kTwipsPerPixel}; }
    LocalTime Now() override { return {}; }

    milliseconds clock{1000};
    std::vector<std::string> turns;
    std::vector<int> pumping_seen;  // during turns, boxes and pop-ups
    std::optional<MsgBoxResult> answer;
    std::string box_title;
    std::deque<std::optional<int>> process_states;
    int polls = 0;
    int wakes = 0;                     // calls of the turn's waker
    std::function<void()> during_turn;  // what "another thread" does meanwhile

private:
    std::unique_ptr<FormMirrorBase> MakeWindow(Form& form) override { return std::make_unique<CountingWindow>(form); }
    void RunTurn(bool waiting) override {
        turns.push_back(waiting ? "wait" : "busy");
        pumping_seen.push_back(Loop().pumping);
        if (during_turn) during_turn();
    }
    std::function<void()> TurnWaker() override {
        return [this] { ++wakes; };
    }
    std::optional<MsgBoxResult> ShowMessageBox(const std::string&, int, int, const std::string& title) override {
        box_title = title;
        pumping_seen.push_back(Loop().pumping);
        return answer;
    }
    std::optional<int> PollProcess(ProcessId) override {
        ++polls;
        const std::optional<int> state = process_states.front();
        if (process_states.size() > 1) process_states.pop_front();
        return state;
    }
    void ExitNow() override { throw ProgramEnded(); }
    std::chrono::nanoseconds SteadyNow() const override { return clock; }
};

class WindowServicesTest : public ::testing::Test {
protected:
    WindowServicesTest()
        : form({"FormS", "窓", 4800, 3600},
               {{"Label1", ControlKind::Label, "", "", {0, 0, 600, 255}},
                {"Menu1", ControlKind::Menu, "メニュー", "", {}, "", false},
                {"Item1", ControlKind::Menu, "開く", "", {}, "Menu1"}}) {
        services.AttachForm(form);
    }
    Form form;
    FakeServices services;
};

TEST_F(WindowServicesTest, FormsAreAttachedOnceAndTheirChangesReachTheirWindow) {
    CountingWindow* window = &services.Of(form);
    services.AttachForm(form);
    EXPECT_EQ(&services.Of(form), window) << "attached once";
    EXPECT_EQ(form.Observer(), &services);
    form.SetCaption("新しい題");
    form.Get<Label>("Label1").SetCaption("x");
    form.PopupMenu(form.Get<Menu>("Menu1"));
    EXPECT_EQ(window->form_changes, 1);
    EXPECT_EQ(window->control_changes, 1);
    EXPECT_EQ(window->popups, 1);
    // Maximising without a real screen uses the backend's.
    form.SetWindowState(kMaximized);
    EXPECT_EQ(form.Width(), 1600 * kTwipsPerPixel);

    services.DetachForm(form);
    EXPECT_EQ(form.Observer(), nullptr);
    form.SetCaption("もう一つ");  // reaches nobody
    services.FlushViews();
}

TEST(WindowServicesEnd, NoFormReportsToABackendThatIsGone) {
    Form form({"FormO", "", 4800, 3600}, {});
    auto services = std::make_unique<FakeServices>();
    services->AttachForm(form);
    services.reset();
    EXPECT_EQ(form.Observer(), nullptr);
}

// The end of the session reaches every window still up, once; a window its
// close takes down before its turn hears nothing (the main window's close
// takes the viewers with it).
TEST_F(WindowServicesTest, TheEndOfTheSessionReachesEveryWindowStillUp) {
    Form viewer({"FormV", "", 4800, 3600}, {});
    Form gone({"FormG", "", 4800, 3600}, {});
    services.AttachForm(viewer);
    services.AttachForm(gone);
    std::vector<std::string> heard;
    form.SessionEnd = [&] {
        heard.push_back("main");
        services.DetachForm(viewer);
    };
    viewer.SessionEnd = [&] { heard.push_back("viewer"); };
    gone.SessionEnd = [&] { heard.push_back("gone"); };
    services.DetachForm(gone);

    services.EndSession();
    // The windows are visited in no set order: the viewer hears it only
    // when its turn came before the main window's.
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "main"), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "gone"), 0);
    const auto main_at = std::find(heard.begin(), heard.end(), "main");
    EXPECT_EQ(std::find(main_at, heard.end(), "viewer"), heard.end()) << "a window taken down heard it";
    EXPECT_LE(std::count(heard.begin(), heard.end(), "viewer"), 1);
}

// DoEvents in a tight loop takes a real turn only when the last one is a
// slice ago; a waiting turn always runs. Every turn lets due appends show.
TEST_F(WindowServicesTest, BusyTurnsAreSlicedAndWaitingTurnsAreNot) {
    struct Step {
        int advance_ms;
        bool waiting;
        bool turn;
    };
    const Step steps[] = {
        {0, false, true},  {1, false, false}, {3, false, false}, {1, false, true},
        {0, true, true},   {0, true, true},   {4, false, false}, {1, false, true},
    };
    CountingWindow& window = services.Of(form);
    for (const Step& step : steps) {
        services.clock += milliseconds(step.advance_ms);
        const size_t before = services.turns.size();
        const int flushes = window.due_flushes;
        if (step.waiting) services.WaitTurn();
        else services.DoEvents();
        EXPECT_EQ(services.turns.size() > before, step.turn);
        EXPECT_EQ(window.due_flushes > flushes, step.turn) << "lists flushed with every real turn";
    }
    for (int pumping : services.pumping_seen) EXPECT_EQ(pumping, 1) << "a handler is at work during a turn";
    EXPECT_EQ(window.forced_flushes, 0);
}

// A wait for work is a turn that sleeps until the work's notification wakes
// it; a notification that came before the wait leaves nothing to sleep for,
// and one after the wait wakes nothing. The slice of busy turns is not
// skipped: the wait's turn always runs.
TEST_F(WindowServicesTest, WaitingForWorkIsATurnTheWorkEnds) {
    CountingWindow& window = services.Of(form);
    WorkSignal work;
    services.during_turn = [&] { work.Notify(); };
    services.WaitForWork(work);
    EXPECT_EQ(services.turns, std::vector<std::string>{"wait"});
    EXPECT_EQ(services.wakes, 1) << "the notification woke the waiting turn";
    EXPECT_EQ(window.due_flushes, 1);

    services.during_turn = nullptr;
    work.Notify();  // came before the next wait
    services.WaitForWork(work);
    EXPECT_EQ(services.turns, (std::vector<std::string>{"wait", "busy"}));
    EXPECT_EQ(services.wakes, 1);

    work.Notify();  // after the wait: remembered for the next, wakes nobody
    EXPECT_EQ(services.wakes, 1);
    services.WaitForWork(work);
    EXPECT_EQ(services.turns.back(), "busy");
    for (int pumping : services.pumping_seen) EXPECT_EQ(pumping, 1) << "a handler is at work during a turn";
}

// A box closed by its close box or by Esc answers what declines.
TEST_F(WindowServicesTest, AMessageBoxClosedWithoutAButtonDeclines) {
    struct Case {
        int buttons;
        MsgBoxResult closed;
    };
    const Case cases[] = {{kOkOnly, kOk}, {kOkCancel, kCancel}, {kYesNoCancel, kCancel}, {kYesNo, kNo}};
    for (const Case& c : cases) {
        services.answer.reset();
        EXPECT_EQ(services.MsgBox("終了しますか", c.buttons, kQuestion, ""), c.closed) << c.buttons;
        services.answer = kYes;
        EXPECT_EQ(services.MsgBox("終了しますか", c.buttons, kQuestion, ""), kYes);
    }
    EXPECT_EQ(services.box_title, kApplicationTitle);
    services.MsgBox("x", kOkOnly, kNoIcon, "Ｈｅｌｐ");
    EXPECT_EQ(services.box_title, "Ｈｅｌｐ");
    EXPECT_GE(services.Of(form).forced_flushes, 1) << "the lists are up to date behind a box";
    for (int pumping : services.pumping_seen) EXPECT_EQ(pumping, 1);
}

// The system forgets a process once its end was read; later polls must
// still see the same end.
TEST_F(WindowServicesTest, AProcessesExitCodeIsKeptOnceItHasEnded) {
    services.process_states = {std::nullopt, std::nullopt, 3};
    const ProcessId id{7};
    EXPECT_EQ(services.ProcessExitCode(id), std::nullopt);
    EXPECT_EQ(services.ProcessExitCode(id), std::nullopt);
    EXPECT_EQ(services.ProcessExitCode(id), 3);
    services.process_states = {-1};  // what the system says of it now
    EXPECT_EQ(services.ProcessExitCode(id), 3);
    EXPECT_EQ(services.ProcessExitCode(id), 3);
    EXPECT_EQ(services.polls, 3);
}

TEST_F(WindowServicesTest, EndProgramEndsThroughTheToolkit) {
    EXPECT_THROW(services.EndProgram(), ProgramEnded);
}

}  // namespace
}  // namespace kestrova
