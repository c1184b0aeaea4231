#include "app/startup.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <limits>

#include "app/wiring.h"
#include "platform/system/files.h"
#include "platform/model/user_input.h"
#include "settings/settings_file.h"
#include "settings/settings_transfer.h"
#include "settings/failed_save.h"
#include "settings/unreadable_file.h"
#include "support/file_attributes.h"
#include "support/permission_bits.h"
#include "support/program_fixture.h"
#ifdef _WIN32
#include "platform/windows/wide_text.h"
#endif

namespace kestrova {
namespace {

class StartupTest : public testing::ProgramTest {
protected:
    void Start() {
        WireHandlers(p());
        Form1_Load(p());
    }
    // A damaged settings file with sizes at the ends of the 32-bit range.
    void ExpectSizesHeld(std::int32_t width, std::int32_t height, std::int32_t column) {
        StartProgram([&](SharedState& s) {
            s.MainWidth = width;
            s.MainHeight = height;
            s.FolderColumnWidth = column;
        });
        EXPECT_EQ(state().MainWidth, 10335) << "no window can be that size: the default stands in";
        const Form& f = p().Form1;
        for (int size : {f.Width(), f.Height(), f.ScaleWidth(), f.ScaleHeight()}) {
            EXPECT_GE(size, 0);
            EXPECT_LE(size, kMaxTwips);
        }
        Command1_Click(p());  // the settings screen opens and closes: column widths are applied
        Command1_Click(p());
        for (int c = 1; c <= p().Form1.ListView1.ColumnCount(); ++c) {
            EXPECT_GE(p().Form1.ListView1.ColumnWidth(c), 0) << c;
            EXPECT_LE(p().Form1.ListView1.ColumnWidth(c), kMaxTwips) << c;
        }
    }
    // The file's lines themselves are the settings file's tests' matter;
    // here it counts that the end wrote the settings as they stood, with the
    // counts of the list file on disk (none is written at every start's refresh).
    void ExpectSettingsSaved() {
        ASSERT_TRUE(dir.Exists("Kestrova.ini"));
        EXPECT_EQ(DecodeFileText(dir.Read("Kestrova.ini")), FormatSettingsText(state(), state().ListOnDisk));
    }
};

TEST_F(StartupTest, FreshStartShowsTheDefaultsOnTheMainWindow) {
    Start();
    MainForm& f = p().Form1;
    EXPECT_EQ(f.Caption(), "ケストロヴァ (Kestrova) ZI22");
    EXPECT_EQ(state().LoadCompleted, 1);
    EXPECT_EQ(state().AutoRunActive, 0);
    EXPECT_FALSE(f.Timer1.Enabled());
    EXPECT_EQ(f.Check[1]->Caption(), "01:私の円盤");
    EXPECT_EQ(f.Check[1]->Value(), 1);
    EXPECT_EQ(f.Check[2]->Caption(), "");
    EXPECT_EQ(f.Combo1.ListCount(), 5);
    EXPECT_EQ(f.Combo1.Text(), "*.*");
    EXPECT_EQ(f.File1.Pattern(), "*.*");
    EXPECT_EQ(f.Width(), 10335);
    EXPECT_EQ(f.Height(), 5880);
    ASSERT_EQ(f.ListView1.ColumnCount(), 5);
    const std::vector<std::pair<std::string, int>> columns = {
        {"名前", 2208}, {"フォルダ名", 2000}, {"サイズ(Byte)", 1653}, {"更新日時", 1753}, {"No", 526}};
    for (int c = 1; c <= 5; ++c) {
        EXPECT_EQ(f.ListView1.Column(c).text, columns[static_cast<size_t>(c - 1)].first);
        EXPECT_EQ(f.ListView1.ColumnWidth(c), columns[static_cast<size_t>(c - 1)].second);
    }
    EXPECT_EQ(f.ListView1.Column(3).align, ColumnAlign::Right);
    // The four base images, then the icons of what the start-up refresh of
    // the root folder found.
    EXPECT_GE(f.ImageList1.Count(), 4);
    EXPECT_EQ(f.ListView1.SmallIcons(), &f.ImageList1);
    EXPECT_FALSE(p().Form2.Visible());
    EXPECT_FALSE(p().Form3.Visible());
    EXPECT_EQ(p().Form2.Caption(), "ケストロヴァ 設定画面(Kestrova)");
    EXPECT_TRUE(services.MessageBoxes().empty());
}

TEST_F(StartupTest, ClosingTheWindowWritesTheSettingsAndEnds) {
    Start();
    EXPECT_FALSE(dir.Exists("Kestrova.ini"));
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    ExpectSettingsSaved();
}

TEST_F(StartupTest, ExitButtonAsksAndOnlyYesSavesAndEnds) {
    Start();
    services.QueueAnswer(kNo);
    UserClick(p().Form1.Command2);
    EXPECT_FALSE(dir.Exists("Kestrova.ini"));
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, "終了しますか");
    EXPECT_EQ(services.MessageBoxes()[0].buttons, kYesNo);
    EXPECT_EQ(services.MessageBoxes()[0].icon, kQuestion);
    EXPECT_EQ(services.MessageBoxes()[0].title, "Kestrova");

    services.QueueAnswer(kYes);
    EXPECT_THROW(UserClick(p().Form1.Command2), ProgramEnded);
    ExpectSettingsSaved();
}

TEST_F(StartupTest, ExitDiscardsUnappliedScreenEditsButTheCloseBoxKeepsThem) {
    Start();
    UserClick(p().Form1.Command1);  // open the settings screen
    ASSERT_TRUE(p().Form2.Visible());
    UserEditText(*p().Form2.Text[2], "未適用");
    services.QueueAnswer(kYes);
    EXPECT_THROW(UserClick(p().Form1.Command2), ProgramEnded);
    EXPECT_EQ(SettingsLines()[1], "\"\",\"\",0,0");

    UserEditText(*p().Form2.Text[2], "未適用");
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    EXPECT_EQ(SettingsLines()[1], "\"未適用\",\"\",0,0");
}

TEST_F(StartupTest, SettingsFromTheFileAreShownAndRoundTrip) {
    SharedState saved;
    ApplyDefaultSettings(saved);
    saved.DisplayEntries[2] = {"写真", "/home/photos", 1, "", 1};
    saved.StartMode = kStartOnly;
    saved.AutoRunChoice = kAutoRunViewer;
    saved.SelectedPattern = "*.jpg";
    saved.MainWidth = 12000;
    SetProgramPaths(saved, dir.path());
    ASSERT_TRUE(SaveSettingsFile(saved));
    const std::string before = dir.Read("Kestrova.ini");

    bool handed_off = false;
    p().handoffs.Pem_Open = [&] { handed_off = true; };
    Start();
    EXPECT_EQ(state().AutoRunActive, 0) << "start only never runs automatically";
    EXPECT_FALSE(handed_off);
    EXPECT_EQ(p().Form1.Label3.Caption(), "") << "no refresh ran";
    EXPECT_EQ(p().Form1.Check[2]->Caption(), "02:写真");
    EXPECT_EQ(p().Form2.Check[4]->Value(), 1);
    EXPECT_EQ(p().Form1.Width(), 12000);
    EXPECT_EQ(p().Form1.Combo1.Text(), "*.jpg");
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    EXPECT_EQ(dir.Read("Kestrova.ini"), before);
}

TEST_F(StartupTest, StartModeRefreshRunsUnderTheProgressWindowThenTheAutomaticRun) {
    dir.Write("videos/a.avi", "aaa");
    dir.Write("videos/b.avi", "bbbb");
    SharedState saved;
    ApplyDefaultSettings(saved);
    saved.DisplayEntries[1].Folder = dir / "videos";
    saved.AutoRunChoice = kAutoRunMediaPlayer;
    SetProgramPaths(saved, dir.path());
    ASSERT_TRUE(SaveSettingsFile(saved));
    std::optional<Color> colour_while_scanning;
    services.When([&] { return p().Form3.Visible(); }, [&] { colour_while_scanning = p().Form3.BackColor(); });
    dir.Write("mplayerc.exe", "stand-in player");
    Start();
    EXPECT_EQ(colour_while_scanning, Rgb(0, 255, 255)) << "cyan: an automatic run follows";
    EXPECT_FALSE(p().Form3.Visible());
    EXPECT_EQ(p().Form1.ListView1.Count(), 2);
    ASSERT_EQ(services.ProcessStarts().size(), 2u) << "the player gets every listed file";
    EXPECT_EQ(services.ProcessStarts()[0][1], dir / "videos/a.avi");
    EXPECT_EQ(services.ProcessStarts()[1][1], dir / "videos/b.avi");
    EXPECT_EQ(state().AutoRunActive, 1);
    EXPECT_EQ(p().Form1.Caption(), "ケストロヴァ (Kestrova) ZI22");
}

TEST_F(StartupTest, StartModeRefreshWithoutAutomaticRunIsLightGreenAndSelectsAll) {
    dir.Write("docs/a.txt", "a");
    SharedState saved;
    ApplyDefaultSettings(saved);
    saved.DisplayEntries[1].Folder = dir / "docs";
    SetProgramPaths(saved, dir.path());
    ASSERT_TRUE(SaveSettingsFile(saved));
    std::optional<Color> colour;
    services.When([&] { return p().Form3.Visible(); }, [&] { colour = p().Form3.BackColor(); });
    Start();
    EXPECT_EQ(colour, Rgb(128, 255, 128));
    EXPECT_EQ(p().Form3.Label1.BackColor(), Rgb(128, 255, 128));
    EXPECT_EQ(state().AutoRunActive, 0);
    ASSERT_EQ(p().Form1.ListView1.Count(), 1);
    EXPECT_TRUE(p().Form1.ListView1.Selected(1)) << "start-up selects the list before any automatic run";
}

TEST_F(StartupTest, InterruptedStartSkipsTheAutomaticRun) {
    for (int i = 0; i < 20; ++i) dir.Write("many/f" + std::to_string(i) + ".txt", "x");
    SharedState saved;
    ApplyDefaultSettings(saved);
    saved.DisplayEntries[1].Folder = dir / "many";
    saved.AutoRunChoice = kAutoRunOpen;
    SetProgramPaths(saved, dir.path());
    ASSERT_TRUE(SaveSettingsFile(saved));
    bool opened = false;
    p().handoffs.Kest_Open = [&] { opened = true; };
    services.When([&] { return p().Form1.ListView1.Count() == 5; }, [&] { UserFormClick(p().Form3); });
    Start();
    EXPECT_FALSE(opened);
    EXPECT_EQ(p().Form1.ListView1.Count(), 5);
    EXPECT_EQ(p().Form3.Label1.Caption(), "ケストロヴァ 中断中！！");
    EXPECT_EQ(p().Form1.Label3.Caption().rfind("中断 5 個のファイルを表示", 0), 0u) << p().Form1.Label3.Caption();
}

TEST_F(StartupTest, EmptySettingsFileGivesTheDefaults) {
    dir.Write("Kestrova.ini", "");
    Start();
    EXPECT_EQ(state().StartMode, kStartRefresh);
    EXPECT_EQ(state().ViewSeconds, 3);
    EXPECT_EQ(state().SelectedPattern, "*.*");
    EXPECT_EQ(p().Form1.Check[1]->Caption(), "01:私の円盤");
    EXPECT_EQ(p().Form1.Width(), 10335);
    EXPECT_TRUE(services.MessageBoxes().empty());
}

// A file cut short (an older version, a full disk, an editor) says nothing
// of the settings after the cut: they keep their defaults, so the window
// is not of no size and the viewer does not wait no seconds, and the close
// writes a whole file.
TEST_F(StartupTest, SettingsFileCutShortKeepsTheDefaultsOfWhatIsMissing) {
    SharedState saved;
    ApplyDefaultSettings(saved);
    saved.StartMode = kStartOnly;
    saved.DisplayEntries[2] = {"写真", "/photos", 1, "", 0};
    const std::vector<std::string> lines = testing::Split(FormatSettingsText(saved), "\r\n");
    std::string cut;
    for (int i = 0; i < 16; ++i) cut += lines[static_cast<size_t>(i)] + "\r\n";
    dir.Write("Kestrova.ini", EncodeFileText(cut.substr(0, cut.size() - 9)));  // inside line 16
    Start();
    EXPECT_EQ(p().Form1.Check[2]->Caption(), "02:写真") << "what the file holds is read";
    EXPECT_EQ(p().Form1.Width(), 10335);
    EXPECT_EQ(p().Form1.Height(), 5880);
    EXPECT_EQ(state().ViewSeconds, 3);
    EXPECT_EQ(p().Form1.Combo1.ListCount(), 5) << "the default pattern list";
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    const auto written = SettingsLines();
    ASSERT_EQ(written.size(), 36u);
    EXPECT_EQ(written[1], "\"写真\",\"/photos\",1,0");
    EXPECT_EQ(written[16], "0,1,3,1,10335,5880,10215,5202,\"*.*\"");
    EXPECT_EQ(written[17], "2000,1,1,1,0,0,3582,4762,4350,5835,1");
    EXPECT_EQ(written[35], "1,0,3,0,0,0");
}

// Sizes no window can be used at give way to the default; usable ones,
// also on a second screen, are kept as they are.
TEST(StartupWindowSizes, UnusableRememberedSizesOpenAtTheDefaultSize) {
    const struct {
        const char* what;
        std::int32_t width, height;
        bool kept;
    } cases[] = {
        {"no size", 0, 0, false},
        {"a sliver", 15, 4000, false},
        {"negative", -5000, 6000, false},
        {"larger than the screens", 400000, 6000, false},
        {"an inch square", 1440, 1440, true},
        {"as large as both screens", 67200, 21600, true},
        {"an ordinary size", 12000, 8000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ProgramWithSettings run([&](SharedState& s) {
            s.StartMode = kStartOnly;
            s.MainWidth = s.ViewWindowWidth = c.width;
            s.MainHeight = s.ViewWindowHeight = c.height;
        });
        auto& [dir, services, program] = run;
        // A 1920 x 1080 screen and a 2560 x 1440 one to its right.
        services.SetScreenAreas({{0, 0, 28800, 16200}, {28800, 0, 38400, 21600}});
        run.Start();
        const std::int32_t width = c.kept ? c.width : 10335;
        const std::int32_t height = c.kept ? c.height : 5880;
        EXPECT_EQ(program.Form1.Width(), width);
        EXPECT_EQ(program.Form1.Height(), height);
        EXPECT_EQ(program.state.ViewWindowWidth, c.kept ? c.width : 5835);
        EXPECT_EQ(program.state.ViewWindowHeight, c.kept ? c.height : 4350);
        EXPECT_THROW(UserClose(program.Form1), ProgramEnded);
        SharedState back;
        SetProgramPaths(back, dir.path());
        ASSERT_TRUE(ReadSettingsFile(back));
        EXPECT_EQ(back.MainWidth, width) << "the close writes what the window is";
        EXPECT_EQ(back.MainHeight, height);
    }
}

TEST_F(StartupTest, DamagedSettingsFileStillStarts) {
    std::string junk;
    for (int i = 0; i < 100000; ++i) junk += static_cast<char>((i * 7919) & 0xff);
    dir.Write("Kestrova.ini", junk);
    EXPECT_NO_THROW(Start());
    EXPECT_EQ(state().LoadCompleted, 1);
}

constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();

TEST_F(StartupTest, SizesAtTheLowEndOfTheirRangeAreHeldWhereTheyAreUsed) { ExpectSizesHeld(kLowest, kHighest, kLowest + 1); }

TEST_F(StartupTest, SizesAtTheHighEndOfTheirRangeAreHeldWhereTheyAreUsed) { ExpectSizesHeld(kHighest, kLowest, kHighest); }

// A killed save is staged with fork; the Windows file layer's own test
// covers its side.
#ifndef _WIN32
TEST_F(StartupTest, TemporariesOfKilledSavesAreRemovedAtStart) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);  // like a save killed before its rename
    const std::string killed = std::to_string(child);
    const std::string running = std::to_string(getppid());
    for (const std::string& name : {"Kestrova.ini.tmp-" + killed, "Kestrova.csv.tmp-" + killed, "Kestrova.ini.tmp-" + running}) {
        dir.Write(name, "partial");
    }
    Start();
    EXPECT_FALSE(dir.Exists("Kestrova.ini.tmp-" + killed));
    EXPECT_FALSE(dir.Exists("Kestrova.csv.tmp-" + killed));
    EXPECT_TRUE(dir.Exists("Kestrova.ini.tmp-" + running)) << "a running process may be saving";
}
#endif

TEST_F(StartupTest, ALinkedSettingsFileIsReadAndSavedThroughTheLink) {
    SharedState shared;
    ApplyDefaultSettings(shared);
    shared.StartMode = kStartOnly;
    shared.DisplayEntries[2].Title = "shared";
    SetProgramPaths(shared, dir / "shared");
    std::filesystem::create_directory(dir / "shared");
    ASSERT_TRUE(SaveSettingsFile(shared));
    std::error_code ec;
    std::filesystem::create_symlink(testing::NativePath("shared/Kestrova.ini"), testing::NativePath(dir / "Kestrova.ini"), ec);
    // Windows lets only some users make symbolic links.
    if (ec) GTEST_SKIP() << "no symbolic link could be made: " << ec.message();
    Start();
    EXPECT_EQ(state().DisplayEntries[2].Title, "shared");
    p().Form2.Text[2]->SetText("changed");
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "Kestrova.ini"));
    SetProgramPaths(shared, dir / "shared");
    ASSERT_TRUE(ReadSettingsFile(shared));
    EXPECT_EQ(shared.DisplayEntries[2].Title, "changed") << "the shared file got the new settings";
}

TEST_F(StartupTest, UnwritableProgramFolderIsSaidAtTheClose) {
    SKIP_UNLESS_PERMISSION_BITS_HOLD();
    Start();
    chmod(dir.path().c_str(), 0500);
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, ErrorText(EACCES) + "\n" + (dir / "Kestrova.ini") + kSaveFailedText);
    EXPECT_FALSE(dir.Exists("Kestrova.ini"));
}

// A file beside the program that exists but cannot be read: one message at
// the start names it and the reason, and the close leaves it as it was.
// /proc/self/mem fails every read at its start, also for root.
TEST(StartupFailures, UnreadableSettingsOrListFileIsReportedAndSurvivesTheClose) {
#ifdef _WIN32
    GTEST_SKIP() << "its unreadable files are a link to /proc/self/mem and permission bits";
#endif
    struct Case {
        const char* file;
        bool by_permission;
    };
    for (const Case c : {Case{"Kestrova.ini", false}, Case{"Kestrova.csv", false}, Case{"Kestrova.ini", true},
                         Case{"Kestrova.csv", true}}) {
        SCOPED_TRACE(std::string(c.file) + (c.by_permission ? ", no permission" : ", I/O error"));
        if (c.by_permission && testing::WhyPermissionBitsDoNotHold()) continue;
        testing::ProgramWithSettings run([](SharedState& s) {
            s.StartMode = kStartShowPrevious;
            s.ViewSeconds = 7;
        });
        auto& [dir, services, program] = run;
        const std::string path = dir / c.file;
        std::filesystem::remove(path);
        if (c.by_permission) {
            dir.Write(c.file, "\"kept\"\r\n");
            ASSERT_EQ(chmod(path.c_str(), 0), 0);
        } else {
            std::filesystem::create_symlink("/proc/self/mem", path);
        }
        run.Start();
        ASSERT_EQ(services.MessageBoxes().size(), 1u);
        const RecordedMsgBox& box = services.MessageBoxes()[0];
        EXPECT_EQ(box.text, ErrorText(c.by_permission ? EACCES : EIO) + "\n" + path + kUnreadableFileText);
        EXPECT_EQ(box.buttons, kOkOnly);
        const bool settings = std::string(c.file) == "Kestrova.ini";
        EXPECT_EQ(program.state.ViewSeconds, settings ? 3 : 7) << "the defaults stand in for unread settings";
        program.Form1.ListView1.AddRow("new row");
        EXPECT_THROW(UserClose(program.Form1), ProgramEnded);
        if (c.by_permission) {
            ASSERT_EQ(chmod(path.c_str(), 0600), 0);
            EXPECT_EQ(dir.Read(c.file), "\"kept\"\r\n");
        } else {
            EXPECT_EQ(std::filesystem::read_symlink(path), "/proc/self/mem");
        }
        EXPECT_EQ(services.MessageBoxes().size(), 1u) << "one message only";
    }
}

// Something that is no file where a settings or list file belongs: one
// message at the start names it and the reason, nothing reads from it (a
// pipe would hold the start up), and the close leaves it as it is.
TEST(StartupFailures, NoFileInPlaceOfTheSettingsOrTheListIsReportedOnceAndKept) {
    struct Case {
        const char* what;
        const char* file;
        std::function<void(const std::string&)> make;
        std::string reason;
    };
    const auto folder = [](const std::string& path) {
        std::filesystem::create_directories(testing::NativePath(path + kPathSeparator + "kept"));
    };
    std::vector<Case> cases = {
        {"a folder for the settings", "Kestrova.ini", folder, ErrorText(EISDIR)},
        {"a folder for the list", "Kestrova.csv", folder, ErrorText(EISDIR)},
#ifndef _WIN32
        {"a pipe for the settings", "Kestrova.ini", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); },
         NotAFileText()},
        {"a pipe for the list", "Kestrova.csv", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); },
         NotAFileText()},
        {"a loop of links for the list", "Kestrova.csv",
         [](const std::string& path) { std::filesystem::create_symlink("Kestrova.csv", path); }, ErrorText(ELOOP)},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ProgramWithSettings run([](SharedState& s) { s.StartMode = kStartShowPrevious; });
        auto& [dir, services, program] = run;
        const std::string path = dir / c.file;
        std::filesystem::remove(testing::NativePath(path));
        c.make(path);
        run.Start();
        ASSERT_EQ(services.MessageBoxes().size(), 1u);
        EXPECT_EQ(services.MessageBoxes()[0].text, c.reason + "\n" + path + kUnreadableFileText);
        program.Form1.ListView1.AddRow("row");
        EXPECT_THROW(UserClose(program.Form1), ProgramEnded);
        EXPECT_EQ(services.MessageBoxes().size(), 1u) << "said once";
        std::error_code ec;
        EXPECT_FALSE(std::filesystem::is_regular_file(testing::NativePath(path), ec)) << "no file took its place";
    }
}

// A replace that the system does in steps (ReplaceFileW under Wine), killed
// between them, leaves no file but a whole last save under its second name:
// the next start puts it back and shows every row. A temporary still being
// written when its save was killed is no whole file: it goes, and the
// program starts as without one.
TEST(StartupKilledSaves, WholeSaveLeftByAKilledReplaceIsPutBackAndACutOneIsNot) {
    // No process has this id, here or under Windows.
    const std::string ended = "999999996";
    const std::string rows = "\"\",\"\",\"\",\"\",\"\"\r\n"
                             "\"a\",\"/x\",\"                  3 \",\"2024/05/01 13:45:07\",\"01\"\r\n"
                             "\"b\",\"/x\",\"                  4 \",\"2024/05/01 13:45:08\",\"01\"\r\n";
    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "written whole" : "cut short");
        testing::ProgramWithSettings run([](SharedState& s) {
            s.StartMode = kStartShowPrevious;
            s.ViewSeconds = 7;
        });
        auto& [dir, services, program] = run;
        const std::string stage = whole ? ".new-" : ".tmp-";
        if (whole) {
            std::filesystem::rename(testing::NativePath(dir / "Kestrova.ini"),
                                    testing::NativePath(dir / ("Kestrova.ini" + stage + ended)));
        } else {
            dir.Write("Kestrova.ini" + stage + ended, "\"cut");
        }
        dir.Write("Kestrova.csv" + stage + ended, whole ? rows : rows.substr(0, 60));
        run.Start();
        EXPECT_EQ(program.state.ViewSeconds, 7);
        EXPECT_EQ(program.Form1.ListView1.Count(), whole ? 2 : 0);
        EXPECT_FALSE(dir.Exists("Kestrova.ini" + stage + ended));
        EXPECT_FALSE(dir.Exists("Kestrova.csv" + stage + ended));
        EXPECT_EQ(dir.Exists("Kestrova.csv"), whole);
        EXPECT_TRUE(services.MessageBoxes().empty());
    }
}

#ifdef _WIN32
// Hidden, system and read-only are the user's choices: such a settings or
// list file is read as any other and saved keeping its attributes, and a
// read-only one is said to be so and left alone.
TEST(StartupAttributes, HiddenAndSystemFilesAreReadAndStaySoAndReadOnlyOnesAreLeftAlone) {
    testing::ProgramWithSettings run([](SharedState& s) {
        s.StartMode = kStartShowPrevious;
        s.ViewSeconds = 7;
    });
    auto& [dir, services, program] = run;
    dir.Write("Kestrova.csv", "\"\",\"\",\"\",\"\",\"\"\r\n\"a\",\"C:\\x\",\"                  3 \",\"2024/05/01 13:45:07\",\"01\"\r\n");
    ASSERT_TRUE(testing::SetAttributes(dir / "Kestrova.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(testing::SetAttributes(dir / "Kestrova.csv", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    const std::string list_before = dir.Read("Kestrova.csv");
    run.Start();
    EXPECT_EQ(program.state.ViewSeconds, 7) << "the hidden settings file was read";
    EXPECT_EQ(program.Form1.ListView1.Count(), 1) << "the hidden list file was read";
    program.Form2.Text[49]->SetText("9");
    program.Form1.ListView1.AddRow("new row");
    EXPECT_THROW(UserClose(program.Form1), ProgramEnded);
    EXPECT_EQ(testing::AttributesOf(dir / "Kestrova.ini") & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    SharedState back;
    SetProgramPaths(back, dir.path());
    ASSERT_TRUE(ReadSettingsFile(back));
    EXPECT_EQ(back.ViewSeconds, 9);
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, ErrorText(EACCES) + "\n" + (dir / "Kestrova.csv") + kSaveFailedText);
    EXPECT_EQ(dir.Read("Kestrova.csv"), list_before) << "the read-only list is left alone";
    testing::SetAttributes(dir / "Kestrova.csv", FILE_ATTRIBUTE_NORMAL);
}
#endif

// Makes a file unreadable for a while, for root too and without permission
// bits: on Linux the name is a link to /proc/self/mem, whose start no read
// gets past; on Windows the file is held open without sharing.
class UnreadableForAWhile {
public:
    UnreadableForAWhile(const testing::TempDir& dir, const std::string& name) : path_(dir / name) {
#ifdef _WIN32
        held_ = ::CreateFileW(WideFromUtf8(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(held_, INVALID_HANDLE_VALUE);
#else
        aside_ = dir / ("aside-" + name);
        std::filesystem::rename(path_, aside_);
        std::filesystem::create_symlink("/proc/self/mem", path_);
#endif
    }
    // The file as it was, readable and replaceable again.
    void Release() {
#ifdef _WIN32
        ::CloseHandle(held_);
#else
        std::filesystem::remove(path_);
        std::filesystem::rename(aside_, path_);
#endif
    }

private:
    std::string path_;
#ifdef _WIN32
    HANDLE held_ = INVALID_HANDLE_VALUE;
#else
    std::string aside_;
#endif
};

// What the start could not read, the close leaves as it is, even when by
// then it could be replaced: the defaults, or a list without those rows,
// must never be written over settings or rows the user has not seen.
TEST(StartupFailures, AFileUnreadableAtTheStartIsNotWrittenAtTheCloseEvenWhenItCouldBe) {
    for (const std::string file : {"Kestrova.ini", "Kestrova.csv"}) {
        SCOPED_TRACE(file);
        testing::TempDir dir;
        SharedState saved;
        ApplyDefaultSettings(saved);
        saved.StartMode = kStartShowPrevious;
        saved.ViewSeconds = 7;
        SetProgramPaths(saved, dir.path());
        ASSERT_TRUE(SaveSettingsFile(saved));
        dir.Write("Kestrova.csv", "\"kept\"\r\n");
        const std::string before = dir.Read(file);
        UnreadableForAWhile unreadable(dir, file);
        HeadlessServices services;
        Program program(services, dir.path());
        WireHandlers(program);
        Form1_Load(program);
        unreadable.Release();
        ASSERT_EQ(services.MessageBoxes().size(), 1u);
        EXPECT_NE(services.MessageBoxes()[0].text.find(dir / file), std::string::npos);
        program.Form1.ListView1.AddRow("new row");
        program.Form2.Text[2]->SetText("changed");
        EXPECT_THROW(UserClose(program.Form1), ProgramEnded);
        EXPECT_EQ(dir.Read(file), before) << "left as it was";
        if (file == "Kestrova.csv") {
            EXPECT_NE(DecodeFileText(dir.Read("Kestrova.ini")).find("changed"), std::string::npos)
                << "the settings, read at the start, were written";
        }
    }
}

TEST(StartupFailures, ProgramFolderThatIsAFileNameIsSaidOnceAtTheClose) {
    // The same failure for root: the settings path lies below a plain file.
    testing::TempDir dir;
    dir.Write("not-a-folder", "x");
    HeadlessServices services;
    Program program(services, dir / "not-a-folder");
    WireHandlers(program);
    Form1_Load(program);
    EXPECT_TRUE(services.MessageBoxes().empty());
    program.state.StartMode = kStartOnly;  // so the list is saved too
    SettingsToScreen(program);
    EXPECT_THROW(UserClose(program.Form1), ProgramEnded);
    ASSERT_EQ(services.MessageBoxes().size(), 1u) << "one message for both files";
    const std::string& text = services.MessageBoxes()[0].text;
    EXPECT_NE(text.find(program.state.SettingsFilePath + kSaveFailedText), std::string::npos) << text;
    EXPECT_NE(text.find(program.state.ListFilePath + kSaveFailedText), std::string::npos) << text;
}

}  // namespace
}  // namespace kestrova
