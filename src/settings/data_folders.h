#pragma once
// Where the settings file, the list file and the scratch files live.
#include <string>

namespace kestrova {

struct DataFolders {
    std::string settings;  // Kestrova.ini and Kestrova.csv
    std::string scratch;   // the scratch files of a refresh or list load
};

// Beside the program (program_folder, with its separator) unless it refuses
// writing: then <config_home>/<kUserFolderName>/ for the settings and the
// list, and <cache_home>/<kUserFolderName>/ for the scratch files, or the settings folder when
// that cache folder cannot be made. The folders are created as needed. When
// no user folder can be had, everything stays beside the program, where
// saving fails quietly as it always has.
DataFolders ChooseDataFolders(const std::string& program_folder, bool program_folder_refuses_writing,
                              const std::string& config_home, const std::string& cache_home);

}  // namespace kestrova
