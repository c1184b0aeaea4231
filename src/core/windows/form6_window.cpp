#include "form6_window.h"

namespace kestrova {
namespace {

std::vector<ControlDesign> NextItemTable() {
    using K = ControlKind;
    return {
        {"Label1", K::Label, "1/2", "", {120, 120, 1695, 255}},
        {"Command1", K::CommandButton, "次へ", "", {100, 480, 600, 300}},
        {"Command2", K::CommandButton, "戻る", "", {700, 480, 600, 300}},
        {"Command3", K::CommandButton, "終了", "", {1320, 480, 600, 300}},
    };
}

}  // namespace

NextItemForm::NextItemForm()
    : Form({"Form6", "次処理へ（ケストロヴァ）", 1965, 840, FormBorder::FixedToolWindow, false, false}, NextItemTable()),
      Label1(Get<Label>("Label1")),
      Command1(Get<CommandButton>("Command1")),
      Command2(Get<CommandButton>("Command2")),
      Command3(Get<CommandButton>("Command3")) {
    SetBackColor(Rgb(192, 255, 255));
}

}  // namespace kestrova
