#pragma once
// The scripted backend for tests and benchmarks. Every DoEvents is one turn:
// the virtual clock advances, due timers fire and queued test actions run.
// Message boxes, shell opens and process starts are recorded; questions are
// answered from a queue.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/model/controls.h"
#include "platform/model/form.h"
#include "platform/model/services.h"

namespace kestrova {

// A picture decode asked of the backend, and what became of it.
struct RecordedDecode {
    enum class Fate { Pending, Taken, Dropped };
    std::string path;
    PixelSize fit;
    bool ahead = false;  // asked for through LoadPictureAhead
    long turn = 0;       // the turn count when it was asked for
    Fate fate = Fate::Pending;
};

struct RecordedMsgBox {
    std::string text;
    int buttons = 0;
    int icon = 0;
    std::string title;
};

class HeadlessServices : public Services, public FormObserver {
public:
    HeadlessServices();

    void AttachForm(Form& form) override;
    void DoEvents() override;
    void WaitTurn() override;
    // Runs the first action queued with WhenWaitingForWork whose condition
    // holds and returns; with none, sleeps until `work` is notified.
    void WaitForWork(WorkSignal& work) override;
    MsgBoxResult MsgBox(const std::string& text, int buttons, int icon, const std::string& title = kApplicationTitle) override;
    bool ShellOpen(const std::string& path, std::string& error) override;
    Picture AssociatedIcon(const std::string& path) override;
    std::optional<std::string> BrowseFolder(const std::string& title, bool network) override;
    std::optional<ProcessId> StartProcess(const std::vector<std::string>& argv, std::string& error) override;
    std::optional<int> ProcessExitCode(ProcessId id) override;
    std::optional<VideoPlayer> InstalledVideoPlayer() override { return installed_player_; }
    int ShowCursor(bool show) override;
    ScreenSize Screen() override;
    std::vector<Rect> ScreenAreas() override;
    LocalTime Now() override;
    // Scales the added picture down to the size asked for, nearest pixel.
    std::optional<LoadedPicture> LoadPicture(const std::string& path, PixelSize fit) override;
    // Decoded at once; ready after the turns SetDecodeTurns gives.
    std::unique_ptr<PendingPicture> LoadPictureAhead(const std::string& path, PixelSize fit) override;
    [[noreturn]] void EndProgram() override;

    void FormChanged(Form&, FormProperty) override {}
    void ControlChanged(Control&, Property) override {}
    // Records the menu and clicks the item queued for it, if any.
    void PopupMenu(Form& form, Menu& menu) override;

    // ---- scripting ----
    // Runs action during turn number `turn` (1-based count of DoEvents/WaitTurn).
    // Busy turns (DoEvents) take no virtual time unless SetTurnMilliseconds
    // says so; waiting turns (WaitTurn) sleep to the next timer.
    void OnTurn(long turn, std::function<void()> action);
    // Runs action once, at the first turn where condition holds.
    void When(std::function<bool()> condition, std::function<void()> action);
    // Runs action once, at the first wait for work on other threads where
    // condition holds (a user acting while the program waits for a slow
    // folder). Such waits are no turns (see WaitForWork).
    void WhenWaitingForWork(std::function<bool()> condition, std::function<void()> action) {
        work_wait_actions_.push_back({std::move(condition), std::move(action)});
    }
    // Answers the next question box (buttons other than OK only).
    void QueueAnswer(MsgBoxResult answer) { answers_.push_back(answer); }
    // The item the next pop-up menu's user chooses by name; "" closes it.
    void QueueMenuChoice(std::string item) { menu_choices_.push_back(std::move(item)); }
    void QueueFolderChoice(std::optional<std::string> folder) { folder_choices_.push_back(std::move(folder)); }
    // Pictures LoadPicture will find, by path.
    void AddPicture(const std::string& path, Picture picture) { pictures_[path] = std::move(picture); }
    void SetDecodeTurns(long turns) { decode_turns_ = turns; }
    // A started process runs for this many turns, then exits with this code.
    void SetProcessTurns(long turns) { process_turns_ = turns; }
    void SetProcessExitCode(int code) { process_exit_code_ = code; }
    // The player the system has installed; none unless a test gives one.
    void SetInstalledVideoPlayer(std::optional<VideoPlayer> player) { installed_player_ = std::move(player); }
    void SetShellOpenFails(bool fails) { shell_open_fails_ = fails; }
    // The screen's density: its 1920 x 1080 device pixels are fewer twips
    // at more dots per inch (144 at 150 %). The forms attached learn it.
    void SetScreenDpi(int dpi);
    // Screens other than the one of the default size, in desktop twips.
    void SetScreenAreas(std::vector<Rect> areas) { screen_areas_ = std::move(areas); }
    void SetNow(const LocalTime& t) { start_time_ = t; clock_ms_ = 0; }
    void SetTurnMilliseconds(long ms) { turn_ms_ = ms; }

    long Turns() const { return turns_; }
    long WorkWaits() const { return work_waits_; }
    long ClockMilliseconds() const { return clock_ms_; }
    const std::vector<RecordedMsgBox>& MessageBoxes() const { return message_boxes_; }
    const std::vector<std::string>& ShellOpens() const { return shell_opens_; }
    const std::vector<std::string>& PopupMenus() const { return popup_menus_; }
    const std::vector<std::vector<std::string>>& ProcessStarts() const { return process_starts_; }
    int CursorCount() const { return cursor_count_; }
    const std::vector<Form*>& Forms() const { return forms_; }
    const std::deque<RecordedDecode>& Decodes() const { return decodes_; }

private:
    void Turn(long advance_ms);
    void FireTimers();
    void RunActions();

    struct TimedAction {
        long turn;
        std::function<void()> action;
    };
    struct ConditionalAction {
        std::function<bool()> condition;
        std::function<void()> action;
    };
    struct RunningProcess {
        long ends_at_turn;
        int exit_code;
    };

    std::vector<Form*> forms_;
    std::vector<Timer*> timers_;
    std::set<const Timer*> ticking_;
    std::map<const Control*, long> timer_due_ms_;
    std::vector<TimedAction> timed_;
    std::vector<ConditionalAction> conditional_;
    std::vector<ConditionalAction> work_wait_actions_;
    std::deque<MsgBoxResult> answers_;
    std::deque<std::optional<std::string>> folder_choices_;
    std::deque<std::string> menu_choices_;
    std::vector<std::string> popup_menus_;
    std::map<std::string, Picture> pictures_;
    // A deque: pending handles keep pointers to their records.
    std::deque<RecordedDecode> decodes_;
    long decode_turns_ = 0;
    std::map<std::int64_t, RunningProcess> processes_;
    std::optional<std::vector<Rect>> screen_areas_;
    std::vector<RecordedMsgBox> message_boxes_;
    std::vector<std::string> shell_opens_;
    std::vector<std::vector<std::string>> process_starts_;
    LocalTime start_time_{2024, 5, 1, 13, 45, 7};
    long clock_ms_ = 0;
    // A busy turn takes no virtual time, so stamps taken after a scan are the
    // time a test set; waiting turns advance the clock.
    long turn_ms_ = 0;
    long turns_ = 0;
    long work_waits_ = 0;
    long process_turns_ = 3;
    int process_exit_code_ = 0;
    std::optional<VideoPlayer> installed_player_;
    std::int64_t next_pid_ = 1000;
    int cursor_count_ = 0;
    int screen_dpi_ = kDefaultDpi;
    bool shell_open_fails_ = false;
    bool in_actions_ = false;
};

}  // namespace kestrova
