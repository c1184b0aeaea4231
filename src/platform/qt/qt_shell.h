#pragma once
// The desktop around the program: opening a file with its default
// application, the icon of a file's type, and the folder dialog.
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/pictures/picture.h"
#include "platform/posix/spawn_process.h"

class QMimeType;

namespace kestrova {

// The desktop's opener, started as a process of its own per file. Nobody
// waits for it; openers that have ended are reaped at the next open and at
// every ReapFinished.
class DesktopOpener {
public:
    bool Open(const std::string& path, std::string& error);
    void ReapFinished() { openers_.ReapFinished(); }

private:
    DetachedChildren openers_;
};

// The icon theme's icon of a file's type, 16 x 16, drawn once per type.
class TypeIcons {
public:
    Picture Of(const std::string& path);

private:
    Picture OfType(const QMimeType& mime, bool folder);

    std::map<QString, Picture> by_type_;
    std::unordered_map<std::string, Picture> by_suffix_;
};

// A folder chosen in the folder dialog, or nullopt when cancelled. With
// network, the dialog starts at the network mounts, and a chosen share
// comes back as //HOST/...
std::optional<std::string> ChooseFolder(const std::string& title, bool network);

}  // namespace kestrova
