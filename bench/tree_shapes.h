#pragma once
// The trees the benchmarks read, made the same on every run (a fixed seed).
#include <string>

namespace kestrova::bench {

struct TreeCounts {
    int folders = 0;  // the top folder included
    int files = 0;    // plain files, hidden ones included
    int links = 0;    // to files, to folders and to nothing
};

// Shaped like a system's own tree rather than a photo archive: about 20,000
// folders, most holding a few files and some hundreds (a long tail), deep
// chains beside wide flat folders, hidden entries, and 8,000 links, most of
// them a name beside its file, others up and across the tree, to folders
// (some of them above: loops) and to nothing. Times spread over years,
// sizes repeat as small files' sizes do.
TreeCounts MakeSystemTree(const std::string& top);

// A photo share: `folders` folders of `files_per_folder` files each, one
// level below the top; every second file has the size of the one before.
TreeCounts MakeShareTree(const std::string& top, int folders, int files_per_folder);

}  // namespace kestrova::bench
