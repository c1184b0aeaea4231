// The desktop services of the Qt backend: the event loop's turns, message
// boxes, processes, pictures, the cursor and the end of the program.
#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <filesystem>
#include <sstream>
#include <thread>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/qt/qt_services.h"
#include "platform/model/work_signal.h"
#include "platform/qt/qt_test_support.h"

namespace kestrova {
namespace {

class QtServicesTest : public ::testing::Test {
protected:
    QtServicesTest() {
        qt_test::EnsureApplication();
        services = std::make_unique<QtServices>();
    }
    std::unique_ptr<QtServices> services;
};

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool modal = false;
};

// Presses a button of the message box as soon as it is up.
void AnswerNextBox(QMessageBox::StandardButton press, SeenBox& seen) {
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, [poll, press, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll->stop();
        poll->deleteLater();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = static_cast<int>(box->buttons().size());
        seen.modal = box->isModal();
        box->button(press)->click();
    });
    poll->start(10);
}

TEST_F(QtServicesTest, MsgBoxIsModalAndReturnsThePressedButton) {
    SeenBox seen;
    AnswerNextBox(QMessageBox::Yes, seen);
    EXPECT_EQ(services->MsgBox("削除しますか？\r対象: a.txt", kYesNo, kQuestion, "確認"), kYes);
    EXPECT_TRUE(seen.modal);
    EXPECT_EQ(seen.title, QString::fromUtf8("確認"));
    EXPECT_EQ(seen.text, QString::fromUtf8("削除しますか？\n対象: a.txt"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, 2);

    AnswerNextBox(QMessageBox::No, seen);
    EXPECT_EQ(services->MsgBox("?", kYesNoCancel, kExclamation, kApplicationTitle), kNo);
    EXPECT_EQ(seen.buttons, 3);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.title, QString("Kestrova"));

    AnswerNextBox(QMessageBox::Cancel, seen);
    EXPECT_EQ(services->MsgBox("x", kOkCancel, kCritical, ""), kCancel);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.title, QString("Kestrova"));  // an empty title is the program's

    AnswerNextBox(QMessageBox::Ok, seen);
    EXPECT_EQ(services->MsgBox("done", kOkOnly, kInformation, "t"), kOk);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
}

// The turns are sliced by a clock the test hands over, so no pause of a busy
// machine between two calls can change what the test sees.
TEST_F(QtServicesTest, DoEventsIsTimeSlicedAndRunsPendingWork) {
    using std::chrono::milliseconds;
    std::chrono::nanoseconds now = std::chrono::seconds(100);
    services->UseClock([&now] { return now; });
    bool ran = false;
    const auto post = [&ran] {
        ran = false;
        QMetaObject::invokeMethod(qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    };
    services->DoEvents();  // the first turn is a real one

    post();
    now += WindowServices::kTurnSlice - milliseconds(1);
    services->DoEvents();
    EXPECT_FALSE(ran) << "within the slice of the last turn: returned at once";
    now += milliseconds(1);
    services->DoEvents();
    EXPECT_TRUE(ran) << "a slice after the last turn: a real turn";

    post();
    services->DoEvents();
    EXPECT_FALSE(ran) << "the slice starts again with every real turn";
    services->WaitTurn();
    EXPECT_TRUE(ran) << "a waiting turn always runs";
    post();
    now += milliseconds(1);
    services->DoEvents();
    EXPECT_FALSE(ran) << "a waiting turn starts a slice too";
}

TEST_F(QtServicesTest, WaitTurnSleepsInsteadOfSpinning) {
    services->WaitTurn();
    const std::clock_t cpu_start = std::clock();
    const auto wall_start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) services->WaitTurn();
    const double wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_start).count();
    const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    EXPECT_GE(wall_ms, 20 * 8.0);  // each idle turn waited for its timer
    EXPECT_LT(cpu_ms, wall_ms / 2);

    // Work that arrives is done by the waiting turn it arrives before. (How
    // soon the wait ends then is the toolkit's; a bound on it would only
    // measure how busy the machine is.)
    int ran = 0;
    for (int i = 0; i < 10; ++i) {
        QMetaObject::invokeMethod(qApp, [&] { ++ran; }, Qt::QueuedConnection);
        services->WaitTurn();
        EXPECT_EQ(ran, i + 1);
    }
}

// A wait for another thread's work keeps the windows alive: a click waiting
// in the queue is handled and a window asked to repaint is repainted.
TEST_F(QtServicesTest, WaitingForWorkHandlesEventsAndRepaints) {
    class CountingPaints final : public QWidget {
    public:
        int paints = 0;

    protected:
        void paintEvent(QPaintEvent*) override { ++paints; }
    };
    CountingPaints window;
    window.resize(60, 40);
    window.show();
    QCoreApplication::processEvents();
    window.paints = 0;
    window.update();
    bool clicked = false;
    QMetaObject::invokeMethod(qApp, [&] { clicked = true; }, Qt::QueuedConnection);
    WorkSignal work;
    for (int turn = 0; turn < 50 && (!clicked || window.paints == 0); ++turn) services->WaitForWork(work);
    EXPECT_TRUE(clicked);
    EXPECT_GT(window.paints, 0);

    // Notified before the wait: the turn handles what is queued, no more.
    work.Notify();
    clicked = false;
    QMetaObject::invokeMethod(qApp, [&] { clicked = true; }, Qt::QueuedConnection);
    services->WaitForWork(work);
    EXPECT_TRUE(clicked);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<int> WaitForExit(QtServices& services, ProcessId pid) {
    for (int i = 0; i < 500; ++i) {
        if (auto code = services.ProcessExitCode(pid)) return code;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

TEST_F(QtServicesTest, StartsProcessesWithTheirArgumentsAsGiven) {
    QTemporaryDir dir;
    const std::string out = (dir.path() + "/arg.txt").toStdString();
    const std::string awkward = "it's a \"quoted\" name; $HOME *.jpg";
    std::string error;
    auto pid = services->StartProcess({"sh", "-c", "printf '%s' \"$1\" > \"$2\"; exit 3", "sh", awkward, out}, error);
    ASSERT_TRUE(pid.has_value()) << error;
    EXPECT_EQ(WaitForExit(*services, *pid), 3);
    EXPECT_EQ(services->ProcessExitCode(*pid), 3);  // asked again after it was reaped
    EXPECT_EQ(ReadAll(out), awkward);

    auto running = services->StartProcess({"sleep", "5"}, error);
    ASSERT_TRUE(running.has_value());
    EXPECT_EQ(services->ProcessExitCode(*running), std::nullopt);
    ::kill(static_cast<pid_t>(running->value), SIGKILL);
    EXPECT_EQ(WaitForExit(*services, *running), 128 + SIGKILL);

    EXPECT_FALSE(services->StartProcess({"kestrova-no-such-program"}, error).has_value());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(services->ProcessExitCode(ProcessId{999999999}), -1);
}

TEST_F(QtServicesTest, LoadsPicturesAtTheirNaturalSize) {
    QTemporaryDir dir;
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(0, 0, 255));
    image.setPixelColor(2, 1, QColor(255, 128, 0));
    const QString path = dir.path() + "/写真.png";
    ASSERT_TRUE(image.save(path));
    auto loaded = services->LoadPicture(path.toStdString(), {});
    ASSERT_TRUE(loaded.has_value());
    const Picture* picture = &loaded->picture;
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 2);
    ASSERT_EQ(picture->pixels.size(), 6u);
    EXPECT_EQ(picture->pixels[0], 0xff0000ffu);
    EXPECT_EQ(picture->pixels[5], 0xffff8000u);

    EXPECT_FALSE(services->LoadPicture((dir.path() + "/none.png").toStdString(), {}).has_value());
    std::ofstream(dir.path().toStdString() + "/broken.jpg") << "not a picture";
    EXPECT_FALSE(services->LoadPicture(dir.path().toStdString() + "/broken.jpg", {}).has_value());
}

bool HasVisiblePixel(const Picture& picture) {
    for (std::uint32_t p : picture.pixels) {
        if ((p >> 24) != 0) return true;
    }
    return false;
}

TEST_F(QtServicesTest, AssociatedIconsAreSmallAndDrawn) {
    QTemporaryDir dir;
    for (const std::string& path : {dir.path().toStdString() + "/a.txt", dir.path().toStdString(),
                                    std::string("/nowhere/unknown.zzz")}) {
        const Picture icon = services->AssociatedIcon(path);
        EXPECT_EQ(icon.width, 16) << path;
        EXPECT_EQ(icon.height, 16) << path;
        ASSERT_EQ(icon.pixels.size(), 256u) << path;
        EXPECT_TRUE(HasVisiblePixel(icon)) << path;
    }
}

// Child processes of this test in state Z whose command is `name`.
int ZombieChildren(const std::string& name) {
    int zombies = 0;
    std::ifstream children("/proc/self/task/" + std::to_string(::gettid()) + "/children");
    for (pid_t pid; children >> pid;) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        const std::string line((std::istreambuf_iterator<char>(stat)), {});
        const auto close = line.rfind(')');
        const auto open = line.find('(');
        if (open == std::string::npos || close == std::string::npos || close + 2 >= line.size()) continue;
        if (line.substr(open + 1, close - open - 1) == name && line[close + 2] == 'Z') ++zombies;
    }
    return zombies;
}

TEST_F(QtServicesTest, ShellOpenStartsTheDesktopOpenerWithThePathAsItsOneArgument) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string record = folder + "/opened.txt";
    // A stand-in opener that records how many arguments it got and the first.
    {
        std::ofstream script(folder + "/xdg-open");
        script << "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"" << record << ".tmp\"\nmv \"" << record << ".tmp\" \"" << record << "\"\n";
    }
    std::filesystem::permissions(folder + "/xdg-open", std::filesystem::perms::owner_all);
    const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (folder + ":" + old_path).c_str(), 1);
    const std::string awkward = folder + "/it's a \"quoted\" name; $HOME *.jpg \xff";
    std::ofstream(awkward) << "x";

    std::string error;
    const bool started = services->ShellOpen(awkward, error);
    ::setenv("PATH", old_path.c_str(), 1);
    ASSERT_TRUE(started) << error;
    for (int i = 0; i < 500 && ReadAll(record).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadAll(record), "1|" + awkward);
    // The opener is not waited for, but once it has ended it is reaped.
    bool reaped = false;
    for (int i = 0; i < 500 && !reaped; ++i) {
        services->WaitTurn();
        reaped = ZombieChildren("xdg-open") == 0;
    }
    EXPECT_TRUE(reaped);
    // Not a name the temporary folder can remove by itself.
    std::filesystem::remove(awkward);
}

TEST_F(QtServicesTest, AssociatedIconsComeFromTheThemeByFileType) {
    const std::vector<std::string> kinds = {"/x/a.txt", "/x/a.jpg", "/x/a.mp4", "/x/a.pdf", "/x/noext"};
    std::vector<std::vector<std::uint32_t>> seen;
    for (const std::string& path : kinds) {
        const Picture icon = services->AssociatedIcon(path);
        for (const auto& other : seen) EXPECT_NE(icon.pixels, other) << path << " looks like another type";
        seen.push_back(icon.pixels);
    }
    EXPECT_EQ(services->AssociatedIcon("/y/b.JPG").pixels, seen[1]) << "one type, one icon";
    EXPECT_EQ(services->AssociatedIcon("/y/other").pixels, seen[4]);
}

TEST_F(QtServicesTest, ShellOpenOfAMissingFileFailsWithAReason) {
    std::string error;
    EXPECT_FALSE(services->ShellOpen("/nowhere/missing.mp4", error));
    EXPECT_FALSE(error.empty());
}

TEST_F(QtServicesTest, CursorHidesBelowZeroAndReturnsAtZero) {
    EXPECT_EQ(services->ShowCursor(false), -1);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    EXPECT_EQ(services->ShowCursor(false), -2);
    EXPECT_EQ(services->ShowCursor(true), -1);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(services->ShowCursor(true), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(services->ShowCursor(true), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(QtServicesTest, ScreenAndClockComeFromTheSystem) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(services->Screen().width, screen.width() * 15);
    EXPECT_EQ(services->Screen().height, screen.height() * 15);

    const QDateTime before = QDateTime::currentDateTime();
    const LocalTime now = services->Now();
    const QDateTime after = QDateTime::currentDateTime();
    const QDateTime seen(QDate(now.year, now.month, now.day), QTime(now.hour, now.minute, now.second));
    EXPECT_GE(seen, before.addMSecs(-before.time().msec()));
    EXPECT_LE(seen, after);
}

TEST_F(QtServicesTest, EndProgramEndsAtOnceWithoutExitHandlers) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atexit([] { std::fputs("exit handler ran", stderr); });
            services->EndProgram();
        },
        ::testing::ExitedWithCode(0), ::testing::Not(::testing::HasSubstr("exit handler ran")));
}

}  // namespace
}  // namespace kestrova
