#pragma once
// The file list as every window backend keeps it on screen. The mirror owns
// what the view was told (rows, columns), what it still has to show
// (selection, current row, appends) and the rules for when: appends in
// batches, a deferred sort never forced while a handler is at work, the
// selection sent as runs, the current row only once the rows are in order,
// and no pick by the user against rows shown unsorted. A backend's list view
// derives from it and only shows what the hooks below tell it.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kit/loop_state.h"
#include "platform/model/listview.h"

namespace kestrova {

// Consecutive displayed rows, 0-based, both ends included.
struct RowRun {
    std::int32_t first = 0;
    std::int32_t last = 0;
    bool operator==(const RowRun&) const = default;
};

// How the toolkit's list keeps its selection when rows go or are reordered.
enum class SelectionKeeping {
    // With its rows (an item model): the mirror catches up at the next flush.
    WithRows,
    // At its places (an owner-data control): the mirror shows it again at once.
    AtPlaces,
};

class ListMirror : public ListViewObserver {
public:
    // Appends are shown at most this often: each insert makes the view lay
    // out again, which a million-row list must not pay per file.
    static constexpr std::chrono::milliseconds kAppendBatch{50};

    ListMirror(ListView& list, const LoopState& loop, SelectionKeeping keeping);
    ~ListMirror() override;
    ListMirror(const ListMirror&) = delete;
    ListMirror& operator=(const ListMirror&) = delete;

    ListView& List() const { return list_; }
    // Starts mirroring: the view shows the list as it is, and the list
    // reports to this mirror from now on.
    void Attach();
    // Stops listening to the list (its window is being taken down); nothing
    // the view does afterwards is the user's.
    void Detach();
    bool Mirroring() const { return attached_; }

    // Brings the view up to date: a deferred sort, appends, selection, current row.
    void Flush();
    // As Flush, but leaves appends pending while the last batch is very
    // recent, so a scan that lets events through per file still inserts in
    // large batches, and never forces a deferred sort.
    void FlushIfDue();
    // The flush asked for by ScheduleFlush is due: a deferred sort is done
    // only once the loop is idle.
    void ScheduledFlush();
    // Shows a selection or current row that changed and is not shown yet.
    void ShowPendingSelection();

    // Sorted, sort key or order changed: the sort indicator shows it, and a
    // deferred sort is shown at the next idle turn.
    void SortChanged();
    // The image list's pictures changed.
    virtual void ImagesChanged() = 0;

    // Before the user picks rows: a sort the list deferred is done now, so
    // the rows stay where the user sees them. True when the rows moved.
    bool SortBeforeUserPick();

    std::int32_t ReportedRows() const { return reported_; }
    int ReportedColumns() const { return columns_reported_; }
    // Bumped whenever the rows are shown anew, so a caller can tell that
    // rows it holds by index are gone.
    std::uint64_t ResetCount() const { return reset_count_; }

    // ---- what the user did, as the toolkit reports it (displayed rows, 0-based) ----
    // False while the view shows the mirror's own change, and while a sort
    // waits (the view then goes back to what the list holds).
    bool AcceptsUserPick();
    void UserSelected(std::int32_t first0, std::int32_t last0, bool on);
    // -1: no row is current.
    void UserMovedCurrent(std::int32_t row0);
    // The user dragged a column's edge to `pixels`.
    void UserColumnWidth(int column0, int pixels);
    void UserHeaderClick(int column0);
    // The in-place editor closed; nullopt when the user cancelled.
    void UserEndedEdit(std::int32_t row0, std::optional<std::string> text);

    void ColumnsChanged() override;
    void RowsAppended(std::int32_t first_index1, std::int32_t count) override;
    void RowAboutToBeRemoved(std::int32_t index1) override;
    void RowRemoved(std::int32_t index1) override;
    void RowsReset() override;
    void RowChanged(std::int32_t index1) override;
    void SelectionChanged() override;
    void CurrentChanged() override;
    void StartLabelEdit(std::int32_t index1) override;
    // IconsChanged and HitTest are the toolkit's.

protected:
    // ---- what the backend does ----
    // The screen density column widths are converted at.
    virtual int Dpi() const { return kDefaultDpi; }
    virtual std::chrono::steady_clock::time_point Now() const { return std::chrono::steady_clock::now(); }
    // Calls ScheduledFlush in `ms` milliseconds (or sooner, when one is due
    // sooner already); 0 is the next idle turn.
    virtual void ScheduleFlush(int ms) = 0;
    virtual void CancelFlush() = 0;
    // The view shows the list as it is now: ReportedRows rows, ReportedColumns columns, the icons.
    virtual void ShowAttached() = 0;
    // Counts change between Begin and End; the toolkit takes the new one at End.
    virtual void BeginRowsAdded(std::int32_t first0, std::int32_t last0) = 0;
    virtual void EndRowsAdded() = 0;
    virtual void BeginRowRemoved(std::int32_t row0) = 0;
    virtual void EndRowRemoved() = 0;
    virtual void BeginReset() = 0;
    virtual void EndReset() = 0;
    virtual void BeginColumnsAdded(int first0, int last0) = 0;
    virtual void EndColumnsAdded() = 0;
    // Every column's header text and width as the list has them.
    virtual void ShowColumns() = 0;
    virtual void ShowSortIndicator() = 0;
    // The selected rows among the first `rows` displayed ones, as runs.
    virtual void ShowSelection(const std::vector<RowRun>& runs, std::int32_t rows) = 0;
    // -1: no row is current.
    virtual void ShowCurrent(std::int32_t row0) = 0;
    virtual void ShowRowChanged(std::int32_t row0) = 0;
    // Opens the in-place editor on the row; false when the toolkit refused.
    virtual bool OpenEditor(std::int32_t row0) = 0;
    // The same, once the editor that is closing now has gone.
    virtual void OpenEditorLater(std::int32_t index1) = 0;

private:
    void Update(bool sort_now, bool appends_now);
    void FlushAppends();
    void SyncSelection();
    void SyncCurrent();
    void CatchUp();

    ListView& list_;
    const LoopState& loop_;
    const SelectionKeeping keeping_;
    std::int32_t reported_ = 0;
    int columns_reported_ = 0;
    bool attached_ = false;
    bool selection_dirty_ = false;
    bool current_dirty_ = false;
    // Between RowAboutToBeRemoved and RowRemoved of a row the view shows.
    bool removing_ = false;
    // While the end of an edit is reported to the list.
    bool ending_edit_ = false;
    // Non-zero while the mirror itself changes the view; the view's signals
    // then describe our own change and must not come back as the user's.
    int syncing_ = 0;
    std::uint64_t reset_count_ = 0;
    std::chrono::steady_clock::time_point last_append_flush_{};
};

// What a cell shows: a right-aligned column's padded number without its
// leading blanks, which the alignment stands in for (a fixed-pitch face
// would not have room for them).
std::string_view ShownCellText(const ListView& list, std::int32_t row1, int column0, std::string& scratch);
bool RightAligned(const ListView& list, int column0);
// The image list's distinct picture a row shows, or -1 for none.
int ShownPicture(const ListView& list, std::int32_t row1);

}  // namespace kestrova
