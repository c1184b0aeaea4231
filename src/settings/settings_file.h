#pragma once
// Kestrova.ini: the folder table, every persistent setting and the state of
// the last list, as 36 lines of comma-separated fields in code page 932.
#include <string>
#include <string_view>

#include "core/shared_state.h"

namespace kestrova {

inline constexpr const char* kSettingsFileName = "Kestrova.ini";
inline constexpr const char* kListFileName = "Kestrova.csv";

// The program folder with its separator at the end: the executable's folder
// gets one appended unless it already ends in one (a drive root).
std::string MakeProgramFolder(const std::string& executable_folder);
// Sets ProgramFolder, SettingsFilePath, ListFilePath and ScratchFolder: the
// files stay beside the program unless it may not write there (see
// ChooseDataFolders).
void SetProgramPaths(SharedState& state, const std::string& executable_folder);

// The file's text (UTF-8, CR LF line ends) for the current state, with
// line 35 describing `list` (by default the list the status line shows).
std::string FormatSettingsText(const SharedState& state);
std::string FormatSettingsText(const SharedState& state, const ListSummary& list);
// Takes fields in file order into the state; a field that cannot be read
// into its target is skipped and the target keeps its value.
void ParseSettingsText(std::string_view text, SharedState& state);

// Writes SettingsFilePath atomically; false (nothing reported) on failure,
// and when the file was there but could not be read (SettingsFileUnread).
bool SaveSettingsFile(const SharedState& state);
// The same with line 35 describing `list`; false with the system's text.
bool SaveSettingsFile(const SharedState& state, const ListSummary& list, std::string& error);
// Reads SettingsFilePath into the state; false with the system's text when
// it could not be read.
bool ReadSettingsFile(SharedState& state, std::string& error);
bool ReadSettingsFile(SharedState& state);
// Puts right what killed saves of the settings and list files left behind:
// a whole last save whose file is missing is put back, every other
// leftover of a save that is over is deleted.
void RecoverInterruptedSaves(const SharedState& state);

}  // namespace kestrova
