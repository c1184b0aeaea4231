#pragma once
// The file list on screen: a report-view list control in owner-data mode.
// It holds no rows of its own; it asks for each visible cell as it paints,
// so a million rows cost what their vector costs. Selection lives in the
// control as ranges and is mirrored both ways with the ListView's flags.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/model/listview.h"

namespace kestrova {

struct BackendShared;

class ListWindow final : public ListViewObserver {
public:
    ListWindow(ListView& list, HWND parent, UINT id, BackendShared& shared);
    ~ListWindow() override;
    ListWindow(const ListWindow&) = delete;
    ListWindow& operator=(const ListWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    // Starts mirroring the list; the list reports to this view from now on.
    void Attach();
    void Detach();
    // Brings the control up to date: a deferred sort, appends, selection, current row.
    void Flush();
    // As Flush, but leaves appends pending while the last batch is very recent.
    void FlushIfDue();

    void ImagesChanged();
    void SortChanged();
    void ColorsChanged();
    void DpiChanged(UINT dpi);

    // A WM_NOTIFY the window received from the list control.
    LRESULT Notify(const NMHDR& header);
    // A message to the list control itself; true when it is used up here.
    bool ControlMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

    std::int32_t ReportedRows() const { return reported_; }

    void ColumnsChanged() override;
    void RowsAppended(std::int32_t first_index1, std::int32_t count) override;
    void RowAboutToBeRemoved(std::int32_t index1) override;
    void RowRemoved(std::int32_t index1) override;
    void RowsReset() override;
    void RowChanged(std::int32_t index1) override;
    void SelectionChanged() override;
    void CurrentChanged() override;
    void IconsChanged() override;
    void StartLabelEdit(std::int32_t index1) override;
    std::int32_t HitTest(int x, int y) override;

private:
    void Update(bool sort_now, bool appends_now);
    void FlushAppends();
    void SyncSelection();
    void SyncCurrent();
    void ApplyColumns();
    void ApplyColumnWidths();
    void ScheduleFlush(UINT ms);
    // Before the user picks rows, a sort the list deferred is done, so the
    // rows stay where the user sees them. True when the rows moved.
    bool SortBeforeUserPick();
    void UserItemChanged(const NMLISTVIEW& change);
    void UserRangeChanged(const NMLVODSTATECHANGE& change);
    void UserColumnWidths();
    void GetDisplayInfo(LVITEMW& item);
    bool MouseDown(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void RebuildImages();
    void KillTimers();

    ListView& list_;
    BackendShared& shared_;
    HWND hwnd_ = nullptr;
    HWND header_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::int32_t reported_ = 0;
    int columns_reported_ = 0;
    bool attached_ = false;
    bool selection_dirty_ = false;
    bool current_dirty_ = false;
    // Non-zero while the view itself changes the control; the control's
    // notifications then describe our own change, not the user's.
    int syncing_ = 0;
    std::uint64_t reset_count_ = 0;
    std::chrono::steady_clock::time_point last_append_flush_{};
    bool flush_scheduled_ = false;
    // The row whose in-place edit the program asked for (displayed index, 1-based).
    std::int32_t editing_ = 0;
    bool ending_edit_ = false;
    std::wstring cell_;
    HIMAGELIST images_ = nullptr;
    int images_made_ = 0;  // of the image list's distinct pictures
    const ImageList* images_for_ = nullptr;
    std::uint64_t images_generation_ = 0;
};

}  // namespace kestrova
