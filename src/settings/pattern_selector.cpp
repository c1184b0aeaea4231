#include "pattern_selector.h"

#include <algorithm>
#include <vector>

namespace kestrova {

void FillPatternSelector(Program& p) {
    ComboBox& selector = p.Form1.Combo1;
    const std::string text = selector.Text();
    selector.Clear();
    for (int i = 1; i <= kDisplaySlots; ++i) {
        const std::string& pattern = p.state.DisplayEntries[i].Pattern;
        if (!pattern.empty()) selector.AddItem(pattern);
    }
    selector.SetText(text);
}

void PromoteSelectedPattern(Program& p) {
    const std::string chosen = p.Form1.Combo1.Text();
    std::vector<std::string> list{chosen};
    for (int i = 1; i <= kDisplaySlots && list.size() < kDisplaySlots; ++i) {
        const std::string& pattern = p.state.DisplayEntries[i].Pattern;
        if (!pattern.empty() && std::find(list.begin(), list.end(), pattern) == list.end()) list.push_back(pattern);
    }
    list.resize(kDisplaySlots);
    for (int i = 1; i <= kDisplaySlots; ++i) p.state.DisplayEntries[i].Pattern = list[static_cast<size_t>(i - 1)];
    p.state.SelectedPattern = chosen;
    for (int i = 1; i <= kDisplaySlots; ++i) p.Form2.Text[32 + i]->SetText(p.state.DisplayEntries[i].Pattern);
    FillPatternSelector(p);
}

void Dir1_Change(Program& p) { p.Form1.File1.SetPattern(p.Form1.Combo1.Text()); }

void Combo1_LostFocus(Program& p) {
    Dir1_Change(p);
    PromoteSelectedPattern(p);
}

void Combo1_KeyDown(Program& p, int /*key*/, int shift) {
    if ((shift & (kShiftMask | kCtrlMask | kAltMask)) == 0) p.state.AbortRequested = 1;
}

}  // namespace kestrova
