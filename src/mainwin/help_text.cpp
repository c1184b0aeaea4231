#include "help_text.h"

namespace kestrova {
namespace {

std::string Blanks(int n) { return std::string(static_cast<size_t>(n), ' '); }
std::string Wide(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += "　";
    return out;
}

}  // namespace

std::string ListHelpText(const std::string& program_title) {
    const std::string lines[] = {
        "――――――" + Wide(1) + "リスト画面" + Wide(1) + "―――――",
        Blanks(1),
        "左ダブルクリック" + Blanks(1) + Wide(7) + "実行",
        "左クリック" + Blanks(6) + Wide(7) + Blanks(2) + "選択",
        "右クリック" + Blanks(6) + Wide(1) + Blanks(1) + "メニュー表示、個別選択",
        "ホイールボタン" + Blanks(6) + Wide(5) + "全選択",
        Blanks(1),
        "――――――" + Wide(1) + "表示" + Wide(1) + "画面" + Wide(1) + "――――",
        Blanks(1),
        "左ダブルクリック" + Blanks(3) + Wide(6) + "全画面表示",
        "左クリック" + Wide(3) + Blanks(1) + Wide(7) + Blanks(1) + "画面ストップ",
        Blanks(1),
        "――" + Wide(1) + "Ｖｉｅｗ画面" + Blanks(1) + "ｏｒ" + Wide(1) + "後画面" + Wide(1) + "―――",
        Blanks(1),
        "右クリック[Ｅｓｃ]" + Wide(6) + Blanks(2) + "終了",
        "ホイールボタン[Ａｌｔ]" + Wide(3) + Blanks(2) + Wide(1) + "繰返モードﾞ",
        "Ｓｈｉｆｔキー(View)" + Blanks(2) + Wide(5) + "画像拡大",
        Blanks(1),
        program_title + "  by Pem",
    };
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += '\r';
        text += line;
    }
    return text;
}

void Pem_Help_Click(Program& p) { p.services.MsgBox(ListHelpText(p.state.ProgramTitle), kOkOnly, kNoIcon, kListHelpTitle); }

}  // namespace kestrova
