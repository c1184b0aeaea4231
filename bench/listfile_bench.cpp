// Measures the list file against the plainest reading of the same bytes, and
// per-file icons against simple ones, headless. Prints two lines:
//   rows=100000 raw_s=0.010 save_s=0.080 load_s=0.030 ratio=3.00 sort_s=0.050
//   files=100000 simple_s=0.70 per_file_s=0.75 ratio=1.07
// raw_s reads the saved file's bytes and splits them into lines; save_s is
// SaveListFile of the rows; load_s is LoadListFile into an empty list, which
// leaves the sort by the settings pending; sort_s is that sort, paid at the
// first repaint as after a refresh. The refresh line scans one
// tree of files of five types, once with each icon mode. --list-only and
// --icons-only run one half, for profiling.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/program.h"
#include "listing/file_rows.h"
#include "listing/list_file.h"
#include "listing/refresh.h"
#include "platform/headless/headless_services.h"
#include "settings/settings_file.h"
#include "settings/settings_transfer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 100000;
constexpr int kRuns = 5;
constexpr const char* kExtensions[] = {".txt", ".jpg", ".mp4", ".pdf", ""};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

template <typename Work>
double Best(Work work) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const auto t0 = Clock::now();
        work();
        best = std::min(best, Seconds(t0));
    }
    return best;
}

struct Bench {
    explicit Bench(const std::string& folder) : p(services, folder) {
        kestrova::ApplyDefaultSettings(p.state);
        kestrova::SetProgramPaths(p.state, folder);
        p.state.StartMode = kestrova::kStartShowPrevious;
        p.state.ShowIcons = 1;
        p.state.IconMode = 0;
        kestrova::SettingsToScreen(p);
        for (const char* h : {"名前", "フォルダ名", "サイズ(Byte)", "更新日時", "No"}) p.Form1.ListView1.AddColumn(h, 1000);
    }
    kestrova::HeadlessServices services;
    kestrova::Program p;
};

void FillRows(kestrova::Program& p) {
    for (int i = 0; i < kRows; ++i) {
        kestrova::ListRow row;
        row.text = "写真 " + std::to_string(i) + kExtensions[i % 5];
        row.sub[0] = "/home/user/pictures/2007/folder" + std::to_string(i / 1000);
        row.sub[1] = kestrova::SizeText(1000.0 + i * 37 % 99991, " ");
        row.sub[2] = kestrova::ModifiedText(1195747695 + i);
        row.sub[3] = "0" + std::to_string(1 + i % 9);
        p.Form1.ListView1.AddRow(std::move(row));
    }
}

std::size_t ReadAndSplit(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string_view> lines;
    const std::string_view text(bytes);
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines.size();
}

void MeasureListFile(const std::string& folder) {
    Bench bench(folder);
    kestrova::Program& p = bench.p;
    FillRows(p);
    kestrova::SaveListFile(p);
    std::size_t lines = 0;
    const double raw_s = Best([&] { lines = ReadAndSplit(p.state.ListFilePath); });
    double save_s = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        FillRows(p);
        const auto t0 = Clock::now();
        kestrova::SaveListFile(p);
        save_s = std::min(save_s, Seconds(t0));
    }
    double load_s = 1e9;
    double sort_s = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        p.Form1.ListView1.Clear();
        const auto t0 = Clock::now();
        kestrova::LoadListFile(p);
        load_s = std::min(load_s, Seconds(t0));
        const auto t1 = Clock::now();
        (void)p.Form1.ListView1.RowText(1);
        sort_s = std::min(sort_s, Seconds(t1));
    }
    if (lines != kRows + 1 || p.Form1.ListView1.Count() != kRows) {
        std::fprintf(stderr, "counts differ: %zu lines, %d rows loaded\n", lines, p.Form1.ListView1.Count());
    }
    std::printf("rows=%d raw_s=%.3f save_s=%.3f load_s=%.3f ratio=%.2f sort_s=%.3f\n", kRows, raw_s, save_s, load_s,
                load_s / raw_s, sort_s);
    std::fflush(stdout);
}

std::string MakeTree(const std::string& root) {
    const std::string tree = root + "/tree";
    for (int i = 0; i < kRows; ++i) {
        const std::string folder = tree + "/d" + std::to_string(i / 1000);
        if (i % 1000 == 0) std::filesystem::create_directories(folder);
        const std::string name = folder + "/f" + std::to_string(i) + kExtensions[i % 5];
        const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, i % 5000) != 0) std::perror(name.c_str());
        if (fd >= 0) ::close(fd);
    }
    return tree;
}

double TimedRefresh(const std::string& folder, const std::string& tree, std::int16_t icon_mode) {
    Bench bench(folder);
    kestrova::Program& p = bench.p;
    p.state.DisplayEntries[1].Folder = tree;
    p.state.DisplayEntries[1].IncludeSubfolders = 1;
    p.state.SizeCheck = 1;
    p.state.IconMode = icon_mode;
    kestrova::SettingsToScreen(p);
    const auto t0 = Clock::now();
    kestrova::RefreshList(p);
    (void)p.Form1.ListView1.RowText(1);
    const double seconds = Seconds(t0);
    if (p.Form1.ListView1.Count() != kRows) std::fprintf(stderr, "refresh listed %d\n", p.Form1.ListView1.Count());
    return seconds;
}

void MeasureIcons(const std::string& folder) {
    const std::string tree = MakeTree(folder);
    ::sync();
    TimedRefresh(folder, tree, 0);  // both modes start from a warm cache
    double simple_s = 1e9;
    double per_file_s = 1e9;
    // Alternating runs, so both modes see the same state of the machine.
    for (int run = 0; run < kRuns; ++run) {
        simple_s = std::min(simple_s, TimedRefresh(folder, tree, 0));
        per_file_s = std::min(per_file_s, TimedRefresh(folder, tree, 1));
    }
    std::printf("files=%d simple_s=%.2f per_file_s=%.2f ratio=%.2f\n", kRows, simple_s, per_file_s, per_file_s / simple_s);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/kestrova-listfile-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    // For profiling one half: --list-only or --icons-only.
    const std::string only = argc > 1 ? argv[1] : "";
    if (only != "--icons-only") MeasureListFile(folder);
    if (only != "--list-only") MeasureIcons(folder);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
