#include "startup.h"

#include "app/shutdown.h"
#include "listing/icon_list.h"
#include "listing/refresh.h"
#include "mainwin/main_window.h"
#include "settings/pattern_selector.h"
#include "settings/settings_file.h"
#include "settings/settings_transfer.h"
#include "settings/unreadable_file.h"
#include "settings/window_sizes.h"
#include "viewer/viewer_setup.h"

namespace kestrova {
namespace {

constexpr Color kProgressAutoRunColor = Rgb(0, 255, 255);
constexpr Color kProgressPlainColor = Rgb(128, 255, 128);
constexpr const char* kLoadingListMessage = "ケストロヴァ 起動中です";

void BuildListColumns(Program& p) {
    SharedState& s = p.state;
    ListView& list = p.Form1.ListView1;
    list.AddColumn("名前", 2208);
    s.ShownFolderColumnWidth = IsOn(s.ShowFolderColumn) ? s.CurrentFolderColumnWidth : 0;
    list.AddColumn("フォルダ名", s.ShownFolderColumnWidth);
    list.AddColumn("サイズ(Byte)", 1653, ColumnAlign::Right);
    list.AddColumn("更新日時", 1753);
    list.AddColumn("No", 526);
}

void RunStartMode(Program& p) {
    SharedState& s = p.state;
    ProgressForm& progress = p.Form3;
    const Color colour = IsOn(s.AutoRunActive) ? kProgressAutoRunColor : kProgressPlainColor;
    progress.SetBackColor(colour);
    progress.Label1.SetBackColor(colour);
    if (s.StartMode == kStartRefresh) {
        progress.Show();
        IgnoringErrors([&] { RefreshList(p); });
        progress.Hide();
        p.Form1.SetCaption(s.ProgramTitle);
    } else if (s.StartMode == kStartShowPrevious) {
        progress.Label1.SetCaption(kLoadingListMessage);
        progress.Show();
        IgnoringErrors([&] { RunHandoff(p.handoffs.LoadListFile); });
        progress.Hide();
        p.Form1.SetCaption(s.ProgramTitle);
    }
}

// The settings file, or the defaults. Whatever the file does not say keeps
// its default: a file cut short must not leave a window of no size or a
// wait of no seconds. A file that cannot be read is reported, and the
// program runs on the defaults without writing them over it.
void ReadSettingsAtStart(Program& p) {
    SharedState& s = p.state;
    std::string error;
    switch (CheckFileAtStart(p, s.SettingsFilePath, s.SettingsFileUnread)) {
        case FileAtStart::Missing:
        case FileAtStart::Unusable: LoadDefaultSettings(p); break;
        case FileAtStart::Readable:
            ApplyDefaultSettings(s);
            if (ReadSettingsFile(s, error)) break;
            LoadDefaultSettings(p);
            s.SettingsFileUnread = 1;
            ReportUnreadableFile(p, s.SettingsFilePath, error);
            break;
    }
    KeepRememberedSizesUsable(s, p.services.ScreenAreas());
    // What the settings say of the list is what the list file holds.
    s.ListOnDisk = ListedSummary(s);
}

void RunAutomaticStart(Program& p) {
    SharedState& s = p.state;
    if (IsOn(s.AbortRequested) || (s.StartMode != kStartRefresh && s.StartMode != kStartShowPrevious)) return;
    SelectAll(p);
    RunAutoRunChoice(p);
}

}  // namespace

void Form1_Load(Program& p) {
    SharedState& s = p.state;
    MainForm& f = p.Form1;
    s.ProgramTitle = kProgramTitle;
    s.AbortRequested = s.RefreshRunning = s.Interrupted = s.AutoRunActive = 0;
    s.RenamePending = s.AllSelectedToggle = 0;
    IgnoringErrors([&] {
        f.SetCaption(s.ProgramTitle);
        f.Timer1.SetEnabled(false);
    });
    s.ZoomMode = s.LoopMode = s.OpenSequenceActive = 0;
    IgnoringErrors([&] {
        LoadWindowPictures(p);
        f.Label2.SetWidth(12000);
        PrepareViewerWindows(p);
    });
    IgnoringErrors([&] {
        SetProgramPaths(s, p.executable_folder);
        RecoverInterruptedSaves(s);
        ReadSettingsAtStart(p);
    });
    IgnoringErrors([&] { FillPatternSelector(p); });
    IgnoringErrors([&] { SettingsToScreen(p); });
    IgnoringErrors([&] { f.File1.SetPattern(f.Combo1.Text()); });
    IgnoringErrors([&] { BuildListColumns(p); });
    IgnoringErrors([&] { LabelEnabledChecks(p); });
    s.SizeMark = " ";
    IgnoringErrors([&] { PrepareIconList(p); });
    const bool starts_with_list = s.StartMode == kStartRefresh || s.StartMode == kStartShowPrevious;
    if (starts_with_list && s.AutoRunChoice >= kAutoRunOpen && s.AutoRunChoice <= kAutoRunOpenTimed) s.AutoRunActive = 1;
    if (s.StartMode != kStartOnly) {
        IgnoringErrors([&] { RunStartMode(p); });
        IgnoringErrors([&] { RunAutomaticStart(p); });
    }
    s.LoadCompleted = 1;
}

void Form1_QueryUnload(Program& p) {
    // A refresh under way is interrupted first; the close follows once it
    // has stopped (RefreshButtonClick hands over to CloseMainWindow).
    if (IsOn(p.state.RefreshRunning)) return InterruptForClose(p);
    CloseMainWindow(p);
}

void Command2_Click(Program& p) {
    if (p.services.MsgBox("終了しますか", kYesNo, kQuestion) != kYes) return;
    if (IsOn(p.state.Closing)) return;
    const ClosingNow closing(p.state);
    IgnoringErrors([&] { ReadEnabledChecks(p); });
    IgnoringErrors([&] { SettingsToScreen(p); });
    IgnoringErrors([&] { ScreenOptionsToSettings(p); });
    IgnoringErrors([&] { ScreenTextsToSettings(p); });
    SaveAndEnd(p);
}

}  // namespace kestrova
