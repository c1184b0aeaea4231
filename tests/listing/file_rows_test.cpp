#include "listing/file_rows.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/listview.h"

namespace kestrova {
namespace {

TEST(SizeText, IsTwentyCharactersRightAlignedEndingInTheMark) {
    EXPECT_EQ(SizeText(0, " "), std::string(20 - 2, ' ') + "0 ");
    EXPECT_EQ(SizeText(1536, "*"), std::string(20 - 6, ' ') + "1,536*");
    EXPECT_EQ(SizeText(3000000000.0, " "), std::string(20 - 14, ' ') + "3,000,000,000 ");
    EXPECT_EQ(SizeText(5e18, " "), "000,000,000,000,000 ") << "only the rightmost twenty characters stay";
    // Text order is size order, and a blank mark sorts before "*".
    EXPECT_LT(CompareListText(SizeText(9999, " "), SizeText(10000, " ")), 0);
    EXPECT_LT(CompareListText(SizeText(100, " "), SizeText(100, "*")), 0);
}

TEST(ModifiedText, HasATwoDigitHour) {
    std::tm tm{};
    tm.tm_year = 2024 - 1900;
    tm.tm_mon = 0;
    tm.tm_mday = 2;
    tm.tm_hour = 9;
    tm.tm_min = 5;
    tm.tm_sec = 7;
    tm.tm_isdst = -1;
    EXPECT_EQ(ModifiedText(std::mktime(&tm)), "2024/01/02 09:05:07");
}

}  // namespace
}  // namespace kestrova
