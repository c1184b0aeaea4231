#include "data_folders.h"

#include "platform/system/files.h"
#include "platform/system/user_folders.h"

namespace kestrova {
namespace {

// The program's own folder below a base folder, made if missing; empty when
// there is no base folder or the program's folder cannot be made there.
std::string MadeUserFolder(const std::string& base) {
    if (base.empty()) return {};
    const std::string folder = WithTrailingSeparator(base + kUserFolderName);
    return MakeUserFolder(folder) ? folder : std::string();
}

}  // namespace

DataFolders ChooseDataFolders(const std::string& program_folder, bool program_folder_refuses_writing,
                              const std::string& config_home, const std::string& cache_home) {
    // An installed copy cannot write beside itself; a portable one keeps
    // everything together so the folder can be carried elsewhere whole.
    if (!program_folder_refuses_writing) return {program_folder, program_folder};
    const std::string settings = MadeUserFolder(config_home);
    if (settings.empty()) return {program_folder, program_folder};
    const std::string scratch = MadeUserFolder(cache_home);
    return {settings, scratch.empty() ? settings : scratch};
}

}  // namespace kestrova
