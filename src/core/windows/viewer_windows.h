#pragma once
// The two picture-viewer windows: full screen (Form4) and windowed (Form5).
#include "platform/model/form.h"

namespace kestrova {

class FullScreenViewerForm : public Form {
public:
    FullScreenViewerForm();
    PictureBox& Picture1;
    Label& Label1;
    Menu& KestMenu2;
};

class WindowViewerForm : public Form {
public:
    WindowViewerForm();
    PictureBox& Picture1;
    Label& Label1;
};

}  // namespace kestrova
