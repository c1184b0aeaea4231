#include "qt_services.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontDatabase>
#include <QProxyStyle>
#include <QIcon>
#include <QImageReader>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_map>

#include "gvfs_path.h"
#include "platform/picture_worker.h"
#include "platform/work_signal.h"
#include "qt_convert.h"
#include "qt_form_window.h"
#include "qt_picture_decode.h"
#include "spawn_process.h"

namespace kestrova {
namespace {

// DoEvents runs several times for every file of a refresh. The coarse clock
// reads in a fraction of the precise one's time, and its resolution of a few
// milliseconds is all a turn's slice needs.
struct Clock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<Clock>;
    static constexpr bool is_steady = true;
    static time_point now() {
        timespec t{};
        ::clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
        return time_point(std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec));
    }
};

// DoEvents inside a tight loop returns at once when the last real turn is
// this recent: clicks still land at the next call, and a scan of a million
// files does not pay a million event-loop turns.
constexpr auto kTurnSlice = std::chrono::milliseconds(5);
// The longest a waiting loop's turn sleeps when nothing happens.
constexpr int kWaitTurnMs = 10;
constexpr int kFontPointSize = 9;
// The desktop's "open with the default application" command.
constexpr const char* kDesktopOpener = "xdg-open";

// The window tables were laid out for a tighter look than Qt's: less room
// between a box and its caption, and list cells without a focus margin, let
// captions and full dates fit the widths the tables give them.
class CompactStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        switch (metric) {
            case PM_CheckBoxLabelSpacing:
            case PM_RadioButtonLabelSpacing: return 2;
            case PM_FocusFrameHMargin: return 0;
            default: return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

void ApplyApplicationFont() {
    const QStringList installed = QFontDatabase::families();
    QStringList chosen;
    for (const char* name : {"IPAPGothic", "IPA Pゴシック", "IPAGothic", "IPAゴシック", "Noto Sans CJK JP", "Noto Sans JP",
                             "VL PGothic", "TakaoPGothic", "Droid Sans Fallback"}) {
        const QString family = QString::fromUtf8(name);
        if (installed.contains(family, Qt::CaseInsensitive)) chosen.push_back(family);
    }
    QFont font = QApplication::font();
    if (!chosen.isEmpty()) {
        font = QFont(chosen.front());
        // Later ones fill in characters the first lacks.
        font.setFamilies(chosen);
    }
    font.setPointSize(kFontPointSize);
    QApplication::setFont(font);
}

bool IconThemeInstalled(const QString& name) {
    for (const QString& root : QIcon::themeSearchPaths()) {
        if (QFileInfo::exists(root + QLatin1Char('/') + name + QStringLiteral("/index.theme"))) return true;
    }
    return false;
}

// Icons of file types come from the desktop's theme. Without a desktop
// session (or with one naming a theme that is not installed) Qt knows no
// theme and often not even the system's icon folders, so those folders are
// added and the installed Adwaita (or another common theme) stands in.
void EnsureIconTheme() {
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = data + QStringLiteral("/icons");
        if (!paths.contains(icons)) paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QStringLiteral("hicolor") && IconThemeInstalled(current)) return;
    for (const char* theme : {"Adwaita", "breeze", "gnome", "oxygen", "Tango"}) {
        const QString name = QString::fromLatin1(theme);
        if (IconThemeInstalled(name)) {
            QIcon::setThemeName(name);
            QIcon::setFallbackThemeName(name);
            return;
        }
    }
}

Picture GenericFileIcon() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QColor(96, 96, 96));
    painter.setBrush(Qt::white);
    painter.drawRect(3, 1, 9, 13);
    painter.end();
    return FromQImage(image);
}

QMessageBox::StandardButtons ButtonsFor(int buttons) {
    switch (buttons & 7) {
        case kOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case kYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case kYesNo: return QMessageBox::Yes | QMessageBox::No;
        default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconFor(int icon) {
    switch (icon) {
        case kCritical: return QMessageBox::Critical;
        case kQuestion: return QMessageBox::Question;
        case kExclamation: return QMessageBox::Warning;
        case kInformation: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

}  // namespace

struct QtServices::Impl {
    std::map<const Form*, std::unique_ptr<FormWindow>> windows;
    Clock::time_point last_turn{};
    int cursor_count = 0;
    bool cursor_hidden = false;
    std::unordered_map<pid_t, int> exit_codes;
    DetachedChildren openers;
    LoopState loop;
    std::map<QString, Picture> icons_by_type;
    std::unordered_map<std::string, Picture> icons_by_suffix;
    PictureWorker pictures{DecodePictureFile};

    FormWindow* WindowFor(const Form& form) const {
        auto it = windows.find(&form);
        return it == windows.end() ? nullptr : it->second.get();
    }
    void FlushAll(bool force) {
        for (auto& [form, window] : windows) window->FlushLists(force);
    }
};

QtServices::QtServices() : impl_(std::make_unique<Impl>()) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw std::logic_error("QtServices needs a QApplication");
    }
    // The program decides when it ends (it hides windows, or ends itself).
    QApplication::setQuitOnLastWindowClosed(false);
    ApplyApplicationFont();
    QApplication::setStyle(new CompactStyle);
    EnsureIconTheme();
    // Photos are decoded reduced to the screen; what even so needs more
    // than the budget is refused by the decoder, and this is its backstop
    // for readers that cannot tell a picture's size beforehand.
    QImageReader::setAllocationLimit(static_cast<int>(kPictureDecodeBudgetBytes / (1024 * 1024)));
}

QtServices::~QtServices() {
    for (auto& [form, window] : impl_->windows) {
        auto* mutable_form = const_cast<Form*>(form);
        if (mutable_form->Observer() == this) mutable_form->SetObserver(nullptr);
        window->Detach();
    }
    impl_->windows.clear();
    if (impl_->cursor_hidden) QGuiApplication::restoreOverrideCursor();
}

void QtServices::AttachForm(Form& form) {
    if (impl_->WindowFor(form)) return;
    const ScreenSize screen = Screen();
    form.SetScreenSize(screen.width, screen.height);
    impl_->windows[&form] = std::make_unique<FormWindow>(form, impl_->loop);
    form.SetObserver(this);
}

void QtServices::DetachForm(Form& form) {
    auto it = impl_->windows.find(&form);
    if (it == impl_->windows.end()) return;
    if (form.Observer() == this) form.SetObserver(nullptr);
    it->second->Detach();
    impl_->windows.erase(it);
}

void QtServices::FlushViews() { impl_->FlushAll(true); }

void QtServices::DoEvents() {
    if (Clock::now() - impl_->last_turn < kTurnSlice) return;
    impl_->FlushAll(false);
    ++impl_->loop.pumping;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --impl_->loop.pumping;
    impl_->last_turn = Clock::now();
}

void QtServices::WaitTurn() {
    impl_->openers.ReapFinished();
    impl_->FlushAll(false);
    // The timer only bounds the wait: the turn ends at the first event.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(kWaitTurnMs);
    ++impl_->loop.pumping;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    --impl_->loop.pumping;
    impl_->last_turn = Clock::now();
}

void QtServices::WaitForWork(WorkSignal& work) {
    impl_->FlushAll(false);
    // The worker's notification ends the wait as an event would.
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    const bool sleep = work.Arm([dispatcher] { dispatcher->wakeUp(); });
    QTimer wake;
    if (sleep) {
        wake.setSingleShot(true);
        wake.start(kWaitTurnMs);
    }
    ++impl_->loop.pumping;
    QCoreApplication::processEvents(sleep ? QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents
                                          : QEventLoop::AllEvents);
    --impl_->loop.pumping;
    work.Disarm();
    impl_->last_turn = Clock::now();
}

MsgBoxResult QtServices::MsgBox(const std::string& text, int buttons, int icon, const std::string& title) {
    impl_->FlushAll(true);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQString(title.empty() ? std::string(kApplicationTitle) : title));
    box.setTextFormat(Qt::PlainText);
    box.setText(WithLineBreaks(text));
    box.setIcon(IconFor(icon));
    box.setStandardButtons(ButtonsFor(buttons));
    switch (buttons & 7) {
        case kOkCancel: box.setDefaultButton(QMessageBox::Ok); box.setEscapeButton(QMessageBox::Cancel); break;
        case kYesNoCancel: box.setDefaultButton(QMessageBox::Yes); box.setEscapeButton(QMessageBox::Cancel); break;
        case kYesNo: box.setDefaultButton(QMessageBox::Yes); break;
        default: box.setDefaultButton(QMessageBox::Ok); box.setEscapeButton(QMessageBox::Ok); break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok: return kOk;
        case QMessageBox::Yes: return kYes;
        case QMessageBox::No: return kNo;
        case QMessageBox::Cancel: return kCancel;
        default: break;
    }
    // Closed some other way: the answer that declines.
    const int kind = buttons & 7;
    if (kind == kOkOnly) return kOk;
    if (kind == kYesNo) return kNo;
    return kCancel;
}

// The desktop's opener runs as a process of its own with the path as its one
// argument: no shell, so any byte of a name reaches it unchanged. Nobody
// waits for it; openers that have ended are reaped here and at every wait.
bool QtServices::ShellOpen(const std::string& path, std::string& error) {
    impl_->openers.ReapFinished();
    // The name's own bytes, which need not be valid UTF-8.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    const pid_t pid = SpawnProgram({kDesktopOpener, path}, error);
    if (pid < 0) return false;
    impl_->openers.Add(pid);
    return true;
}

namespace {

// The name from its first dot on ("" without one): names that agree there
// are of one type.
std::string TypeSuffix(const std::string& path) {
    const std::size_t dot = path.find('.', path.find_last_of('/') + 1);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

}  // namespace

Picture QtServices::AssociatedIcon(const std::string& path) {
    // Matching a name against the type database costs tens of microseconds,
    // and programs and data files are asked for one by one: a file's icon is
    // kept by its type suffix. A folder asked for under a suffix already seen
    // (a listed file replaced by a folder) shows that suffix's icon.
    const std::string suffix = TypeSuffix(path);
    if (auto known = impl_->icons_by_suffix.find(suffix); !suffix.empty() && known != impl_->icons_by_suffix.end()) {
        return known->second;
    }
    const QString file = ToQString(path);
    const QFileInfo info(file);
    static const QMimeDatabase mime_types;
    // The name decides the type: reading each file's content would make
    // icons of a large or remote folder slow.
    const QMimeType mime = info.isDir() ? mime_types.mimeTypeForName(QStringLiteral("inode/directory"))
                                        : mime_types.mimeTypeForFile(file, QMimeDatabase::MatchExtension);
    Picture picture = TypeIcon(mime, info.isDir());
    if (!info.isDir() && !suffix.empty()) impl_->icons_by_suffix.emplace(suffix, picture);
    return picture;
}

// The theme's icon depends on the type alone, so it is drawn once per type.
Picture QtServices::TypeIcon(const QMimeType& mime, bool folder) {
    auto known = impl_->icons_by_type.find(mime.name());
    if (known != impl_->icons_by_type.end()) return known->second;
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull()) {
        static QFileIconProvider provider;
        icon = provider.icon(folder ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
    }
    const QPixmap pixmap = icon.isNull() ? QPixmap() : icon.pixmap(QSize(16, 16), 1.0);
    Picture picture = GenericFileIcon();
    if (!pixmap.isNull()) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        const QImage drawn = pixmap.toImage().scaled(QSize(16, 16), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage((16 - drawn.width()) / 2, (16 - drawn.height()) / 2, drawn);
        painter.end();
        picture = FromQImage(image);
    }
    impl_->icons_by_type.emplace(mime.name(), picture);
    return picture;
}

std::optional<std::string> QtServices::BrowseFolder(const std::string& title, bool network) {
    QString start;
    if (network) {
        start = ToQString(NetworkBrowseStart(static_cast<unsigned>(getuid()),
                                             [](const std::string& dir) { return QFileInfo(ToQString(dir)).isDir(); }));
    }
    const QString chosen =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), ToQString(title), start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return std::nullopt;
    const std::string folder = PathFromQtDialog(QDir::cleanPath(chosen));
    if (auto share = GvfsPathToNetworkPath(folder)) return share;
    return folder;
}

std::optional<ProcessId> QtServices::StartProcess(const std::vector<std::string>& argv, std::string& error) {
    const pid_t pid = SpawnProgram(argv, error);
    if (pid < 0) return std::nullopt;
    return ProcessId{pid};
}

std::optional<int> QtServices::ProcessExitCode(ProcessId id) {
    const auto pid = static_cast<pid_t>(id.value);
    if (auto it = impl_->exit_codes.find(pid); it != impl_->exit_codes.end()) return it->second;
    if (pid <= 0) return -1;
    int status = 0;
    pid_t result;
    do {
        result = waitpid(pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return std::nullopt;
    if (result < 0) return -1;
    int code = -1;
    if (WIFEXITED(status)) code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) code = 128 + WTERMSIG(status);
    // Reaped now; later polls must still see the same end.
    impl_->exit_codes[pid] = code;
    return code;
}

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

std::optional<LoadedPicture> QtServices::LoadPicture(const std::string& path, PixelSize fit) {
    return DecodePictureFile(path, fit);
}

std::unique_ptr<PendingPicture> QtServices::LoadPictureAhead(const std::string& path, PixelSize fit) {
    return impl_->pictures.Start(path, fit);
}

void QtServices::EndProgram() {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(0);
}

void QtServices::FormChanged(Form& form, FormProperty what) {
    if (FormWindow* window = impl_->WindowFor(form)) window->FormChanged(what);
}

void QtServices::ControlChanged(Control& control, Property what) {
    if (FormWindow* window = impl_->WindowFor(control.Owner())) window->ControlChanged(control, what);
}

void QtServices::PopupMenu(Form& form, Menu& menu) {
    if (FormWindow* window = impl_->WindowFor(form)) window->Popup(menu);
}

QWidget* QtServices::WindowOf(const Form& form) const {
    FormWindow* window = impl_->WindowFor(form);
    return window ? window->Window() : nullptr;
}

QWidget* QtServices::WidgetOf(const Control& control) const {
    FormWindow* window = impl_->WindowFor(control.Owner());
    return window ? window->WidgetOf(control) : nullptr;
}

QMenu* QtServices::MenuOf(const Menu& menu) const {
    FormWindow* window = impl_->WindowFor(menu.Owner());
    return window ? window->MenuOf(menu) : nullptr;
}

QTimer* QtServices::TimerOf(const Timer& timer) const {
    FormWindow* window = impl_->WindowFor(timer.Owner());
    return window ? window->TimerOf(timer) : nullptr;
}

}  // namespace kestrova
