#include "listing/file_rows.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>

#include "platform/model/listview.h"

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

// Rows of a refresh take sizes and times as numbers; they must read back as
// the texts would have, and be kept as those texts would have been.
TEST(FileRowCells, SizesAndTimesGoInAsTheirTexts) {
    TextPool pool;
    std::string scratch;
    auto same_as_text = [&](const std::optional<Cell>& cell, const std::string& text) {
        if (!cell) return true;  // the text itself is kept instead
        const Cell encoded = EncodeCell(text, pool);
        return CellText(*cell, pool, scratch) == text && encoded.kind == cell->kind && encoded.payload == cell->payload;
    };
    int as_numbers = 0;
    for (double size : {0.0, 1.0, 999.0, 1000.0, 9999.0, 10000.0, 3000000000.0, 999999999999999.0, 1e15, 5e18, 0.5, -1.0}) {
        for (char mark : {' ', '*'}) {
            const auto cell = PaddedNumberCell(size, kSizeTextWidth, mark);
            EXPECT_TRUE(same_as_text(cell, SizeText(size, std::string(1, mark)))) << size << mark;
            as_numbers += cell.has_value();
        }
    }
    EXPECT_EQ(as_numbers, 16) << "every whole size below 10^15";
    for (const LocalTime& t : {LocalTime{2024, 1, 2, 9, 5, 7}, LocalTime{1, 12, 31, 23, 59, 60}, LocalTime{},
                               LocalTime{9999, 9, 9, 9, 9, 9}, LocalTime{10000, 1, 1, 0, 0, 0}, LocalTime{-1, 1, 1, 0, 0, 0}}) {
        const auto cell = DateTimeCell(t.year, t.month, t.day, t.hour, t.minute, t.second);
        EXPECT_TRUE(same_as_text(cell, ModifiedText(t))) << ModifiedText(t);
        EXPECT_EQ(cell.has_value(), t.year >= 0 && t.year <= 9999) << ModifiedText(t);
    }
}

}  // namespace
}  // namespace kestrova
