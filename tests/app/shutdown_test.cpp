// The ways the program ends with its files saved: the close box, the end
// of the session, a close during a refresh, and saves that fail.
#include "app/shutdown.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <memory>

#include "listing/file_rows.h"
#include "listing/list_file.h"
#include "platform/system/files.h"
#include "platform/model/user_input.h"
#include "settings/failed_save.h"
#include "support/file_attributes.h"
#include "support/permission_bits.h"
#include "support/program_fixture.h"

namespace kestrova {
namespace {

// Two rows of 3 and 4 bytes, the second one a same-size hit, and the line of
// the settings file that describes them.
const std::string kSavedList = "\"\",\"\",\"\",\"\",\"\"\r\n"
                               "\"a.txt\",\"/old\",\"                  3 \",\"2024/05/01 13:45:07\",\"01\"\r\n"
                               "\"b.txt\",\"/old\",\"                  4*\",\"2024/05/01 13:45:08\",\"01\"\r\n";
const std::string kSavedLine35 = "2,7,1,\"\",\"         [24/05/01 13:45:07]\"";

class ShutdownTest : public testing::ProgramTest {
protected:
    // The saved list shown at the start (start mode 2); folder row 1 holds
    // twenty files for a refresh to find.
    void StartWithSavedList() {
        for (int i = 0; i < 20; ++i) dir.Write("many/f" + std::to_string(i) + ".txt", "x");
        dir.Write("Kestrova.csv", kSavedList);
        StartProgram([&](SharedState& s) {
            s.StartMode = kStartShowPrevious;
            s.SortKey = kSortByName;
            s.SortOrder = 0;
            s.SizeCheck = 1;
            s.ListedFileCount = 2;
            s.ListedTotalBytes = 7;
            s.SameSizeHitCount = 1;
            s.RefreshStamp = "         [24/05/01 13:45:07]";
            s.DisplayEntries[1] = {"many", dir / "many", 1, "*.*", 0};
        });
        ASSERT_EQ(p().Form1.ListView1.Count(), 2);
    }
    std::string Line35() { return SettingsLines().at(34); }
    std::size_t ListFileRows() { return testing::Split(dir.Read("Kestrova.csv"), "\r\n").size() - 2; }
    // A close request that comes when the refresh by the button has found
    // five files.
    void RefreshAndOnTheFifthFile(const std::function<void()>& request) {
        services.When([&] { return IsOn(state().RefreshRunning) && p().Form1.ListView1.Count() == 5; }, request);
        EXPECT_THROW(UserClick(p().Form1.Command3), ProgramEnded);
    }
};

TEST_F(ShutdownTest, EndOfTheSessionSavesTheSettingsAndTheListAsTheCloseBoxDoes) {
    StartWithSavedList();
    p().Form2.Text[2]->SetText("not yet applied");
    UserEndSession(p().Form2);  // only the main window's end closes the program
    EXPECT_TRUE(services.MessageBoxes().empty());
    std::filesystem::remove(testing::NativePath(dir / "Kestrova.csv"));
    EXPECT_THROW(UserEndSession(p().Form1), ProgramEnded);
    EXPECT_EQ(SettingsLines().at(1), "\"not yet applied\",\"\",0,0") << "the settings screen's values, as at the close box";
    EXPECT_EQ(dir.Read("Kestrova.csv"), kSavedList) << "the list shown, in its order";
    EXPECT_EQ(Line35(), kSavedLine35);
    EXPECT_TRUE(services.MessageBoxes().empty());
}

TEST_F(ShutdownTest, EndOfTheSessionDuringARefreshClosesAtOnceAndKeepsTheListOnDisk) {
    StartWithSavedList();
    RefreshAndOnTheFifthFile([&] { UserEndSession(p().Form1); });
    EXPECT_EQ(dir.Read("Kestrova.csv"), kSavedList) << "half a refresh is no list to keep";
    EXPECT_EQ(Line35(), kSavedLine35) << "the settings describe the list that stayed";
    EXPECT_TRUE(services.MessageBoxes().empty()) << "nobody may be there to answer";
}

TEST_F(ShutdownTest, CloseBoxDuringARefreshInterruptsItAndDeclinedKeepsTheListOnDisk) {
    StartWithSavedList();
    services.QueueAnswer(kNo);
    RefreshAndOnTheFifthFile([&] {
        UserClose(p().Form1);
        EXPECT_EQ(state().AbortRequested, 1) << "the refresh is interrupted first";
    });
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, kSaveInterruptedListQuestion);
    EXPECT_EQ(dir.Read("Kestrova.csv"), kSavedList);
    EXPECT_EQ(Line35(), kSavedLine35) << "not the count of the interrupted refresh";
}

TEST_F(ShutdownTest, CloseBoxDuringARefreshInterruptsItAndAcceptedSavesWhatItFound) {
    StartWithSavedList();
    services.QueueAnswer(kYes);
    RefreshAndOnTheFifthFile([&] { UserClose(p().Form1); });
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    const std::size_t rows = ListFileRows();
    EXPECT_GE(rows, 5u);
    EXPECT_LT(rows, 20u) << "the refresh stopped";
    // Twenty files of one byte each: every one after the first is a same-size hit.
    const std::string counts = std::to_string(rows) + "," + std::to_string(rows) + "," + std::to_string(rows - 1);
    EXPECT_EQ(Line35().rfind(counts + ",\"中断 \",\"         [", 0), 0u) << Line35();
}

TEST_F(ShutdownTest, SettingsDescribeTheListFileWheneverItIsNotWritten) {
    StartWithSavedList();
    // Every start refreshes: the list file is never written, and the
    // refresh's counts are not those of the rows in it.
    UserClick(p().Form1.Command3);
    ASSERT_EQ(p().Form1.ListView1.Count(), 20);
    p().Form2.Option[11]->SetValue(true);
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    EXPECT_EQ(dir.Read("Kestrova.csv"), kSavedList);
    EXPECT_EQ(Line35(), kSavedLine35);
}

TEST_F(ShutdownTest, SettingsDescribeTheListJustWritten) {
    StartWithSavedList();
    // The rows of the list, not counters another origin left: the marker of
    // an interrupted load is no file, and counts from the settings file
    // that did not match the rows are put right.
    state().ListedFileCount = 9;
    ListRow marker;
    marker.text = kLoadInterruptedRow;
    marker.sub[0] = kLoadInterruptedRow;
    p().Form1.ListView1.AddRow(std::move(marker));
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    EXPECT_EQ(ListFileRows(), 3u);
    EXPECT_EQ(Line35(), kSavedLine35);
}

// A refresh that ends the program after its automatic run saves the
// settings, and the list file stays as it is: the settings describe it.
TEST_F(ShutdownTest, SaveBeforeARunThatEndsTheProgramDescribesTheListOnDisk) {
    StartWithSavedList();
    state().AutoRunAfterRefresh = 1;
    state().QuitAfterAutoRun = 1;
    state().AutoRunChoice = kAutoRunViewer;
    p().handoffs.Pem_Open = [] {};  // the run itself is the viewer's business
    UserClick(p().Form1.Command3);
    EXPECT_EQ(Line35(), kSavedLine35);
    EXPECT_EQ(SettingsLines().at(35), "1,0,3,3,1,1");
}

// A save that fails is said, naming the file and the system's reason; the
// old file stays whole and the close still ends the program.
struct FailedClose {
    const char* what;
    std::function<std::string(testing::TempDir&)> spoil;  // returns the reason
    const char* file;                                      // the file that fails
};

TEST(ShutdownFailures, UnwritableSettingsOrListIsSaidOnceAndTheOldFileStays) {
    std::vector<FailedClose> cases = {
        {"a folder where the list goes",
         [](testing::TempDir& dir) {
             std::filesystem::create_directories(testing::NativePath(dir / "Kestrova.csv/kept"));
             return ErrorText(EISDIR);
         },
         "Kestrova.csv"},
        {"a read-only settings file",
         [](testing::TempDir& dir) {
#ifdef _WIN32
             testing::SetAttributes(dir / "Kestrova.ini", FILE_ATTRIBUTE_READONLY);
#else
             ::chmod((dir / "Kestrova.ini").c_str(), 0444);
#endif
             return ErrorText(EACCES);
         },
         "Kestrova.ini"},
#ifndef _WIN32
        {"a pipe where the list goes",
         [](testing::TempDir& dir) {
             ::mkfifo((dir / "Kestrova.csv").c_str(), 0644);
             return NotAFileText();
         },
         "Kestrova.csv"},
#endif
    };
    for (const FailedClose& c : cases) {
        SCOPED_TRACE(c.what);
#ifndef _WIN32
        if (std::string(c.file) == "Kestrova.ini" && testing::WhyPermissionBitsDoNotHold()) continue;
#endif
        testing::ProgramWithSettings run([](SharedState& s) { s.StartMode = kStartOnly; });
        auto& [dir, services, program] = run;
        const std::string old_settings = dir.Read("Kestrova.ini");
        const std::string reason = c.spoil(dir);
        run.Start();
        program.Form1.ListView1.AddRow("row");
        program.Form2.Text[2]->SetText("changed");
        EXPECT_THROW(UserClose(program.Form1), ProgramEnded);
        ASSERT_EQ(services.MessageBoxes().size(), 1u);
        const RecordedMsgBox& box = services.MessageBoxes()[0];
        EXPECT_EQ(box.text, reason + "\n" + (dir / c.file) + kSaveFailedText);
        EXPECT_EQ(box.buttons, kOkOnly);
        EXPECT_EQ(box.icon, kExclamation);
        if (std::string(c.file) == "Kestrova.ini") {
            EXPECT_EQ(dir.Read("Kestrova.ini"), old_settings) << "the old settings stay whole";
        } else {
            EXPECT_NE(dir.Read("Kestrova.ini"), old_settings) << "the settings were saved";
            EXPECT_FALSE(std::filesystem::is_regular_file(testing::NativePath(dir / "Kestrova.csv")))
                << "what is in its place stays";
        }
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(testing::NativePath(dir.path()), ec)) {
            EXPECT_EQ(testing::Utf8Path(entry.path().filename()).find(".tmp-"), std::string::npos) << "no temporary is left";
        }
#ifdef _WIN32
        testing::SetAttributes(dir / "Kestrova.ini", FILE_ATTRIBUTE_NORMAL);
#endif
    }
}

}  // namespace
}  // namespace kestrova
