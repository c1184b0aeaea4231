#pragma once
// The file list on screen: a report-view list control in owner-data mode.
// It holds no rows of its own; it asks for each visible cell as it paints,
// so a million rows cost what their vector costs. Selection lives in the
// control as ranges at their places; the kit's list mirror decides what the
// control shows and when, and this only tells the control.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/kit/list_mirror.h"
#include "platform/model/listview.h"

namespace kestrova {

class ListWindow final : public ListMirror {
public:
    ListWindow(ListView& list, HWND parent, UINT id, const LoopState& loop);
    ~ListWindow() override;

    HWND Handle() const { return hwnd_; }

    void ColorsChanged();
    void DpiChanged(UINT dpi);
    void ImagesChanged() override;
    void IconsChanged() override;
    std::int32_t HitTest(int x, int y) override;

    // A WM_NOTIFY the window received from the list control.
    LRESULT Notify(const NMHDR& header);
    // A message to the list control itself; true when it is used up here.
    bool ControlMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

private:
    int Dpi() const override { return static_cast<int>(dpi_); }
    void ScheduleFlush(int ms) override;
    void CancelFlush() override;
    void ShowAttached() override;
    void BeginRowsAdded(std::int32_t first0, std::int32_t last0) override;
    void EndRowsAdded() override;
    void BeginRowRemoved(std::int32_t row0) override;
    void EndRowRemoved() override;
    void BeginReset() override;
    void EndReset() override;
    void BeginColumnsAdded(int first0, int last0) override;
    void EndColumnsAdded() override;
    void ShowColumns() override;
    void ShowSortIndicator() override;
    void ShowSelection(const std::vector<RowRun>& runs, std::int32_t rows) override;
    void ShowCurrent(std::int32_t row0) override;
    void ShowRowChanged(std::int32_t row0) override;
    bool OpenEditor(std::int32_t row0) override;
    void OpenEditorLater(std::int32_t index1) override;

    void ShowCount(WPARAM flags);
    void InsertColumns(int first0, int last0);
    void UserItemChanged(const NMLISTVIEW& change);
    void UserRangeChanged(const NMLVODSTATECHANGE& change);
    void UserColumnWidths();
    void GetDisplayInfo(LVITEMW& item);
    bool MouseDown(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void RebuildImages();

    HWND hwnd_ = nullptr;
    int columns_shown_ = 0;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool flush_scheduled_ = false;
    // The row whose in-place edit the program asked for (displayed index, 1-based).
    std::int32_t editing_ = 0;
    std::wstring cell_;
    HIMAGELIST images_ = nullptr;
    int images_made_ = 0;  // of the image list's distinct pictures
    const ImageList* images_for_ = nullptr;
    std::uint64_t images_generation_ = 0;
};

}  // namespace kestrova
