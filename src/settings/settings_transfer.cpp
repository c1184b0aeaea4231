#include "settings_transfer.h"

#include <cstdio>

#include "pattern_selector.h"
#include "platform/text/codepage.h"
#include "platform/text/textformat.h"

namespace kestrova {
namespace {

constexpr int kSortKeyOptions[] = {3, 7, 4, 5, 6};  // SortKey 0..4
constexpr int kSortOrderOptions[] = {1, 2};         // SortOrder 0..1
constexpr int kIconModeOptions[] = {8, 9};          // IconMode 0..1
constexpr int kStartModeOptions[] = {10, 11, 12};   // StartMode 0..2
constexpr int kAutoRunOptions[] = {13, 14, 15, 16, 17};  // AutoRunChoice 0..4

int AsCheck(std::int16_t setting) { return IsOn(setting) ? 1 : 0; }
std::int16_t FromCheck(const CheckBox& box) { return box.Value() == 1 ? 1 : 0; }

// Selects the button listed for value; a value without a button leaves the
// group as it is.
template <size_t N>
void SelectOption(SettingsForm& screen, const int (&buttons)[N], std::int16_t value) {
    if (value >= 0 && static_cast<size_t>(value) < N) screen.Option[buttons[value]]->SetValue(true);
}

// The value of the group's selected button, or nullopt when none is.
template <size_t N>
std::optional<std::int16_t> SelectedOption(const SettingsForm& screen, const int (&buttons)[N]) {
    for (size_t v = 0; v < N; ++v) {
        if (screen.Option[buttons[v]]->Value()) return static_cast<std::int16_t>(v);
    }
    return std::nullopt;
}

// Text49 to ViewSeconds: empty means 0; text that is not a 16-bit number
// keeps the previous value, and the user is told.
void TakeViewSeconds(Program& p) {
    TextBox& box = *p.Form2.Text[49];
    if (box.Text().empty()) box.SetText("0");
    if (auto seconds = TextToInt16(box.Text())) {
        p.state.ViewSeconds = *seconds;
        p.Form2.ReportedBadSeconds.clear();
    } else if (box.Text() != p.Form2.ReportedBadSeconds) {
        // Several transfers run back to back; one message per bad entry.
        p.Form2.ReportedBadSeconds = box.Text();
        p.services.MsgBox("表示時間(秒) の値 \"" + box.Text() + "\" は数値ではありません。" + std::to_string(p.state.ViewSeconds) +
                              " 秒のままにします。",
                          kOkOnly, kExclamation);
    }
}

}  // namespace

void SettingsToScreen(Program& p) {
    SharedState& s = p.state;
    SettingsForm& screen = p.Form2;
    for (int i = 1; i <= kDisplaySlots; ++i) {
        screen.Text[i]->SetText(s.DisplayEntries[i].Title);
        screen.Text[16 + i]->SetText(s.DisplayEntries[i].Folder);
        screen.Text[32 + i]->SetText(s.DisplayEntries[i].Pattern);
    }
    screen.Text[49]->SetText(std::to_string(s.ViewSeconds));
    for (int i = 1; i <= kDisplaySlots; ++i) {
        p.Form1.Check[i]->SetValue(AsCheck(s.DisplayEntries[i].Enabled));
        screen.Check[2 + i]->SetValue(AsCheck(s.DisplayEntries[i].IncludeSubfolders));
    }
    screen.Check[23]->SetValue(AsCheck(s.ZoomSetting));
    s.ZoomMode = IsOn(s.ZoomSetting) ? 1 : 0;
    screen.Check[24]->SetValue(AsCheck(s.LoopSetting));
    s.LoopMode = IsOn(s.LoopSetting) ? 1 : 0;
    screen.Check[25]->SetValue(AsCheck(s.FullScreenView));
    screen.Check[26]->SetValue(AsCheck(s.QuitAfterAutoRun));
    screen.Check[27]->SetValue(AsCheck(s.AutoRunAfterRefresh));
    screen.Check[1]->SetValue(AsCheck(s.SizeCheck));

    SelectOption(screen, kSortOrderOptions, s.SortOrder);
    SelectOption(screen, kSortKeyOptions, s.SortKey);
    SelectOption(screen, kIconModeOptions, s.IconMode);
    screen.Check[2]->SetValue(AsCheck(s.QuoteHandling));
    SelectOption(screen, kStartModeOptions, s.StartMode);
    screen.Check[2]->SetEnabled(screen.Option[12]->Value());
    SelectOption(screen, kAutoRunOptions, s.AutoRunChoice);

    // The remembered size belongs to the normal window; a minimised or
    // maximised one keeps its size and its selector text. The outer size
    // decides the inner one, so the remembered inner size needs no action.
    if (p.Form1.State() == kNormal) {
        p.Form1.Move(p.Form1.Left(), p.Form1.Top(), s.MainWidth, s.MainHeight);
        p.Form1.Combo1.SetText(s.SelectedPattern);
    }
    s.CurrentFolderColumnWidth = s.FolderColumnWidth;
    screen.Check[19]->SetValue(AsCheck(s.ShowFolderColumn));
    screen.Check[20]->SetValue(AsCheck(s.ShowIcons));
    screen.Check[21]->SetValue(AsCheck(s.ShowHiddenFiles));
}

void ScreenTextsToSettings(Program& p) {
    for (int i = 1; i <= kDisplaySlots; ++i) {
        DisplayEntry& e = p.state.DisplayEntries[i];
        e.Title = p.Form2.Text[i]->Text();
        e.Folder = p.Form2.Text[16 + i]->Text();
        e.Pattern = p.Form2.Text[32 + i]->Text();
    }
    TakeViewSeconds(p);
}

void ReadEnabledChecks(Program& p) {
    for (int i = 1; i <= kDisplaySlots; ++i) p.state.DisplayEntries[i].Enabled = FromCheck(*p.Form1.Check[i]);
}

void ScreenOptionsToSettings(Program& p) {
    SharedState& s = p.state;
    SettingsForm& screen = p.Form2;
    ReadEnabledChecks(p);
    for (int i = 1; i <= kDisplaySlots; ++i) s.DisplayEntries[i].IncludeSubfolders = FromCheck(*screen.Check[2 + i]);

    s.StartMode = 0;
    s.QuoteHandling = 0;
    s.SizeCheck = FromCheck(*screen.Check[1]);
    s.ZoomSetting = FromCheck(*screen.Check[23]);
    s.LoopSetting = FromCheck(*screen.Check[24]);
    s.FullScreenView = FromCheck(*screen.Check[25]);
    s.QuitAfterAutoRun = FromCheck(*screen.Check[26]);
    s.AutoRunAfterRefresh = FromCheck(*screen.Check[27]);

    TakeViewSeconds(p);

    if (auto v = SelectedOption(screen, kAutoRunOptions)) s.AutoRunChoice = *v;
    if (auto v = SelectedOption(screen, kSortOrderOptions)) s.SortOrder = *v;
    if (auto v = SelectedOption(screen, kSortKeyOptions)) s.SortKey = *v;
    if (auto v = SelectedOption(screen, kIconModeOptions)) s.IconMode = *v;
    s.QuoteHandling = FromCheck(*screen.Check[2]);
    if (auto v = SelectedOption(screen, kStartModeOptions)) s.StartMode = *v;

    s.SelectedPattern = p.Form1.Combo1.Text();
    s.ShowFolderColumn = FromCheck(*screen.Check[19]);
    s.ShowIcons = FromCheck(*screen.Check[20]);
    s.ShowHiddenFiles = FromCheck(*screen.Check[21]);
    if (IsOn(s.ShowFolderColumn)) s.CurrentFolderColumnWidth = p.Form1.ListView1.ColumnWidth(2);
    s.FolderColumnWidth = s.CurrentFolderColumnWidth;
}

void LabelEnabledChecks(Program& p) {
    for (int i = 1; i <= kDisplaySlots; ++i) p.Form1.Check[i]->SetCaption("");
    for (int i = 1; i <= kDisplaySlots; ++i) {
        const DisplayEntry& e = p.state.DisplayEntries[i];
        if (e.Folder.empty()) continue;
        char number[8];
        std::snprintf(number, sizeof number, "%02d:", i);
        p.Form1.Check[i]->SetCaption(number + LeftBytes(e.Title, 1, 10));
    }
}

void ApplyFolderColumn(Program& p) {
    SharedState& s = p.state;
    ListView& list = p.Form1.ListView1;
    if (list.ColumnCount() < 2) return;
    if (IsOn(s.ShowFolderColumn)) {
        list.SetColumnWidth(2, s.CurrentFolderColumnWidth);
        s.ShownFolderColumnWidth = s.CurrentFolderColumnWidth;
    } else {
        list.SetColumnWidth(2, 0);
        s.ShownFolderColumnWidth = 0;
    }
    // A negative width cannot be set; the column then stays as it was.
    // A width from a damaged settings file may be near either end of its
    // range, so the room left is worked out without overflowing.
    const std::int64_t name_width =
        std::int64_t{p.Form1.ScaleWidth()} - (std::int64_t{s.ShownFolderColumnWidth} + kFixedColumnsRoom);
    if (name_width >= 0) list.SetColumnWidth(1, ClampTwips(name_width, 0));
}

void LoadDefaultSettings(Program& p) {
    ApplyDefaultSettings(p.state);
    SettingsToScreen(p);
}

void CloseSettingsScreen(Program& p, bool apply_folder_column) {
    if (apply_folder_column) ApplyFolderColumn(p);
    ScreenTextsToSettings(p);
    ScreenOptionsToSettings(p);
    LabelEnabledChecks(p);
    FillPatternSelector(p);
    p.Form1.Hide();
    p.Form1.Show();
    p.Form2.Hide();
    p.state.SettingsScreenOpen = 0;
}

void Command1_Click(Program& p) {
    if (IsOn(p.state.SettingsScreenOpen)) {
        CloseSettingsScreen(p, true);
        return;
    }
    if (IsOn(p.state.ShowFolderColumn) && p.Form1.ListView1.ColumnCount() >= 2) {
        p.state.CurrentFolderColumnWidth = p.Form1.ListView1.ColumnWidth(2);
    }
    p.Form2.Show();
    ReadEnabledChecks(p);
    ScreenOptionsToSettings(p);
    SettingsToScreen(p);
    p.state.SettingsScreenOpen = 1;
}

}  // namespace kestrova
