#include "refresh.h"

#include <memory>

#include "file_rows.h"
#include "folder_scan.h"
#include "icon_list.h"
#include "platform/system/free_memory.h"
#include "settings/failed_save.h"
#include "settings/settings_transfer.h"
#include "sorting.h"
#include "core/timed_wait.h"

namespace kestrova {
namespace {

void ZeroCounters(SharedState& s) {
    s.ListedFileCount = 0;
    s.ListedTotalBytes = 0;
    s.RowFileCount = 0;
    s.RowBytes = 0;
    s.TotalFileCount = 0;
    s.ProgressStep = 0;
}

void StartAutomaticRun(Program& p) {
    SharedState& s = p.state;
    p.services.DoEvents();
    s.AutoRunActive = 1;
    if (IsOn(s.QuitAfterAutoRun)) {
        ScreenTextsToSettings(p);
        ScreenOptionsToSettings(p);
        if (const std::optional<FailedSave> failed = SaveProgramSettings(p)) ReportFailedSaves(p, {*failed});
    }
    if (s.AutoRunChoice >= kAutoRunOpen && s.AutoRunChoice <= kAutoRunOpenTimed) SelectAll(p);
    RunAutoRunChoice(p);
}

}  // namespace

void RefreshList(Program& p, const FolderReading& reading) {
    SharedState& s = p.state;
    MainForm& f = p.Form1;
    s.AbortRequested = 0;
    // The rows are this refresh's from now on, not those of the list file.
    s.ListFileChangedWhileLoading = 0;
    f.Label2.SetCaption("");
    f.File1.SetPattern(f.Combo1.Text());
    f.Combo1.SetText(f.File1.Pattern());

    ScanContext ctx{p};
    ctx.reading = reading;
    std::unique_ptr<SizeCheckScratch> size_check;
    if (IsOn(s.SizeCheck)) {
        s.SameSizeHitCount = 0;
        size_check = std::make_unique<SizeCheckScratch>(s.ScratchFolder + kSizeScratchName);
        s.SizeRecordCount = size_check->RecordCount();
        ctx.size_check = size_check.get();
    }
    std::unique_ptr<IconCache> icon_cache = OpenIconCacheWhenUsed(p);
    ctx.icon_cache = icon_cache.get();
    ScreenOptionsToSettings(p);
    ZeroCounters(s);
    f.ListView1.SetSmallIcons(nullptr);
    PrepareIconList(p);
    f.ListView1.Clear();

    bool aborted = false;
    for (int row = 1; row <= kDisplaySlots; ++row) {
        s.FolderRowIndex = static_cast<std::int16_t>(row);
        const DisplayEntry& entry = s.DisplayEntries[row];
        if (entry.Enabled != 0 && !entry.Folder.empty()) {
            ScanFolderRow(ctx);
            p.services.DoEvents();
            if (IsOn(s.AbortRequested)) {
                aborted = true;
                break;
            }
        }
        s.RowFileCount = 0;
        s.RowBytes = 0;
    }
    if (!aborted) {
        ShowProgressCount(p);
        TimedWait(p);
    }
    ApplySortSettings(p, true);
    s.InterruptMark = IsOn(s.AbortRequested) ? "中断 " : "";
    BuildStatusLine(p);
    f.Label2.SetCaption("");
    if (size_check) size_check->Finish();
    if (icon_cache) icon_cache->CloseIconCache();
    size_check.reset();
    icon_cache.reset();
    ctx.size_check = nullptr;
    ctx.icon_cache = nullptr;
    // The size index and the folders read ahead are gone; their memory goes
    // back to the system rather than staying with the program.
    ReleaseFreedMemory();
    if (s.StartMode != kStartRefresh) f.Command2.SetFocus();
    ClearSelection(p);
}

void Command3_Click(Program& p) {
    SharedState& s = p.state;
    MainForm& f = p.Form1;
    if (IsOn(s.SettingsScreenOpen)) {
        p.services.MsgBox(kCloseSettingsFirst, kOkOnly, kNoIcon);
        p.Form2.Activate();
        return;
    }
    if (IsOn(s.RefreshRunning)) return;
    ReadEnabledChecks(p);
    SettingsToScreen(p);
    f.Command3.SetBackColor(kRefreshRunningColor);
    f.Command3.SetEnabled(false);
    f.Command1.SetEnabled(false);
    s.RefreshRunning = 1;
    RefreshList(p);
    f.SetCaption(s.ProgramTitle);
    s.RefreshRunning = 0;
    f.Command3.SetBackColor(std::nullopt);
    f.Command3.SetEnabled(true);
    f.Command1.SetEnabled(true);
    ClearSelection(p);
    // A close that came meanwhile interrupted the refresh and waited for it.
    if (IsOn(s.CloseAfterRefresh)) RunHandoff(p.handoffs.CloseMainWindow);
    if (IsOn(s.AutoRunAfterRefresh)) StartAutomaticRun(p);
}

void ClearSelection(Program& p) {
    p.Form1.ListView1.SetAllSelected(false);
    p.Form1.ListView1.SetSelectedItem(0);
}

void SelectAll(Program& p) { p.Form1.ListView1.SetAllSelected(true); }

void RunAutoRunChoice(Program& p) {
    switch (p.state.AutoRunChoice) {
        case kAutoRunOpen:
        case kAutoRunOpenTimed: RunHandoff(p.handoffs.Kest_Open); break;
        case kAutoRunMediaPlayer: RunHandoff(p.handoffs.MPC_Open); break;
        case kAutoRunViewer: RunHandoff(p.handoffs.Pem_Open); break;
        default: break;
    }
}

}  // namespace kestrova
