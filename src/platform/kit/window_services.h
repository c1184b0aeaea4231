#pragma once
// What every window backend's Services share: the forms and their windows,
// the slicing of event-loop turns, the message box's answer when it was
// closed without a button, exit codes kept once a process has ended,
// pictures decoded ahead, and the ending of the program. A backend derives
// from it and implements the hooks below with its toolkit.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/kit/form_mirror.h"
#include "platform/kit/loop_state.h"
#include "platform/model/form.h"
#include "platform/model/services.h"
#include "platform/pictures/picture_worker.h"

namespace kestrova {

class WindowServices : public Services, public FormObserver {
public:
    // DoEvents inside a tight loop returns at once when the last real turn is
    // this recent: clicks still land at the next call, and a scan of a
    // million files does not pay a million turns of the event loop.
    static constexpr std::chrono::milliseconds kTurnSlice{5};
    // The longest a waiting loop's turn sleeps when nothing happens.
    static constexpr int kWaitTurnMs = 10;

    ~WindowServices() override;

    void AttachForm(Form& form) final;
    // Takes a form's window down; the form no longer reports to this backend.
    void DetachForm(Form& form);
    // Brings every list view up to date now, whatever the batching.
    void FlushViews();
    // The user's session ends: every window hears it (SessionEnd).
    void EndSession();
    // Slices turns by this clock instead of the backend's own, so a test
    // can say how much time passes between two calls.
    using SteadyClock = std::function<std::chrono::nanoseconds()>;
    void UseClock(SteadyClock clock) { clock_ = std::move(clock); }

    void DoEvents() final;
    void WaitTurn() final;
    void WaitForWork(WorkSignal& work) final;
    MsgBoxResult MsgBox(const std::string& text, int buttons, int icon, const std::string& title) final;
    std::optional<int> ProcessExitCode(ProcessId id) final;
    std::optional<LoadedPicture> LoadPicture(const std::string& path, PixelSize fit) final;
    std::unique_ptr<PendingPicture> LoadPictureAhead(const std::string& path, PixelSize fit) final;
    [[noreturn]] void EndProgram() final;

    void FormChanged(Form& form, FormProperty what) final;
    void ControlChanged(Control& control, Property what) final;
    void PopupMenu(Form& form, Menu& menu) final;

protected:
    // decode: the toolkit's picture decode, safe on any thread.
    explicit WindowServices(PictureWorker::Decode decode);

    const LoopState& Loop() const { return loop_; }
    // For a modal loop the backend runs itself (a folder dialog): a handler
    // is at work meanwhile.
    int& Pumping() { return loop_.pumping; }
    FormMirrorBase* WindowFor(const Form& form) const;
    const std::map<const Form*, std::unique_ptr<FormMirrorBase>>& Windows() const { return windows_; }

    // ---- what the backend does ----
    virtual std::unique_ptr<FormMirrorBase> MakeWindow(Form& form) = 0;
    // One turn of the toolkit's event loop; a waiting turn may sleep until an
    // event arrives or kWaitTurnMs pass.
    virtual void RunTurn(bool waiting) = 0;
    // What ends a waiting turn before its time, callable from any thread:
    // the work a waiting loop waits for has come.
    virtual std::function<void()> TurnWaker() = 0;
    // The answer of the button pressed; nullopt when the box was closed some other way.
    virtual std::optional<MsgBoxResult> ShowMessageBox(const std::string& text, int buttons, int icon,
                                                       const std::string& title) = 0;
    // nullopt while the process runs; its exit code once it has ended (-1
    // when that cannot be known). Asked once more after an end, never.
    virtual std::optional<int> PollProcess(ProcessId id) = 0;
    [[noreturn]] virtual void ExitNow() = 0;
    // A steady clock as fine as a turn's slice needs, read once per DoEvents.
    virtual std::chrono::nanoseconds SteadyNow() const;

private:
    void FlushAll(bool force);
    std::chrono::nanoseconds Clock() const { return clock_ ? clock_() : SteadyNow(); }

    LoopState loop_;
    std::map<const Form*, std::unique_ptr<FormMirrorBase>> windows_;
    SteadyClock clock_;
    std::chrono::nanoseconds last_turn_{};
    std::unordered_map<std::int64_t, int> exit_codes_;
    PictureWorker::Decode decode_;
    PictureWorker pictures_;
};

// The answer a question box gives when it was closed without a button: the
// one that declines.
MsgBoxResult DecliningAnswer(int buttons);

}  // namespace kestrova
