// Sorting and holding a million list rows, against the list as it was before
// (a deque of rows of five strings, sorted by std::stable_sort over the key
// texts), measured in the same run. Two sets of rows: names and folders as a
// refresh makes them, and random names. Every column is sorted in both
// orders, one after the other as header clicks would, and the new order is
// checked row by row against the old one. Prints
//   rows=1000000 names=refresh key=K order=O sort_s=0.12 baseline_sort_s=1.80 same_order=yes
//   rows=1000000 names=refresh bytes_per_row=90 baseline_bytes_per_row=400
// The memory figures are the growth of the resident size while the rows are
// added, each in a process of its own.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "listing/file_rows.h"
#include "platform/model/form.h"
#include "platform/model/listview.h"

namespace {

using Clock = std::chrono::steady_clock;
using kestrova::ListRow;
constexpr std::int32_t kRows = 1000000;
constexpr int kFolders = 10000;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// ---- the list as it was: the baseline ----

unsigned char OldFold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

int OldCompare(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && std::memcmp(a.data() + i, b.data() + i, n - i) != 0) {
        while (a[i] == b[i]) ++i;
        const unsigned char x = OldFold(static_cast<unsigned char>(a[i]));
        const unsigned char y = OldFold(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
        ++i;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

void OldSort(std::deque<ListRow>& rows, int key, bool descending) {
    struct Keyed {
        std::string_view key;
        std::int32_t index;
    };
    std::vector<Keyed> keyed(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        keyed[i] = {key == 0 ? rows[i].text : rows[i].sub[static_cast<size_t>(key - 1)], static_cast<std::int32_t>(i)};
    }
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const Keyed& a, const Keyed& b) {
        const int c = OldCompare(a.key, b.key);
        return descending ? c > 0 : c < 0;
    });
    std::deque<ListRow> sorted;
    for (const Keyed& k : keyed) sorted.push_back(std::move(rows[static_cast<size_t>(k.index)]));
    rows = std::move(sorted);
}

// ---- the rows ----

enum class Names { Refresh, Random };

class RowMaker {
public:
    explicit RowMaker(Names names) : names_(names), rng_(7) {}
    ListRow Next(std::int32_t i) {
        ListRow row;
        const int folder = names_ == Names::Refresh ? i / (kRows / kFolders) : static_cast<int>(rng_() % kFolders);
        row.sub[0] = "/home/user/Media/archive/g" + std::to_string(folder / 1000) + "/Folder " + std::to_string(folder);
        if (names_ == Names::Refresh) {
            static const char* const kinds[] = {"photo", "Movie", "clip", "IMG", "doc"};
            row.text = "File_" + std::to_string(1000000 + i).substr(1) + "_" + kinds[rng_() % 5] + ".dat";
        } else {
            static const char* const pieces[] = {"a", "B", "c", "D", "e", "x", "Y", "z", "0", "7", "_", " ", ".", "写真", "ﾃｽﾄ", "あ"};
            const size_t length = 4 + rng_() % 30;
            for (size_t k = 0; k < length; ++k) row.text += pieces[rng_() % 16];
        }
        const double size = static_cast<double>(rng_() % (names_ == Names::Refresh ? 500000 : 5000000000ULL));
        row.sub[1] = kestrova::SizeText(size, rng_() % 2 ? "*" : " ");
        row.sub[2] = kestrova::ModifiedText(1500000000 + static_cast<std::int64_t>(rng_() % 300000000));
        row.sub[3] = std::to_string(101 + rng_() % 16).substr(1);
        return row;
    }

private:
    Names names_;
    std::mt19937_64 rng_;
};

// A window holding nothing but the list.
class ListWindow : public kestrova::Form {
public:
    ListWindow() : Form({"Bench", "", 9600, 4800}, {{"ListView1", kestrova::ControlKind::ListView, "", "", {0, 0, 9600, 4800}}}) {}
    kestrova::ListView& list() { return Get<kestrova::ListView>("ListView1"); }
};

const char* NameOf(Names names) { return names == Names::Refresh ? "refresh" : "random"; }

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Resident growth per row while the rows are added, measured in a child so
// neither container sees the other's freed memory.
// fill adds the rows and returns the resident size while they are held.
template <typename Fill>
double BytesPerRow(Fill fill) {
    int pipe_fd[2];
    if (::pipe(pipe_fd) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_fd[0]);
        const long before = ResidentBytes();
        const double per_row = static_cast<double>(fill() - before) / kRows;
        (void)!::write(pipe_fd[1], &per_row, sizeof per_row);
        ::_exit(0);
    }
    ::close(pipe_fd[1]);
    double per_row = -1;
    (void)!::read(pipe_fd[0], &per_row, sizeof per_row);
    ::close(pipe_fd[0]);
    ::waitpid(child, nullptr, 0);
    return per_row;
}

void MeasureMemory(Names names) {
    const double now = BytesPerRow([names] {
        ListWindow window;
        kestrova::ListView& list = window.list();
        RowMaker maker(names);
        for (std::int32_t i = 0; i < kRows; ++i) list.AddRow(maker.Next(i));
        return ResidentBytes();
    });
    const double before = BytesPerRow([names] {
        std::deque<ListRow> rows;
        RowMaker maker(names);
        for (std::int32_t i = 0; i < kRows; ++i) rows.push_back(maker.Next(i));
        return ResidentBytes();
    });
    std::printf("rows=%d names=%s bytes_per_row=%.0f baseline_bytes_per_row=%.0f\n", kRows, NameOf(names), now, before);
    std::fflush(stdout);
}

bool SameRows(const kestrova::ListView& list, const std::deque<ListRow>& old) {
    std::string scratch;
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        const ListRow& o = old[static_cast<size_t>(i - 1)];
        if (list.CellText(i, 0, scratch) != o.text) return false;
        for (int k = 1; k <= kestrova::kSubItemCount; ++k) {
            if (list.CellText(i, k, scratch) != o.sub[static_cast<size_t>(k - 1)]) return false;
        }
    }
    return true;
}

// For profiling: --key K sorts only by that column, without the baseline.
int only_key = -1;

void MeasureSorts(Names names) {
    ListWindow window;
    kestrova::ListView& list = window.list();
    std::deque<ListRow> old;
    RowMaker maker(names);
    for (std::int32_t i = 0; i < kRows; ++i) {
        ListRow row = maker.Next(i);
        list.AddRow(row);
        old.push_back(std::move(row));
    }
    for (int key = 0; key <= kestrova::kSubItemCount; ++key) {
        if (only_key >= 0 && key != only_key) continue;
        for (int order = 0; order <= 1; ++order) {
            auto t0 = Clock::now();
            list.SetSorted(false);
            list.SetSortKey(key);
            list.SetSortOrder(order);
            list.SetSorted(true);
            (void)list.Selected(1);  // reading a row puts the list in order
            const double sort_s = Seconds(t0);
            if (only_key >= 0) {
                std::printf("rows=%d names=%s key=%d order=%d sort_s=%.3f\n", kRows, NameOf(names), key, order, sort_s);
                continue;
            }
            t0 = Clock::now();
            OldSort(old, key, order == 1);
            const double baseline_s = Seconds(t0);
            std::printf("rows=%d names=%s key=%d order=%d sort_s=%.3f baseline_sort_s=%.3f same_order=%s\n", kRows,
                        NameOf(names), key, order, sort_s, baseline_s, SameRows(list, old) ? "yes" : "NO");
            std::fflush(stdout);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool memory_only = argc > 1 && std::strcmp(argv[1], "--memory") == 0;
    if (argc > 2 && std::strcmp(argv[1], "--key") == 0) only_key = std::atoi(argv[2]);
    // Memory first: memory freed by a sort would be reused by a later fill
    // and hide its growth.
    if (only_key < 0) {
        for (Names names : {Names::Refresh, Names::Random}) MeasureMemory(names);
    }
    if (memory_only) return 0;
    for (Names names : {Names::Refresh, Names::Random}) MeasureSorts(names);
    return 0;
}
