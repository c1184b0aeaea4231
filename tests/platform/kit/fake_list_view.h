#pragma once
// A list view of a toolkit that only remembers what the kit's list mirror
// told it, with a clock the test sets and a flush timer the test fires.
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/kit/list_mirror.h"

namespace kestrova {

// Runs read as rows in a failing test's message.
inline void PrintTo(const RowRun& run, std::ostream* out) { *out << "rows " << run.first << ".." << run.last; }

namespace testing {

class FakeListView final : public ListMirror {
public:
    FakeListView(ListView& list, const LoopState& loop, SelectionKeeping keeping) : ListMirror(list, loop, keeping) {}
    ~FakeListView() override { Detach(); }

    // Fires the flush the mirror asked for, as the toolkit's timer would.
    void FireFlush() {
        flush_in.reset();
        ScheduledFlush();
    }

    // ---- what the toolkit shows ----
    std::int32_t rows = 0;
    int columns = 0;
    std::vector<RowRun> selection;
    std::int32_t current = -1;
    int row_batches = 0;  // appends shown, each one insert
    int resets = 0;
    int selection_shows = 0;
    std::optional<int> flush_in;  // ms until the flush asked for
    std::optional<std::int32_t> editor_row;
    std::vector<std::int32_t> editors_later;
    // Counts seen at the Begin and End of a change; the toolkit may read
    // the count at any time and must see the old one until End.
    std::vector<std::pair<std::int32_t, std::int32_t>> counts_at_begin_end;
    // Set by the test: a toolkit that reports our own change as the user's.
    bool echoes_selection = false;

    std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
    int dpi = kDefaultDpi;

    int images_changed = 0;
    void ImagesChanged() override { ++images_changed; }
    void IconsChanged() override {}
    std::int32_t HitTest(int, int) override { return 0; }

private:
    int Dpi() const override { return dpi; }
    std::chrono::steady_clock::time_point Now() const override { return now; }
    void ScheduleFlush(int ms) override {
        if (!flush_in || *flush_in > ms) flush_in = ms;
    }
    void CancelFlush() override { flush_in.reset(); }
    void ShowAttached() override {
        rows = ReportedRows();
        columns = ReportedColumns();
    }
    void BeginRowsAdded(std::int32_t, std::int32_t) override { begin_count_ = ReportedRows(); }
    void EndRowsAdded() override {
        counts_at_begin_end.emplace_back(begin_count_, ReportedRows());
        rows = ReportedRows();
        ++row_batches;
    }
    void BeginRowRemoved(std::int32_t) override { begin_count_ = ReportedRows(); }
    void EndRowRemoved() override {
        counts_at_begin_end.emplace_back(begin_count_, ReportedRows());
        rows = ReportedRows();
    }
    void BeginReset() override {}
    void EndReset() override {
        rows = ReportedRows();
        columns = ReportedColumns();
        ++resets;
    }
    void BeginColumnsAdded(int, int) override {}
    void EndColumnsAdded() override { columns = ReportedColumns(); }
    void ShowColumns() override {}
    void ShowSortIndicator() override {}
    void ShowSelection(const std::vector<RowRun>& runs, std::int32_t) override {
        selection = runs;
        ++selection_shows;
        // An item model tells of the selection it was just given.
        if (echoes_selection && AcceptsUserPick()) UserSelected(0, rows - 1, false);
    }
    void ShowCurrent(std::int32_t row0) override {
        current = row0;
        if (echoes_selection && AcceptsUserPick()) UserMovedCurrent(-1);
    }
    void ShowRowChanged(std::int32_t) override {}
    bool OpenEditor(std::int32_t row0) override {
        editor_row = row0;
        return true;
    }
    void OpenEditorLater(std::int32_t index1) override { editors_later.push_back(index1); }

    std::int32_t begin_count_ = 0;
};

}  // namespace testing
}  // namespace kestrova
