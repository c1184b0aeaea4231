#pragma once
// The one shared state of a run: the folder table and pattern list, every
// persistent setting, the saved state of the last list, and the run-time
// flags and sequence values several windows share. Booleans are 16-bit
// integers where only the value 1 means on.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kestrova {

using Flag16 = std::int16_t;

inline bool IsOn(Flag16 value) { return value == 1; }

struct DisplayEntry {
    std::string Title;
    std::string Folder;
    Flag16 Enabled = 0;
    std::string Pattern;  // pattern list entry, unrelated to this slot's folder
    Flag16 IncludeSubfolders = 0;
};

inline constexpr int kDisplaySlots = 16;

// Slots 1..16 are used; slot 0 exists but is never read or written.
class DisplayTable {
public:
    DisplayEntry& operator[](int index) { return slots_.at(Checked(index)); }
    const DisplayEntry& operator[](int index) const { return slots_.at(Checked(index)); }

private:
    static size_t Checked(int index) {
        if (index < 0 || index > kDisplaySlots) throw std::out_of_range("display slot " + std::to_string(index));
        return static_cast<size_t>(index);
    }
    std::array<DisplayEntry, kDisplaySlots + 1> slots_{};
};

// What describes one list beside its rows: line 35 of the settings file.
struct ListSummary {
    std::int32_t FileCount = 0;
    double TotalBytes = 0;
    std::int32_t SameSizeHits = 0;
    std::string InterruptMark;
    std::string RefreshStamp;
    bool operator==(const ListSummary&) const = default;
};

enum SortKeyValue : std::int16_t { kSortByName = 0, kSortByFolder = 1, kSortBySize = 2, kSortByModified = 3, kSortByNumber = 4 };
enum StartModeValue : std::int16_t { kStartOnly = 0, kStartRefresh = 1, kStartShowPrevious = 2 };
enum AutoRunValue : std::int16_t { kAutoRunNone = 0, kAutoRunOpen = 1, kAutoRunMediaPlayer = 2, kAutoRunViewer = 3, kAutoRunOpenTimed = 4 };

struct SharedState {
    DisplayTable DisplayEntries;

    // Persistent settings.
    std::int16_t SizeCheck = 0;
    std::int16_t SortOrder = 0;
    std::int16_t SortKey = 0;
    std::int16_t StartMode = 0;
    std::int32_t MainWidth = 0;
    std::int32_t MainHeight = 0;
    std::int32_t MainScaleWidth = 0;
    std::int32_t MainScaleHeight = 0;
    std::string SelectedPattern;
    std::int32_t FolderColumnWidth = 0;
    std::int16_t ShowFolderColumn = 0;
    std::int16_t ShowIcons = 0;
    std::int16_t IconMode = 0;
    std::int16_t ShowHiddenFiles = 0;
    std::int16_t QuoteHandling = 0;
    // Twips of a window that may lie on a second screen or be wider than
    // 2,184 pixels: 16 bits would wrap them.
    std::int32_t ViewWindowTop = 0;
    std::int32_t ViewWindowLeft = 0;
    std::int32_t ViewWindowHeight = 0;
    std::int32_t ViewWindowWidth = 0;
    std::int16_t FullScreenView = 0;
    std::int16_t ZoomSetting = 0;
    std::int16_t LoopSetting = 0;
    std::int16_t ViewSeconds = 0;
    std::int16_t AutoRunChoice = 0;
    std::int16_t QuitAfterAutoRun = 0;
    std::int16_t AutoRunAfterRefresh = 0;

    // Saved state of the last list.
    std::int32_t ListedFileCount = 0;
    double ListedTotalBytes = 0;
    std::int32_t SameSizeHitCount = 0;
    std::string InterruptMark;
    std::string RefreshStamp;

    // Run-time state, not saved.
    std::string ProgramTitle;
    std::string ProgramFolder;
    std::string SettingsFilePath;
    std::string ListFilePath;
    // Where the scratch files of a refresh or list load go: the program
    // folder, or the user's cache folder for an installed copy.
    std::string ScratchFolder;
    // The file exists but could not be read at the start: what the program
    // would write over it is no replacement for what it holds.
    Flag16 SettingsFileUnread = 0;
    Flag16 ListFileUnread = 0;
    // The list file as it is on disk, as far as this run knows: what the
    // settings file says of the list whenever it is written, so the next
    // start never shows counts of rows that are not there.
    ListSummary ListOnDisk;
    // A load of the list file is under way: the rows are not all there yet.
    Flag16 ListFileLoading = 0;
    // The list file changed on disk while it was being loaded: the rows
    // shown may be older than the file.
    Flag16 ListFileChangedWhileLoading = 0;
    // A close waits for the refresh it interrupted; a close under way takes
    // no second request.
    Flag16 CloseAfterRefresh = 0;
    Flag16 Closing = 0;
    Flag16 LoadCompleted = 0;
    Flag16 AbortRequested = 0;
    Flag16 RefreshRunning = 0;
    Flag16 SettingsScreenOpen = 0;
    Flag16 AutoRunActive = 0;
    Flag16 Interrupted = 0;
    Flag16 LoopMode = 0;
    Flag16 ZoomMode = 0;
    Flag16 RenamePending = 0;
    Flag16 AllSelectedToggle = 0;
    std::int32_t CurrentFolderColumnWidth = 0;
    std::int32_t ShownFolderColumnWidth = 0;

    // Scan state of the main window, rewritten by every refresh.
    std::int16_t FolderRowIndex = 0;
    std::int32_t RowFileCount = 0;
    double RowBytes = 0;
    std::int32_t TotalFileCount = 0;
    std::int16_t ProgressStep = 0;
    std::int32_t SizeRecordCount = 0;
    std::string SizeMark;
    std::string StatusText;
    std::string RowSummary;
    std::string RowNumberText;
    std::string ScanFolder;
    std::string DisplayFolder;
    Flag16 FolderFailed = 0;

    // Sequence state of the open, media-player and slideshow sequences.
    std::string CurrentFilePath;
    std::int32_t SelectedCount = 0;
    std::int32_t SequencePosition = 0;
    Flag16 OpenSequenceActive = 0;
    Flag16 EndRequested = 0;
    std::int16_t StopFlag = 0;
    std::int16_t WaitSeconds = 0;
    std::int32_t TickCount = 0;
    // Form5 has been put at its remembered place during the current pass.
    Flag16 ViewWindowPlaced = 0;
    // A picture is being shown (or waited for), and a viewer action asked
    // for the current picture again meanwhile: that display shows it anew.
    Flag16 PictureShowing = 0;
    Flag16 RedisplayRequested = 0;
};

inline constexpr const char* kProgramTitle = "ケストロヴァ (Kestrova) ZI22";

// The settings part of LoadDefaultSettings: folder table, every persistent
// setting and the pattern list. The caller pushes them into the windows.
void ApplyDefaultSettings(SharedState& state);

// The list state the status line shows (ListedFileCount and the rest).
ListSummary ListedSummary(const SharedState& state);

// The folder that row 1 starts with: the root of the system drive.

}  // namespace kestrova
