#include "shared_state.h"

#include "platform/system/files.h"

namespace kestrova {

void ApplyDefaultSettings(SharedState& s) {
    for (int i = 1; i <= kDisplaySlots; ++i) {
        DisplayEntry& e = s.DisplayEntries[i];
        e.Title.clear();
        e.Folder.clear();
        e.Enabled = 0;
        e.IncludeSubfolders = 0;
    }
    s.DisplayEntries[1].Title = "私の円盤";
    s.DisplayEntries[1].Folder = DefaultRootFolder();
    s.DisplayEntries[1].Enabled = 1;

    s.SizeCheck = 0;
    s.SortOrder = 1;
    s.SortKey = kSortByModified;
    s.StartMode = kStartRefresh;
    s.MainWidth = 10335;
    s.MainHeight = 5880;
    s.MainScaleWidth = 10215;
    s.MainScaleHeight = 5202;
    s.SelectedPattern = "*.*";
    s.FolderColumnWidth = 2000;
    s.ShowFolderColumn = 1;
    s.ShowIcons = 1;
    s.IconMode = 1;
    s.ShowHiddenFiles = 0;
    s.QuoteHandling = 0;
    s.ViewWindowTop = 3582;
    s.ViewWindowLeft = 4762;
    s.ViewWindowHeight = 4350;
    s.ViewWindowWidth = 5835;
    s.FullScreenView = 1;
    s.ZoomSetting = 1;
    s.LoopSetting = 0;
    s.ViewSeconds = 3;
    s.AutoRunChoice = kAutoRunNone;
    s.QuitAfterAutoRun = 0;
    s.AutoRunAfterRefresh = 0;

    static const char* const kDefaultPatterns[] = {"*.*", "*.jpg", "*.avi;*.mpg;*.wmv", "VIDEO_TS.IFO", "*東京*.*"};
    for (int i = 1; i <= kDisplaySlots; ++i) {
        s.DisplayEntries[i].Pattern = i <= 5 ? kDefaultPatterns[i - 1] : "";
    }
}

ListSummary ListedSummary(const SharedState& s) {
    return {s.ListedFileCount, s.ListedTotalBytes, s.SameSizeHitCount, s.InterruptMark, s.RefreshStamp};
}

}  // namespace kestrova
