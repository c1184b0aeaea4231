#include "list_mirror.h"

#include <algorithm>

#include "platform/model/user_input.h"

namespace kestrova {

ListMirror::ListMirror(ListView& list, const LoopState& loop, SelectionKeeping keeping)
    : list_(list), loop_(loop), keeping_(keeping) {}

// The backend detaches while it still exists; this only makes sure the list
// never reports to a mirror that is gone.
ListMirror::~ListMirror() {
    if (list_.ViewObserver() == this) list_.SetViewObserver(nullptr);
}

void ListMirror::Attach() {
    if (attached_) return;
    attached_ = true;
    reported_ = list_.Count();
    columns_reported_ = list_.ColumnCount();
    {
        Counting guard(syncing_);
        ShowAttached();
        ShowColumns();
    }
    SortChanged();
    selection_dirty_ = true;
    current_dirty_ = true;
    list_.SetViewObserver(this);
    Flush();
}

void ListMirror::Detach() {
    if (!attached_) return;
    attached_ = false;
    if (list_.ViewObserver() == this) list_.SetViewObserver(nullptr);
    CancelFlush();
    ++syncing_;  // from here on nothing the view does is the user's
}

void ListMirror::Flush() { Update(true, true); }

void ListMirror::FlushIfDue() { Update(false, Now() - last_append_flush_ >= kAppendBatch); }

void ListMirror::ScheduledFlush() { Update(loop_.pumping == 0, true); }

// The list defers a requested sort until its rows are read by index, so a
// refresh that sorts after every folder sorts once. The view reads only the
// rows as displayed and never forces that sort while a handler is at work;
// once the loop is idle, the list is put in order for the user to see.
void ListMirror::Update(bool sort_now, bool appends_now) {
    if (!attached_) return;
    if (list_.SortPending()) {
        if (sort_now) {
            (void)list_.Rows();  // sorts; the list then reports RowsReset
        } else {
            ScheduleFlush(static_cast<int>(kAppendBatch.count()));
        }
    }
    if (appends_now) FlushAppends();
    if (selection_dirty_) SyncSelection();
    if (current_dirty_) SyncCurrent();
}

void ListMirror::ShowPendingSelection() {
    if (selection_dirty_) SyncSelection();
    if (current_dirty_) SyncCurrent();
}

void ListMirror::FlushAppends() {
    const std::int32_t count = list_.Count();
    if (count <= reported_) return;
    const std::int32_t first = reported_;
    {
        Counting guard(syncing_);
        BeginRowsAdded(first, count - 1);
        reported_ = count;
        EndRowsAdded();
    }
    last_append_flush_ = Now();
    for (std::int32_t i = first + 1; i <= count; ++i) {
        if (list_.DisplaySelected(i)) {
            selection_dirty_ = true;
            break;
        }
    }
    current_dirty_ = true;
}

// Selected rows go to the view as runs, so selecting all of a million rows
// is one range and not a million.
void ListMirror::SyncSelection() {
    selection_dirty_ = false;
    if (columns_reported_ == 0) return;
    const std::int32_t n = std::min<std::int32_t>(reported_, list_.Count());
    std::vector<RowRun> runs;
    for (std::int32_t i = 0; i < n;) {
        if (!list_.DisplaySelected(i + 1)) {
            ++i;
            continue;
        }
        std::int32_t j = i;
        while (j + 1 < n && list_.DisplaySelected(j + 2)) ++j;
        runs.push_back({i, j});
        i = j + 1;
    }
    Counting guard(syncing_);
    ShowSelection(runs, n);
}

void ListMirror::SyncCurrent() {
    // Reading the current row would force a deferred sort; the sort's reset
    // brings the current row along anyway.
    if (list_.SortPending()) return;
    current_dirty_ = false;
    const std::int32_t current = list_.SelectedItem();
    Counting guard(syncing_);
    ShowCurrent(current >= 1 && current <= reported_ && columns_reported_ > 0 ? current - 1 : -1);
}

// After rows went or were reordered: a view that keeps its selection at its
// places shows the list's at once; one whose selection went with its rows
// catches up at the next idle turn.
void ListMirror::CatchUp() {
    current_dirty_ = true;
    if (keeping_ == SelectionKeeping::AtPlaces) {
        selection_dirty_ = true;
        ShowPendingSelection();
    } else {
        ScheduleFlush(0);
    }
}

void ListMirror::SortChanged() {
    if (!attached_) return;
    ShowSortIndicator();
    if (list_.SortPending()) ScheduleFlush(0);
}

bool ListMirror::SortBeforeUserPick() {
    if (!attached_ || !list_.SortPending()) return false;
    Flush();
    return true;
}

void ListMirror::ColumnsChanged() {
    const int count = list_.ColumnCount();
    if (count < columns_reported_) {
        RowsReset();
        return;
    }
    Counting guard(syncing_);
    if (count > columns_reported_) {
        BeginColumnsAdded(columns_reported_, count - 1);
        columns_reported_ = count;
        EndColumnsAdded();
        // Rows could not be selected while there was no column to select.
        selection_dirty_ = true;
        current_dirty_ = true;
        ScheduleFlush(0);
    }
    ShowColumns();
}

void ListMirror::RowsAppended(std::int32_t, std::int32_t) { ScheduleFlush(static_cast<int>(kAppendBatch.count())); }

void ListMirror::RowAboutToBeRemoved(std::int32_t index1) {
    // A row the view has not been told about yet goes without a trace.
    if (index1 < 1 || index1 > reported_) return;
    ++syncing_;
    removing_ = true;
    BeginRowRemoved(index1 - 1);
}

void ListMirror::RowRemoved(std::int32_t) {
    if (!removing_) return;
    removing_ = false;
    --reported_;
    EndRowRemoved();
    --syncing_;
    // The view moved its current row elsewhere; the list decides where it is.
    CatchUp();
}

void ListMirror::RowsReset() {
    {
        Counting guard(syncing_);
        BeginReset();
        reported_ = list_.Count();
        columns_reported_ = list_.ColumnCount();
        EndReset();
        ShowColumns();
    }
    ++reset_count_;
    SortChanged();
    selection_dirty_ = true;
    CatchUp();
}

void ListMirror::RowChanged(std::int32_t index1) {
    if (index1 < 1 || index1 > reported_ || columns_reported_ == 0) return;
    ShowRowChanged(index1 - 1);
}

void ListMirror::SelectionChanged() {
    selection_dirty_ = true;
    ScheduleFlush(0);
}

void ListMirror::CurrentChanged() {
    current_dirty_ = true;
    ScheduleFlush(0);
}

void ListMirror::StartLabelEdit(std::int32_t index1) {
    if (!attached_) return;
    // Asked while an edit is being ended (a refused rename reopens it): the
    // view is still closing the old editor, so the new one opens after it.
    if (ending_edit_) {
        OpenEditorLater(index1);
        return;
    }
    // The row is given as displayed: a deferred sort must not move it now.
    FlushAppends();
    if (index1 < 1 || index1 > reported_ || columns_reported_ == 0) return;
    OpenEditor(index1 - 1);
}

// The view sorts before it lets the user pick rows (SortBeforeUserPick), so
// a pick against rows shown unsorted can only come from elsewhere; the view
// goes back to what the list holds.
bool ListMirror::AcceptsUserPick() {
    if (syncing_ || !attached_) return false;
    if (!list_.SortPending()) return true;
    selection_dirty_ = true;
    current_dirty_ = true;
    ScheduleFlush(0);
    return false;
}

void ListMirror::UserSelected(std::int32_t first0, std::int32_t last0, bool on) {
    for (std::int32_t row = std::max(0, first0); row <= last0 && row < reported_; ++row) list_.BackendSelection(row + 1, on);
}

void ListMirror::UserMovedCurrent(std::int32_t row0) { list_.BackendCurrent(row0 >= 0 ? row0 + 1 : 0); }

void ListMirror::UserColumnWidth(int column0, int pixels) {
    if (syncing_ || !attached_ || column0 < 0 || column0 >= columns_reported_ || column0 >= list_.ColumnCount()) return;
    list_.BackendColumnWidth(column0 + 1, KeepTwips(list_.ColumnWidth(column0 + 1), pixels, Dpi()));
}

void ListMirror::UserHeaderClick(int column0) {
    if (syncing_ || !attached_) return;
    UserColumnClick(list_, column0 + 1);
    // The header may have flipped its indicator by itself; the list's own
    // sort state is what it must show.
    SortChanged();
}

void ListMirror::UserEndedEdit(std::int32_t row0, std::optional<std::string> text) {
    ending_edit_ = true;
    list_.BackendEndLabelEdit(row0 + 1, std::move(text));
    ending_edit_ = false;
}

bool RightAligned(const ListView& list, int column0) {
    return column0 >= 0 && column0 < list.ColumnCount() && list.Column(column0 + 1).align == ColumnAlign::Right;
}

std::string_view ShownCellText(const ListView& list, std::int32_t row1, int column0, std::string& scratch) {
    std::string_view text = list.DisplayText(row1, column0, scratch);
    if (column0 > 0 && RightAligned(list, column0)) {
        const size_t first = text.find_first_not_of(' ');
        text.remove_prefix(first == std::string_view::npos ? text.size() : first);
    }
    return text;
}

int ShownPicture(const ListView& list, std::int32_t row1) {
    const int icon = list.DisplayIcon(row1);
    const ImageList* icons = list.SmallIcons();
    return icons && icon >= 1 && icon <= icons->Count() ? icons->DistinctOf(icon) : -1;
}

}  // namespace kestrova
