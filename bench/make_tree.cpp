// Makes a benchmark tree for the scripts that time the real program:
//   make_tree system TOP        the system-shaped tree (tree_shapes.h)
//   make_tree share TOP F N     F folders of N files
// Prints "folders=... files=... links=...".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tree_shapes.h"

int main(int argc, char** argv) {
    using namespace kestrova::bench;
    const std::string shape = argc > 2 ? argv[1] : "";
    TreeCounts counts;
    if (shape == "system" && argc == 3) {
        counts = MakeSystemTree(argv[2]);
    } else if (shape == "share" && argc == 5) {
        counts = MakeShareTree(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    } else {
        std::fprintf(stderr, "usage: make_tree system TOP | make_tree share TOP FOLDERS FILES_PER_FOLDER\n");
        return 2;
    }
    std::printf("folders=%d files=%d links=%d\n", counts.folders, counts.files, counts.links);
    return 0;
}
