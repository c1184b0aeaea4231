#pragma once
// The shell and processes: open a file with its program, the icon of a
// file's type, the folder browser, and programs started and waited for.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/pictures/picture.h"

namespace kestrova {

// The shell's "open" of a file, with the shell's own questions owned by owner.
bool ShellOpenFile(HWND owner, const std::string& path, std::string& error);
Picture ShellIconOf(const std::string& path, UINT dpi);
// The computer's drives (with network, the network places) to choose a
// folder from; a chosen item without a path of its own comes back as \\NAME.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title, bool network);

// One command line from an argument vector, quoted so that the started
// program's CommandLineToArgvW (and the C runtime) read the same vector back.
std::wstring CommandLineOf(const std::vector<std::string>& argv);

}  // namespace kestrova
