#include "list_file_load.h"

namespace kestrova {

FileVersion FileVersionOf(const std::string& path) { return {FileStampOf(path), IdentityOfFile(path)}; }

ListFileLoad::ListFileLoad(Program& p) : state_(p.state), before_(FileVersionOf(p.state.ListFilePath)) {
    state_.ListFileLoading = 1;
    state_.ListFileChangedWhileLoading = 0;
}

ListFileLoad::~ListFileLoad() {
    state_.ListFileLoading = 0;
    if (FileVersionOf(state_.ListFilePath) != before_) state_.ListFileChangedWhileLoading = 1;
}

}  // namespace kestrova
