#include "form3_window.h"

#include "platform/model/control_table.h"

namespace kestrova {
namespace {

std::vector<ControlDesign> ProgressTable() {
    using K = ControlKind;
    return {
        {"Label1", K::Label, "", "", {120, 120, 3600, 255}},
        {"Image1", K::Image, "", "ｸﾘｯｸで処理中断", {120, 480, 480, 480}},
        {"Label3", K::Label, kProgressCountCaption, "", {720, 480, 2400, 255}},
        {"Label2", K::Label, "", "", {3240, 480, 480, 255}},
        {"Line1", K::Line, "", "", {720, 780, 3000, 0}},
        {"Line2", K::Line, "", "", {720, 840, 3000, 0}},
        {"Line3", K::Line, "", "", {720, 900, 3000, 0}},
        {"Line4", K::Line, "", "", {60, 60, 3720, 0}},
        {"Line5", K::Line, "", "", {60, 1080, 3720, 0}},
        {"Line6", K::Line, "", "", {60, 60, 0, 1020}},
    };
}

}  // namespace

ProgressForm::ProgressForm()
    : Form({"Form3", "ケストロヴァ", 3840, 1140, FormBorder::FixedToolWindow, true, true}, ProgressTable()),
      Label1(Get<Label>("Label1")),
      Label2(Get<Label>("Label2")),
      Label3(Get<Label>("Label3")),
      Image1(Get<ImageControl>("Image1")) {
    BindNumbered(*this, "Line", 1, Lines);
}

}  // namespace kestrova
