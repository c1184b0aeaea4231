// The list file at a million rows in code page 932 (about 97 MB), headless,
// each figure against its plainest counterpart measured in the same run:
//   rows=1000000 mb=96 read_s=0.08 load_s=0.40 ratio=5.0 sort_s=0.30 same_rows=yes
//   rows=1000000 form=cp932 write_s=0.20 save_s=0.30 ratio=1.50 goal_s=0.46 rows_mb=110 peak_mb=112 peak_ratio=1.02 same_bytes=yes
//   rows=1000000 form=utf8 write_s=0.20 save_s=0.35 ...
// read_s reads the file's bytes and splits them into lines; load_s is
// LoadListFile into an empty list, which leaves the sort by the settings
// pending; sort_s is that sort, paid at the first repaint. write_s writes the
// bytes of the saved file to a new file and fsyncs it; save_s is
// SaveListFile of the same rows (the close's save, which also empties the
// list); goal_s is 1.3 write_s + 0.2 s. rows_mb is what the rows hold,
// peak_mb the most the process held while saving them (both from a small
// start, in a process of its own). same_rows compares every loaded row with
// the row that was saved; same_bytes compares the saved file with the text
// formatted whole and encoded at once, as the program used to write it. The
// utf8 line saves the same list with one name code page 932 cannot hold, far
// down the list, which makes the whole file UTF-8 with a byte-order mark.
// Runs alternate; each figure is the best of them.
//   listfile_million [--rows N] [--runs N] [--only load|save]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "core/program.h"
#include "listing/file_rows.h"
#include "listing/list_file.h"
#include "listing/list_file_format.h"
#include "platform/text/codepage.h"
#include "platform/system/free_memory.h"
#include "platform/headless/headless_services.h"
#include "settings/settings_file.h"
#include "settings/settings_transfer.h"

namespace {

using bench::Clock;
using bench::Seconds;

constexpr const char* kExtensions[] = {".jpg", ".mp4", ".txt", ".pdf", ""};
constexpr const char* kUnconvertibleName = "한국어.txt";

struct Options {
    int rows = 1000000;
    int runs = 3;
    std::string only;  // "load" or "save", for profiling one part
};

struct Bench {
    explicit Bench(const std::string& folder) : p(services, folder) {
        kestrova::ApplyDefaultSettings(p.state);
        kestrova::SetProgramPaths(p.state, folder);
        p.state.StartMode = kestrova::kStartShowPrevious;
        kestrova::SettingsToScreen(p);
        for (const char* h : {"名前", "フォルダ名", "サイズ(Byte)", "更新日時", "No"}) p.Form1.ListView1.AddColumn(h, 1000);
    }
    kestrova::HeadlessServices services;
    kestrova::Program p;
};

// Rows as a refresh of a tree of folders of 1,000 files gives them, in the
// order the default sort (by time, newest first) shows them, which is the
// order they are saved in.
kestrova::ListRow MakeRow(int i, int unconvertible_at) {
    kestrova::ListRow row;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%07d", i);
    row.text = i == unconvertible_at ? kUnconvertibleName : std::string("写真_") + digits + kExtensions[i % 5];
    std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(i * 7919LL % 1000000 / 1000));
    row.sub[0] = std::string("/home/user/写真/2007/d") + digits;
    row.sub[1] = kestrova::SizeText(1000.0 + i * 37 % 99991, i % 7 == 0 ? "*" : " ");
    row.sub[2] = kestrova::ModifiedText(1195747695 - i * 13);
    std::snprintf(digits, sizeof digits, "%02d", 1 + i % 16);
    row.sub[3] = digits;
    return row;
}

void FillRows(kestrova::Program& p, int rows, int unconvertible_at) {
    for (int i = 0; i < rows; ++i) p.Form1.ListView1.AddRow(MakeRow(i, unconvertible_at));
}

// The file as the program wrote it before saving streamed: the whole text
// formatted, then encoded at once.
std::string ExpectedBytes(kestrova::Program& p, int rows, int unconvertible_at) {
    std::string text;
    kestrova::AppendListLine(text, {p.Form1.Label2.Caption(), "", "", "", ""});
    for (int i = 0; i < rows; ++i) {
        const kestrova::ListRow row = MakeRow(i, unconvertible_at);
        kestrova::AppendListLine(text, {row.text, row.sub[0], row.sub[1], row.sub[2], row.sub[3]});
    }
    return kestrova::EncodeFileText(text);
}

// The plainest save: the bytes written to a new file and made durable.
double WriteAndSync(const std::string& path, const std::string& bytes) {
    std::filesystem::remove(path);
    const auto t0 = Clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (size_t done = 0; fd >= 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    if (fd < 0 || ::fsync(fd) != 0) std::perror(path.c_str());
    if (fd >= 0) ::close(fd);
    const double seconds = Seconds(t0);
    std::filesystem::remove(path);
    return seconds;
}

bool SameRowsAsSaved(const kestrova::ListView& list, int rows) {
    if (list.Count() != rows) return false;
    std::string scratch;
    for (int i = 0; i < rows; ++i) {
        const kestrova::ListRow row = MakeRow(i, -1);
        if (list.DisplayText(i + 1, 0, scratch) != row.text) return false;
        for (int k = 1; k <= kestrova::kSubItemCount; ++k) {
            if (list.DisplayText(i + 1, k, scratch) != row.sub[static_cast<size_t>(k - 1)]) return false;
        }
    }
    return true;
}

void MeasureLoad(const std::string& folder, const Options& o) {
    const std::string path = folder + "/Kestrova.csv";
    {
        Bench bench(folder);
        FillRows(bench.p, o.rows, -1);
        kestrova::SaveListFile(bench.p);
    }
    const double mb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    double read_s = 1e9, load_s = 1e9, load_cpu_s = 1e9, sort_s = 1e9;
    std::size_t lines = 0;
    bool same_rows = true;
    for (int run = 0; run < o.runs; ++run) {
        auto t0 = Clock::now();
        lines = bench::ReadAndSplit(path);
        read_s = std::min(read_s, Seconds(t0));
        Bench bench(folder);
        t0 = Clock::now();
        const double cpu0 = bench::CpuSeconds();
        kestrova::LoadListFile(bench.p);
        load_s = std::min(load_s, Seconds(t0));
        load_cpu_s = std::min(load_cpu_s, bench::CpuSeconds() - cpu0);
        if (run == 0) same_rows = SameRowsAsSaved(bench.p.Form1.ListView1, o.rows);
        t0 = Clock::now();
        (void)bench.p.Form1.ListView1.RowText(1);
        sort_s = std::min(sort_s, Seconds(t0));
    }
    if (lines != static_cast<std::size_t>(o.rows) + 1) std::fprintf(stderr, "the file has %zu lines\n", lines);
    std::printf("rows=%d mb=%.0f read_s=%.3f load_s=%.3f ratio=%.2f load_cpu_s=%.3f sort_s=%.3f same_rows=%s\n", o.rows, mb,
                read_s, load_s, load_s / read_s, load_cpu_s, sort_s, same_rows ? "yes" : "NO");
    std::fflush(stdout);
}

// Run as a process of its own (see SaveMemory): fills the rows, saves them
// and prints what the rows held and the most the save held, both counted
// from the process's start.
int PrintSaveMemory(const std::string& folder, int rows, int unconvertible_at) {
    const double start_mb = bench::StatusMegabytes("VmRSS:");
    Bench bench(folder);
    FillRows(bench.p, rows, unconvertible_at);
    const double rows_mb = bench::StatusMegabytes("VmRSS:") - start_mb;
    bench::ResetPeakMemory();
    kestrova::SaveListFile(bench.p);
    const double peak_mb = bench::StatusMegabytes("VmHWM:") - start_mb;
    std::printf("%.1f %.1f\n", rows_mb, peak_mb);
    return 0;
}

std::pair<double, double> SaveMemory(const std::string& folder, const Options& o, int unconvertible_at) {
    const std::string result =
        bench::RunSelf({"--save-memory", folder, std::to_string(o.rows), std::to_string(unconvertible_at)});
    double rows_mb = 0, peak_mb = 0;
    if (std::sscanf(result.c_str(), "%lf %lf", &rows_mb, &peak_mb) != 2) std::fprintf(stderr, "no memory figures\n");
    return {rows_mb, peak_mb};
}

void MeasureSave(const std::string& folder, const Options& o, bool utf8) {
    const std::string path = folder + "/Kestrova.csv";
    // Past the first pieces written, so the change of form comes late.
    const int unconvertible_at = utf8 ? o.rows * 9 / 10 : -1;
    Bench bench(folder);
    const std::string expected = ExpectedBytes(bench.p, o.rows, unconvertible_at);
    double write_s = 1e9, save_s = 1e9, save_cpu_s = 1e9;
    bool same_bytes = true;
    for (int run = 0; run < o.runs; ++run) {
        write_s = std::min(write_s, WriteAndSync(folder + "/plain.csv", expected));
        FillRows(bench.p, o.rows, unconvertible_at);
        const auto t0 = Clock::now();
        const double cpu0 = bench::CpuSeconds();
        kestrova::SaveListFile(bench.p);
        save_s = std::min(save_s, Seconds(t0));
        save_cpu_s = std::min(save_cpu_s, bench::CpuSeconds() - cpu0);
        if (bench::ReadBytes(path) != expected) same_bytes = false;
    }
    const auto [rows_mb, peak_mb] = SaveMemory(folder, o, unconvertible_at);
    std::printf("rows=%d form=%s write_s=%.3f save_s=%.3f ratio=%.2f goal_s=%.3f save_cpu_s=%.3f rows_mb=%.0f peak_mb=%.0f "
                "peak_ratio=%.2f same_bytes=%s\n",
                o.rows, utf8 ? "utf8" : "cp932", write_s, save_s, save_s / write_s, 1.3 * write_s + 0.2, save_cpu_s, rows_mb,
                peak_mb, peak_mb / rows_mb, same_bytes ? "yes" : "NO");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    // As the program does (see its main).
    kestrova::ReturnLargeBlocksWhenFreed();
    if (argc == 5 && std::strcmp(argv[1], "--save-memory") == 0) {
        return PrintSaveMemory(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    }
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rows") == 0) o.rows = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0) o.runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--only") == 0) o.only = argv[i + 1];
    }
    char pattern[] = "/tmp/kestrova-listfile-million-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    if (o.only.empty() || o.only == "load") MeasureLoad(folder, o);
    if (o.only.empty() || o.only == "save") {
        MeasureSave(folder, o, false);
        MeasureSave(folder, o, true);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
