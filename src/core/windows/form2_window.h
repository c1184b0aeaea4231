#pragma once
// The settings screen: sixteen folder rows, the pattern list and every option.
#include <cstdint>
#include <string>

#include "platform/model/form.h"

namespace kestrova {

class SettingsForm : public Form {
public:
    SettingsForm();

    TextBox* Text[50];        // Text1..Text49 at [1]..[49]
    CheckBox* Check[28];      // Check1..Check27 at [1]..[27]
    OptionButton* Option[18]; // Option1..Option17 at [1]..[17]
    Label* RowLabel[17];      // Label2..Label17: row numbers of rows 1..16
    Label& Label1;
    Label& Label18;
    Label& Label19;
    Label& Label20;
    Label& Label21;
    CommandButton& Command1;  // 参照
    CommandButton& Command2;  // 閉じる
    ImageControl& Image1;     // reset to defaults
    ImageControl& Image2;     // help
    Line& Line1;
    Frame& Frame1;
    Frame& Frame2;
    Frame& Frame3;
    Frame& Frame4;

    // Form state of the folder rows and the folder browser.
    int CurrentRow = 0;
    std::string ChosenFolder;
    std::int16_t FolderAlreadyListed = 0;
    std::string ShortName;
    // The last display-time entry the user was told is not a number.
    std::string ReportedBadSeconds;
};

}  // namespace kestrova
