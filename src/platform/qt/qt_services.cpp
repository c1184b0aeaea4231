#include "qt_services.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QImageReader>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "platform/posix/spawn_process.h"
#include "qt_form_window.h"
#include "qt_look.h"
#include "qt_message_box.h"
#include "qt_picture_decode.h"
#include "qt_shell.h"

namespace kestrova {

struct QtServices::Impl {
    int cursor_count = 0;
    bool cursor_hidden = false;
    DesktopOpener opener;
    TypeIcons type_icons;

    FormWindow* Of(FormMirrorBase* window) const { return static_cast<FormWindow*>(window); }
};

QtServices::QtServices() : WindowServices(DecodePictureFile), impl_(std::make_unique<Impl>()) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw std::logic_error("QtServices needs a QApplication");
    }
    // The program decides when it ends (it hides windows, or ends itself).
    QApplication::setQuitOnLastWindowClosed(false);
    SetUpLook();
    // Photos are decoded reduced to the screen; what even so needs more
    // than the budget is refused by the decoder, and this is its backstop
    // for readers that cannot tell a picture's size beforehand.
    QImageReader::setAllocationLimit(static_cast<int>(kPictureDecodeBudgetBytes / (1024 * 1024)));
}

QtServices::~QtServices() {
    if (impl_->cursor_hidden) QGuiApplication::restoreOverrideCursor();
}

std::unique_ptr<FormMirrorBase> QtServices::MakeWindow(Form& form) { return std::make_unique<FormWindow>(form, Loop()); }

// DoEvents runs several times for every file of a refresh. The coarse clock
// reads in a fraction of the precise one's time, and its resolution of a few
// milliseconds is all a turn's slice needs.
std::chrono::nanoseconds QtServices::SteadyNow() const {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

void QtServices::RunTurn(bool waiting) {
    if (!waiting) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    impl_->opener.ReapFinished();
    // The timer only bounds the wait: the turn ends at the first event.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(kWaitTurnMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

std::function<void()> QtServices::TurnWaker() {
    // The user-interface thread's dispatcher: the waker runs on the worker's.
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return [dispatcher] { dispatcher->wakeUp(); };
}

std::optional<MsgBoxResult> QtServices::ShowMessageBox(const std::string& text, int buttons, int icon,
                                                        const std::string& title) {
    return ShowQtMessageBox(text, buttons, icon, title);
}

bool QtServices::ShellOpen(const std::string& path, std::string& error) { return impl_->opener.Open(path, error); }

Picture QtServices::AssociatedIcon(const std::string& path) { return impl_->type_icons.Of(path); }

std::optional<std::string> QtServices::BrowseFolder(const std::string& title, bool network) {
    return ChooseFolder(title, network);
}

std::optional<ProcessId> QtServices::StartProcess(const std::vector<std::string>& argv, std::string& error) {
    const pid_t pid = SpawnProgram(argv, error);
    if (pid < 0) return std::nullopt;
    return ProcessId{pid};
}

std::optional<int> QtServices::PollProcess(ProcessId id) { return PollChild(static_cast<pid_t>(id.value)); }

int QtServices::ShowCursor(bool show) {
    impl_->cursor_count += show ? 1 : -1;
    const bool hide = impl_->cursor_count < 0;
    if (hide && !impl_->cursor_hidden) {
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
        impl_->cursor_hidden = true;
    } else if (!hide && impl_->cursor_hidden) {
        QGuiApplication::restoreOverrideCursor();
        impl_->cursor_hidden = false;
    }
    return impl_->cursor_count;
}

ScreenSize QtServices::Screen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {PixelsToTwips(1920), PixelsToTwips(1080)};
    const QRect area = screen->geometry();
    return {PixelsToTwips(area.width()), PixelsToTwips(area.height())};
}

std::vector<Rect> QtServices::ScreenAreas() {
    std::vector<Rect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        // Without the panels and docks, which a title bar may hide behind.
        const QRect area = screen->availableGeometry();
        Rect twips{PixelsToTwips(area.x()), PixelsToTwips(area.y()), PixelsToTwips(area.width()),
                   PixelsToTwips(area.height())};
        if (screen == QGuiApplication::primaryScreen()) {
            areas.insert(areas.begin(), twips);
        } else {
            areas.push_back(twips);
        }
    }
    return areas;
}

LocalTime QtServices::Now() {
    // Not time(): it reads a coarse clock that can lag a second boundary
    // behind the clock file times and other programs use.
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void QtServices::ExitNow() { std::_Exit(0); }

QWidget* QtServices::WindowOf(const Form& form) const {
    FormWindow* window = impl_->Of(WindowFor(form));
    return window ? window->Window() : nullptr;
}

QWidget* QtServices::WidgetOf(const Control& control) const {
    FormWindow* window = impl_->Of(WindowFor(control.Owner()));
    return window ? window->WidgetOf(control) : nullptr;
}

QMenu* QtServices::MenuOf(const Menu& menu) const {
    FormWindow* window = impl_->Of(WindowFor(menu.Owner()));
    return window ? window->MenuOf(menu) : nullptr;
}

QTimer* QtServices::TimerOf(const Timer& timer) const {
    FormWindow* window = impl_->Of(WindowFor(timer.Owner()));
    return window ? window->TimerOf(timer) : nullptr;
}

}  // namespace kestrova
