// Measures the list file against the plainest reading of the same bytes, and
// per-file icons against simple ones, headless. Prints three lines:
//   rows=100000 raw_s=0.010 save_s=0.080 load_s=0.030 ratio=3.00 sort_s=0.050
//   rows=2000000 file_mb=250 raw_s=0.30 load_s=2.50 ratio=8.3 rows_mb=900 peak_mb=910 over_rows_mb=10
//   files=100000 simple_s=0.70 per_file_s=0.75 ratio=1.07
// raw_s reads the saved file's bytes and splits them into lines; save_s is
// SaveListFile of the rows; load_s is LoadListFile into an empty list, which
// leaves the sort by the settings pending; sort_s is that sort, paid at the
// first repaint as after a refresh. The second line loads a list of two
// million rows with Japanese names, one of which makes the file UTF-8 (the
// largest form the program writes), in a process of its own: rows_mb is what
// the loaded rows hold, peak_mb the most the load held at once, so
// over_rows_mb is what reading the file cost beyond the rows; against
// file_mb it shows whether the text was ever held whole. The refresh line
// scans one tree of files of five types, once with each icon mode.
// --list-only, --large-only and --icons-only run one part, for profiling.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "core/program.h"
#include "listing/file_rows.h"
#include "listing/list_file.h"
#include "listing/refresh.h"
#include "platform/headless/headless_services.h"
#include "settings/settings_file.h"
#include "settings/settings_transfer.h"

namespace {

using bench::Clock;
using bench::Seconds;
constexpr int kRows = 100000;
constexpr int kRuns = 5;
constexpr const char* kExtensions[] = {".txt", ".jpg", ".mp4", ".pdf", ""};

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

void MeasureListFile(const std::string& folder) {
    Bench bench(folder);
    kestrova::Program& p = bench.p;
    FillRows(p);
    kestrova::SaveListFile(p);
    std::size_t lines = 0;
    const double raw_s = Best([&] { lines = bench::ReadAndSplit(p.state.ListFilePath); });
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

constexpr int kLargeRows = 2000000;

void MeasureLargeList(const std::string& folder) {
    bench::InChild([&] {
        Bench bench(folder);
        kestrova::ListView& list = bench.p.Form1.ListView1;
        for (int i = 0; i < kLargeRows; ++i) {
            kestrova::ListRow row;
            row.text = (i == kLargeRows / 2 ? "한국어 " : "東京の写真 ") + std::to_string(i) + kExtensions[i % 5];
            row.sub[0] = "/home/user/写真/2007/フォルダ" + std::to_string(i / 1000);
            row.sub[1] = kestrova::SizeText(1000.0 + i * 37 % 99991, " ");
            row.sub[2] = kestrova::ModifiedText(1195747695 + i);
            row.sub[3] = "0" + std::to_string(1 + i % 9);
            list.AddRow(std::move(row));
        }
        kestrova::SaveListFile(bench.p);
        return std::string();
    });
    const std::string path = folder + "/Kestrova.csv";
    const double file_mb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    std::size_t lines = 0;
    const double raw_s = Best([&] { lines = bench::ReadAndSplit(path); });
    const std::string result = bench::InChild([&] {
        Bench bench(folder);
        const double start_mb = bench::StatusMegabytes("VmRSS:");
        const auto t0 = Clock::now();
        kestrova::LoadListFile(bench.p);
        const double load_s = Seconds(t0);
        const double rows_mb = bench::StatusMegabytes("VmRSS:") - start_mb;
        const double peak_mb = bench::StatusMegabytes("VmHWM:") - start_mb;
        char line[256];
        std::snprintf(line, sizeof line, "%d %.3f %.0f %.0f %zu", bench.p.Form1.ListView1.Count(), load_s, rows_mb, peak_mb,
                      bench.services.MessageBoxes().size());
        return std::string(line);
    });
    int rows = 0;
    double load_s = 0, rows_mb = 0, peak_mb = 0;
    std::size_t messages = 0;
    if (std::sscanf(result.c_str(), "%d %lf %lf %lf %zu", &rows, &load_s, &rows_mb, &peak_mb, &messages) != 5 ||
        rows != kLargeRows || lines != kLargeRows + 1 || messages != 0) {
        std::fprintf(stderr, "large list: %zu lines, loaded \"%s\"\n", lines, result.c_str());
    }
    std::printf("rows=%d file_mb=%.0f raw_s=%.2f load_s=%.2f ratio=%.1f rows_mb=%.0f peak_mb=%.0f over_rows_mb=%.0f\n",
                kLargeRows, file_mb, raw_s, load_s, load_s / raw_s, rows_mb, peak_mb, peak_mb - rows_mb);
    std::fflush(stdout);
    std::filesystem::remove(path);
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
    // For profiling one part: --list-only, --large-only or --icons-only.
    const std::string only = argc > 1 ? argv[1] : "";
    if (only.empty() || only == "--list-only") MeasureListFile(folder);
    if (only.empty() || only == "--large-only") MeasureLargeList(folder);
    if (only.empty() || only == "--icons-only") MeasureIcons(folder);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
