#include <gtest/gtest.h>

#include "listing/icon_cache.h"
#include "listing/list_file.h"
#include "listing/list_file_format.h"
#include "listing/sorting.h"
#include "listing_fixture.h"
#include "platform/text/codepage.h"
#include "platform/text/file_text_stream.h"
#include "platform/text/file_text_writer.h"
#include "platform/model/user_input.h"

namespace kestrova {
namespace {

using testing::ListingTest;

class ListFileTest : public ListingTest {
protected:
    void AddRows(const std::vector<ListFields>& rows) {
        for (const ListFields& f : rows) {
            ListRow row;
            row.text = f[0];
            for (int k = 0; k < 4; ++k) row.sub[static_cast<size_t>(k)] = f[static_cast<size_t>(k + 1)];
            list().AddRow(std::move(row));
        }
    }
    std::vector<ListFields> Rows() {
        std::vector<ListFields> rows;
        for (std::int32_t i = 1; i <= list().Count(); ++i) {
            rows.push_back({list().RowText(i), list().SubItem(i, 1), list().SubItem(i, 2), list().SubItem(i, 3),
                            list().SubItem(i, 4)});
        }
        return rows;
    }
    std::vector<int> Icons() {
        std::vector<int> icons;
        for (std::int32_t i = 1; i <= list().Count(); ++i) icons.push_back(list().RowIcon(i));
        return icons;
    }
    static ListFields Row(const std::string& name, const std::string& size = "1 ", const std::string& no = "01") {
        return {name, "/data/f", Padded(size), "2007/11/23 01:08:15", no};
    }
    static std::string Header() { return "\"\",\"\",\"\",\"\",\"\"\r\n"; }
};

TEST_F(ListFileTest, SaveThenLoadKeepsEveryRowAndItsOrder) {
    const std::vector<ListFields> rows = {
        Row("a,b.txt"),          Row("b\"quoted\".txt"), Row("c\"\".txt"),
        Row("d 写真.jpg"),       Row("e 한국어.txt"),    Row("f line\nbreak.txt"),
        Row("g.txt", "5*", "16"), {"h", "/", Padded("0 "), "2024/01/02 03:04:05", "02"},
    };
    for (bool quote_counting : {false, true}) {
        SCOPED_TRACE(quote_counting ? "quote-counting reader" : "standard reader");
        AddRows(rows);
        ApplySortSettings(p(), true);
        SaveListFile(p());
        EXPECT_EQ(list().Count(), 0) << "saving empties the list";
        EXPECT_EQ(dir.Read("Kestrova.csv").substr(0, 3), "\xEF\xBB\xBF") << "a Korean name needs UTF-8";
        state().QuoteHandling = quote_counting ? 1 : 0;
        LoadListFile(p());
        EXPECT_EQ(Rows(), rows);
        EXPECT_TRUE(list().Sorted());
        list().Clear();
    }
}

// A list larger than a piece of the writer: the file is byte for byte the
// whole text encoded at once, also when the one name code page 932 lacks
// comes after pieces have been written, and it loads back row for row.
TEST_F(ListFileTest, LargeListsAreSavedAsTheWholeTextWouldBe) {
    for (const int unconvertible_at : {-1, 7000}) {
        SCOPED_TRACE(unconvertible_at < 0 ? "code page 932" : "UTF-8");
        std::vector<ListFields> rows;
        for (int i = 0; i < 8000; ++i) {
            const std::string name = i == unconvertible_at ? "한국어.txt" : "写真 \"" + std::to_string(i) + "\".jpg";
            rows.push_back({name, "/pics/フォルダ" + std::to_string(i % 7), Padded(std::to_string(i) + (i % 3 ? " " : "*")),
                            "2007/11/23 01:08:15", i % 2 ? "01" : "16"});
        }
        std::string text;
        AppendListLine(text, {"", "", "", "", ""});
        for (const ListFields& f : rows) AppendListLine(text, {f[0], f[1], f[2], f[3], f[4]});
        ASSERT_GT(text.size(), 2 * FileTextWriter::kDefaultPieceBytes);
        state().SortKey = kSortByModified;  // one time for all: the order stays
        AddRows(rows);
        SaveListFile(p());
        const std::string bytes = dir.Read("Kestrova.csv");
        EXPECT_EQ(bytes, EncodeFileText(text));
        EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF") == 0, unconvertible_at >= 0);
        for (bool quote_counting : {false, true}) {
            state().QuoteHandling = quote_counting ? 1 : 0;
            LoadListFile(p());
            EXPECT_EQ(Rows(), rows) << (quote_counting ? "quote-counting reader" : "standard reader");
            list().Clear();
        }
    }
}

TEST_F(ListFileTest, ListThatFitsCodePage932IsWrittenAsDescribed) {
    AddRows({{"photo 01.jpg", "/pics/2007", Padded("123,456 "), "2007/11/23 01:08:15", "03"},
             {"ア.txt", "/pics", Padded("7*"), "2007/11/23 01:08:16", "16"}});
    p().Form1.Label2.SetCaption("03: 2 個");
    SaveListFile(p());
    EXPECT_EQ(dir.Read("Kestrova.csv"),
              "\"03: 2 \x8C\xC2\",\"\",\"\",\"\",\"\"\r\n"
              "\"photo 01.jpg\",\"/pics/2007\",\"            123,456 \",\"2007/11/23 01:08:15\",\"03\"\r\n"
              "\"\x83\x41.txt\",\"/pics\",\"                  7*\",\"2007/11/23 01:08:16\",\"16\"\r\n");
}

TEST_F(ListFileTest, LoadShowsTheRememberedStatusLineAndLoadedImages) {
    dir.Write("Kestrova.csv", Header() + "\"a\",\"/x\",\"                  1 \",\"2007/11/23 01:08:15\",\"01\"\r\n"
                                         "\"b\",\"/x\",\"                  1*\",\"2007/11/23 01:08:15\",\"01\"\r\n");
    state().ListedFileCount = 2;
    state().ListedTotalBytes = 1234567;
    state().SizeCheck = 1;
    state().SameSizeHitCount = 1;
    state().InterruptMark = "中断 ";
    state().RefreshStamp = "         [07/11/23 01:08:15]";
    state().ShowIcons = 1;
    state().IconMode = 0;
    LoadListFile(p());
    EXPECT_EQ(Status(), "中断 2 個のファイルを表示（表示領域 1,234,567 Byte)    ChkHit(*) 1         [07/11/23 01:08:15]");
    EXPECT_EQ(Icons(), (std::vector<int>{kLoadedImage, kSameSizeImage}));
    EXPECT_EQ(p().Form3.Label3.Caption(), "2");
}

TEST_F(ListFileTest, HeaderOnlyOrMissingFileLoadsNoRows) {
    LoadListFile(p());
    EXPECT_EQ(list().Count(), 0);
    EXPECT_EQ(Status(), "") << "without a file nothing changes";
    dir.Write("Kestrova.csv", Header());
    LoadListFile(p());
    EXPECT_EQ(list().Count(), 0);
    EXPECT_NE(Status(), "");
}

TEST_F(ListFileTest, QuoteCountingReaderTakesTheTextBetweenQuotePairs) {
    const struct {
        std::string line;
        ListFields fields;
    } cases[] = {
        {"\"a\",\"b\",\"c\",\"d\",\"e\"", {"a", "b", "c", "d", "e"}},
        {"\"a\",\"b\",\"c\"", {"a", "b", "c", "", ""}},
        {"x\"a\" junk , \"b\"\"c\",\"\",\"d\"", {"a", "b\"c", "", "d", ""}},
        {"\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"", {"1", "2", "3", "4", "5"}},
        {"", {"", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseQuotedLine(c.line), c.fields) << c.line;
        ListFileReader standard(c.line);
        if (c.line.find(" junk") == std::string::npos && c.line.find("\"6\"") == std::string::npos) {
            EXPECT_EQ(standard.ReadRow(), c.fields) << "both readers agree on " << c.line;
        }
    }
}

// Read a piece at a time, a file gives what the whole text gives, wherever
// the pieces end: in a double-byte character, between CR and LF, in a field
// that spans lines.
TEST_F(ListFileTest, FileReadInPiecesGivesTheRowsOfTheWholeText) {
    const std::string cp932_rows = "\"\x83\x41.txt\",\"/x\",\"  1 \",\"2007/11/23 01:08:15\",\"01\"\r\n"
                                   "\"two\r\nlines\",\"q\"\"uote\",\"\x81\n\",\"lone\rCR\"\r\n"
                                   "  \t\r\n\"a\",\"b\"\r\n\"cut at the end";
    const std::string texts[] = {
        "\"\",\"\",\"\",\"\",\"\"\r\n" + cp932_rows,
        "\xEF\xBB\xBF\"한국어\",\"/x\",\"\",\"\",\"\"\r\n\"\xED\x9A\",\"\r\n\"z\"",
        "\xEF\xBB",
        "",
    };
    auto read_all = [](ListFileReader& reader, bool quote_counting) {
        std::vector<ListFields> rows;
        while (!reader.AtEnd()) rows.push_back(quote_counting ? reader.ReadQuotedRow() : reader.ReadRow());
        return rows;
    };
    for (const std::string& bytes : texts) {
        dir.Write("list.csv", bytes);
        const std::string whole = DecodeFileText(bytes);
        std::string text, error;
        EXPECT_TRUE(ReadFileText(dir / "list.csv", text, error)) << error;
        EXPECT_EQ(text, whole);
        for (bool quote_counting : {false, true}) {
            ListFileReader from_text(whole);
            const std::vector<ListFields> expected = read_all(from_text, quote_counting);
            for (std::size_t chunk : {1, 2, 3, 7, 64}) {
                SCOPED_TRACE("piece of " + std::to_string(chunk) + (quote_counting ? ", quote-counting" : ""));
                FileTextStream file(chunk);
                ASSERT_TRUE(file.Open(dir / "list.csv"));
                ListFileReader from_file(file);
                EXPECT_EQ(read_all(from_file, quote_counting), expected) << bytes;
            }
        }
    }
}

TEST_F(ListFileTest, InterruptedLoadKeepsTheRowsReadAndEndsWithTheMarker) {
    std::string text = Header();
    for (int i = 0; i < 30; ++i) AppendListLine(text, {"n" + std::to_string(100 + i), "/x", Padded("1 "), "", "01"});
    dir.Write("Kestrova.csv", text);
    state().ShowIcons = 1;
    state().SortKey = kSortByName;
    services.When([&] { return list().Count() == 10; }, [&] { state().AbortRequested = 1; });
    LoadListFile(p());
    ASSERT_EQ(list().Count(), 11);
    EXPECT_EQ(list().RowText(10), "n109");
    EXPECT_EQ(Rows().back(), (ListFields{"***** 中断 *****", "***** 中断 *****", "", "", ""}));
    EXPECT_EQ(list().RowIcon(11), kSameSizeImage);
}

TEST_F(ListFileTest, SaveIsSkippedWhenEveryStartRefreshesARefreshRunsOrTheUserDeclines) {
    const struct {
        const char* what;
        std::int16_t start_mode;
        Flag16 refresh_running;
        Flag16 aborted;
        MsgBoxResult answer;
        bool written;
    } cases[] = {
        {"show previous", kStartShowPrevious, 0, 0, kYes, true},
        {"refresh at every start", kStartRefresh, 0, 0, kYes, false},
        {"refresh running", kStartOnly, 1, 0, kYes, false},
        {"interrupted, kept", kStartOnly, 0, 1, kYes, true},
        {"interrupted, declined", kStartOnly, 0, 1, kNo, false},
    };
    const std::string previous = Header() + "\"old\",\"/\",\"\",\"\",\"\"\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dir.Write("Kestrova.csv", previous);
        AddRows({Row("new")});
        state().StartMode = c.start_mode;
        state().RefreshRunning = c.refresh_running;
        state().AbortRequested = c.aborted;
        const size_t boxes = services.MessageBoxes().size();
        if (c.aborted) services.QueueAnswer(c.answer);
        SaveListFile(p());
        EXPECT_EQ(services.MessageBoxes().size(), boxes + (c.aborted ? 1 : 0));
        if (c.aborted) {
            EXPECT_EQ(services.MessageBoxes().back().text, "中断リストを保存しますか？");
            EXPECT_EQ(services.MessageBoxes().back().buttons, kYesNo);
            EXPECT_EQ(services.MessageBoxes().back().icon, kQuestion);
        }
        if (c.written) {
            EXPECT_NE(dir.Read("Kestrova.csv").find("\"new\""), std::string::npos);
        } else {
            EXPECT_EQ(dir.Read("Kestrova.csv"), previous) << "the previous list stays byte for byte";
        }
        EXPECT_EQ(list().Count(), 0);
        EXPECT_EQ(p().Form1.ImageList1.Count(), 4);
    }
}

TEST_F(ListFileTest, MoreRowsThanASixteenBitIndexSurvive) {
    std::vector<ListFields> rows;
    for (int i = 0; i < 40000; ++i) rows.push_back(Row("f" + std::to_string(100000 + i)));
    AddRows(rows);
    state().StartMode = kStartShowPrevious;
    SaveListFile(p());
    LoadListFile(p());
    ASSERT_EQ(list().Count(), 40000);
    EXPECT_EQ(list().RowText(40000), "f139999");
    EXPECT_EQ(p().Form3.Label3.Caption(), "40000");
}

TEST_F(ListFileTest, DamagedFilesGiveWhatCouldBeRead) {
    const std::string good = "\"a\",\"/x\",\"                  1 \",\"2007/11/23 01:08:15\",\"01\"\r\n";
    std::string garbage;
    for (int i = 0; i < 200000; ++i) garbage += static_cast<char>((i * 7919 + i / 13) & 0xff);
    const struct {
        const char* what;
        std::string text;
        std::int32_t rows_at_least;
    } cases[] = {
        {"cut in a field", Header() + good + "\"b\",\"/x\",\"    ", 2},
        {"cut after a field", Header() + good + "\"c\",", 2},
        {"binary garbage", garbage, 0},
        {"one huge line", Header() + "\"" + std::string(5 << 20, 'A') + "\",\"" + std::string(300000, 'B'), 1},
    };
    for (bool quote_counting : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (quote_counting ? ", quote-counting" : ""));
            state().QuoteHandling = quote_counting ? 1 : 0;
            dir.Write("Kestrova.csv", c.text);
            list().Clear();
            LoadListFile(p());
            EXPECT_GE(list().Count(), c.rows_at_least);
            for (const ListFields& row : Rows()) {
                for (const std::string& field : row) EXPECT_LE(field.size(), kMaxListFieldBytes);
            }
        }
    }
    // A cut line keeps the fields it has.
    state().QuoteHandling = 0;
    dir.Write("Kestrova.csv", Header() + good + "\"b\",\"/y");
    list().Clear();
    LoadListFile(p());
    ASSERT_EQ(list().Count(), 2);
    EXPECT_EQ(Rows()[1], (ListFields{"b", "/y", "", "", ""}));
}

TEST_F(ListFileTest, PerFileIconsOnLoadGoThroughTheCacheThatLivesOnlyDuringTheLoad) {
    std::string text = Header();
    for (const char* name : {"a.jpg", "b.jpg", "c.png", "d.bmp"}) AppendListLine(text, {name, "/x", Padded("1*"), "", "01"});
    dir.Write("Kestrova.csv", text);
    state().ShowIcons = 1;
    state().IconMode = 1;
    bool cache_seen = false;
    services.When([&] { return list().Count() == 1; }, [&] { cache_seen = dir.Exists("Kestrova.Ck2"); });
    LoadListFile(p());
    EXPECT_TRUE(cache_seen);
    EXPECT_FALSE(dir.Exists("Kestrova.Ck2"));
    EXPECT_EQ(Icons(), (std::vector<int>{5, 5, 6, kBitmapImage}));
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

using ListFileStartTest = testing::ProgramTest;

TEST_F(ListFileStartTest, StartShowingThePreviousListNeedsNoScanAndCloseKeepsIt) {
    const std::string saved = "\"\",\"\",\"\",\"\",\"\"\r\n"
                              "\"b.txt\",\"/old\",\"                  9 \",\"2007/11/23 01:08:15\",\"02\"\r\n"
                              "\"a.txt\",\"/old\",\"                  9*\",\"2007/11/23 01:08:16\",\"01\"\r\n";
    dir.Write("Kestrova.csv", saved);
    dir.Write("scanned/new.txt", "x");
    StartProgram([&](SharedState& s) {
        s.StartMode = kStartShowPrevious;
        s.DisplayEntries[1] = {"t", dir / "scanned", 1, "*.*", 0};
        s.ListedFileCount = 2;
        s.ListedTotalBytes = 18;
        s.SizeCheck = 0;
        s.InterruptMark = "";
        s.RefreshStamp = "         [07/11/23 01:08:16]";
        s.SortKey = kSortByNumber;
        s.SortOrder = 1;
    });
    ListView& list = p().Form1.ListView1;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.RowText(1), "b.txt") << "sorted by the settings";
    EXPECT_EQ(p().Form1.Label3.Caption(), "2 個のファイルを表示（表示領域 18 Byte)         [07/11/23 01:08:16]");
    EXPECT_EQ(p().Form3.Label1.Caption(), "ケストロヴァ 起動中です");
    EXPECT_FALSE(p().Form3.Visible());
    EXPECT_FALSE(dir.Exists("Kestrova.Ck2"));
    EXPECT_THROW(UserClose(p().Form1), ProgramEnded);
    EXPECT_EQ(dir.Read("Kestrova.csv"), saved) << "closing writes the same list back";
}

// Another program that writes the list file while it is being loaded
// leaves rows the list may lack: the close asks before the loaded rows go
// over the file, whether the file was changed in place or replaced.
TEST(ListFileLoad, ChangedWhileLoadingIsNotOverwrittenUnasked) {
    const std::string loaded = "\"\",\"\",\"\",\"\",\"\"\r\n"
                               "\"a.txt\",\"/old\",\"                  9 \",\"2007/11/23 01:08:15\",\"02\"\r\n"
                               "\"b.txt\",\"/old\",\"                  9 \",\"2007/11/23 01:08:16\",\"01\"\r\n";
    const std::string newer = "\"\",\"\",\"\",\"\",\"\"\r\n"
                              "\"c.txt\",\"/new\",\"                  9 \",\"2007/11/23 01:08:17\",\"03\"\r\n";
    const struct {
        const char* what;
        std::function<void(testing::TempDir&)> change;
        MsgBoxResult answer;
        bool overwritten;
    } cases[] = {
        {"changed in place, kept", [&](testing::TempDir& d) { d.Write("Kestrova.csv", newer); }, kNo, false},
#ifndef _WIN32  // Windows lets nobody replace a file that is open for reading
        {"replaced, kept",
         [&](testing::TempDir& d) {
             d.Write("other.csv", loaded);  // the same size as the file it replaces
             std::filesystem::rename(testing::NativePath(d / "other.csv"), testing::NativePath(d / "Kestrova.csv"));
         },
         kNo, false},
#endif
        {"changed in place, overwritten", [&](testing::TempDir& d) { d.Write("Kestrova.csv", newer); }, kYes, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ProgramWithSettings run([](SharedState& settings) { settings.StartMode = kStartShowPrevious; });
        auto& [d, s, program] = run;
        d.Write("Kestrova.csv", loaded);
        s.When([&] { return program.Form1.ListView1.Count() == 1; }, [&] { c.change(d); });
        run.Start();
        EXPECT_EQ(program.Form1.ListView1.Count(), 2) << "the rows that were read";
        const std::string on_disk = d.Read("Kestrova.csv");
        s.QueueAnswer(c.answer);
        EXPECT_THROW(UserClose(program.Form1), ProgramEnded);
        ASSERT_EQ(s.MessageBoxes().size(), 1u);
        EXPECT_EQ(s.MessageBoxes()[0].text, (d / "Kestrova.csv") + kListFileChangedQuestion);
        EXPECT_EQ(s.MessageBoxes()[0].buttons, kYesNo);
        if (c.overwritten) {
            EXPECT_NE(d.Read("Kestrova.csv"), on_disk);
        } else {
            EXPECT_EQ(d.Read("Kestrova.csv"), on_disk);
        }
    }
}

}  // namespace
}  // namespace kestrova
