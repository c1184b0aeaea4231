#include "platform/text/codepage.h"
#include "platform/text/cp932_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace kestrova {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kFffd = "\xEF\xBF\xBD";

struct Pair {
    std::string utf8;
    std::string cp932;
};

TEST(Codepage, EncodesAndDecodesBothWays) {
    const Pair cases[] = {
        {"", ""},
        {"私の円盤", "\x8E\x84\x82\xCC\x89\x7E\x94\xD5"},
        {"ｻｲｽﾞﾁｪｯｸ", "\xBB\xB2\xBD\xDE\xC1\xAA\xAF\xB8"},  // half-width: one byte each
        {"C:\\dir\\a~b\r\n", "C:\\dir\\a~b\r\n"},           // 0x5C and 0x7E stay themselves
        {"表ソ\\", "\x95\x5C\x83\x5C\x5C"},                 // trail bytes equal to 0x5C
        {"～－", "\x81\x60\x81\x7C"},                       // the Microsoft table
        {"①纊", "\x87\x40\xFA\x5C"},                        // NEC and IBM extensions
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
        EXPECT_EQ(EncodeFileText(c.utf8), c.cp932);
        EXPECT_EQ(DecodeFileText(c.cp932), c.utf8);
    }
    EXPECT_EQ(Cp932ToUtf8("\xED\x40"), "纊");  // the NEC-selected duplicate reads the same
}

TEST(Codepage, UnencodableTextFallsBackToUtf8WithBom) {
    // The last three do encode, but read back as other characters
    // (U+301C and U+2212 as U+FF5E and U+FF0D, the yen sign as a backslash).
    for (const std::string text : {"film 😀.avi", "한국어", "tag\xF3\xA0\x81\x81", "〜", "−", "¥100"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(EncodeFileText(text), kBom + text);
        EXPECT_EQ(DecodeFileText(kBom + text), text);
    }
    // U+E0041 is a tag character, which iconv alone would drop silently.
    for (const std::string text : {"film 😀.avi", "한", "tag\xF3\xA0\x81\x81", "bad \xC3("}) {
        EXPECT_EQ(Utf8ToCp932(text), std::nullopt) << text;
    }
}

TEST(Codepage, InvalidCodePageBytesBecomeReplacementsButUtf8FilesKeepEveryByte) {
    const Pair cp932[] = {
        {"a" + kFffd + "b", "a\x80" "b"},
        {kFffd + kFffd + kFffd, "\xA0\xFD\xFF"},
        {"a" + kFffd + "\nb", "a\x81\nb"},  // a lead byte does not swallow the line break
        {"abc" + kFffd, "abc\x81"},
        {kFffd + "x", "\x85\x40x"},  // unassigned pair: one character
    };
    for (const auto& c : cp932) EXPECT_EQ(DecodeFileText(c.cp932), c.utf8) << c.cp932;

    // In the UTF-8 form a file name that is not UTF-8 must come back as the
    // bytes that name the file.
    for (const std::string bytes : {"a\xC3(b", "end\xE3\x81", "\xED\xA0\x80", "\xC0\xAF", "Fotos-\xE9t\xE9", "ok 😀"}) {
        EXPECT_EQ(DecodeFileText(kBom + bytes), bytes) << bytes;
        EXPECT_EQ(DecodeFileText(EncodeFileText(bytes)), bytes) << bytes;
    }
}

TEST(Codepage, FastDecodingAgreesWithIconvOnEveryCharacter) {
    // A trailing 0xFD (no character, nor part of one) sends a text down the
    // iconv road, so each pair of bytes is decoded both ways.
    for (int lead = 0x00; lead <= 0xFF; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            EXPECT_EQ(Cp932ToUtf8(bytes + "\xFD"), Cp932ToUtf8(bytes) + kFffd) << lead << " " << trail;
        }
    }
}

// The tables must encode exactly what the system's own conversion encodes
// so that it reads back, to the same bytes: the files stay as they were.
TEST(Codepage, TableEncodingAgreesWithTheSystemOnEveryCharacter) {
    for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string utf8;
        if (cp < 0x800) {
            utf8 = {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
        } else {
            utf8 = {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F))};
        }
        const std::optional<std::string> system = Utf8ToCp932(utf8);
        const bool fits = system && Cp932ToUtf8(*system) == utf8;
        std::string by_table = "a";
        ASSERT_EQ(AppendUtf8AsCp932(utf8, by_table), fits) << std::hex << static_cast<std::uint32_t>(cp);
        ASSERT_EQ(by_table, fits ? "a" + *system : "a") << std::hex << static_cast<std::uint32_t>(cp);
    }
}

// A list of a million rows is one large text; what it takes is measured by
// bench/codepage_bench.cpp. Here: it comes back whole, in code page 932.
TEST(Codepage, LargeTextRoundTripsWhole) {
    const std::string line = "私の円盤ｻｲｽﾞﾁｪｯｸ C:\\movies\\file~1.avi\r\n";
    std::string text;
    while (text.size() < 4u * 1024 * 1024) text += line;
    text += "末尾";  // the last characters, after the last full block
    const std::string file = EncodeFileText(text);
    EXPECT_NE(file.compare(0, 3, kBom), 0) << "every character fits code page 932";
    EXPECT_EQ(file.substr(file.size() - 4), "\x96\x96\x94\xf6");
    EXPECT_EQ(file.size(), ByteLength(text) + 0u);
    EXPECT_TRUE(DecodeFileText(file) == text);
}

TEST(Codepage, LeftBytesKeepsWholeCharacters) {
    struct Case {
        std::string text;
        int start1, count;
        std::string expected;
    };
    const Case cases[] = {
        {"私の円盤", 1, 10, "私の円盤"},       {"一二三四五六七", 1, 10, "一二三四五"},
        {"abcdefghijkl", 1, 10, "abcdefghij"}, {"ｱｲｳｴｵｶｷｸｹｺｻｼ", 1, 10, "ｱｲｳｴｵｶｷｸｹｺ"},
        {"ｱｲｳ", 2, 1, "ｲ"},                     {"あいう", 1, 3, "あ"},
        {"あいう", 2, 4, "い"},                 {"aあb", 3, 2, "b"},
        {"😀a", 1, 2, "😀"},                    {"😀a", 1, 1, ""},
        {"abc", 4, 5, ""},                      {"abc", 1, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeftBytes(c.text, c.start1, c.count), c.expected) << c.text << " " << c.start1 << "," << c.count;
    }
    const std::pair<std::string, int> lengths[] = {
        {"", 0}, {"私の円盤", 8}, {"ｻｲｽﾞﾁｪｯｸ", 8}, {"aあｱ", 4}, {"😀", 2}, {"a\xFF" "b", 4},
    };
    for (const auto& [text, bytes] : lengths) EXPECT_EQ(ByteLength(text), bytes) << text;
}

TEST(Codepage, CharacterRoutinesCountCodePoints) {
    EXPECT_EQ(CharCount("私の円盤"), 4);
    EXPECT_EQ(CharCount("a😀ｱ"), 3);
    EXPECT_EQ(CharCount("a\xFF" "b"), 3);
    const std::string text = "あいうえお";
    const std::tuple<int, int, std::string> mids[] = {
        {2, 2, "いう"}, {5, 10, "お"}, {6, 1, ""}, {0, 2, "あい"}, {-3, 1, "あ"}, {3, 0, ""}, {3, -1, ""},
    };
    for (const auto& [start1, count, expected] : mids) {
        EXPECT_EQ(MidChars(text, start1, count), expected) << start1 << "," << count;
    }
    EXPECT_EQ(LeftChars(text, 3), "あいう");
    EXPECT_EQ(LeftChars(text, 99), text);
    EXPECT_EQ(LeftChars("a😀b", 2), "a😀");
    EXPECT_EQ(MidChars("a\xFF" "b", 2, 1), "\xFF");  // stray bytes kept as they were
}

}  // namespace
}  // namespace kestrova
