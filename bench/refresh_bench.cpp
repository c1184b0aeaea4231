// Measures a full headless refresh (size check on, subfolders on) against the
// fastest plain walk of the same tree we can write: one read of each folder
// and one status call per entry, links not followed (as find does). Prints
// one line per tree:
//   files=100000 walk_s=0.64 refresh_s=0.59 ratio=0.93 ... ui_cpu_ratio=0.77 reader_cpu_ratio=1.01 same_rows=yes
// Without arguments it builds trees of 10,000 and 100,000 files; --million
// adds 1,000,000, --files N builds one tree of N files. Each tree has a
// hundred files per folder, and half of the sizes repeat. --shape system
// builds the tree shaped like a system's own (bench/tree_shapes.h) instead.
// same_rows compares the rows, marks and counts of the refresh reading ahead
// with those of one reading each folder in its turn, row by row in the order
// they were added; in_turn_s is the latter's time.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/program.h"
#include "listing/refresh.h"
#include "platform/headless/headless_services.h"
#include "settings/settings_transfer.h"
#include "tree_shapes.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFilesPerFolder = 100;

struct Found {
    std::string name;
    std::string folder;
    std::int64_t size;
    std::int64_t mtime;
};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Processor time of this thread or of the whole process: on a machine busy
// with other work the wall times stretch, these do not.
double CpuSeconds(clockid_t clock) {
    timespec t{};
    ::clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Folders nest ten wide, so the tree has some depth as real ones do.
std::string MakeTree(const std::string& root, int files) {
    const int folders = std::max(1, files / kFilesPerFolder);
    std::vector<std::string> paths{root + "/tree"};
    std::filesystem::create_directories(paths[0]);
    for (int f = 1; f < folders; ++f) {
        const std::string path = paths[static_cast<size_t>((f - 1) / 10)] + "/d" + std::to_string(f);
        std::filesystem::create_directory(path);
        paths.push_back(path);
    }
    std::vector<std::int64_t> sizes(static_cast<size_t>(files));
    for (int i = 0; i < files; ++i) sizes[static_cast<size_t>(i)] = 1 + i % std::max(1, files / 2);
    std::shuffle(sizes.begin(), sizes.end(), std::mt19937(42));
    for (int i = 0; i < files; ++i) {
        const std::string name = paths[static_cast<size_t>(i % folders)] + "/file" + std::to_string(i) + ".dat";
        const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, sizes[static_cast<size_t>(i)]) != 0) std::perror(name.c_str());
        if (fd >= 0) ::close(fd);
    }
    return paths[0];
}

std::vector<Found> PlainWalk(const std::string& root) {
    std::vector<Found> found;
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) continue;
        const int fd = ::dirfd(dir);
        while (dirent* e = ::readdir(dir)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            struct stat st {};
            if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISDIR(st.st_mode)) {
                pending.push_back(folder + "/" + e->d_name);
            } else {
                found.push_back({e->d_name, folder, st.st_size, st.st_mtime});
            }
        }
        ::closedir(dir);
    }
    return found;
}

struct Refreshed {
    std::int32_t listed = 0;
    std::uint64_t rows_hash = 0;  // of every cell of every row, in order
};

std::uint64_t HashRows(kestrova::ListView& list) {
    std::uint64_t hash = 1469598103934665603ULL;
    auto add = [&hash](const std::string& text) {
        for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ULL;
        hash = (hash ^ 0xFF) * 1099511628211ULL;
    };
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        add(list.RowText(i));
        for (int k = 1; k <= 4; ++k) add(list.SubItem(i, k));
    }
    return hash;
}

// With check, the rows stay in the order they were added (sorted by the row
// number, where all keys are equal) and are hashed.
Refreshed HeadlessRefresh(const std::string& program_folder, const std::string& tree,
                          const kestrova::FolderReading& reading = {}, bool check = false) {
    kestrova::HeadlessServices services;
    kestrova::Program p(services, program_folder);
    kestrova::ApplyDefaultSettings(p.state);
    p.state.ProgramFolder = program_folder + "/";
    p.state.DisplayEntries[1].Folder = tree;
    p.state.DisplayEntries[1].IncludeSubfolders = 1;
    p.state.SizeCheck = 1;
    p.state.StartMode = kestrova::kStartOnly;
    if (check) p.state.SortKey = kestrova::kSortByNumber;
    kestrova::SettingsToScreen(p);
    for (const char* h : {"名前", "フォルダ名", "サイズ(Byte)", "更新日時", "No"}) p.Form1.ListView1.AddColumn(h, 1000);
    kestrova::RefreshList(p, reading);
    Refreshed out;
    out.listed = p.state.ListedFileCount;
    // Reading a row puts the list in order, as the first repaint would.
    if (p.Form1.ListView1.Count() > 0) (void)p.Form1.ListView1.RowText(1);
    if (check) out.rows_hash = HashRows(p.Form1.ListView1) ^ static_cast<std::uint64_t>(p.state.SameSizeHitCount);
    return out;
}

struct Tree {
    std::string top;
    int files = 0;  // expected from the plain walk; 0: not compared
    std::string label;
};

void Measure(const std::string& root, const Tree& tree) {
    // Let the new tree reach the disk first, so neither run competes with
    // the write-back of a million fresh inodes.
    ::sync();

    PlainWalk(tree.top);  // both runs start from a warm cache
    double walk_s = 1e9;
    size_t walked = 0;
    for (int run = 0; run < 3; ++run) {
        const auto t0 = Clock::now();
        walked = PlainWalk(tree.top).size();
        walk_s = std::min(walk_s, Seconds(t0));
    }
    double refresh_s = 1e9;
    double ui_cpu_s = 1e9;
    double all_cpu_s = 1e9;
    std::int32_t listed = 0;
    for (int run = 0; run < 2; ++run) {
        const double ui0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        const double all0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const auto t0 = Clock::now();
        listed = HeadlessRefresh(root, tree.top).listed;
        refresh_s = std::min(refresh_s, Seconds(t0));
        ui_cpu_s = std::min(ui_cpu_s, CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - ui0);
        all_cpu_s = std::min(all_cpu_s, CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - all0);
    }
    double walk_cpu_s = 1e9;
    for (int run = 0; run < 2; ++run) {
        const double cpu0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        PlainWalk(tree.top);
        walk_cpu_s = std::min(walk_cpu_s, CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpu0);
    }
    const auto t0 = Clock::now();
    const Refreshed in_turn = HeadlessRefresh(root, tree.top, kestrova::FolderReading{false}, true);
    const double in_turn_s = Seconds(t0);
    const Refreshed ahead = HeadlessRefresh(root, tree.top, {}, true);
    if (tree.files > 0 && (static_cast<size_t>(listed) != walked || walked != static_cast<size_t>(tree.files))) {
        std::fprintf(stderr, "counts differ: made %d, walked %zu, listed %d\n", tree.files, walked, listed);
    }
    const bool same = in_turn.rows_hash == ahead.rows_hash && in_turn.listed == ahead.listed && ahead.listed == listed;
    // The user-interface thread's share and the reader's (the rest of the
    // process) each against the walk's own processor time.
    std::printf("%s walk_s=%.2f refresh_s=%.2f ratio=%.2f per_file_us=%.2f ui_cpu_ratio=%.2f reader_cpu_ratio=%.2f "
                "in_turn_s=%.2f same_rows=%s\n",
                tree.label.c_str(), walk_s, refresh_s, refresh_s / walk_s, refresh_s / listed * 1e6,
                ui_cpu_s / walk_cpu_s, (all_cpu_s - ui_cpu_s) / walk_cpu_s, in_turn_s, same ? "yes" : "NO");
    std::fflush(stdout);
}

std::string TemporaryRoot() {
    char pattern[] = "/tmp/kestrova-bench-XXXXXX";
    return ::mkdtemp(pattern);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes{10000, 100000};
    bool system_shape = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--million") sizes.push_back(1000000);
        // One tree of the given size only (the test script's quick look).
        if (arg == "--files" && i + 1 < argc) sizes = {std::atoi(argv[++i])};
        if (arg == "--shape" && i + 1 < argc) system_shape = std::string(argv[++i]) == "system";
        // For profiling: refresh an existing tree a few times, nothing else
        // (--in-turn: each folder read in its turn, on this thread alone).
        if (arg == "--refresh-only" && i + 1 < argc) {
            const kestrova::FolderReading reading{!(i + 2 < argc && std::string(argv[i + 2]) == "--in-turn")};
            const std::string home = TemporaryRoot();
            for (int run = 0; run < 3; ++run) {
                const auto t0 = Clock::now();
                const auto listed = HeadlessRefresh(home, argv[i + 1], reading).listed;
                std::printf("files=%d refresh_s=%.2f\n", listed, Seconds(t0));
            }
            std::filesystem::remove_all(home);
            return 0;
        }
    }
    if (system_shape) {
        const std::string root = TemporaryRoot();
        const auto counts = kestrova::bench::MakeSystemTree(root + "/tree");
        Measure(root, {root + "/tree", 0,
                       "shape=system folders=" + std::to_string(counts.folders) + " files=" + std::to_string(counts.files) +
                           " links=" + std::to_string(counts.links)});
        std::filesystem::remove_all(root);
        return 0;
    }
    for (int files : sizes) {
        const std::string root = TemporaryRoot();
        Measure(root, {MakeTree(root, files), files, "files=" + std::to_string(files)});
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    return 0;
}
