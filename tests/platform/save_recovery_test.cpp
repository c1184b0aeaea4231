// The rule for what killed saves leave behind, on both systems: a temporary
// still being written may be cut short and goes; a written one is a whole
// last save and goes only when the file itself is there, else it is put
// back under the file's name.
#include "platform/system/save_recovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/system/files.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::TempDir;

// No process has this id: beyond the largest a Linux system hands out, and
// no Windows one gets near it.
constexpr long kEndedSave = 999999996;

std::map<std::string, std::string> Contents(const TempDir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(testing::NativePath(dir.path()))) {
        const std::string name = testing::Utf8Path(entry.path().filename());
        files[name] = dir.Read(name);
    }
    return files;
}

TEST(SaveRecovery, WholeLastSaveComesBackAndCutShortOnesGo) {
    const std::string writing = "Kestrova.csv.tmp-" + std::to_string(kEndedSave);
    const std::string written = "Kestrova.csv.new-" + std::to_string(kEndedSave);
    const struct {
        const char* what;
        std::map<std::string, std::string> before;
        std::map<std::string, std::string> after;
        SaveRecovery recovery;
    } cases[] = {
        {"killed between the steps of a replace", {{written, "whole"}}, {{"Kestrova.csv", "whole"}}, {0, true}},
        {"killed while writing, no file yet", {{writing, "cut"}}, {}, {1, false}},
        {"killed while writing over a file", {{"Kestrova.csv", "old"}, {writing, "cut"}}, {{"Kestrova.csv", "old"}}, {1, false}},
        {"killed before the replace", {{"Kestrova.csv", "old"}, {written, "whole"}}, {{"Kestrova.csv", "old"}}, {1, false}},
        {"both stages, no file", {{writing, "cut"}, {written, "whole"}}, {{"Kestrova.csv", "whole"}}, {1, true}},
        {"another file's leftover", {{"Other.csv.new-" + std::to_string(kEndedSave), "x"}},
         {{"Other.csv.new-" + std::to_string(kEndedSave), "x"}}, {0, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const auto& [name, bytes] : c.before) dir.Write(name, bytes);
        const SaveRecovery recovery = RecoverInterruptedSaves(dir / "Kestrova.csv");
        EXPECT_EQ(recovery.removed, c.recovery.removed);
        EXPECT_EQ(recovery.put_back, c.recovery.put_back);
        EXPECT_EQ(Contents(dir), c.after);
    }
}

// A folder where the file belongs cannot take the whole save's place, and
// the whole save is then the only copy there is: it stays.
TEST(SaveRecovery, WholeSaveStaysWhileItIsTheOnlyCopy) {
    TempDir dir;
    const std::string written = "Kestrova.csv.new-" + std::to_string(kEndedSave);
    std::filesystem::create_directory(testing::NativePath(dir / "Kestrova.csv"));
    dir.Write(written, "whole");
    dir.Write("Kestrova.csv.tmp-" + std::to_string(kEndedSave), "cut");
    const SaveRecovery recovery = RecoverInterruptedSaves(dir / "Kestrova.csv");
    EXPECT_FALSE(recovery.put_back);
    EXPECT_EQ(recovery.removed, 1);
    EXPECT_EQ(dir.Read(written), "whole");
    EXPECT_FALSE(dir.Exists("Kestrova.csv.tmp-" + std::to_string(kEndedSave)));
}

TEST(SaveRecovery, NewestWholeSaveWinsWhenSeveralWereLeft) {
    TempDir dir;
    const std::string older = "Kestrova.ini.new-" + std::to_string(kEndedSave);
    const std::string newer = "Kestrova.ini.new-" + std::to_string(kEndedSave - 4);
    dir.Write(older, "older");
    dir.Write(newer, "newer");
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(testing::NativePath(dir / older), now - std::chrono::hours(1));
    std::filesystem::last_write_time(testing::NativePath(dir / newer), now);
    const SaveRecovery recovery = RecoverInterruptedSaves(dir / "Kestrova.ini");
    EXPECT_TRUE(recovery.put_back);
    EXPECT_EQ(Contents(dir), (std::map<std::string, std::string>{{"Kestrova.ini", "newer"}}));
}

TEST(SaveRecovery, SavesAreNamedSoTheNextStartCanTellTheirStage) {
    const std::string path = std::string("folder") + kPathSeparator + "Kestrova.ini";
    EXPECT_EQ(TemporaryPath(path, 42), path + ".tmp-42");
    EXPECT_EQ(TemporaryPath(path, 42, SaveStage::Written), path + ".new-42");
    const struct {
        const char* name;
        std::optional<long> pid;
        SaveStage stage;
    } cases[] = {
        {"Kestrova.ini.tmp-42", 42, SaveStage::Writing},
        {"Kestrova.ini.new-7", 7, SaveStage::Written},
        {"Kestrova.ini.new-", std::nullopt, SaveStage::Writing},
        {"Kestrova.ini.new-1x", std::nullopt, SaveStage::Writing},
        {"Kestrova.ini.old-1", std::nullopt, SaveStage::Writing},
        {"Kestrova.csv.new-1", std::nullopt, SaveStage::Writing},
        {"Kestrova.ini.tmp-1234567890", std::nullopt, SaveStage::Writing},
    };
    for (const auto& c : cases) {
        const std::optional<TemporaryName> name = TemporaryOwner(c.name, path);
        ASSERT_EQ(name.has_value(), c.pid.has_value()) << c.name;
        if (!name) continue;
        EXPECT_EQ(name->pid, *c.pid) << c.name;
        EXPECT_EQ(name->stage, c.stage) << c.name;
    }
}

// A save written a piece at a time is under way for a while; a start
// meanwhile (here the same process, as a start with a reused id would be)
// must neither delete its temporary nor take the part written so far for
// a whole last save, with the file there or not.
TEST(SaveRecovery, ASaveUnderWayIsNoLeftover) {
    for (const bool file_there : {true, false}) {
        SCOPED_TRACE(file_there ? "over a file" : "no file yet");
        TempDir dir;
        if (file_there) dir.Write("Kestrova.csv", "old");
        const std::string path = dir / "Kestrova.csv";
        AtomicFileWriter save;
        std::string error;
        ASSERT_TRUE(save.Open(path, error)) << error;
        ASSERT_TRUE(save.Write("first piece, ", error)) << error;
        const SaveRecovery recovery = RecoverInterruptedSaves(path);
        EXPECT_EQ(recovery.removed, 0);
        EXPECT_FALSE(recovery.put_back);
        EXPECT_TRUE(dir.Exists(BaseName(TemporaryPath(path, CurrentProcessId()))));
        EXPECT_EQ(dir.Exists("Kestrova.csv"), file_there);
        if (file_there) {
            EXPECT_EQ(dir.Read("Kestrova.csv"), "old");
        }
        ASSERT_TRUE(save.Write("last piece", error)) << error;
        ASSERT_TRUE(save.Commit(error)) << error;
        EXPECT_EQ(Contents(dir), (std::map<std::string, std::string>{{"Kestrova.csv", "first piece, last piece"}}));
    }
}

TEST(SaveRecovery, ASaveLeavesOnlyTheFile) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir / "Kestrova.ini", "first", error)) << error;
    ASSERT_TRUE(WriteFileAtomically(dir / "Kestrova.ini", "second", error)) << error;
    EXPECT_EQ(Contents(dir), (std::map<std::string, std::string>{{"Kestrova.ini", "second"}}));
}

// A save given up before its commit (a piece failed, the program was told
// to stop) leaves the file as it was and nothing beside it: whether it got
// as far as a piece or a fresh start, whether it was given up in so many
// words or the writer just went away.
TEST(SaveRecovery, ASaveGivenUpLeavesTheOldFileAndNothingElse) {
    enum class Reached { Opened, Pieces, StartedOver };
    const struct {
        const char* what;
        Reached reached;
        bool said;  // Abandon called, rather than the writer destroyed
    } cases[] = {
        {"opened, given up", Reached::Opened, true},
        {"pieces written, given up", Reached::Pieces, true},
        {"started over, given up", Reached::StartedOver, true},
        {"pieces written, writer gone", Reached::Pieces, false},
        {"started over, writer gone", Reached::StartedOver, false},
    };
    for (const auto& c : cases) {
        for (const bool file_there : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (file_there ? ", over a file" : ", no file yet"));
            TempDir dir;
            if (file_there) dir.Write("Kestrova.csv", "old");
            {
                AtomicFileWriter save;
                std::string error;
                ASSERT_TRUE(save.Open(dir / "Kestrova.csv", error)) << error;
                if (c.reached != Reached::Opened) {
                    ASSERT_TRUE(save.Write("a piece", error)) << error;
                }
                if (c.reached == Reached::StartedOver) {
                    ASSERT_TRUE(save.Rewind(error)) << error;
                    ASSERT_TRUE(save.Write("another", error)) << error;
                }
                if (c.said) save.Abandon();
            }
            const auto want = file_there ? std::map<std::string, std::string>{{"Kestrova.csv", "old"}}
                                         : std::map<std::string, std::string>{};
            EXPECT_EQ(Contents(dir), want);
        }
    }
}

}  // namespace
}  // namespace kestrova
