#include "window_services.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/model/user_input.h"

#include "platform/model/work_signal.h"

namespace kestrova {

WindowServices::WindowServices(PictureWorker::Decode decode) : decode_(decode), pictures_(std::move(decode)) {}

WindowServices::~WindowServices() {
    for (auto& [form, window] : windows_) {
        auto* mutable_form = const_cast<Form*>(form);
        if (mutable_form->Observer() == this) mutable_form->SetObserver(nullptr);
        window->Detach();
    }
    windows_.clear();
}

FormMirrorBase* WindowServices::WindowFor(const Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.get();
}

void WindowServices::AttachForm(Form& form) {
    if (WindowFor(form)) return;
    const ScreenSize screen = Screen();
    form.SetScreenSize(screen.width, screen.height);
    windows_[&form] = MakeWindow(form);
    form.SetObserver(this);
}

void WindowServices::DetachForm(Form& form) {
    auto it = windows_.find(&form);
    if (it == windows_.end()) return;
    if (form.Observer() == this) form.SetObserver(nullptr);
    it->second->Detach();
    windows_.erase(it);
}

void WindowServices::FlushAll(bool force) {
    for (auto& [form, window] : windows_) window->FlushLists(force);
}

void WindowServices::FlushViews() { FlushAll(true); }

void WindowServices::EndSession() {
    // A handler may take windows down (the close does), so the forms are
    // taken first.
    std::vector<Form*> forms;
    for (const auto& [form, window] : windows_) forms.push_back(const_cast<Form*>(form));
    for (Form* form : forms) {
        if (windows_.count(form) != 0) UserEndSession(*form);
    }
}

std::chrono::nanoseconds WindowServices::SteadyNow() const { return std::chrono::steady_clock::now().time_since_epoch(); }

void WindowServices::DoEvents() {
    if (Clock() - last_turn_ < kTurnSlice) return;
    FlushAll(false);
    {
        Counting pumping(loop_.pumping);
        RunTurn(false);
    }
    last_turn_ = Clock();
}

void WindowServices::WaitTurn() {
    FlushAll(false);
    {
        Counting pumping(loop_.pumping);
        RunTurn(true);
    }
    last_turn_ = Clock();
}

void WindowServices::WaitForWork(WorkSignal& work) {
    FlushAll(false);
    // The worker's notification ends the turn as an event would; one that
    // came since the last wait leaves nothing to wait for.
    const bool wait = work.Arm(TurnWaker());
    {
        Counting pumping(loop_.pumping);
        RunTurn(wait);
    }
    work.Disarm();
    last_turn_ = SteadyNow();
}

MsgBoxResult WindowServices::MsgBox(const std::string& text, int buttons, int icon, const std::string& title) {
    FlushAll(true);
    std::optional<MsgBoxResult> answer;
    {
        Counting pumping(loop_.pumping);
        answer = ShowMessageBox(text, buttons, icon, title.empty() ? std::string(kApplicationTitle) : title);
    }
    return answer.value_or(DecliningAnswer(buttons));
}

MsgBoxResult DecliningAnswer(int buttons) {
    const int kind = buttons & 7;
    if (kind == kOkOnly) return kOk;
    if (kind == kYesNo) return kNo;
    return kCancel;
}

std::optional<int> WindowServices::ProcessExitCode(ProcessId id) {
    if (auto known = exit_codes_.find(id.value); known != exit_codes_.end()) return known->second;
    const std::optional<int> code = PollProcess(id);
    // The system forgets an ended process once asked; later polls must
    // still see the same end.
    if (code) exit_codes_[id.value] = *code;
    return code;
}

// A picture is never shown larger than the screen, so it is never decoded larger.
std::optional<LoadedPicture> WindowServices::LoadPicture(const std::string& path, PixelSize fit) { return decode_(path, fit); }

std::unique_ptr<PendingPicture> WindowServices::LoadPictureAhead(const std::string& path, PixelSize fit) {
    return pictures_.Start(path, fit);
}

void WindowServices::EndProgram() {
    std::fflush(stdout);
    std::fflush(stderr);
    ExitNow();
    std::_Exit(0);  // a backend's end never returns; should it, the process ends all the same
}

void WindowServices::FormChanged(Form& form, FormProperty what) {
    if (FormMirrorBase* window = WindowFor(form)) window->FormChanged(what);
}

void WindowServices::ControlChanged(Control& control, Property what) {
    if (FormMirrorBase* window = WindowFor(control.Owner())) window->ControlChanged(control, what);
}

void WindowServices::PopupMenu(Form& form, Menu& menu) {
    if (FormMirrorBase* window = WindowFor(form)) {
        Counting pumping(loop_.pumping);
        window->Popup(menu);
    }
}

}  // namespace kestrova
