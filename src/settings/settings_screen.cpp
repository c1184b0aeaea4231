#include "settings_screen.h"

#include "platform/text/codepage.h"
#include "platform/system/files.h"
#include "settings_transfer.h"

namespace kestrova {
namespace {

constexpr int kShortNameChars = 10;

}  // namespace

// Either separator ends a part, so a folder typed in Windows form still
// gives its last part as a title.
std::string ShortFolderName(const std::string& folder) {
    if (CharCount(folder) <= kShortNameChars) return folder;
    const size_t last = folder.find_last_of("/\\");
    const std::string tail = last == std::string::npos ? folder : folder.substr(last + 1);
    return LeftChars(tail, kShortNameChars);
}

void CheckFolderListed(Program& p) {
    SettingsForm& screen = p.Form2;
    screen.FolderAlreadyListed = 0;
    if (screen.ChosenFolder.empty()) return;
    for (int i = 17; i <= 32; ++i) {
        if (screen.Text[i]->Text() == screen.ChosenFolder) {
            screen.FolderAlreadyListed = 1;
            return;
        }
    }
}

void BrowseFolder(Program& p) {
    SettingsForm& screen = p.Form2;
    const bool network = screen.Check[22]->Value() == 1;
    std::optional<std::string> chosen = p.services.BrowseFolder("", network);
    if (!chosen) return;
    screen.ChosenFolder = *chosen;
    if (network && !IsNetworkPath(screen.ChosenFolder)) {
        screen.ChosenFolder.clear();
        p.services.MsgBox(kCannotChoose, kOkOnly, kNoIcon);
    }
    CheckFolderListed(p);
    if (screen.FolderAlreadyListed == 1 &&
        p.services.MsgBox(screen.ChosenFolder + kAlreadyListedQuestion, kYesNo, kQuestion) == kNo) {
        return;
    }
    const int row = screen.CurrentRow;
    screen.Text[16 + row]->SetText(screen.ChosenFolder);
    screen.ShortName = ShortFolderName(screen.ChosenFolder);
    if (screen.Text[row]->Text().empty()) screen.Text[row]->SetText(LeftBytes(screen.ShortName, 1, 10));
    screen.CurrentRow = 0;
    screen.ChosenFolder.clear();
}

std::string SettingsHelpText(const std::string& program_title) {
    static const char* const kLines[] = {
        "――――――　表示フォルダ名　―――",
        "表示タイトル名又は表示フォルダ名を　　",
        "カーソル選択後　参照ボタンで設定する　",
        "Ｎｅｔでネットワークドライブ選択可能　",
        "Ｓｕｂでデレクトリ以下の読取り可能　",
        "――――――　パターンリスト　――――",
        "パターンのリスト編集が可能（削除等）　",
        "――――――　起動方法　―――――",
        "　起動時　何も処理しないで起動　　",
        "　最新の情報に更新して起動　　　　",
        "　前回の更新情報で起動　「\"」対策",
        "　自動実行起動できる(繰り返し表示可)",
        "――――――　その他　―――――――",
        "ソート項目　　起動時のソート条件の設定",
        "フォルダ名　　 リストのフォルダ名表示",
        "隠しファイル　  隠しファイルも表示　",
        "アイコン　　　  リストのアイコン表示選択",
        "サイズチェック　同一ファイル確認用＊印",
        " View時　画像拡大,全画面表示,時間(秒)",
        "",
    };
    std::string text;
    for (const char* line : kLines) {
        text += line;
        text += '\r';
    }
    return text + program_title + "  by Pem";
}

namespace form2 {

void Command1_Click(Program& p) {
    const int row = p.Form2.CurrentRow;
    if (row >= 1 && row <= kDisplaySlots) BrowseFolder(p);
}

void Check19_LostFocus(Program& p) { p.state.ShowFolderColumn = p.Form2.Check[19]->Value() == 1 ? 1 : 0; }

void Image2_Click(Program& p) {
    p.services.MsgBox(SettingsHelpText(p.state.ProgramTitle), kOkOnly, kNoIcon, kSettingsHelpTitle);
}

void Image1_Click(Program& p) {
    if (p.services.MsgBox(kResetQuestion, kYesNo, kQuestion) == kNo) return;
    LoadDefaultSettings(p);
}

void StartModeOption_Click(Program& p) { p.Form2.Check[2]->SetEnabled(p.Form2.Option[12]->Value()); }

}  // namespace form2

}  // namespace kestrova
