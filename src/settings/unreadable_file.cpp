#include "unreadable_file.h"

#include <cerrno>

#include "platform/system/files.h"

namespace kestrova {

void ReportUnreadableFile(Program& p, const std::string& path, const std::string& reason) {
    p.services.MsgBox(reason + "\n" + path + kUnreadableFileText, kOkOnly, kExclamation);
}

FileAtStart CheckFileAtStart(Program& p, const std::string& path, Flag16& unread) {
    std::string reason;
    const std::optional<PathKind> kind = KindOfPath(path, reason);
    if (kind == PathKind::Missing) return FileAtStart::Missing;
    if (kind == PathKind::File) return FileAtStart::Readable;
    if (kind == PathKind::Folder) reason = ErrorText(EISDIR);
    if (kind == PathKind::Other) reason = NotAFileText();
    unread = 1;
    ReportUnreadableFile(p, path, reason);
    return FileAtStart::Unusable;
}

}  // namespace kestrova
