#include "settings_file.h"

#include "data_folders.h"
#include "platform/text/quoted_fields.h"
#include "platform/text/codepage.h"
#include "platform/text/file_text_stream.h"
#include "platform/system/files.h"
#include "platform/system/save_recovery.h"
#include "platform/text/textformat.h"
#include "platform/system/user_folders.h"

namespace kestrova {
namespace {

class LineWriter {
public:
    explicit LineWriter(std::string& out) : out_(out) {}
    LineWriter& Text(const std::string& value) {
        Separate();
        AppendQuotedField(out_, value);
        return *this;
    }
    LineWriter& Int(std::int64_t value) { return Field(FormatIntegerField(value)); }
    LineWriter& Real(double value) { return Field(FormatDoubleField(value)); }
    void EndLine() {
        out_ += "\r\n";
        first_ = true;
    }

private:
    void Separate() {
        if (!first_) out_ += ',';
        first_ = false;
    }
    LineWriter& Field(const std::string& text) {
        Separate();
        out_ += text;
        return *this;
    }
    std::string& out_;
    bool first_ = true;
};

}  // namespace

std::string MakeProgramFolder(const std::string& executable_folder) { return WithTrailingSeparator(executable_folder); }

void SetProgramPaths(SharedState& state, const std::string& executable_folder) {
    state.ProgramFolder = MakeProgramFolder(executable_folder);
    const DataFolders folders = ChooseDataFolders(state.ProgramFolder, FolderRefusesWriting(state.ProgramFolder),
                                                  UserConfigHome(), UserCacheHome());
    state.SettingsFilePath = folders.settings + kSettingsFileName;
    state.ListFilePath = folders.settings + kListFileName;
    state.ScratchFolder = folders.scratch;
}

std::string FormatSettingsText(const SharedState& s) { return FormatSettingsText(s, ListedSummary(s)); }

std::string FormatSettingsText(const SharedState& s, const ListSummary& list) {
    std::string out;
    LineWriter w(out);
    for (int i = 1; i <= kDisplaySlots; ++i) {
        const DisplayEntry& e = s.DisplayEntries[i];
        w.Text(e.Title).Text(e.Folder).Int(e.Enabled).Int(e.IncludeSubfolders).EndLine();
    }
    w.Int(s.SizeCheck).Int(s.SortOrder).Int(s.SortKey).Int(s.StartMode);
    w.Int(s.MainWidth).Int(s.MainHeight).Int(s.MainScaleWidth).Int(s.MainScaleHeight).Text(s.SelectedPattern).EndLine();
    w.Int(s.FolderColumnWidth).Int(s.ShowFolderColumn).Int(s.ShowIcons).Int(s.IconMode).Int(s.ShowHiddenFiles);
    w.Int(s.QuoteHandling).Int(s.ViewWindowTop).Int(s.ViewWindowLeft).Int(s.ViewWindowHeight).Int(s.ViewWindowWidth);
    w.Int(s.FullScreenView).EndLine();
    for (int i = 1; i <= kDisplaySlots; ++i) w.Text(s.DisplayEntries[i].Pattern).EndLine();
    w.Int(list.FileCount).Real(list.TotalBytes).Int(list.SameSizeHits).Text(list.InterruptMark);
    w.Text(list.RefreshStamp).EndLine();
    w.Int(s.ZoomSetting).Int(s.LoopSetting).Int(s.ViewSeconds).Int(s.AutoRunChoice).Int(s.QuitAfterAutoRun);
    w.Int(s.AutoRunAfterRefresh).EndLine();
    return out;
}

void ParseSettingsText(std::string_view text, SharedState& s) {
    FieldReader r(text);
    for (int i = 1; i <= kDisplaySlots; ++i) {
        DisplayEntry& e = s.DisplayEntries[i];
        r.Read(e.Title);
        r.Read(e.Folder);
        r.Read(e.Enabled);
        r.Read(e.IncludeSubfolders);
    }
    r.Read(s.SizeCheck);
    r.Read(s.SortOrder);
    r.Read(s.SortKey);
    r.Read(s.StartMode);
    r.Read(s.MainWidth);
    r.Read(s.MainHeight);
    r.Read(s.MainScaleWidth);
    r.Read(s.MainScaleHeight);
    r.Read(s.SelectedPattern);
    r.Read(s.FolderColumnWidth);
    r.Read(s.ShowFolderColumn);
    r.Read(s.ShowIcons);
    r.Read(s.IconMode);
    r.Read(s.ShowHiddenFiles);
    r.Read(s.QuoteHandling);
    r.Read(s.ViewWindowTop);
    r.Read(s.ViewWindowLeft);
    r.Read(s.ViewWindowHeight);
    r.Read(s.ViewWindowWidth);
    r.Read(s.FullScreenView);
    for (int i = 1; i <= kDisplaySlots; ++i) r.Read(s.DisplayEntries[i].Pattern);
    r.Read(s.ListedFileCount);
    r.Read(s.ListedTotalBytes);
    r.Read(s.SameSizeHitCount);
    r.Read(s.InterruptMark);
    r.Read(s.RefreshStamp);
    r.Read(s.ZoomSetting);
    r.Read(s.LoopSetting);
    r.Read(s.ViewSeconds);
    r.Read(s.AutoRunChoice);
    r.Read(s.QuitAfterAutoRun);
    r.Read(s.AutoRunAfterRefresh);
}

bool SaveSettingsFile(const SharedState& state) {
    if (IsOn(state.SettingsFileUnread)) return false;
    std::string error;
    return SaveSettingsFile(state, ListedSummary(state), error);
}

bool SaveSettingsFile(const SharedState& state, const ListSummary& list, std::string& error) {
    return WriteFileAtomically(state.SettingsFilePath, EncodeFileText(FormatSettingsText(state, list)), error);
}

bool ReadSettingsFile(SharedState& state, std::string& error) {
    // The whole file: a long title the program wrote itself must come back
    // whole, and every field after it must stay in its place. Decoding and
    // field reading are linear, so even a huge damaged file starts quickly.
    std::string text;
    if (!ReadFileText(state.SettingsFilePath, text, error)) return false;
    ParseSettingsText(text, state);
    return true;
}

bool ReadSettingsFile(SharedState& state) {
    std::string error;
    return ReadSettingsFile(state, error);
}

void RecoverInterruptedSaves(const SharedState& state) {
    RecoverInterruptedSaves(state.SettingsFilePath);
    RecoverInterruptedSaves(state.ListFilePath);
}

}  // namespace kestrova
