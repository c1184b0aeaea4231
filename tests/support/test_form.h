#pragma once
// A small window for platform tests, built from a table like the program's.
#include "platform/model/form.h"
#include "platform/model/listview.h"

namespace kestrova::testing {

inline std::vector<ControlDesign> SmallTable() {
    using K = ControlKind;
    return {
        {"Check1", K::CheckBox, "one", "", {120, 120, 1200, 255}},
        {"Command1", K::CommandButton, "go", "", {1200, 600, 900, 300}},
        {"Frame1", K::Frame, "A", "", {120, 1000, 1500, 900}},
        {"Option1", K::OptionButton, "a1", "", {120, 240, 900, 255}, "Frame1"},
        {"Option2", K::OptionButton, "a2", "", {120, 480, 900, 255}, "Frame1"},
        {"Option3", K::OptionButton, "b1", "", {2000, 1000, 900, 255}},
        {"Option4", K::OptionButton, "b2", "", {2000, 1300, 900, 255}},
        {"Text1", K::TextBox, "start", "", {120, 2000, 1500, 270}},
        {"Combo1", K::ComboBox, "", "", {120, 2400, 1500, 300}},
        {"List1", K::ListView, "", "", {3000, 0, 6000, 4000}},
        {"Timer1", K::Timer, "", "", {}, "", false},
    };
}

class SmallForm : public Form {
public:
    SmallForm() : Form({"Small", "小さい窓", 9600, 4800}, SmallTable()) {}
    CheckBox& check() { return Get<CheckBox>("Check1"); }
    OptionButton& option(int n) { return Get<OptionButton>("Option" + std::to_string(n)); }
    ListView& list() { return Get<ListView>("List1"); }
    Timer& timer() { return Get<Timer>("Timer1"); }
};

}  // namespace kestrova::testing
