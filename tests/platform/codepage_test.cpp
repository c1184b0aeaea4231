#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

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
        {"plain ASCII 123", "plain ASCII 123"},
        {"私の円盤", "\x8E\x84\x82\xCC\x89\x7E\x94\xD5"},
        // Half-width katakana are single bytes.
        {"ｻｲｽﾞﾁｪｯｸ", "\xBB\xB2\xBD\xDE\xC1\xAA\xAF\xB8"},
        // 0x5C and 0x7E stay backslash and tilde (not yen and overline).
        {"C:\\dir\\a~b.avi", "C:\\dir\\a~b.avi"},
        // Trail bytes equal to 0x5C must not be mistaken for a backslash.
        {"表ソ\\", "\x95\x5C\x83\x5C\x5C"},
        // The Microsoft table: full-width tilde and minus, NEC and IBM extensions.
        {"～－", "\x81\x60\x81\x7C"},
        {"①纊", "\x87\x40\xFA\x5C"},
        {"line1\r\nline2\n", "line1\r\nline2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        const auto encoded = Utf8ToCp932(c.utf8);
        ASSERT_TRUE(encoded.has_value());
        EXPECT_EQ(*encoded, c.cp932);
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
        EXPECT_EQ(EncodeFileText(c.utf8), c.cp932);
        EXPECT_EQ(DecodeFileText(c.cp932), c.utf8);
    }
    // The NEC-selected duplicate of an IBM extension reads as the same
    // character; writing picks the IBM code, as Windows does.
    EXPECT_EQ(Cp932ToUtf8("\xED\x40"), "纊");
}

TEST(Codepage, UnencodableTextFallsBackToUtf8WithBom) {
    const std::string cases[] = {
        "film 😀.avi",           // outside the BMP
        "한국어",                  // Hangul
        "tag\xF3\xA0\x81\x81",  // U+E0041, which iconv would drop silently
        // These encode, but only one way: they would read back as other
        // characters, so the file must not be written as code page 932.
        "〜",  // U+301C wave dash -> 0x8160 -> U+FF5E
        "−",  // U+2212 minus -> 0x817C -> U+FF0D
        "¥100",
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        const std::string file = EncodeFileText(text);
        EXPECT_EQ(file, kBom + text);
        EXPECT_EQ(DecodeFileText(file), text);
    }
    EXPECT_FALSE(Utf8ToCp932("film 😀.avi").has_value());
    EXPECT_FALSE(Utf8ToCp932("한").has_value());
    EXPECT_FALSE(Utf8ToCp932("tag\xF3\xA0\x81\x81").has_value());
    EXPECT_FALSE(Utf8ToCp932("bad \xC3(").has_value());
}

TEST(Codepage, InvalidBytesBecomeReplacementCharacters) {
    const Pair cases[] = {
        {"a" + kFffd + "b", "a\x80" "b"},
        {kFffd + kFffd + kFffd, "\xA0\xFD\xFF"},
        // A lead byte before a line break: the break survives.
        {"a" + kFffd + "\nb", "a\x81\nb"},
        // A lead byte at the very end.
        {"abc" + kFffd, "abc\x81"},
        // A well-formed but unassigned pair is one character.
        {kFffd + "x", "\x85\x40x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cp932);
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
        EXPECT_EQ(DecodeFileText(c.cp932), c.utf8);
    }
}

TEST(Codepage, BomTextWithBrokenUtf8IsRepaired) {
    const Pair cases[] = {
        {"a" + kFffd + "(b", "a\xC3(b"},
        {"end" + kFffd, "end\xE3\x81"},  // cut three-byte sequence is one character
        {kFffd + kFffd + kFffd, "\xED\xA0\x80"},  // encoded surrogate
        {kFffd + kFffd, "\xC0\xAF"},              // overlong slash
        {"ok 😀", "ok 😀"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cp932);
        EXPECT_EQ(DecodeFileText(kBom + c.cp932), c.utf8);
    }
    EXPECT_EQ(DecodeFileText(kBom), "");
}

TEST(Codepage, LargeTextConvertsQuickly) {
    std::string unit = "私の円盤ｻｲｽﾞﾁｪｯｸ C:\\movies\\file~1.avi\r\n";
    std::string text;
    while (text.size() < 50u * 1024 * 1024) text += unit;
    const auto start = std::chrono::steady_clock::now();
    const std::string file = EncodeFileText(text);
    const std::string back = DecodeFileText(file);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_NE(file.compare(0, 3, kBom), 0);  // stayed code page 932
    EXPECT_LT(file.size(), text.size());
    EXPECT_TRUE(back == text);
    // Character-at-a-time conversion takes minutes here; a chunked one
    // well under a second. The bound leaves room for sanitizer builds.
    EXPECT_LT(seconds, 30.0);
}

TEST(Codepage, LeftBytesKeepsWholeCharacters) {
    struct Case {
        std::string text;
        int start1;
        int count;
        std::string expected;
    };
    const Case cases[] = {
        {"私の円盤", 1, 10, "私の円盤"},
        {"一二三四五六七", 1, 10, "一二三四五"},
        {"abcdefghijkl", 1, 10, "abcdefghij"},
        {"ｱｲｳｴｵｶｷｸｹｺｻｼ", 1, 10, "ｱｲｳｴｵｶｷｸｹｺ"},
        {"ｱｲｳ", 2, 1, "ｲ"},
        // A double-byte character cut at either end is dropped.
        {"あいう", 1, 3, "あ"},
        {"あいう", 2, 4, "い"},
        {"aあb", 2, 2, "あ"},
        {"aあb", 3, 2, "b"},
        // Characters code page 932 lacks count as two bytes.
        {"😀a", 1, 2, "😀"},
        {"😀a", 1, 1, ""},
        {"😀a", 3, 1, "a"},
        {"abc", 4, 5, ""},
        {"abc", 1, 0, ""},
        {"", 1, 10, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " " + std::to_string(c.start1) + "," + std::to_string(c.count));
        EXPECT_EQ(LeftBytes(c.text, c.start1, c.count), c.expected);
    }
}

TEST(Codepage, ByteLengthCountsCodePage932Bytes) {
    const std::pair<std::string, int> cases[] = {
        {"", 0},         {"abc", 3},   {"私の円盤", 8}, {"ｻｲｽﾞﾁｪｯｸ", 8},
        {"aあｱ", 4},     {"😀", 2},    {"한", 2},       {"a\xFF" "b", 4},
    };
    for (const auto& [text, bytes] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ByteLength(text), bytes);
    }
}

TEST(Codepage, CharacterRoutinesCountCodePoints) {
    EXPECT_EQ(CharCount(""), 0);
    EXPECT_EQ(CharCount("私の円盤"), 4);
    EXPECT_EQ(CharCount("a😀ｱ"), 3);
    EXPECT_EQ(CharCount("a\xFF" "b"), 3);

    struct Case {
        int start1;
        int count;
        std::string expected;
    };
    const std::string text = "あいうえお";
    const Case mids[] = {
        {1, 2, "あい"}, {2, 2, "いう"}, {5, 10, "お"}, {6, 1, ""},
        {0, 2, "あい"}, {-3, 1, "あ"},  {3, 0, ""},    {3, -1, ""},
    };
    for (const auto& c : mids) {
        SCOPED_TRACE(std::to_string(c.start1) + "," + std::to_string(c.count));
        EXPECT_EQ(MidChars(text, c.start1, c.count), c.expected);
    }
    EXPECT_EQ(LeftChars(text, 3), "あいう");
    EXPECT_EQ(LeftChars(text, 99), text);
    EXPECT_EQ(LeftChars(text, 0), "");
    EXPECT_EQ(LeftChars("a😀b", 2), "a😀");
    // Stray bytes are kept as they were, not rewritten.
    EXPECT_EQ(MidChars("a\xFF" "b", 2, 1), "\xFF");
}

}  // namespace
}  // namespace kestrova
