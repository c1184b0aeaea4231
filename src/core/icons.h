#pragma once
// The main window's own 32 x 32 pictures, drawn in code so the program needs
// no image files: stop, folder column, power-off, and the list icons of a
// scanned file, a file from the saved list, a same-size file and a bitmap.
// Each also comes drawn at 2 and 3 times the density for scaled screens.
#include <memory>

#include "platform/pictures/picture.h"

namespace kestrova {

std::shared_ptr<const Picture> StopIcon();
std::shared_ptr<const Picture> FolderColumnIcon();
std::shared_ptr<const Picture> PowerOffIcon();
std::shared_ptr<const Picture> ScannedFileIcon();
std::shared_ptr<const Picture> LoadedFileIcon();
std::shared_ptr<const Picture> SameSizeFileIcon();
std::shared_ptr<const Picture> BitmapIcon();
std::shared_ptr<const Picture> ResetIcon();
std::shared_ptr<const Picture> HelpIcon();

}  // namespace kestrova
