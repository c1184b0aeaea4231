#include "form1_window.h"

#include "platform/model/control_table.h"

namespace kestrova {
namespace {

std::vector<ControlDesign> MainTable() {
    using K = ControlKind;
    std::vector<ControlDesign> t = {
        {"Label1", K::Label, "表示タイトル名", "", {360, 120, 1215, 255}},
    };
    for (int k = 1; k <= 16; ++k) t.push_back({Numbered("Check", k), K::CheckBox, "", "", {120, 360 + 200 * (k - 1), 1560, 255}});
    const std::vector<ControlDesign> rest = {
        {"Combo1", K::ComboBox, "表示ﾊﾟﾀｰﾝ選択", "", {120, 3600, 1460, 300}},
        {"Command3", K::CommandButton, "最新の情報に更新", "", {50, 3960, 1550, 420}},
        {"Command1", K::CommandButton, "設定", "", {50, 4440, 615, 300}},
        {"Command2", K::CommandButton, "終了", "", {720, 4440, 855, 300}},
        {"Image1", K::Image, "", "処理中断", {120, 4800, 480, 480}},
        {"Image2", K::Image, "", "ﾌｫﾙﾀﾞ名表示変更", {600, 4800, 480, 480}},
        {"Image3", K::Image, "", "強制終了", {1080, 4800, 480, 480}},
        {"Image4", K::Image, "", "", {120, 5280, 480, 480}, "", false},
        {"Image5", K::Image, "", "", {600, 5280, 480, 480}, "", false},
        {"Image7", K::Image, "", "", {1080, 5280, 480, 480}, "", false},
        // A drawing surface only; the user never needs to see it.
        {"Picture1", K::PictureBox, "", "", {2160, 5280, 550, 550}, "", false},
        {"Drive1", K::DriveList, "", "", {0, 5880, 1455, 315}, "", false},
        {"Dir1", K::DirList, "", "", {0, 6240, 1455, 900}, "", false},
        {"File1", K::FileList, "", "", {0, 7200, 1455, 900}, "", false},
        {"ListView1", K::ListView, "", "", {1680, 0, 10320 - 1740, 9270 - 660}},
        {"Label3", K::Label, "", "", {1800, 4440, 16005, 255}},
        {"Label2", K::Label, "", "", {1800, 4680, 9495, 255}},
        {"ImageList1", K::ImageList, "", "", {}, "", false},
        {"Timer1", K::Timer, "", "", {}, "", false},
        {"Kestmenu", K::Menu, "ListViewメニュー", "", {}, "", false},
        {"Kest_Open", K::Menu, "開く", "", {}, "Kestmenu"},
        {"Kestren", K::Menu, "名前の変更", "", {}, "Kestmenu"},
        {"KestDel", K::Menu, "削除", "", {}, "Kestmenu"},
        {"sep", K::Menu, "-", "", {}, "Kestmenu"},
        {"MPC_Open", K::Menu, "Media Player Classic (動画)", "", {}, "Kestmenu"},
        {"Pem_Open", K::Menu, "Pem View (画像)", "", {}, "Kestmenu"},
        {"Pem_Help", K::Menu, "Ｈｅｌｐ", "", {}, "Kestmenu"},
    };
    t.insert(t.end(), rest.begin(), rest.end());
    return t;
}

}  // namespace

MainForm::MainForm()
    : Form({"Form1", "Form1", 10320, 9270, FormBorder::Sizable, true, false}, MainTable()),
      Label1(Get<Label>("Label1")),
      Label2(Get<Label>("Label2")),
      Label3(Get<Label>("Label3")),
      Combo1(Get<ComboBox>("Combo1")),
      Command1(Get<CommandButton>("Command1")),
      Command2(Get<CommandButton>("Command2")),
      Command3(Get<CommandButton>("Command3")),
      Image1(Get<ImageControl>("Image1")),
      Image2(Get<ImageControl>("Image2")),
      Image3(Get<ImageControl>("Image3")),
      Image4(Get<ImageControl>("Image4")),
      Image5(Get<ImageControl>("Image5")),
      Image7(Get<ImageControl>("Image7")),
      Picture1(Get<PictureBox>("Picture1")),
      Drive1(Get<DriveListBox>("Drive1")),
      Dir1(Get<DirListBox>("Dir1")),
      File1(Get<FileListBox>("File1")),
      ListView1(Get<ListView>("ListView1")),
      ImageList1(Get<ImageList>("ImageList1")),
      Timer1(Get<Timer>("Timer1")),
      Kestmenu(Get<Menu>("Kestmenu")),
      Kest_Open(Get<Menu>("Kest_Open")),
      Kestren(Get<Menu>("Kestren")),
      KestDel(Get<Menu>("KestDel")),
      MPC_Open(Get<Menu>("MPC_Open")),
      Pem_Open(Get<Menu>("Pem_Open")),
      Pem_Help(Get<Menu>("Pem_Help")) {
    BindNumbered(*this, "Check", 1, Check);
}

}  // namespace kestrova
