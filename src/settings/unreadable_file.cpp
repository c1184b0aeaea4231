#include "unreadable_file.h"

namespace kestrova {

void ReportUnreadableFile(Program& p, const std::string& path, const std::string& reason) {
    p.services.MsgBox(reason + "\n" + path + kUnreadableFileText, kOkOnly, kExclamation);
}

}  // namespace kestrova
