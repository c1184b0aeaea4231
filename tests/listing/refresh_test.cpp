#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>

#include "listing/file_rows.h"
#include "listing/icon_cache.h"
#include "listing/size_check.h"
#include "listing_fixture.h"
#include "mainwin/main_window.h"
#include "support/permission_bits.h"

namespace kestrova {
namespace {

using testing::ListingTest;

TEST_F(ListingTest, EmptyRefreshCountsNothing) {
    services.SetNow({2024, 5, 1, 13, 45, 7});
    Refresh();
    EXPECT_EQ(list().Count(), 0);
    EXPECT_EQ(Status(), "0 個のファイルを表示（表示領域 0 Byte)         [24/05/01 13:45:07]");
    EXPECT_EQ(state().ListedFileCount, 0);
}

TEST_F(ListingTest, RowsCarryNameFolderSizeTimeAndRowNumber) {
    WriteSized("photos/b.jpg", 10000);
    WriteSized("photos/a.jpg", 9999);
    const std::string folder = dir / "photos";
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 3 - 1;
    local.tm_mday = 4;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
    std::filesystem::last_write_time(testing::NativePath(folder + "/a.jpg"), std::chrono::file_clock::from_sys(when));
    SetRow(2, folder + "/");
    Refresh();
    ASSERT_EQ(Names(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(list().SubItem(1, 1), folder) << "no trailing separator";
    EXPECT_EQ(list().SubItem(1, 2), Padded("9,999 "));
    EXPECT_EQ(list().SubItem(1, 2).size(), 20u);
    EXPECT_EQ(list().SubItem(1, 3), "2024/03/04 09:05:07");
    EXPECT_EQ(list().SubItem(1, 4), "02");
    EXPECT_EQ(state().ListedTotalBytes, 19999.0);
    EXPECT_EQ(p().Form1.Caption(), "ケストロヴァ (Kestrova) ZI22") << "the count in the title is put back";
}

// What a refresh shows of a file is its own size and time, whichever thread
// looked it up and however its time compares with the files before it.
TEST_F(ListingTest, EveryRowShowsItsOwnSizeAndTimeWhicheverThreadLookedItUp) {
    std::tm noon{};
    noon.tm_year = 2023 - 1900;
    noon.tm_mon = 0;
    noon.tm_mday = 15;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    const std::time_t base = std::mktime(&noon);
    struct File {
        const char* name;
        std::size_t bytes;
        std::time_t modified;
    };
    // Several files share a time, in a row and apart; the rest differ by a
    // second, an hour, or half a year (across a change of summer time where
    // there is one). Enough files that both threads look up some of a folder.
    const File files[] = {
        {"t/a1.txt", 1, base},          {"t/a2.txt", 2, base},
        {"t/a3.txt", 3, base + 1},      {"t/a4.txt", 4, base},
        {"t/a5.txt", 5, base - 3600},   {"t/a6.txt", 6, base + 182 * 86400},
        {"t/a7.txt", 7, base + 59},     {"t/a8.txt", 8, base + 86399},
        {"t/a9.txt", 9, base + 86400},  {"t/sub/b1.txt", 10, base + 86400},
        {"t/sub/b2.txt", 11, base - 1}, {"t/sub/b3.txt", 12, base + 7 * 60},
    };
    std::map<std::string, std::string> expected;
    for (const File& f : files) {
        WriteSized(f.name, f.bytes);
        std::filesystem::last_write_time(testing::NativePath(dir / f.name),
                                         std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(f.modified)));
        char when[32];
        std::strftime(when, sizeof when, "%Y/%m/%d %H:%M:%S", std::localtime(&f.modified));
        expected[std::string(f.name).substr(2)] = Padded(std::to_string(f.bytes) + " ") + " " + when;
    }
    state().SortKey = kSortByNumber;
    SetRow(1, dir / "t", true);
    for (const bool read_ahead : {false, true}) {
        SCOPED_TRACE(read_ahead ? "read ahead" : "each folder in its turn");
        RefreshList(p(), FolderReading{read_ahead});
        std::map<std::string, std::string> shown;
        const std::string root = dir / "t";
        for (std::int32_t i = 1; i <= list().Count(); ++i) {
            std::string folder = list().SubItem(i, 1).substr(root.size());
            if (!folder.empty()) folder = folder.substr(1) + "/";
            shown[folder + list().RowText(i)] = list().SubItem(i, 2) + " " + list().SubItem(i, 3);
        }
        EXPECT_EQ(shown, expected);
    }
}

TEST_F(ListingTest, SizeCheckMarksEveryLaterFileOfASeenSizeAcrossRows) {
    WriteSized("one/a.txt", 100);
    WriteSized("one/b.txt", 100);
    WriteSized("one/c.txt", 7);
    WriteSized("two/d.txt", 100);
    SetRow(1, dir / "one");
    SetRow(2, dir / "two");
    SizeCheck(true);
    bool scratch_seen_during_scan = false;
    services.When([&] { return list().Count() == 2; }, [&] { scratch_seen_during_scan = dir.Exists("Kestrova.Ck1"); });
    Refresh();
    EXPECT_TRUE(scratch_seen_during_scan);
    EXPECT_FALSE(dir.Exists("Kestrova.Ck1")) << "the scratch file lives only while the refresh runs";
    EXPECT_EQ(Column(2), (std::vector<std::string>{Padded("100 "), Padded("100*"), Padded("7 "),
                                                    Padded("100*")}));
    EXPECT_EQ(state().SameSizeHitCount, 2);
    EXPECT_NE(Status().find(" Byte)    ChkHit(*) 2         ["), std::string::npos) << Status();

    SizeCheck(false);
    Refresh();
    for (const auto& text : Column(2)) EXPECT_EQ(text.back(), ' ') << "with the check off nothing is marked";
    EXPECT_EQ(Status().find("ChkHit"), std::string::npos);
}

// The scratch files go wherever the scratch folder is: the user's cache
// folder for an installed copy, the program's own folder otherwise, whose
// name may be any the system allows.
class ScratchFolderTest : public testing::ListingTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ScratchFolderTest, ScratchFilesLiveThereWhileTheRefreshRuns) {
    WriteSized("one/a.txt", 5);
    WriteSized("one/b.txt", 5);
    SetRow(1, dir / "one");
    SizeCheck(true);
    state().ShowIcons = 1;
    state().IconMode = 1;
    const std::string folder = GetParam();
    std::filesystem::create_directories(testing::NativePath(dir / folder));
    state().ScratchFolder = dir / (folder + "/");
    bool sizes_there = false;
    bool none_beside = false;
    std::string icon_records;
    services.When([&] { return list().Count() == 1; }, [&] {
        sizes_there = dir.Exists(folder + "/Kestrova.Ck1");
        icon_records = dir.Read(folder + "/Kestrova.Ck2");
        none_beside = !dir.Exists("Kestrova.Ck1") && !dir.Exists("Kestrova.Ck2");
    });
    Refresh();
    EXPECT_TRUE(sizes_there);
    EXPECT_EQ(icon_records.size(), 3u * kIconRecordBytes) << "BMP, bmp and txt";
    EXPECT_EQ(icon_records.substr(2 * kIconRecordBytes, 5), "txt  ");
    EXPECT_TRUE(none_beside);
    EXPECT_FALSE(dir.Exists(folder + "/Kestrova.Ck1"));
    EXPECT_FALSE(dir.Exists(folder + "/Kestrova.Ck2"));
    EXPECT_EQ(state().SameSizeHitCount, 1);
}

INSTANTIATE_TEST_SUITE_P(Folders, ScratchFolderTest, ::testing::Values("cache", "ケストロヴァ 作業"));

TEST_F(ListingTest, ThreeFilesOfOneSizeGiveTwoMarks) {
    for (const char* name : {"a", "b", "c"}) WriteSized(std::string("same/") + name, 100);
    SetRow(1, dir / "same");
    SizeCheck(true);
    Refresh();
    EXPECT_EQ(Column(2), (std::vector<std::string>{Padded("100 "), Padded("100*"), Padded("100*")}));
    EXPECT_NE(Status().find("    ChkHit(*) 2         ["), std::string::npos);
}

TEST_F(ListingTest, SameSizeHitsCountPastSixteenBitsOnScreenAndInTheSettingsFile) {
#ifdef _WIN32
    GTEST_SKIP() << "40,000 files take minutes to make under Wine; the counting is the same code on Linux";
#endif
    dir.Write("same/f0.dat", "");
    for (int i = 1; i < 40000; ++i) std::ofstream(dir / ("same/f" + std::to_string(i) + ".dat"));
    SetRow(1, dir / "same");
    SizeCheck(true);
    Refresh();
    EXPECT_NE(Status().find("    ChkHit(*) 39999         ["), std::string::npos) << Status();
    ASSERT_TRUE(SaveSettingsFile(state()));
    EXPECT_EQ(SettingsLines().at(34).rfind("40000,0,39999,", 0), 0u) << SettingsLines().at(34);
}

TEST_F(ListingTest, PatternListMatchesAnyOfItsPatternsIgnoringCase) {
    for (const char* name : {"A.MPG", "a.mp4", "clip.avi", "x.WMV", "notes.txt"}) WriteSized(std::string("v/") + name, 1);
    SetRow(1, dir / "v");
    SetPattern("*.avi;*.mpg;*.wmv");
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"A.MPG", "clip.avi", "x.WMV"}));
    EXPECT_EQ(p().Form1.File1.Pattern(), "*.avi;*.mpg;*.wmv");
}

TEST_F(ListingTest, HiddenFilesOnlyWithTheSetting) {
    WriteSized("h/.secret", 1);
    WriteSized("h/plain", 1);
    SetRow(1, dir / "h");
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"plain"}));
    HiddenFiles(true);
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{".secret", "plain"}));
}

TEST_F(ListingTest, MissingAndUnreadableFoldersAreReportedAndTheNextRowsStillScanned) {
    WriteSized("ok/file", 1);
    dir.Write("plainfile", "not a folder");
    SetRow(1, dir / "missing");
    SetRow(2, dir / "plainfile");
    SetRow(3, dir / "ok");
    std::vector<std::string> messages;
    services.When([&] { return p().Form1.Label3.Caption().find("missing") != std::string::npos; },
                  [&] { messages.push_back(p().Form1.Label3.Caption()); });
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"file"}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], dir / "missing" + "を検索できません");
}

TEST_F(ListingTest, FolderWithoutReadPermissionIsSkipped) {
    SKIP_UNLESS_PERMISSION_BITS_HOLD();
    WriteSized("locked/inner", 1);
    WriteSized("open/file", 1);
    chmod((dir / "locked").c_str(), 0);
    SetRow(1, dir / "locked");
    SetRow(2, dir / "open");
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"file"}));
}

TEST_F(ListingTest, InterruptDuringRowThreeLeavesLaterRowsUnscanned) {
    for (int row = 1; row <= 5; ++row) {
        for (int i = 0; i < 3; ++i) WriteSized("r" + std::to_string(row) + "/f" + std::to_string(i), 1);
        SetRow(row, dir / ("r" + std::to_string(row)));
    }
    services.When([&] { return state().FolderRowIndex == 3 && state().RowFileCount == 1; },
                  [&] { UserClick(p().Form1.Image1); });
    std::optional<Color> button_after_interrupt;
    services.When([&] { return state().AbortRequested == 1; },
                  [&] { button_after_interrupt = p().Form1.Command3.BackColor(); });
    Refresh();
    EXPECT_EQ(list().Count(), 7);
    for (const auto& number : Column(4)) EXPECT_LE(number, "03");
    EXPECT_EQ(Status().rfind("中断 7 個のファイルを表示", 0), 0u) << Status();
    EXPECT_EQ(state().InterruptMark, "中断 ");
    EXPECT_EQ(button_after_interrupt, Rgb(192, 255, 192));
    EXPECT_EQ(p().Form1.Command3.BackColor(), std::nullopt) << "the button face comes back";
    EXPECT_EQ(state().RefreshRunning, 0);
}

TEST_F(ListingTest, ButtonIsCyanAndDisabledWhileRunningAndASecondClickIsIgnored) {
    WriteSized("d/a", 1);
    WriteSized("d/b", 1);
    SetRow(1, dir / "d");
    std::optional<Color> colour;
    bool enabled = true;
    int refreshes_started = 0;
    services.When([&] { return list().Count() == 1; }, [&] {
        colour = p().Form1.Command3.BackColor();
        enabled = p().Form1.Command3.Enabled() || p().Form1.Command1.Enabled();
        Command3_Click(p());  // a second press while running
        ++refreshes_started;
    });
    Refresh();
    EXPECT_EQ(colour, Rgb(0, 255, 255));
    EXPECT_FALSE(enabled);
    EXPECT_EQ(refreshes_started, 1);
    EXPECT_EQ(list().Count(), 2);
    EXPECT_TRUE(p().Form1.Command3.Enabled());
}

TEST_F(ListingTest, RefreshIsRefusedWhileTheSettingsScreenIsOpen) {
    WriteSized("d/a", 1);
    SetRow(1, dir / "d");
    UserClick(p().Form1.Command1);
    Refresh();
    EXPECT_EQ(list().Count(), 0);
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, "設定画面を閉じてください");
    EXPECT_EQ(services.MessageBoxes()[0].icon, kNoIcon);
}

TEST_F(ListingTest, AfterARefreshNothingIsSelectedAndTheSettingsOrderApplies) {
    WriteSized("d/small", 5);
    WriteSized("d/big", 50);
    SetRow(1, dir / "d");
    state().SortKey = kSortBySize;
    state().SortOrder = 1;
    Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"big", "small"}));
    EXPECT_EQ(list().SelectedItem(), 0);
    EXPECT_FALSE(list().Selected(1) || list().Selected(2));
    EXPECT_TRUE(p().Form1.Command2.HasFocus()) << "focus goes to the exit button when start mode is not refresh";
}

TEST_F(ListingTest, HeaderClicksFlipTheOrderAndSortBySizeAsNumbers) {
    WriteSized("d/nine", 9999);
    WriteSized("d/ten", 10000);
    WriteSized("d/one", 1);
    SetRow(1, dir / "d");
    Refresh();
    UserColumnClick(list(), 3);
    EXPECT_EQ(Names(), (std::vector<std::string>{"ten", "nine", "one"})) << "first click: from ascending to descending";
    UserColumnClick(list(), 3);
    EXPECT_EQ(Names(), (std::vector<std::string>{"one", "nine", "ten"}));
    UserColumnClick(list(), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"ten", "one", "nine"})) << "name, descending";
    EXPECT_EQ(state().SortKey, kSortByName) << "the settings keep their values";
}

TEST_F(ListingTest, FileOfThreeBillionBytesShowsItsSize) {
    const std::string path = dir / "big/sparse.bin";
    dir.Write("big/sparse.bin", "");
    std::filesystem::resize_file(testing::NativePath(path), 3000000000ULL);
    SetRow(1, dir / "big");
    Refresh();
    ASSERT_EQ(list().Count(), 1);
    EXPECT_EQ(list().SubItem(1, 2), Padded("3,000,000,000 "));
    EXPECT_NE(Status().find("（表示領域 3,000,000,000 Byte)"), std::string::npos);
}

TEST_F(ListingTest, ProgressTitleFollowsTheFirstFilesThenEveryHundredth) {
    for (int i = 0; i < 250; ++i) WriteSized("many/f" + std::to_string(1000 + i), 1);
    SetRow(1, dir / "many");
    std::vector<std::string> titles;
    services.When(
        [&] {
            if (titles.empty() || titles.back() != p().Form1.Caption()) titles.push_back(p().Form1.Caption());
            return false;
        },
        [] {});
    Refresh();
    EXPECT_NE(std::find(titles.begin(), titles.end(), "ケストロヴァ [99]"), titles.end());
    EXPECT_NE(std::find(titles.begin(), titles.end(), "ケストロヴァ [200]"), titles.end());
    EXPECT_EQ(std::find(titles.begin(), titles.end(), "ケストロヴァ [150]"), titles.end());
    EXPECT_EQ(p().Form3.Label3.Caption(), "250") << "the final count";
}

TEST_F(ListingTest, ProgressWindowKeysInterruptOnlyWithShiftAlone) {
    state().QuitAfterAutoRun = 1;
    UserFormKeyDown(p().Form3, 'A', 0);
    UserFormKeyDown(p().Form3, 'A', kShiftMask | kCtrlMask);
    EXPECT_EQ(state().AbortRequested, 0);
    EXPECT_EQ(state().QuitAfterAutoRun, 1);
    UserFormKeyDown(p().Form3, kKeyShift, kShiftMask);
    EXPECT_EQ(state().AbortRequested, 1);
    EXPECT_EQ(state().QuitAfterAutoRun, 0) << "Shift cancels the quit after an automatic run";
    EXPECT_EQ(state().Interrupted, 0) << "only a click marks the user's intervention";
}

TEST_F(ListingTest, ClicksOnTheProgressWindowLabelAndPictureInterrupt) {
    for (Control* target : std::initializer_list<Control*>{&p().Form3.Label3, &p().Form3.Image1}) {
        state().AbortRequested = 0;
        state().Interrupted = 0;
        UserClick(*target);
        EXPECT_EQ(state().AbortRequested, 1) << target->Name();
        EXPECT_EQ(state().Interrupted, 1) << target->Name();
    }
    EXPECT_EQ(p().Form3.Label1.Caption(), "ケストロヴァ 中断中！！");
    EXPECT_EQ(p().Form3.Label3.ToolTip(), "");
    EXPECT_EQ(p().Form3.Image1.ToolTip(), "ｸﾘｯｸで処理中断");
}

TEST_F(ListingTest, RefreshButtonHandsOverToTheAutomaticRunWhenAsked) {
    WriteSized("pics/a.jpg", 1);
    WriteSized("pics/b.jpg", 2);
    SetRow(1, dir / "pics");
    std::int32_t selected_at_start = 0;
    p().handoffs.Pem_Open = [&] {
        for (std::int32_t i = 1; i <= list().Count(); ++i) selected_at_start += list().Selected(i);
    };
    Refresh();
    EXPECT_EQ(selected_at_start, 0) << "no automatic run unless the setting asks";

    state().AutoRunAfterRefresh = 1;
    state().AutoRunChoice = kAutoRunViewer;
    state().QuitAfterAutoRun = 1;
    std::filesystem::remove(dir / "Kestrova.ini");
    Refresh();
    EXPECT_EQ(selected_at_start, 2) << "the viewer gets every listed file";
    EXPECT_EQ(state().AutoRunActive, 1);
    EXPECT_TRUE(dir.Exists("Kestrova.ini")) << "settings are saved before a run that ends the program";
}

TEST(StatusLine, MatchesTheDocumentedExampleByteForByte) {
    testing::TempDir dir;
    HeadlessServices services;
    Program p(services, dir.path());
    p.state.ListedFileCount = 1234;
    p.state.ListedTotalBytes = 5678901;
    p.state.SizeCheck = 1;
    p.state.SameSizeHitCount = 3;
    services.SetNow({2007, 11, 23, 1, 8, 15});
    BuildStatusLine(p);
    EXPECT_EQ(p.Form1.Label3.Caption(),
              "1234 個のファイルを表示（表示領域 5,678,901 Byte)    ChkHit(*) 3         [07/11/23 01:08:15]");
}

TEST(WholeList, SelectAndClearWorkPastSixteenBitRowCounts) {
    testing::TempDir dir;
    HeadlessServices services;
    Program p(services, dir.path());
    for (int i = 0; i < 40000; ++i) p.Form1.ListView1.AddRow("f");
    SelectAll(p);
    EXPECT_TRUE(p.Form1.ListView1.Selected(40000));
    p.Form1.ListView1.SetSelectedItem(39999);
    ClearSelection(p);
    EXPECT_FALSE(p.Form1.ListView1.Selected(40000));
    EXPECT_EQ(p.Form1.ListView1.SelectedItem(), 0);
}

TEST(SizeCheckScratchFile, HoldsOneLittleEndianDoublePerDistinctSize) {
    testing::TempDir dir;
    {
        dir.Write("Kestrova.Ck1", "stale");
        SizeCheckScratch scratch(dir / "Kestrova.Ck1");
        EXPECT_FALSE(scratch.SeenBefore(100));
        EXPECT_TRUE(scratch.SeenBefore(100));
        EXPECT_FALSE(scratch.SeenBefore(3000000000.0));
        EXPECT_EQ(scratch.RecordCount(), 2);
        EXPECT_TRUE(dir.Exists("Kestrova.Ck1"));
    }
    EXPECT_FALSE(dir.Exists("Kestrova.Ck1"));
}

}  // namespace
}  // namespace kestrova
