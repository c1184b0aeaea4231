#pragma once
// The settings screen's own behaviour: the current folder row, folder
// browsing, the folder-column box, the help text, the reset to defaults and
// the start-mode dependent quote option.
#include <string>

#include "core/program.h"

namespace kestrova {

inline constexpr const char* kAlreadyListedQuestion = "　が設定されていますが追加しますか";
inline constexpr const char* kCannotChoose = "選択できません！！";
inline constexpr const char* kResetQuestion = "設定をデフォルトに戻しますか";
inline constexpr const char* kSettingsHelpTitle = "設定　Ｈｅｌｐ";

// Up to ten characters of the last part of a folder path.
std::string ShortFolderName(const std::string& folder);
void CheckFolderListed(Program& p);
void BrowseFolder(Program& p);
std::string SettingsHelpText(const std::string& program_title);

// The settings screen Form2's handlers.
namespace form2 {

// "参照": browses for the current row, if a row box had the focus.
void Command1_Click(Program& p);
void Check19_LostFocus(Program& p);
// The help picture.
void Image2_Click(Program& p);
// The picture that puts every setting back to its default.
void Image1_Click(Program& p);
// Option10, Option11 or Option12, the start modes, was clicked.
void StartModeOption_Click(Program& p);

}  // namespace form2

}  // namespace kestrova
