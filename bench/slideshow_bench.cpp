// The slideshow over eight generated 24-megapixel photos (6000 x 4000), full
// screen at 1920 x 1080 with a display time of 1 s, in the real program on
// the Qt backend (offscreen), each run in a process of its own so that its
// peak memory is its own. JPEGs three ways:
//   whole   the baseline: every picture decoded whole on the user-interface
//           thread when its turn comes and scaled down there when drawn
//   reduced decoded reduced to the screen, when its turn comes (no decode ahead)
//   ahead   decoded reduced, the next one on the worker thread while the
//           current one is shown: what the program does
// and the same photos as WebP, TIFF, HEIC and AVIF the program's way, beside
// the JPEGs shown that way. HEIC and AVIF also a second way:
//   converted  decoded ahead, libheif converting the whole picture to 32-bit
//              pixels before it is reduced: what the program did before it
//              reduced straight from the codec's planes
// HEIC also a third:
//   one-processor  the program's way with the process held to one
//                  processor, so that libde265 decodes on one thread as
//                  libheif's own HEVC decoder has it do
// and WebP and TIFF also a second way:
//   qt         decoded ahead by Qt's reader, whole, then scaled: what the
//              program did before libwebp reduced while decoding and libtiff
//              a strip at a time
// Prints one line per run:
//   kind=jpeg way=ahead pictures=8 first_s=0.30 interval_s=1.01 over_display_s=0.01 cpu_s_per_picture=0.29 vmhwm_mb=80
// first_s is from the start to the first picture drawn; interval_s the mean
// time from one picture drawn to the next; over_display_s that less the
// display time, which is what the decoding adds to every picture. A kind
// other than JPEG also gets its ratios to the JPEGs shown ahead:
//   kind=heic interval_ratio=1.00 vmhwm_ratio=2.1
// and HEIC, AVIF, WebP and TIFF the ratios of the program's way to their second:
//   kind=heic way=ahead/converted interval_ratio=0.95 vmhwm_ratio=0.45
// and HEIC the ratios of the program's way to the one-processor way.
// Arguments name the kinds to run besides JPEG (all when none), e.g.
// `slideshow heic avif`; `--photos DIR` keeps the photos in DIR and uses
// those already there, since HEVC and AV1 encoders take minutes over each.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/wiring.h"
#include "platform/pictures/picture_worker.h"
#include "platform/posix/one_processor.h"
#include "platform/system/free_memory.h"
#include "core/program.h"
#include "platform/qt/heif_decode.h"
#include "platform/qt/qt_picture_decode.h"
#include "platform/qt/qt_services.h"
#include "settings/settings_file.h"
#include "support/heif_file.h"
#include "viewer/slideshow.h"
#include "viewer/viewer_setup.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace kestrova;

constexpr int kPictures = 8;
constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kQuality = 90;
constexpr double kDisplaySeconds = 1.0;

enum class Way { Whole, Reduced, Ahead, Converted, QtReader, OneProcessor };
constexpr const char* kWayNames[] = {"whole", "reduced", "ahead", "converted", "qt", "one-processor"};

enum class Kind { Jpeg, Webp, Tiff, Heic, Avif };
constexpr const char* kKindNames[] = {"jpeg", "webp", "tiff", "heic", "avif"};

std::string PhotoName(Kind kind, int index) {
    return "photo" + std::to_string(index + 1) + "." + kKindNames[static_cast<int>(kind)];
}

// A photo's worth of detail: a gradient of the picture's own colours with
// noise on every pixel, so the file is as large and slow to decode as a
// camera's (HEVC and AV1 encoders would take minutes over more noise).
QImage MakePhoto(int index) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, kWidth, kHeight);
    gradient.setColorAt(0, QColor::fromHsv(index * 45 % 360, 200, 230));
    gradient.setColorAt(1, QColor::fromHsv((index * 45 + 150) % 360, 160, 90));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    std::mt19937 noise(static_cast<unsigned>(index));
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) line[x] = (line[x] & 0xfff0f0f0u) + (noise() & 0x0f0f0fu);
    }
    return image;
}

// HEIC and AVIF through libheif's encoders at their fastest settings.
void WriteHeif(const QImage& photo, const std::string& path, Kind kind) {
    const QImage rgb = photo.convertToFormat(QImage::Format_RGB888);
    // Sampled 4:2:0, as phones save them.
    const test::HeifSettings settings{kind == Kind::Heic ? heif_compression_HEVC : heif_compression_AV1, kQuality, 1, true,
                                      "420"};
    const std::string error =
        test::WriteHeifFile(path, rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()), settings);
    if (!error.empty()) std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
}

void WritePhoto(const QImage& photo, const std::string& path, Kind kind) {
    switch (kind) {
        case Kind::Jpeg: photo.save(QString::fromStdString(path), "JPG", kQuality); break;
        case Kind::Webp: photo.save(QString::fromStdString(path), "WEBP", kQuality); break;
        case Kind::Tiff: photo.convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(path), "TIFF"); break;
        case Kind::Heic:
        case Kind::Avif: WriteHeif(photo, path, kind); break;
    }
}

long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A decode that happens only when its picture is taken, on the taking
// thread: what the program did before it decoded ahead.
class DecodeWhenTaken final : public PendingPicture {
public:
    DecodeWhenTaken(std::string path, PixelSize fit) : path_(std::move(path)), fit_(fit) {}
    bool Ready() override { return true; }
    std::optional<LoadedPicture> Take() override { return DecodePictureFile(path_, fit_); }

private:
    std::string path_;
    PixelSize fit_;
};

// The Qt backend with the picture decoding of one way, noting the moment
// each new picture has been drawn on the full-screen window.
class BenchServices final : public Services {
public:
    BenchServices(QtServices& real, Way way) : real_(real), way_(way) {}

    void Watch(const Form& form) { watched_ = &form; }
    const std::vector<Clock::time_point>& DrawnAt() const { return drawn_at_; }

    void AttachForm(Form& form) override { real_.AttachForm(form); }
    void DoEvents() override {
        real_.DoEvents();
        NoteDrawing();
    }
    void WaitTurn() override {
        real_.WaitTurn();
        NoteDrawing();
    }
    void WaitForWork(WorkSignal& work) override { real_.WaitForWork(work); }
    MsgBoxResult MsgBox(const std::string& text, int buttons, int icon, const std::string& title) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        (void)buttons, (void)icon, (void)title;
        return kOk;
    }
    bool ShellOpen(const std::string& path, std::string& error) override { return real_.ShellOpen(path, error); }
    Picture AssociatedIcon(const std::string& path) override { return real_.AssociatedIcon(path); }
    std::optional<std::string> BrowseFolder(const std::string& title, bool network) override {
        return real_.BrowseFolder(title, network);
    }
    std::optional<ProcessId> StartProcess(const std::vector<std::string>& argv, std::string& error) override {
        return real_.StartProcess(argv, error);
    }
    std::optional<int> ProcessExitCode(ProcessId id) override { return real_.ProcessExitCode(id); }
    int ShowCursor(bool show) override { return real_.ShowCursor(show); }
    ScreenSize Screen() override { return real_.Screen(); }
    std::vector<Rect> ScreenAreas() override { return real_.ScreenAreas(); }
    LocalTime Now() override { return real_.Now(); }
    std::optional<LoadedPicture> LoadPicture(const std::string& path, PixelSize fit) override {
        if (way_ == Way::Converted) return DecodeHeifFileInterleaved(path, fit);
        if (way_ == Way::QtReader) return DecodeWithQtReader(path, fit);
        return DecodePictureFile(path, way_ == Way::Whole ? PixelSize{} : fit);
    }
    std::unique_ptr<PendingPicture> LoadPictureAhead(const std::string& path, PixelSize fit) override {
        if (way_ == Way::Ahead) return real_.LoadPictureAhead(path, fit);
        if (way_ == Way::Converted) return converting_.Start(path, fit);
        if (way_ == Way::QtReader) return qt_reading_.Start(path, fit);
        return std::make_unique<DecodeWhenTaken>(path, way_ == Way::Whole ? PixelSize{} : fit);
    }
    [[noreturn]] void EndProgram() override { real_.EndProgram(); }

private:
    // Called after a turn of the event loop, which painted what was drawn.
    void NoteDrawing() {
        if (!watched_ || !watched_->Drawing()) return;
        const Picture* now = watched_->Drawing()->picture.get();
        if (now == last_) return;
        last_ = now;
        drawn_at_.push_back(Clock::now());
    }

    QtServices& real_;
    Way way_;
    PictureWorker converting_{DecodeHeifFileInterleaved};
    PictureWorker qt_reading_{DecodeWithQtReader};
    const Form* watched_ = nullptr;
    const Picture* last_ = nullptr;
    std::vector<Clock::time_point> drawn_at_;
};

void GeneratePhotos(Kind kind, const std::string& folder, int argc, char** argv) {
    QGuiApplication app(argc, argv);
    for (int i = 0; i < kPictures; ++i) {
        const std::string path = folder + "/" + PhotoName(kind, i);
        if (!std::ifstream(path)) WritePhoto(MakePhoto(i), path, kind);
    }
}

struct Figures {
    double interval_s = 0;
    long vmhwm_mb = 0;
};

// Prints the run's line and keeps its figures in `figures_path`, for the
// ratios the parent prints.
void RunWay(Kind kind, Way way, const std::string& folder, const std::string& figures_path, int argc, char** argv) {
    // As the program starts.
    ReturnLargeBlocksWhenFreed();
    // Before any thread starts, so that every one inherits the one processor.
    std::optional<OneProcessorScope> one_processor;
    if (way == Way::OneProcessor) one_processor.emplace();
    QApplication app(argc, argv);
    QtServices real;
    BenchServices services(real, way == Way::OneProcessor ? Way::Ahead : way);
    Program p(services, folder);
    ApplyDefaultSettings(p.state);
    SetProgramPaths(p.state, folder);
    p.state.FullScreenView = 1;
    p.state.ViewSeconds = static_cast<std::int16_t>(kDisplaySeconds);
    WireHandlers(p);
    PrepareViewerWindows(p);
    for (int i = 0; i < kPictures; ++i) {
        ListRow row;
        row.text = PhotoName(kind, i);
        row.sub[0] = folder;
        row.selected = true;
        p.Form1.ListView1.AddRow(std::move(row));
    }
    services.Watch(p.Form4);
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    ViewSelectedItems(p);
    const double cpu = CpuSeconds() - cpu0;
    const auto& drawn = services.DrawnAt();
    const char* kind_name = kKindNames[static_cast<int>(kind)];
    const char* way_name = kWayNames[static_cast<int>(way)];
    if (drawn.size() != kPictures) {
        std::fprintf(stderr, "kind=%s way=%s: %zu pictures drawn, not %d\n", kind_name, way_name, drawn.size(), kPictures);
        if (drawn.size() < 2) std::exit(1);
    }
    const double first_s = std::chrono::duration<double>(drawn.front() - t0).count();
    const double interval_s =
        std::chrono::duration<double>(drawn.back() - drawn.front()).count() / static_cast<double>(drawn.size() - 1);
    const long vmhwm_mb = PeakKilobytes() / 1024;
    std::printf("kind=%s way=%s pictures=%zu first_s=%.2f interval_s=%.3f over_display_s=%.3f cpu_s_per_picture=%.2f vmhwm_mb=%ld\n",
                kind_name, way_name, drawn.size(), first_s, interval_s, interval_s - kDisplaySeconds,
                cpu / static_cast<double>(drawn.size()), vmhwm_mb);
    std::fflush(stdout);
    std::ofstream(figures_path) << interval_s << " " << vmhwm_mb << "\n";
}

// Runs `work` in a child process and waits for it.
bool InChild(const std::function<void()>& work) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        work();
        std::fflush(stdout);
        std::_Exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// JPEG always, as the baseline; the other kinds those named, or all.
std::vector<Kind> KindsAsked(int argc, char** argv) {
    std::vector<Kind> kinds{Kind::Jpeg};
    for (int k = 1; k < static_cast<int>(std::size(kKindNames)); ++k) {
        bool asked = true;
        for (int i = 1; i < argc; ++i) {
            if (std::string(argv[i]) == "--photos") {
                ++i;
                continue;
            }
            asked = std::string(argv[i]) == kKindNames[k];
            if (asked) break;
        }
        if (asked) kinds.push_back(static_cast<Kind>(k));
    }
    return kinds;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The offscreen platform's notes on what it cannot do would bury the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type >= QtCriticalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    // Folders only: no Qt before the fork.
    std::string kept;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--photos") kept = argv[i + 1];
    }
    char folder_template[] = "/tmp/kestrova-slideshow-XXXXXX";
    if (!kept.empty()) std::filesystem::create_directories(kept);
    const char* made = kept.empty() ? mkdtemp(folder_template) : kept.c_str();
    if (!made) return 1;
    const std::string folder = made;
    bool ok = true;
    const std::vector<Kind> kinds = KindsAsked(argc, argv);
    for (Kind kind : kinds) ok = InChild([&] { GeneratePhotos(kind, folder, argc, argv); }) && ok;
    auto figures_path = [&](Kind kind, Way way) {
        return folder + "/figures-" + kKindNames[static_cast<int>(kind)] + "-" + kWayNames[static_cast<int>(way)];
    };
    auto run = [&](Kind kind, Way way) {
        ok = InChild([&] { RunWay(kind, way, folder, figures_path(kind, way), argc, argv); }) && ok;
        Figures f;
        std::ifstream(figures_path(kind, way)) >> f.interval_s >> f.vmhwm_mb;
        return f;
    };
    run(Kind::Jpeg, Way::Whole);
    run(Kind::Jpeg, Way::Reduced);
    const Figures jpeg = run(Kind::Jpeg, Way::Ahead);
    std::map<Kind, Figures> others;
    std::map<Kind, Figures> second_way;
    for (Kind kind : kinds) {
        if (kind == Kind::Heic || kind == Kind::Avif) second_way[kind] = run(kind, Way::Converted);
        if (kind == Kind::Webp || kind == Kind::Tiff) second_way[kind] = run(kind, Way::QtReader);
        if (kind != Kind::Jpeg) others[kind] = run(kind, Way::Ahead);
    }
    const Figures heic_one_processor =
        std::count(kinds.begin(), kinds.end(), Kind::Heic) ? run(Kind::Heic, Way::OneProcessor) : Figures{};
    auto print_ratios = [](const std::string& what, const Figures& f, const Figures& base) {
        if (base.interval_s <= 0 || base.vmhwm_mb <= 0 || f.interval_s <= 0) return;
        std::printf("%s interval_ratio=%.2f vmhwm_ratio=%.2f\n", what.c_str(), f.interval_s / base.interval_s,
                    static_cast<double>(f.vmhwm_mb) / static_cast<double>(base.vmhwm_mb));
    };
    for (const auto& [kind, f] : others) print_ratios(std::string("kind=") + kKindNames[static_cast<int>(kind)], f, jpeg);
    for (const auto& [kind, f] : second_way) {
        const char* second = kind == Kind::Webp || kind == Kind::Tiff ? "qt" : "converted";
        print_ratios(std::string("kind=") + kKindNames[static_cast<int>(kind)] + " way=ahead/" + second, others[kind], f);
    }
    print_ratios("kind=heic way=ahead/one-processor", others[Kind::Heic], heic_one_processor);
    if (kept.empty()) std::system(("rm -rf '" + folder + "'").c_str());
    return ok ? 0 : 1;
}
