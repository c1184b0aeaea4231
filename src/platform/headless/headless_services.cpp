#include "headless_services.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <utility>

#include "platform/model/controls.h"
#include "platform/model/user_input.h"
#include "platform/model/work_signal.h"

namespace kestrova {
namespace {

constexpr int kScreenWidthPx = 1920;
constexpr int kScreenHeightPx = 1080;
constexpr int kTwipsToTheInch = 1440;

Picture NearestPixels(const Picture& from, PixelSize size) {
    if (from.width == size.width && from.height == size.height) return from;
    Picture to;
    to.width = size.width;
    to.height = size.height;
    to.pixels.resize(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
    for (int y = 0; y < size.height; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(from.height) / static_cast<size_t>(size.height);
        for (int x = 0; x < size.width; ++x) {
            const size_t column = static_cast<size_t>(x) * static_cast<size_t>(from.width) / static_cast<size_t>(size.width);
            to.pixels[static_cast<size_t>(y) * static_cast<size_t>(size.width) + static_cast<size_t>(x)] =
                from.pixels[row * static_cast<size_t>(from.width) + column];
        }
    }
    return to;
}

class HeadlessPending final : public PendingPicture {
public:
    HeadlessPending(std::optional<LoadedPicture> result, RecordedDecode& record, const long& turns, long ready_at)
        : result_(std::move(result)), record_(record), turns_(turns), ready_at_(ready_at) {}
    ~HeadlessPending() override {
        if (record_.fate == RecordedDecode::Fate::Pending) record_.fate = RecordedDecode::Fate::Dropped;
    }
    bool Ready() override { return turns_ >= ready_at_; }
    std::optional<LoadedPicture> Take() override {
        // Nothing runs beside the scripted turns, so a decode that is not
        // ready yet could never become so while this waited.
        if (!Ready()) throw std::logic_error("a picture was taken before its decode was ready");
        record_.fate = RecordedDecode::Fate::Taken;
        return std::exchange(result_, std::nullopt);
    }

private:
    std::optional<LoadedPicture> result_;
    RecordedDecode& record_;
    const long& turns_;
    long ready_at_;
};

}  // namespace

HeadlessServices::HeadlessServices() = default;

void HeadlessServices::AttachForm(Form& form) {
    const ScreenSize screen = Screen();
    form.SetScreenSize(screen.width, screen.height);
    form.SetScreenDpi(screen_dpi_);
    forms_.push_back(&form);
    form.SetObserver(this);
    for (const auto& control : form.Controls()) {
        if (auto* timer = dynamic_cast<Timer*>(control.get())) timers_.push_back(timer);
    }
}

void HeadlessServices::DoEvents() { Turn(turn_ms_); }

// A waiting loop sleeps until the next timer is due (or 10 ms when no timer
// runs), so a timed wait of seconds takes a handful of turns.
void HeadlessServices::WaitTurn() {
    long advance = -1;
    for (const auto& [timer, due] : timer_due_ms_) {
        if (timer->Enabled() && due > clock_ms_ && (advance < 0 || due - clock_ms_ < advance)) advance = due - clock_ms_;
    }
    Turn(advance < 0 ? 10 : advance);
}

void HeadlessServices::WaitForWork(WorkSignal& work) {
    ++work_waits_;
    for (size_t i = 0; i < work_wait_actions_.size(); ++i) {
        if (!work_wait_actions_[i].condition()) continue;
        auto action = std::move(work_wait_actions_[i].action);
        work_wait_actions_.erase(work_wait_actions_.begin() + static_cast<long>(i));
        action();
        return;
    }
    work.WaitNotified();
}

void HeadlessServices::Turn(long advance_ms) {
    ++turns_;
    clock_ms_ += advance_ms;
    FireTimers();
    RunActions();
}

void HeadlessServices::FireTimers() {
    for (Timer* timer : timers_) {
        if (!timer->Enabled() || timer->Interval() <= 0) {
            timer_due_ms_.erase(timer);
            continue;
        }
        auto [it, fresh] = timer_due_ms_.try_emplace(timer, clock_ms_ + timer->Interval());
        if (fresh || it->second > clock_ms_) continue;
        it->second = clock_ms_ + timer->Interval();
        // A tick handler that yields does not get its own timer again, as on
        // screen.
        if (!ticking_.insert(timer).second) continue;
        struct Done {
            std::set<const Timer*>& ticking;
            const Timer* timer;
            ~Done() { ticking.erase(timer); }
        } done{ticking_, timer};
        Raise(timer->Tick);
    }
}

// Actions run outside of each other: an action that itself calls DoEvents
// does not start the next one re-entrantly.
void HeadlessServices::RunActions() {
    if (in_actions_ || (timed_.empty() && conditional_.empty())) return;
    in_actions_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{in_actions_};
    for (size_t i = 0; i < timed_.size();) {
        if (timed_[i].turn <= turns_) {
            auto action = std::move(timed_[i].action);
            timed_.erase(timed_.begin() + static_cast<long>(i));
            action();
        } else {
            ++i;
        }
    }
    for (size_t i = 0; i < conditional_.size();) {
        if (conditional_[i].condition()) {
            auto action = std::move(conditional_[i].action);
            conditional_.erase(conditional_.begin() + static_cast<long>(i));
            action();
        } else {
            ++i;
        }
    }
}

void HeadlessServices::OnTurn(long turn, std::function<void()> action) { timed_.push_back({turn, std::move(action)}); }

void HeadlessServices::When(std::function<bool()> condition, std::function<void()> action) {
    conditional_.push_back({std::move(condition), std::move(action)});
}

MsgBoxResult HeadlessServices::MsgBox(const std::string& text, int buttons, int icon, const std::string& title) {
    message_boxes_.push_back({text, buttons, icon, title});
    if (buttons == kOkOnly) return kOk;
    if (answers_.empty()) throw std::logic_error("no answer queued for message box: " + text);
    const MsgBoxResult answer = answers_.front();
    answers_.pop_front();
    return answer;
}

bool HeadlessServices::ShellOpen(const std::string& path, std::string& error) {
    shell_opens_.push_back(path);
    if (shell_open_fails_) {
        error = "No application is registered for this file.";
        return false;
    }
    return true;
}

// A flat 16 x 16 square whose colour depends on the extension, so icons of
// one type are equal and those of different types differ.
Picture HeadlessServices::AssociatedIcon(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const std::string ext = dot == std::string::npos ? std::string() : path.substr(dot);
    const std::uint32_t colour = 0xff000000u | static_cast<std::uint32_t>(std::hash<std::string>{}(ext) & 0xffffffu);
    Picture icon;
    icon.width = 16;
    icon.height = 16;
    icon.pixels.assign(256, colour);
    return icon;
}

std::optional<std::string> HeadlessServices::BrowseFolder(const std::string&, bool) {
    if (folder_choices_.empty()) return std::nullopt;
    auto choice = std::move(folder_choices_.front());
    folder_choices_.pop_front();
    return choice;
}

std::optional<ProcessId> HeadlessServices::StartProcess(const std::vector<std::string>& argv, std::string& error) {
    process_starts_.push_back(argv);
    if (argv.empty()) {
        error = "No program given.";
        return std::nullopt;
    }
    const std::int64_t pid = next_pid_++;
    processes_[pid] = {turns_ + process_turns_, process_exit_code_};
    return ProcessId{pid};
}

std::optional<int> HeadlessServices::ProcessExitCode(ProcessId id) {
    auto it = processes_.find(id.value);
    if (it == processes_.end()) return -1;
    if (turns_ < it->second.ends_at_turn) return std::nullopt;
    return it->second.exit_code;
}

int HeadlessServices::ShowCursor(bool show) { return cursor_count_ += show ? 1 : -1; }

// The screen's pixels are device pixels: at more dots per inch the same
// screen is fewer twips.
ScreenSize HeadlessServices::Screen() {
    return {kScreenWidthPx * kTwipsToTheInch / screen_dpi_, kScreenHeightPx * kTwipsToTheInch / screen_dpi_};
}

void HeadlessServices::SetScreenDpi(int dpi) {
    screen_dpi_ = dpi;
    const ScreenSize screen = Screen();
    for (Form* form : forms_) {
        form->SetScreenSize(screen.width, screen.height);
        form->SetScreenDpi(dpi);
    }
}

std::vector<Rect> HeadlessServices::ScreenAreas() { return screen_areas_.value_or(Services::ScreenAreas()); }

LocalTime HeadlessServices::Now() {
    using namespace std::chrono;
    // Counted on the plain calendar, so the virtual clock never meets a
    // daylight-saving gap.
    const sys_days start_day = year{start_time_.year} / start_time_.month / start_time_.day;
    const sys_seconds t = start_day + hours{start_time_.hour} + minutes{start_time_.minute} +
                          seconds{start_time_.second + clock_ms_ / 1000};
    const sys_days day = floor<days>(t);
    const year_month_day date{day};
    const hh_mm_ss time{t - day};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count())};
}

std::optional<LoadedPicture> HeadlessServices::LoadPicture(const std::string& path, PixelSize fit) {
    decodes_.push_back({path, fit, false, turns_, RecordedDecode::Fate::Taken});
    auto it = pictures_.find(path);
    if (it == pictures_.end() || it->second.Empty()) return std::nullopt;
    const PixelSize natural{it->second.width, it->second.height};
    const PixelSize size = FitInside(natural, fit);
    if (!WithinDecodeBudget(size, 4)) return std::nullopt;
    return LoadedPicture{NearestPixels(it->second, size), natural};
}

std::unique_ptr<PendingPicture> HeadlessServices::LoadPictureAhead(const std::string& path, PixelSize fit) {
    std::optional<LoadedPicture> result = LoadPicture(path, fit);
    RecordedDecode& record = decodes_.back();
    record.ahead = true;
    record.fate = RecordedDecode::Fate::Pending;
    return std::make_unique<HeadlessPending>(std::move(result), record, turns_, turns_ + decode_turns_);
}

void HeadlessServices::PopupMenu(Form& form, Menu& menu) {
    popup_menus_.push_back(menu.Name());
    if (menu_choices_.empty()) return;
    const std::string choice = std::move(menu_choices_.front());
    menu_choices_.pop_front();
    if (choice.empty()) return;
    auto* item = dynamic_cast<Menu*>(form.Find(choice));
    if (!item) throw std::logic_error("no menu item " + choice);
    UserClick(*item);
}

void HeadlessServices::EndProgram() { throw ProgramEnded(); }

}  // namespace kestrova
