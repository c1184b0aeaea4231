#include "form2_window.h"

#include <cstdio>

#include "platform/model/control_table.h"

namespace kestrova {
namespace {

std::string TwoDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

std::vector<ControlDesign> SettingsTable() {
    using K = ControlKind;
    std::vector<ControlDesign> t = {
        {"Label1", K::Label, "  No 表示ﾀｲﾄﾙ名   　表示ﾌｫﾙﾀﾞ名", "", {120, 120, 2775, 255}},
        {"Command1", K::CommandButton, "参照", "", {2880, 50, 735, 300}},
        {"Check22", K::CheckBox, "Net", "ﾈｯﾄﾜｰｸ参照", {3650, 130, 570, 180}},
        {"Label21", K::Label, "Sub", "ﾌｫﾙﾀﾞ以下の取込み", {4400, 160, 375, 195}},
    };
    for (int i = 1; i <= 16; ++i) {
        const int top = 360 + 240 * (i - 1);
        t.push_back({Numbered("Label", i + 1), K::Label, TwoDigits(i), "", {240, 390 + 240 * (i - 1), 255, 255}});
        t.push_back({Numbered("Text", i), K::TextBox, "", "", {480, top, 1215, 270}});
        t.push_back({Numbered("Text", 16 + i), K::TextBox, "", "", {1680, top, 2700, 270}});
        t.push_back({Numbered("Check", 2 + i), K::CheckBox, "", i == 1 ? "ﾁｪｯｸでﾌｫﾙﾀﾞ以下" : "", {4440, top, 255, 255}});
        t.push_back({Numbered("Text", 32 + i), K::TextBox, "", "", {4920, top, 855, 270}});
    }
    const std::vector<ControlDesign> rest = {
        {"Label18", K::Label, "Noのﾀｲﾄﾙ名又はﾃﾞﾚｸﾄﾘ名をｶｰｿﾙで 選択し参照ﾎﾞﾀﾝで設定", "", {360, 4320, 4560, 255}},
        {"Line1", K::Line, "", "", {4800, 120, 0, 4200}},
        {"Label20", K::Label, "ﾊﾟﾀｰﾝﾘｽﾄ", "", {4980, 120, 855, 255}},
        {"Frame1", K::Frame, "ｿｰﾄ項目", "", {5880, 240, 1215, 1575}},
        {"Option3", K::OptionButton, "名前", "", {120, 240, 975, 255}, "Frame1"},
        {"Option7", K::OptionButton, "ﾌｫﾙﾀﾞ名", "", {120, 480, 975, 255}, "Frame1"},
        {"Option4", K::OptionButton, "ｻｲｽﾞ", "", {120, 720, 975, 255}, "Frame1"},
        {"Option5", K::OptionButton, "更新日時", "", {120, 960, 975, 255}, "Frame1"},
        {"Option6", K::OptionButton, "No", "", {120, 1200, 975, 255}, "Frame1"},
        {"Frame2", K::Frame, "ｿｰﾄ順", "", {5880, 1800, 1215, 735}},
        {"Option1", K::OptionButton, "昇順", "", {120, 240, 975, 255}, "Frame2"},
        {"Option2", K::OptionButton, "降順", "", {120, 480, 975, 255}, "Frame2"},
        {"Check19", K::CheckBox, "ﾌｫﾙﾀﾞ名", "", {5880, 2640, 1215, 255}},
        {"Check21", K::CheckBox, "隠しﾌｧｲﾙ", "", {5880, 2880, 1215, 255}},
        {"Check1", K::CheckBox, "ｻｲｽﾞﾁｪｯｸ", "同一ﾌｧｲﾙｻｲｽﾞ確認", {5880, 3120, 1215, 255}},
        {"Check20", K::CheckBox, "ｱｲｺﾝ", "ﾘｽﾄにｱｲｺﾝ表示（非表示時再起動）", {5880, 3360, 720, 255}},
        {"Option9", K::OptionButton, "", "Windowsｱｲｺﾝ(ﾒﾓﾘ容量　注意）", {6600, 3360, 255, 255}},
        {"Option8", K::OptionButton, "", "簡易ｱｲｺﾝ", {6840, 3360, 255, 255}},
        {"Check24", K::CheckBox, "繰り返し", "", {5880, 3600, 1215, 255}},
        {"Check23", K::CheckBox, "画像拡大", "", {5880, 3840, 1215, 255}},
        {"Check25", K::CheckBox, "全画面表示", "", {5880, 4080, 1215, 255}},
        {"Text49", K::TextBox, "3", "", {5800, 4320, 300, 270}},
        {"Label19", K::Label, "表示時間(秒)", "", {6150, 4360, 1095, 255}},
        {"Image1", K::Image, "", "設定ﾃﾞﾌｫﾙﾄに戻す", {5280, 4440, 480, 480}},
        {"Image2", K::Image, "", "Help", {5280, 4920, 480, 480}},
        {"Command2", K::CommandButton, "閉じる", "", {6000, 4680, 1095, 615}},
        {"Frame3", K::Frame, "起動方法", "起動時の状態", {240, 4580, 2445, 795}},
        {"Option10", K::OptionButton, "起動のみ", "起動のみ", {120, 240, 1050, 255}, "Frame3"},
        {"Option11", K::OptionButton, "最新更新", "最新の情報に更新", {120, 480, 1050, 255}, "Frame3"},
        {"Option12", K::OptionButton, "前回分表示", "前回分表示　CSVファイル作成利用（Kestrova.csv)", {1200, 240, 1200, 255}, "Frame3"},
        {"Check2", K::CheckBox, "「”」対応", "前回分読込時　「”」対応", {1440, 480, 975, 255}, "Frame3"},
        {"Frame4", K::Frame, "自動起動", "", {2760, 4560, 2415, 795}},
        {"Option13", K::OptionButton, "無し", "", {120, 240, 600, 255}, "Frame4"},
        {"Option14", K::OptionButton, "開く", "", {720, 240, 600, 255}, "Frame4"},
        {"Option17", K::OptionButton, "開く(auto)", "", {1320, 240, 1050, 255}, "Frame4"},
        {"Option15", K::OptionButton, "MediaPlayerc", "", {120, 480, 1200, 255}, "Frame4"},
        {"Option16", K::OptionButton, "Pem View", "", {1320, 480, 1050, 255}, "Frame4"},
        {"Check26", K::CheckBox, "終了", "繰り返し優先", {840, 0, 600, 195}, "Frame4"},
        {"Check27", K::CheckBox, "更新後", "", {1440, 0, 780, 195}, "Frame4"},
    };
    t.insert(t.end(), rest.begin(), rest.end());
    return t;
}

}  // namespace

SettingsForm::SettingsForm()
    : Form({"Form2", "ケストロヴァ 設定画面(Kestrova)", 7275, 5520, FormBorder::FixedToolWindow, true, false}, SettingsTable()),
      Label1(Get<Label>("Label1")),
      Label18(Get<Label>("Label18")),
      Label19(Get<Label>("Label19")),
      Label20(Get<Label>("Label20")),
      Label21(Get<Label>("Label21")),
      Command1(Get<CommandButton>("Command1")),
      Command2(Get<CommandButton>("Command2")),
      Image1(Get<ImageControl>("Image1")),
      Image2(Get<ImageControl>("Image2")),
      Line1(Get<Line>("Line1")),
      Frame1(Get<Frame>("Frame1")),
      Frame2(Get<Frame>("Frame2")),
      Frame3(Get<Frame>("Frame3")),
      Frame4(Get<Frame>("Frame4")) {
    BindNumbered(*this, "Text", 1, Text);
    BindNumbered(*this, "Check", 1, Check);
    BindNumbered(*this, "Option", 1, Option);
    BindNumbered(*this, "Label", 2, RowLabel);
}

}  // namespace kestrova
