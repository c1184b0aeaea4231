#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/text/codepage.h"
#include "platform/system/files.h"
#include "support/split.h"
#include "support/temp_dir.h"
#include "support/permission_bits.h"

namespace kestrova {
namespace {

using testing::TempDir;

SharedState Defaults() {
    SharedState s;
    ApplyDefaultSettings(s);
    return s;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines = testing::Split(text, "\r\n");
    EXPECT_EQ(lines.back(), "") << "every line ends in CR LF";
    lines.pop_back();
    return lines;
}

// Compares every persistent setting, the folder table and the list state.
void ExpectSameSettings(const SharedState& a, const SharedState& b) {
    EXPECT_EQ(FormatSettingsText(a), FormatSettingsText(b));
    for (int i = 1; i <= kDisplaySlots; ++i) {
        EXPECT_EQ(a.DisplayEntries[i].Title, b.DisplayEntries[i].Title) << i;
        EXPECT_EQ(a.DisplayEntries[i].Folder, b.DisplayEntries[i].Folder) << i;
        EXPECT_EQ(a.DisplayEntries[i].Pattern, b.DisplayEntries[i].Pattern) << i;
    }
}

TEST(SettingsFile, DefaultsAreWrittenByteForByteInCodePage932) {
    const std::string bytes = EncodeFileText(FormatSettingsText(Defaults()));
    const std::vector<std::string> lines = Lines(bytes);
    ASSERT_EQ(lines.size(), 36u);
    EXPECT_EQ(lines[0], "\"\x8e\x84\x82\xcc\x89\x7e\x94\xd5\",\"" + DefaultRootFolder() + "\",1,0");
    for (int n = 2; n <= 16; ++n) EXPECT_EQ(lines[static_cast<size_t>(n - 1)], "\"\",\"\",0,0") << "line " << n;
    EXPECT_EQ(lines[16], "0,1,3,1,10335,5880,10215,5202,\"*.*\"");
    EXPECT_EQ(lines[17], "2000,1,1,1,0,0,3582,4762,4350,5835,1");
    EXPECT_EQ(lines[18], "\"*.*\"");
    EXPECT_EQ(lines[19], "\"*.jpg\"");
    EXPECT_EQ(lines[20], "\"*.avi;*.mpg;*.wmv\"");
    EXPECT_EQ(lines[21], "\"VIDEO_TS.IFO\"");
    EXPECT_EQ(lines[22], "\"*\x93\x8c\x8b\x9e*.*\"");
    for (int n = 24; n <= 34; ++n) EXPECT_EQ(lines[static_cast<size_t>(n - 1)], "\"\"") << "line " << n;
    EXPECT_EQ(lines[35], "1,0,3,0,0,0");
}

TEST(SettingsFile, ListStateLineOfAnInterruptedRefresh) {
    SharedState s = Defaults();
    s.ListedFileCount = 120;
    s.ListedTotalBytes = 4096000;
    s.SameSizeHitCount = 2;
    s.InterruptMark = "中断 ";
    s.RefreshStamp = "         [24/05/01 13:45:07]";
    const std::vector<std::string> lines = Lines(FormatSettingsText(s));
    EXPECT_EQ(lines[34], "120,4096000,2,\"中断 \",\"         [24/05/01 13:45:07]\"");

    SharedState back;
    ParseSettingsText(FormatSettingsText(s), back);
    EXPECT_EQ(back.ListedFileCount, 120);
    EXPECT_EQ(back.ListedTotalBytes, 4096000.0);
    EXPECT_EQ(back.InterruptMark, "中断 ");
    EXPECT_EQ(back.RefreshStamp, "         [24/05/01 13:45:07]");
}

TEST(SettingsFile, TotalBytesUseTheExponentFormFromAPetabyteAndReadBack) {
    SharedState s = Defaults();
    for (double total : {0.0, 1536.0, 3000000000.0, 1234567890123450.0}) {
        s.ListedTotalBytes = total;
        SharedState back;
        ParseSettingsText(FormatSettingsText(s), back);
        EXPECT_EQ(back.ListedTotalBytes, total);
    }
    s.ListedTotalBytes = 1234567890123450.0;
    EXPECT_NE(FormatSettingsText(s).find("\r\n0,1.23456789012345E+15,0,"), std::string::npos);
}

TEST(SettingsFile, DefaultsRoundTripThroughAFile) {
    TempDir dir;
    SharedState s = Defaults();
    SetProgramPaths(s, dir.path());
    ASSERT_TRUE(SaveSettingsFile(s));
    SharedState back;
    SetProgramPaths(back, dir.path());
    ASSERT_TRUE(ReadSettingsFile(back));
    ExpectSameSettings(s, back);
    EXPECT_EQ(back.SelectedPattern, "*.*");
    EXPECT_EQ(back.DisplayEntries[6].Pattern, "");
    EXPECT_EQ(back.ViewSeconds, 3);
    EXPECT_EQ(back.MainScaleHeight, 5202);
}

TEST(SettingsFile, HostileTextsRoundTripByteForByteAndLeaveLaterSettingsInPlace) {
    TempDir dir;
    SharedState s = Defaults();
    SetProgramPaths(s, dir.path());
    s.DisplayEntries[2].Title = "写真, 2004";
    s.DisplayEntries[2].Folder = "/home/a\",0,\"b";
    s.DisplayEntries[3].Title = "say \"hi\"\r\nand \"\"";
    s.DisplayEntries[4].Folder = "/media/Fotos-\xE9t\xE9";  // ISO-8859-1 bytes, not UTF-8
    s.DisplayEntries[5].Pattern = "\"";
    s.SelectedPattern = "*.jpg";
    s.ViewSeconds = 7;
    ASSERT_TRUE(SaveSettingsFile(s));
    SharedState back;
    SetProgramPaths(back, dir.path());
    ASSERT_TRUE(ReadSettingsFile(back));
    ExpectSameSettings(s, back);
    EXPECT_EQ(back.SelectedPattern, "*.jpg");
    EXPECT_EQ(back.ViewSeconds, 7);

    // A text without a double quote is written exactly as it always was.
    EXPECT_TRUE(Lines(FormatSettingsText(s))[1].starts_with("\"写真, 2004\",\"/home/a\"\",0,\"\"b\","));
}

TEST(SettingsFile, TitleOutsideCodePage932SurvivesASaveAndALoad) {
    TempDir dir;
    SharedState s = Defaults();
    SetProgramPaths(s, dir.path());
    s.DisplayEntries[1].Title = "旅行 🚀 Ωmega";
    ASSERT_TRUE(SaveSettingsFile(s));
    EXPECT_EQ(dir.Read("Kestrova.ini").substr(0, 3), "\xEF\xBB\xBF") << "falls back to UTF-8 with a mark";
    SharedState back;
    SetProgramPaths(back, dir.path());
    ASSERT_TRUE(ReadSettingsFile(back));
    EXPECT_EQ(back.DisplayEntries[1].Title, "旅行 🚀 Ωmega");
    EXPECT_EQ(back.DisplayEntries[1].Folder, DefaultRootFolder());
}

TEST(SettingsFile, EmptyFileLeavesEverySettingZeroOrEmpty) {
    SharedState back;
    ParseSettingsText("", back);
    EXPECT_EQ(back.StartMode, 0);
    EXPECT_EQ(back.ViewSeconds, 0);
    EXPECT_EQ(back.MainWidth, 0);
    EXPECT_EQ(back.SelectedPattern, "");
    EXPECT_EQ(back.DisplayEntries[1].Title, "");
    EXPECT_EQ(back.DisplayEntries[1].Enabled, 0);
}

TEST(SettingsFile, FileTruncatedAfterLine18KeepsTheTableAndOptions) {
    const std::vector<std::string> lines = Lines(FormatSettingsText(Defaults()));
    std::string text;
    for (size_t i = 0; i < 18; ++i) text += lines[i] + "\r\n";
    SharedState back;
    ParseSettingsText(text, back);
    EXPECT_EQ(back.DisplayEntries[1].Title, "私の円盤");
    EXPECT_EQ(back.DisplayEntries[1].Enabled, 1);
    EXPECT_EQ(back.SortKey, 3);
    EXPECT_EQ(back.MainWidth, 10335);
    EXPECT_EQ(back.FullScreenView, 1);
    EXPECT_EQ(back.DisplayEntries[1].Pattern, "") << "pattern list is empty";
    EXPECT_EQ(back.ListedFileCount, 0);
    EXPECT_EQ(back.ViewSeconds, 0) << "line 36 is missing";
    EXPECT_EQ(back.ZoomSetting, 0);
}

TEST(SettingsFile, LettersWhereANumberBelongsAreSkippedAndLaterFieldsLandInPlace) {
    std::string text = FormatSettingsText(Defaults());
    // Line 17's SortKey becomes letters, line 36's ViewSeconds an overflow.
    const size_t line17 = text.find("0,1,3,1,10335");
    ASSERT_NE(line17, std::string::npos);
    text.replace(line17, 13, "0,1,abc,1,10335");
    const size_t line36 = text.rfind("1,0,3,0,0,0");
    text.replace(line36, 11, "1,0,99999,0,0,1");
    SharedState back;
    back.SortKey = 42;
    back.ViewSeconds = 7;
    ParseSettingsText(text, back);
    EXPECT_EQ(back.SortKey, 42) << "a failed read keeps the target";
    EXPECT_EQ(back.StartMode, 1) << "the next field is still the next value";
    EXPECT_EQ(back.MainWidth, 10335);
    EXPECT_EQ(back.ViewSeconds, 7);
    EXPECT_EQ(back.AutoRunAfterRefresh, 1);
}

TEST(SettingsFile, BooleansOtherThanOneReadAsTheyAreAndCountAsOff) {
    std::string text = FormatSettingsText(Defaults());
    text.replace(text.find("\",1,0\r\n"), 7, "\",2,-1\r\n");
    SharedState back;
    ParseSettingsText(text, back);
    EXPECT_EQ(back.DisplayEntries[1].Enabled, 2);
    EXPECT_EQ(back.DisplayEntries[1].IncludeSubfolders, -1);
    EXPECT_FALSE(IsOn(back.DisplayEntries[1].Enabled));
    EXPECT_FALSE(IsOn(back.DisplayEntries[1].IncludeSubfolders));
}

TEST(SettingsFile, DamagedFilesNeverStopTheReader) {
    TempDir dir;
    SharedState s;
    SetProgramPaths(s, dir.path());
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 131) & 0xff);
    dir.Write("Kestrova.ini", binary);
    EXPECT_TRUE(ReadSettingsFile(s));

    dir.Write("Kestrova.ini", "\"unterminated");
    SharedState t;
    SetProgramPaths(t, dir.path());
    EXPECT_TRUE(ReadSettingsFile(t));
    EXPECT_EQ(t.DisplayEntries[1].Title, "unterminated");
    EXPECT_EQ(t.DisplayEntries[1].Folder, "");
}

TEST(SettingsFile, EnormousOneLineFileIsReadWhole) {
    TempDir dir;
    std::string huge = "\"big\",\"/x\",1,0,";
    huge.append(50u * 1024u * 1024u, '7');
    dir.Write("Kestrova.ini", huge);
    SharedState s;
    SetProgramPaths(s, dir.path());
    EXPECT_TRUE(ReadSettingsFile(s));
    EXPECT_EQ(s.DisplayEntries[1].Title, "big");
    EXPECT_EQ(s.DisplayEntries[1].Enabled, 1);
    EXPECT_EQ(s.DisplayEntries[2].Title.size(), 50u * 1024u * 1024u) << "the whole field, no cut";
    EXPECT_EQ(s.DisplayEntries[2].Title.find_first_not_of('7'), std::string::npos);
}

TEST(SettingsFile, LongTitleTheProgramWroteComesBackWholeWithEveryLaterSetting) {
    TempDir dir;
    SharedState s = Defaults();
    SetProgramPaths(s, dir.path());
    s.DisplayEntries[1].Title = std::string(1100 * 1000, 'x');
    s.ViewSeconds = 9;
    ASSERT_TRUE(SaveSettingsFile(s));
    SharedState back;
    SetProgramPaths(back, dir.path());
    ASSERT_TRUE(ReadSettingsFile(back));
    ExpectSameSettings(s, back);
    EXPECT_EQ(back.ViewSeconds, 9);
}

TEST(SettingsFile, UnreadableFileIsReportedAsNotRead) {
    SKIP_UNLESS_PERMISSION_BITS_HOLD();
    TempDir dir;
    dir.Write("Kestrova.ini", "\"t\",\"/\",1,0\r\n");
    chmod((dir / "Kestrova.ini").c_str(), 0);
    SharedState s;
    SetProgramPaths(s, dir.path());
    EXPECT_FALSE(ReadSettingsFile(s));
    EXPECT_EQ(s.DisplayEntries[1].Title, "");
}

TEST(SettingsFile, SavingIntoAFolderThatCannotTakeItFailsQuietlyAndKeepsTheOldFile) {
    TempDir dir;
    SharedState s = Defaults();
    SetProgramPaths(s, dir / "missing");
    EXPECT_FALSE(SaveSettingsFile(s));

    SetProgramPaths(s, dir.path());
    dir.Write("Kestrova.ini", "old");
    // A folder where the file should be cannot be replaced by the rename.
    std::filesystem::remove(dir / "Kestrova.ini");
    std::filesystem::create_directory(dir / "Kestrova.ini");
    std::filesystem::create_directory(dir / "Kestrova.ini/keep");
    EXPECT_FALSE(SaveSettingsFile(s));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Kestrova.ini/keep"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << "no temporary file is left";
    }
}

TEST(ProgramFolder, GetsExactlyOneSeparator) {
#ifdef _WIN32
    EXPECT_EQ(MakeProgramFolder("C:\\Tools\\Kestrova"), "C:\\Tools\\Kestrova\\");
    EXPECT_EQ(MakeProgramFolder("D:\\"), "D:\\") << "a drive root has its separator already";
    SharedState s;
    SetProgramPaths(s, "D:\\");
    EXPECT_EQ(s.SettingsFilePath, "D:\\Kestrova.ini");
    EXPECT_EQ(s.ListFilePath, "D:\\Kestrova.csv");
#else
    EXPECT_EQ(MakeProgramFolder("/opt/kestrova"), "/opt/kestrova/");
    EXPECT_EQ(MakeProgramFolder("/ab"), "/ab/") << "short folders are not drive roots here";
    EXPECT_EQ(MakeProgramFolder("/"), "/");
    SharedState s;
    SetProgramPaths(s, "/");
    EXPECT_EQ(s.SettingsFilePath, "/Kestrova.ini");
    EXPECT_EQ(s.ListFilePath, "/Kestrova.csv");
#endif
}

TEST(DisplayTable, RejectsIndexesOutsideTheTable) {
    SharedState s;
    EXPECT_NO_THROW(s.DisplayEntries[0]);
    EXPECT_NO_THROW(s.DisplayEntries[16]);
    EXPECT_THROW(s.DisplayEntries[17], std::out_of_range);
    EXPECT_THROW(s.DisplayEntries[-1], std::out_of_range);
}

}  // namespace
}  // namespace kestrova
