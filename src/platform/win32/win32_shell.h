#pragma once
// The shell and processes: open a file with its program, the icon of a
// file's type, the folder browser, and programs started and waited for.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/pictures/picture.h"

namespace kestrova {

bool ShellOpenFile(const std::string& path, std::string& error);
Picture ShellIconOf(const std::string& path, UINT dpi);
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title, bool network);

// One command line from an argument vector, quoted so that the started
// program's CommandLineToArgvW (and the C runtime) read the same vector back.
std::wstring CommandLineOf(const std::vector<std::string>& argv);

}  // namespace kestrova
