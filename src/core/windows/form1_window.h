#pragma once
// The main window: the row check boxes, the pattern selector, the command
// and picture buttons on the left, the file list and two status lines.
#include <string>

#include "platform/model/file_list_controls.h"
#include "platform/model/form.h"
#include "platform/model/listview.h"

namespace kestrova {

class MainForm : public Form {
public:
    MainForm();

    Label& Label1;
    Label& Label2;  // summary line of the refresh
    Label& Label3;  // status line
    CheckBox* Check[17];  // Check1..Check16 at [1]..[16]
    ComboBox& Combo1;
    CommandButton& Command1;  // 設定
    CommandButton& Command2;  // 終了
    CommandButton& Command3;  // 最新の情報に更新
    ImageControl& Image1;
    ImageControl& Image2;
    ImageControl& Image3;
    ImageControl& Image4;
    ImageControl& Image5;
    ImageControl& Image7;
    PictureBox& Picture1;
    DriveListBox& Drive1;
    DirListBox& Dir1;
    FileListBox& File1;
    ListView& ListView1;
    ImageList& ImageList1;
    Timer& Timer1;
    Menu& Kestmenu;
    Menu& Kest_Open;
    Menu& Kestren;
    Menu& KestDel;
    Menu& MPC_Open;
    Menu& Pem_Open;
    Menu& Pem_Help;

    // The file a rename or delete acts on, and the rename's new path and
    // old name, kept from the menu command to the end of the edit.
    std::string TargetPath;
    std::string RenameNewPath;
    std::string RenameOldName;
};

}  // namespace kestrova
