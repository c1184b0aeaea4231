// A settings or list file written a piece at a time must be byte for byte
// what the whole text encoded at once gives, and a write that fails must
// leave the old file whole.
#include "platform/text/file_text_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "platform/text/codepage.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::NativePath;
using testing::TempDir;

std::set<std::string> Names(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(dir.path()))) {
        names.insert(testing::Utf8Path(entry.path().filename()));
    }
    return names;
}

// Writes the lines one by one as the list file's writer does; counts how
// often it was asked for them.
bool WriteLines(const std::string& path, const std::vector<std::string>& lines, std::size_t piece_bytes, int& calls,
                std::string& error) {
    calls = 0;
    return WriteFileTextAtomically(
        path,
        [&](FileTextWriter& out) {
            ++calls;
            for (const std::string& line : lines) {
                out.Text() += line;
                if (!out.PieceDone()) return false;
            }
            return true;
        },
        error, piece_bytes);
}

TEST(FileTextWriter, PiecesGiveTheBytesOfTheWholeText) {
    std::vector<std::string> fitting;
    for (int i = 0; i < 40; ++i) fitting.push_back("\"写真 " + std::to_string(i) + ".jpg\",\"ｻｲｽﾞ\",\"C:\\a~b\"\r\n");
    auto with = [&fitting](std::size_t at, const std::string& line) {
        std::vector<std::string> lines = fitting;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        return lines;
    };
    const struct {
        const char* what;
        std::vector<std::string> lines;
        bool fits;
    } cases[] = {
        {"every character fits", fitting, true},
        {"nothing at all", {}, true},
        {"a Korean name first", with(0, "\"한국어\"\r\n"), false},
        {"a Korean name after many pieces", with(39, "\"한국어\"\r\n"), false},
        {"a name at the very end", with(40, "\"film 😀.avi\"\r\n"), false},
        {"a one-way mapping late", with(30, "\"〜\"\r\n"), false},
        {"a name that is not UTF-8 late", with(35, "\"Fotos-\xE9t\xE9\"\r\n"), false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        std::string whole;
        for (const std::string& line : c.lines) whole += line;
        for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{64}, FileTextWriter::kDefaultPieceBytes}) {
            SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
            dir.Write("list.csv", "the old list");
            int calls = 0;
            std::string error;
            ASSERT_TRUE(WriteLines(dir / "list.csv", c.lines, piece, calls, error)) << error;
            EXPECT_EQ(dir.Read("list.csv"), EncodeFileText(whole));
            EXPECT_EQ(calls, c.fits ? 1 : 2) << "the text is asked for again only to start over as UTF-8";
            EXPECT_EQ(Names(dir), std::set<std::string>{"list.csv"}) << "no temporary file is left";
        }
    }
}

TEST(FileTextWriter, AFileThatCannotBeWrittenLeavesTheOldOneWhole) {
    TempDir dir;
    const std::vector<std::string> lines(5000, "\"a row of the list, more than a few bytes long\"\r\n");
    int calls = 0;
    std::string error;
    EXPECT_FALSE(WriteLines(dir / "missing/list.csv", lines, 64, calls, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(calls, 0);
#ifdef _WIN32
    GTEST_SKIP() << "a limit on the file size is a POSIX resource limit";
#else
    // Writes past the limit fail with EFBIG (the signal that would come with
    // it is ignored), after the first pieces have gone to the temporary file.
    dir.Write("list.csv", "the old list");
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit limit = old_limit;
    limit.rlim_cur = 100 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool written = WriteLines(dir / "list.csv", lines, 4096, calls, error);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, ErrorText(EFBIG));
    EXPECT_EQ(dir.Read("list.csv"), "the old list");
    EXPECT_EQ(Names(dir), std::set<std::string>{"list.csv"});
#endif
}

}  // namespace
}  // namespace kestrova
