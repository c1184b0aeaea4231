// The compact rows must be invisible: every text reads back as given, and
// sorting gives exactly the order of a stable sort by CompareListText.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/test_form.h"

namespace kestrova {
namespace {

using testing::SmallForm;

// Texts of every shape the list keeps as numbers, and near misses of them
// that must be kept as they are.
const std::vector<std::string>& Samples() {
    static const std::vector<std::string> samples = {
        "", "0", "01", "16", "0042", "123456789012345", "1234567890123456",
        "               9,999 ", "              10,000*", "                   0 ", "1,000 ", "12,34 ", "1,2345 ",
        "               9,999", "  -5 ", " , ", "999,999,999,999,999 ", "1,000,000,000,000,000 ", "  1,000+",
        "  0,100 ", "  01 ", "  ,100 ", " 1,0000 ", " 1,,000 ", "  1000 ", "1,000,00 ", "  100, ", " , 1 ", "0 ", "   *",
        "2024/03/04 09:05:07", "0000/00/00 00:00:00", "2024/3/04 09:05:07", "2024/03/04 09:05:07 ", "2024-03-04 09:05:07",
        "***** 中断 *****", "C:", "/home/user/Media", "/HOME/user/media", "ABC", "abc", "aBc", "ab", "abcdefgh",
        "abcdefghi", "ABCDEFGH", "abcdefgh12345678", "abcdefgh12345678x", std::string("ab\0", 3), std::string("ab\0c", 4),
        "Z", "あ", "ﾃｽﾄ", "   ", "１２",
    };
    return samples;
}

TEST(ListRows, EveryTextReadsBackAsGivenInEveryColumn) {
    SmallForm form;
    ListView& list = form.list();
    for (const std::string& text : Samples()) {
        ListRow row;
        row.text = text;
        row.sub = {text, text, text, text};
        list.AddRow(row);
        const std::int32_t set = list.AddRow("x");
        for (int k = 1; k <= kSubItemCount; ++k) list.SetSubItem(set, k, text);
        list.SetRowText(set, text);
        for (const std::int32_t i : {set - 1, set}) {
            EXPECT_EQ(list.RowText(i), text);
            for (int k = 1; k <= kSubItemCount; ++k) EXPECT_EQ(list.SubItem(i, k), text) << "column " << k;
            EXPECT_EQ(list.Row(i).sub[1], text);
        }
    }
    std::string scratch;
    EXPECT_EQ(list.CellText(1, 2, scratch), Samples()[0]);
    EXPECT_EQ(list.Rows().size(), 2 * Samples().size());
}

TEST(ListRows, TextsOfAnyLengthReadBack) {
    SmallForm form;
    ListView& list = form.list();
    // Around the sizes where a text gets a block of its own and where its
    // size no longer fits beside the offset.
    const std::vector<size_t> lengths{1, 131071, 131072, 1048575, 1048576, 3000000, 15};
    for (size_t length : lengths) {
        ListRow row;
        row.text = std::string(length, static_cast<char>('a' + length % 26));
        row.sub = {row.text + "/", "", "", ""};
        list.AddRow(row);
    }
    for (size_t i = 0; i < lengths.size(); ++i) {
        const auto index1 = static_cast<std::int32_t>(i + 1);
        EXPECT_EQ(list.RowText(index1), std::string(lengths[i], static_cast<char>('a' + lengths[i] % 26)));
        EXPECT_EQ(list.SubItem(index1, 1), list.RowText(index1) + "/");
    }
}

TEST(ListRows, NamesSurviveManyRenamesAndRemovals) {
    SmallForm form;
    ListView& list = form.list();
    const std::string long_name(5000, 'n');
    for (int i = 0; i < 1000; ++i) list.AddRow(long_name + std::to_string(i));
    for (int round = 0; round < 3; ++round) {
        for (std::int32_t i = 1; i <= list.Count(); ++i) list.SetRowText(i, std::to_string(round) + long_name + std::to_string(i));
    }
    for (int i = 0; i < 500; ++i) list.RemoveRow(1);
    ASSERT_EQ(list.Count(), 500);
    for (std::int32_t i = 1; i <= list.Count(); ++i) EXPECT_EQ(list.RowText(i), "2" + long_name + std::to_string(i + 500));
}

ListRow RandomRow(std::mt19937& rng, bool odd_texts) {
    const auto& samples = Samples();
    auto pick = [&] { return samples[rng() % samples.size()]; };
    ListRow row;
    row.text = pick() + (rng() % 2 ? std::string() : std::string(1, static_cast<char>('a' + rng() % 3)));
    // Columns mostly of one shape, as a refresh makes them, with odd texts mixed in.
    const bool odd = odd_texts && rng() % 8 == 0;
    row.sub[0] = odd ? pick() : std::string(rng() % 2 ? "/Data/" : "/data/") + std::to_string(rng() % 5);
    row.sub[1] = odd ? pick() : std::string(16, ' ') + std::to_string(rng() % 3) + std::string(1, "00"[rng() % 2]) + (rng() % 2 ? "*" : " ");
    row.sub[2] = odd ? pick() : "2024/03/0" + std::to_string(rng() % 3) + " 09:05:07";
    row.sub[3] = odd ? pick() : "0" + std::to_string(rng() % 3);
    return row;
}

// Every column in both orders, one after the other as header clicks come,
// so each sort starts from the order the last one left; with and without
// the odd texts that make a column fall back to comparing texts.
TEST(ListRows, SortingEqualsAStableSortByCompareListText) {
    for (const bool with_odd_texts : {false, true}) {
        SmallForm form;
        ListView& list = form.list();
        std::vector<ListRow> expected;
        std::mt19937 rng(with_odd_texts ? 11 : 12);
        for (int i = 0; i < 3000; ++i) {
            const ListRow row = RandomRow(rng, with_odd_texts);
            list.AddRow(row);
            expected.push_back(row);
        }
        for (int key = 0; key <= kSubItemCount; ++key) {
            for (int order : {0, 1, 1, 0}) {
                list.SetSortKey(key);
                list.SetSortOrder(order);
                list.SetSorted(true);
                std::stable_sort(expected.begin(), expected.end(), [&](const ListRow& a, const ListRow& b) {
                    const int c = key == 0 ? CompareListText(a.text, b.text) : CompareListText(a.sub[key - 1], b.sub[key - 1]);
                    return order == 1 ? c > 0 : c < 0;
                });
                ASSERT_EQ(list.Count(), static_cast<std::int32_t>(expected.size()));
                for (std::int32_t i = 1; i <= list.Count(); ++i) {
                    const ListRow& want = expected[static_cast<size_t>(i - 1)];
                    ASSERT_EQ(list.RowText(i), want.text) << "key " << key << " order " << order << " row " << i;
                    ASSERT_EQ(list.Row(i).sub, want.sub) << "key " << key << " order " << order << " row " << i;
                }
                list.SetSorted(false);
            }
        }
    }
}

}  // namespace
}  // namespace kestrova
