#pragma once
// The progress window shown while the start-up refresh or list load runs.
#include "platform/model/form.h"

namespace kestrova {

inline constexpr const char* kProgressCountCaption = "処理件数（ｸﾘｯｸで中断）";

class ProgressForm : public Form {
public:
    ProgressForm();

    Label& Label1;  // message
    Label& Label2;  // folder row number
    Label& Label3;  // running count
    ImageControl& Image1;
    Line* Lines[7];  // Line1..Line6 at [1]..[6], decoration
};

}  // namespace kestrova
