#include "viewer_windows.h"

namespace kestrova {
namespace {

constexpr Color kBlack = Rgb(0, 0, 0);

std::vector<ControlDesign> ViewerTable(bool with_menu) {
    using K = ControlKind;
    std::vector<ControlDesign> t = {
        {"Picture1", K::PictureBox, "", "", {0, 0, 480, 480}, "", false},
        {"Label1", K::Label, "", "", {120, 2520, 4440, 255}},
    };
    if (with_menu) {
        t.push_back({"KestMenu2", K::Menu, "Viewメニュー", "", {}, "", false});
        t.push_back({"FullDisp", K::Menu, "ﾌﾙｽｸﾘｰﾝ", "", {}, "KestMenu2"});
        t.push_back({"Max", K::Menu, "画像が拡大", "", {}, "KestMenu2"});
        t.push_back({"CloseDisp", K::Menu, "閉じる", "", {}, "KestMenu2"});
    }
    return t;
}

void PaintBlackWithGreenCaption(Form& form, Label& caption) {
    form.SetBackColor(kBlack);
    caption.SetBackColor(kBlack);
    caption.SetForeColor(Rgb(0, 192, 0));
}

}  // namespace

FullScreenViewerForm::FullScreenViewerForm()
    : Form({"Form4", "", 4680, 3195, FormBorder::None, false, true, false}, ViewerTable(true)),
      Picture1(Get<PictureBox>("Picture1")),
      Label1(Get<Label>("Label1")),
      KestMenu2(Get<Menu>("KestMenu2")) {
    PaintBlackWithGreenCaption(*this, Label1);
}

WindowViewerForm::WindowViewerForm()
    : Form({"Form5", "Pem View", 4680, 3195, FormBorder::Sizable, false, true, false}, ViewerTable(false)),
      Picture1(Get<PictureBox>("Picture1")),
      Label1(Get<Label>("Label1")) {
    PaintBlackWithGreenCaption(*this, Label1);
}

}  // namespace kestrova
