#include "platform/textformat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace kestrova {
namespace {

TEST(TextFormat, FormatNumber) {
    struct Case {
        double value;
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {0, "#,##0", "0"},
        {999, "#,##0", "999"},
        {1000, "#,##0", "1,000"},
        {1234567, "#,##0", "1,234,567"},
        {3000000000.0, "#,##0", "3,000,000,000"},
        {1e18, "#,##0", "1,000,000,000,000,000,000"},
        {1152921504606846976.0, "#,##0", "1,152,921,504,606,846,976"},  // 2^60
        {12345, "##,##0", "12,345"},
        {1234567, "###0", "1234567"},
        {-1234, "#,##0", "-1,234"},
        // Half to even before anything else.
        {2.5, "###0", "2"},
        {3.5, "###0", "4"},
        {-2.5, "#,##0", "-2"},
        {1234.5, "#,##0", "1,234"},
        {1235.5, "#,##0", "1,236"},
        {0.49, "#,##0", "0"},
        {-0.4, "#,##0", "0"},
        {5, "00", "05"},
        {0, "00", "00"},
        {9.5, "00", "10"},
        {123, "00", "123"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " " + c.pattern);
        EXPECT_EQ(FormatNumber(c.value, c.pattern), c.expected);
    }
}

TEST(TextFormat, FormatDateTime) {
    // Month and minute differ so a mix-up shows.
    const LocalTime t{2024, 3, 5, 7, 48, 9};
    EXPECT_EQ(FormatDateTime(t, "yyyy/mm/dd HH:MM:SS"), "2024/03/05 07:48:09");
    EXPECT_EQ(FormatDateTime(t, "yy/mm/dd HH:NN:SS"), "24/03/05 07:48:09");
    const LocalTime late{2000, 12, 31, 23, 59, 58};
    EXPECT_EQ(FormatDateTime(late, "yyyy/mm/dd HH:MM:SS"), "2000/12/31 23:59:58");
    EXPECT_EQ(FormatDateTime(late, "yy/mm/dd HH:NN:SS"), "00/12/31 23:59:58");
}

TEST(TextFormat, TextToInt16) {
    struct Case {
        const char* text;
        std::optional<std::int16_t> expected;
    };
    const Case cases[] = {
        {"1", 1},
        {" 12 ", 12},
        {"\t-7\t", -7},
        {"+5", 5},
        {"007", 7},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"0.5", 0},
        {"1.5", 2},
        {"2.51", 3},
        {".5", 0},
        {"5.", 5},
        {"1e3", 1000},
        {"1E+4", 10000},
        {"25e-1", 2},
        {"32767", 32767},
        {"32767.4", 32767},
        {"32767.5", std::nullopt},
        {"-32768", -32768},
        {"-32768.5", -32768},
        {"-32768.6", std::nullopt},
        {"40000", std::nullopt},
        {"1e5", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"1,000", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"1e", std::nullopt},
        {"1e+", std::nullopt},
        {"--1", std::nullopt},
        {"+", std::nullopt},
        {".", std::nullopt},
        {"0x10", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"１２", std::nullopt},  // full-width digits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        EXPECT_EQ(TextToInt16(c.text), c.expected);
    }
}

TEST(TextFormat, TextToInt32) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"100000", 100000},
        {"2147483647", 2147483647},
        {"2147483647.4", 2147483647},
        {"2147483647.5", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483648.5", std::numeric_limits<std::int32_t>::min()},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"4.5", 4},
        {"1,5", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToInt32(c.text), c.expected);
    }
}

TEST(TextFormat, TextToDouble) {
    EXPECT_EQ(TextToDouble(" -0.25 "), -0.25);
    EXPECT_EQ(TextToDouble("1.5e-3"), 0.0015);
    EXPECT_EQ(TextToDouble("1234567890123450"), 1234567890123450.0);
    EXPECT_EQ(TextToDouble("1e-400"), 0.0);  // underflow is a number
    EXPECT_EQ(TextToDouble("1e400"), std::nullopt);
    EXPECT_EQ(TextToDouble("1,5"), std::nullopt);
    EXPECT_EQ(TextToDouble("0.5x"), std::nullopt);
    EXPECT_EQ(TextToDouble("infinity"), std::nullopt);
}

TEST(TextFormat, FormatIntegerField) {
    EXPECT_EQ(FormatIntegerField(0), "0");
    EXPECT_EQ(FormatIntegerField(4096000), "4096000");
    EXPECT_EQ(FormatIntegerField(-15), "-15");
    EXPECT_EQ(FormatIntegerField(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(TextFormat, FormatDoubleField) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1536, "1536"},
        {4096000, "4096000"},
        {0.5, "0.5"},
        {-0.5, "-0.5"},
        {12.25, "12.25"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {-100.0 / 3, "-33.3333333333333"},
        {999999999999999.0, "999999999999999"},
        {123456789012345.6, "123456789012346"},
        {999999999999999.9, "1E+15"},
        {1e15, "1E+15"},
        {-1e15, "-1E+15"},
        {1234567890123450.0, "1.23456789012345E+15"},
        {1e20, "1E+20"},
        {1e100, "1E+100"},
        {0.0001, "0.0001"},
        {0.00012, "0.00012"},
        {0.00001, "1E-05"},
        {1.5e-7, "1.5E-07"},
        {1e-100, "1E-100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatDoubleField(c.value), c.expected);
    }
}

TEST(TextFormat, FormatDoubleFieldReadsBack) {
    const double values[] = {0.5, 1536, 4096000, 0.0015, 1234567890123450.0, 1e20, -12.75};
    for (double v : values) {
        const auto back = TextToDouble(FormatDoubleField(v));
        ASSERT_TRUE(back.has_value()) << v;
        EXPECT_DOUBLE_EQ(*back, v);
    }
}

TEST(TextFormat, PadLeftCountsCharacters) {
    EXPECT_EQ(PadLeft("12", 5), "   12");
    EXPECT_EQ(PadLeft("あい", 4), "  あい");
    EXPECT_EQ(PadLeft("abcdef", 3), "abcdef");
    EXPECT_EQ(PadLeft("", 2), "  ");
    EXPECT_EQ(PadLeft("x", 0), "x");
}

}  // namespace
}  // namespace kestrova
