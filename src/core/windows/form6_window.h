#pragma once
// The small next-item dialog of the open sequence.
#include "platform/model/form.h"

namespace kestrova {

class NextItemForm : public Form {
public:
    NextItemForm();
    Label& Label1;
    CommandButton& Command1;  // 次へ
    CommandButton& Command2;  // 戻る
    CommandButton& Command3;  // 終了
};

}  // namespace kestrova
