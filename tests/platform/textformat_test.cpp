#include "platform/text/textformat.h"

#include <gtest/gtest.h>

#include <limits>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

namespace kestrova {
namespace {

TEST(TextFormat, FormatNumber) {
    const std::tuple<double, const char*, const char*> cases[] = {
        {0, "#,##0", "0"},         {999, "#,##0", "999"},        {1000, "#,##0", "1,000"},
        {3000000000.0, "#,##0", "3,000,000,000"},                {1e18, "#,##0", "1,000,000,000,000,000,000"},
        {1152921504606846976.0, "#,##0", "1,152,921,504,606,846,976"},
        {12345, "##,##0", "12,345"}, {1234567, "###0", "1234567"}, {-1234, "#,##0", "-1,234"},
        {2.5, "###0", "2"},        {3.5, "###0", "4"},           {-2.5, "#,##0", "-2"},
        {1234.5, "#,##0", "1,234"}, {-0.4, "#,##0", "0"},        {5, "00", "05"},
        {9.5, "00", "10"},         {123, "00", "123"},
    };
    for (const auto& [value, pattern, expected] : cases) {
        EXPECT_EQ(FormatNumber(value, pattern), expected) << value << " " << pattern;
    }
}

TEST(TextFormat, FormatDateTime) {
    const LocalTime t{2000, 3, 5, 7, 48, 9};  // month and minute differ so a mix-up shows
    EXPECT_EQ(FormatDateTime(t, "yyyy/mm/dd HH:MM:SS"), "2000/03/05 07:48:09");
    EXPECT_EQ(FormatDateTime(t, "yy/mm/dd HH:NN:SS"), "00/03/05 07:48:09");
}

TEST(TextFormat, TextToInteger) {
    const std::pair<const char*, std::optional<std::int16_t>> int16s[] = {
        {" 12 ", 12},    {"\t-7\t", -7},   {"+5", 5},        {"2.5", 2},       {"3.5", 4},
        {"-2.5", -2},    {"0.5", 0},       {"2.51", 3},      {".5", 0},        {"5.", 5},
        {"1E+4", 10000}, {"25e-1", 2},     {"32767.4", 32767}, {"32767.5", std::nullopt},
        {"-32768.5", -32768}, {"-32768.6", std::nullopt}, {"1e5", std::nullopt},
        {"", std::nullopt},   {"   ", std::nullopt},  {"abc", std::nullopt}, {"1,000", std::nullopt},
        {"12abc", std::nullopt}, {"1 2", std::nullopt}, {"1e", std::nullopt}, {"--1", std::nullopt},
        {".", std::nullopt}, {"0x10", std::nullopt}, {"inf", std::nullopt}, {"１２", std::nullopt},
    };
    for (const auto& [text, expected] : int16s) EXPECT_EQ(TextToInt16(text), expected) << '"' << text << '"';

    const std::pair<const char*, std::optional<std::int32_t>> int32s[] = {
        {"2147483647.4", 2147483647}, {"2147483647.5", std::nullopt}, {"-2147483648.5", INT32_MIN},
        {"-2147483649", std::nullopt}, {"99999999999999999999", std::nullopt}, {"4.5", 4},
    };
    for (const auto& [text, expected] : int32s) EXPECT_EQ(TextToInt32(text), expected) << text;
}

TEST(TextFormat, TextToDouble) {
    EXPECT_EQ(TextToDouble(" -0.25 "), -0.25);
    EXPECT_EQ(TextToDouble("1.5e-3"), 0.0015);
    EXPECT_EQ(TextToDouble("1e-400"), 0.0);  // underflow is still a number
    EXPECT_EQ(TextToDouble("1e400"), std::nullopt);
    EXPECT_EQ(TextToDouble("1,5"), std::nullopt);
}

TEST(TextFormat, FormatFields) {
    EXPECT_EQ(FormatIntegerField(-15), "-15");
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"},          {-0.0, "0"},          {1536, "1536"},       {4096000, "4096000"},
        {0.5, "0.5"},        {-0.5, "-0.5"},       {0.1, "0.1"},         {2.0 / 3, "0.666666666666667"},
        {-100.0 / 3, "-33.3333333333333"},         {999999999999999.0, "999999999999999"},
        {123456789012345.6, "123456789012346"},    {999999999999999.9, "1E+15"},
        {1e15, "1E+15"},     {-1e15, "-1E+15"},    {1234567890123450.0, "1.23456789012345E+15"},
        {1e20, "1E+20"},     {1e100, "1E+100"},    {0.0001, "0.0001"},   {0.00001, "1E-05"},
        {1.5e-7, "1.5E-07"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(FormatDoubleField(value), expected);
}

TEST(TextFormat, EveryFiniteDoubleWrittenReadsBackAsANumber) {
    for (double value : {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                         1.797693134862315e308, std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min()}) {
        const std::string text = FormatDoubleField(value);
        const std::optional<double> back = TextToDouble(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(FormatDoubleField(*back), text);
    }
    EXPECT_EQ(FormatDoubleField(std::numeric_limits<double>::max()), "1.79769313486231E+308");
}

TEST(TextFormat, PadLeftCountsCharacters) {
    EXPECT_EQ(PadLeft("12", 5), "   12");
    EXPECT_EQ(PadLeft("あい", 4), "  あい");
    EXPECT_EQ(PadLeft("abcdef", 3), "abcdef");
}

}  // namespace
}  // namespace kestrova
