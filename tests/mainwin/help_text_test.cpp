#include "mainwin/help_text.h"

#include <gtest/gtest.h>

#include "support/split.h"

namespace kestrova {
namespace {

TEST(ListHelp, IsNineteenCrSeparatedLinesWithBlankSpacers) {
    const auto lines = testing::Split(ListHelpText("ケストロヴァ (Kestrova) ZI22"), "\r");
    ASSERT_EQ(lines.size(), 19u);
    for (int n : {2, 7, 9, 12, 14, 18}) EXPECT_EQ(lines[static_cast<size_t>(n - 1)], " ") << "line " << n;
    EXPECT_EQ(lines[0], "\u2015\u2015\u2015\u2015\u2015\u2015\u3000リスト画面\u3000\u2015\u2015\u2015\u2015\u2015");
    EXPECT_EQ(lines[3], "左クリック      \u3000\u3000\u3000\u3000\u3000\u3000\u3000  選択");
    EXPECT_EQ(lines[10], "左クリック\u3000\u3000\u3000 \u3000\u3000\u3000\u3000\u3000\u3000\u3000 画面ストップ");
    EXPECT_EQ(lines[12], "\u2015\u2015\u3000Ｖｉｅｗ画面 ｏｒ\u3000後画面\u3000\u2015\u2015\u2015");
    EXPECT_EQ(lines[15], "ホイールボタン[Ａｌｔ]\u3000\u3000\u3000  \u3000繰返モード\uFF9E");
    EXPECT_EQ(lines[16], "Ｓｈｉｆｔキー(View)  \u3000\u3000\u3000\u3000\u3000画像拡大");
    EXPECT_EQ(lines[18], "ケストロヴァ (Kestrova) ZI22  by Pem");
}

}  // namespace
}  // namespace kestrova
