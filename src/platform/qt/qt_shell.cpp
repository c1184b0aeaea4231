#include "qt_shell.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/gvfs_path.h"
#include "qt_convert.h"

namespace kestrova {
namespace {

// The desktop's "open with the default application" command.
constexpr const char* kDesktopOpener = "xdg-open";

// The name from its first dot on ("" without one): names that agree there
// are of one type.
std::string TypeSuffix(const std::string& path) {
    const std::size_t dot = path.find('.', path.find_last_of('/') + 1);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

Picture GenericFileIcon() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QColor(96, 96, 96));
    painter.setBrush(Qt::white);
    painter.drawRect(3, 1, 9, 13);
    painter.end();
    return FromQImage(image);
}

}  // namespace

// The opener runs with the path as its one argument: no shell, so any byte
// of a name reaches it unchanged.
bool DesktopOpener::Open(const std::string& path, std::string& error) {
    openers_.ReapFinished();
    // The name's own bytes, which need not be valid UTF-8.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    const pid_t pid = SpawnProgram({kDesktopOpener, path}, error);
    if (pid < 0) return false;
    openers_.Add(pid);
    return true;
}

Picture TypeIcons::Of(const std::string& path) {
    // Matching a name against the type database costs tens of microseconds,
    // and programs and data files are asked for one by one: a file's icon is
    // kept by its type suffix. A folder asked for under a suffix already seen
    // (a listed file replaced by a folder) shows that suffix's icon.
    const std::string suffix = TypeSuffix(path);
    if (auto known = by_suffix_.find(suffix); !suffix.empty() && known != by_suffix_.end()) return known->second;
    const QString file = ToQString(path);
    const QFileInfo info(file);
    static const QMimeDatabase mime_types;
    // The name decides the type: reading each file's content would make
    // icons of a large or remote folder slow.
    const QMimeType mime = info.isDir() ? mime_types.mimeTypeForName(QStringLiteral("inode/directory"))
                                        : mime_types.mimeTypeForFile(file, QMimeDatabase::MatchExtension);
    Picture picture = OfType(mime, info.isDir());
    if (!info.isDir() && !suffix.empty()) by_suffix_.emplace(suffix, picture);
    return picture;
}

// The theme's icon depends on the type alone, so it is drawn once per type.
Picture TypeIcons::OfType(const QMimeType& mime, bool folder) {
    auto known = by_type_.find(mime.name());
    if (known != by_type_.end()) return known->second;
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull()) {
        static QFileIconProvider provider;
        icon = provider.icon(folder ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
    }
    const QPixmap pixmap = icon.isNull() ? QPixmap() : icon.pixmap(QSize(16, 16), 1.0);
    Picture picture = GenericFileIcon();
    if (!pixmap.isNull()) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        const QImage drawn = pixmap.toImage().scaled(QSize(16, 16), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage((16 - drawn.width()) / 2, (16 - drawn.height()) / 2, drawn);
        painter.end();
        picture = FromQImage(image);
    }
    by_type_.emplace(mime.name(), picture);
    return picture;
}

std::optional<std::string> ChooseFolder(const std::string& title, bool network) {
    QString start;
    if (network) {
        start = ToQString(NetworkBrowseStart(static_cast<unsigned>(getuid()),
                                             [](const std::string& dir) { return QFileInfo(ToQString(dir)).isDir(); }));
    }
    const QString chosen =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), ToQString(title), start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return std::nullopt;
    const std::string folder = PathFromQtDialog(QDir::cleanPath(chosen));
    if (auto share = GvfsPathToNetworkPath(folder)) return share;
    return folder;
}

}  // namespace kestrova
