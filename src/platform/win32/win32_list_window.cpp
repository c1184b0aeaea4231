#include "win32_list_window.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/model/user_input.h"
#include "win32_dpi.h"
#include "win32_form_window.h"
#include "win32_picture.h"
#include "platform/windows/wide_text.h"

namespace kestrova {
namespace {

// Appends are shown at most this often, so a scan that lets events through
// after every file still grows the list in large steps.
constexpr auto kAppendBatch = std::chrono::milliseconds(50);
constexpr UINT_PTR kFlushTimer = 0x4B31;
// Posted to open an in-place edit asked for while the previous one was ending.
constexpr UINT kEditLater = WM_APP + 0x31;

bool RightAligned(const ListView& list, int column0) {
    return column0 >= 0 && column0 < list.ColumnCount() && list.Column(column0 + 1).align == ColumnAlign::Right;
}

void SetState(HWND list, int index0, UINT state, UINT mask) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index0), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

ListWindow::ListWindow(ListView& list, HWND parent, UINT id, BackendShared& shared) : list_(list), shared_(shared) {
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                                LVS_EDITLABELS,
                            0, 0, 1, 1, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ProgramInstance(),
                            nullptr);
    if (!hwnd_) return;
    header_ = ListView_GetHeader(hwnd_);
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    dpi_ = WindowDpi(hwnd_);
}

ListWindow::~ListWindow() {
    Detach();
    if (hwnd_) DestroyWindow(hwnd_);
    if (images_) ImageList_Destroy(images_);
}

void ListWindow::Attach() {
    if (!hwnd_) return;
    reported_ = list_.Count();
    ApplyColumns();
    ++syncing_;
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(reported_), 0);
    --syncing_;
    RebuildImages();
    SortChanged();
    selection_dirty_ = true;
    current_dirty_ = true;
    list_.SetViewObserver(this);
    attached_ = true;
    Flush();
}

void ListWindow::Detach() {
    if (!attached_) return;
    attached_ = false;
    if (list_.ViewObserver() == this) list_.SetViewObserver(nullptr);
    KillTimers();
    ++syncing_;  // from here on nothing the control does is the user's
}

void ListWindow::KillTimers() {
    if (hwnd_) KillTimer(hwnd_, kFlushTimer);
    flush_scheduled_ = false;
}

void ListWindow::ScheduleFlush(UINT ms) {
    if (!hwnd_ || !attached_) return;
    if (flush_scheduled_ && ms > 0) return;
    SetTimer(hwnd_, kFlushTimer, std::max<UINT>(ms, USER_TIMER_MINIMUM), nullptr);
    flush_scheduled_ = true;
}

void ListWindow::Flush() { Update(true, true); }

void ListWindow::FlushIfDue() { Update(false, std::chrono::steady_clock::now() - last_append_flush_ >= kAppendBatch); }

// The list defers a requested sort until its rows are read by index, so a
// refresh that sorts after every folder sorts once. The control reads only
// the rows as displayed and never forces that sort while a handler is at
// work; once the loop is idle, the list is put in order for the user.
void ListWindow::Update(bool sort_now, bool appends_now) {
    if (!attached_) return;
    if (list_.SortPending()) {
        if (sort_now) {
            (void)list_.Rows();  // sorts; the list then reports RowsReset
        } else {
            ScheduleFlush(static_cast<UINT>(kAppendBatch.count()));
        }
    }
    if (appends_now) FlushAppends();
    if (selection_dirty_) SyncSelection();
    if (current_dirty_) SyncCurrent();
}

void ListWindow::FlushAppends() {
    const std::int32_t count = list_.Count();
    if (count <= reported_) return;
    const std::int32_t first = reported_;
    ++syncing_;
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    --syncing_;
    reported_ = count;
    InvalidateRect(hwnd_, nullptr, FALSE);
    last_append_flush_ = std::chrono::steady_clock::now();
    for (std::int32_t i = first + 1; i <= count; ++i) {
        if (list_.DisplaySelected(i)) {
            selection_dirty_ = true;
            break;
        }
    }
    current_dirty_ = true;
}

// The control keeps its selection as ranges: selecting or clearing every
// row is one message, whatever the number of rows.
void ListWindow::SyncSelection() {
    selection_dirty_ = false;
    const std::int32_t n = std::min<std::int32_t>(reported_, list_.Count());
    std::int32_t selected = 0;
    for (std::int32_t i = 1; i <= n; ++i) selected += list_.DisplaySelected(i) ? 1 : 0;
    const auto shown = static_cast<std::int32_t>(SendMessageW(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
    ++syncing_;
    if (selected == n && n > 0) {
        if (shown != n) SetState(hwnd_, -1, LVIS_SELECTED, LVIS_SELECTED);
    } else {
        if (shown > 0) SetState(hwnd_, -1, 0, LVIS_SELECTED);
        for (std::int32_t i = 1; i <= n && selected > 0; ++i) {
            if (!list_.DisplaySelected(i)) continue;
            SetState(hwnd_, i - 1, LVIS_SELECTED, LVIS_SELECTED);
            --selected;
        }
    }
    --syncing_;
}

void ListWindow::SyncCurrent() {
    // Reading the current row would force a deferred sort; the sort's reset
    // brings the current row along anyway.
    if (list_.SortPending()) return;
    current_dirty_ = false;
    const std::int32_t current = list_.SelectedItem();
    ++syncing_;
    if (current >= 1 && current <= reported_) {
        SetState(hwnd_, current - 1, LVIS_FOCUSED, LVIS_FOCUSED);
        SendMessageW(hwnd_, LVM_SETSELECTIONMARK, 0, current - 1);
    } else {
        // Only the focused row is told: a change of every row is a loop
        // over all rows in some list controls.
        const auto focused = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (focused >= 0) SetState(hwnd_, focused, 0, LVIS_FOCUSED);
    }
    --syncing_;
}

void ListWindow::ApplyColumns() {
    const int count = list_.ColumnCount();
    ++syncing_;
    while (columns_reported_ > count) SendMessageW(hwnd_, LVM_DELETECOLUMN, static_cast<WPARAM>(--columns_reported_), 0);
    for (int i = columns_reported_; i < count; ++i) {
        const ListColumn& column = list_.Column(i + 1);
        std::wstring text = WideFromUtf8(column.text);
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        lvc.fmt = column.align == ColumnAlign::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        lvc.cx = TwipsToPixels(column.width, dpi_);
        lvc.pszText = text.data();
        lvc.iSubItem = i;
        SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lvc));
    }
    columns_reported_ = count;
    for (int i = 0; i < count; ++i) {
        std::wstring text = WideFromUtf8(list_.Column(i + 1).text);
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT;
        lvc.pszText = text.data();
        SendMessageW(hwnd_, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lvc));
    }
    --syncing_;
    ApplyColumnWidths();
}

void ListWindow::ApplyColumnWidths() {
    ++syncing_;
    for (int i = 0; i < columns_reported_ && i < list_.ColumnCount(); ++i) {
        const int width = list_.Column(i + 1).width;
        SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), width <= 0 ? 0 : std::max(1, TwipsToPixels(width, dpi_)));
    }
    --syncing_;
}

// A width the program set that still rounds to the pixels shown is kept, so
// remembered widths do not drift by rounding.
void ListWindow::UserColumnWidths() {
    if (syncing_ || !attached_) return;
    for (int i = 0; i < columns_reported_ && i < list_.ColumnCount(); ++i) {
        const int pixels = static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
        const int width = list_.Column(i + 1).width;
        if (TwipsToPixels(width, dpi_) != pixels) list_.BackendColumnWidth(i + 1, PixelsToTwips(pixels, dpi_));
    }
}

void ListWindow::SortChanged() {
    if (!header_) return;
    const int count = Header_GetItemCount(header_);
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header_, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (list_.Sorted() && i == list_.SortKey()) item.fmt |= list_.SortOrder() == 1 ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header_, i, &item);
    }
    // A sort the list deferred is shown at the next idle turn.
    if (list_.SortPending()) ScheduleFlush(0);
}

void ListWindow::ColorsChanged() {
    const auto back = list_.BackColor();
    const COLORREF background = back ? ToColorRef(*back) : GetSysColor(COLOR_WINDOW);
    SendMessageW(hwnd_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(background));
    SendMessageW(hwnd_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(background));
    const auto fore = list_.ForeColor();
    SendMessageW(hwnd_, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(fore ? ToColorRef(*fore) : GetSysColor(COLOR_WINDOWTEXT)));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListWindow::DpiChanged(UINT dpi) {
    dpi_ = dpi;
    ApplyColumnWidths();
    RebuildImages();  // at the new size, made again
}

void ListWindow::ImagesChanged() { RebuildImages(); }

void ListWindow::IconsChanged() { RebuildImages(); }

// The native image list holds each distinct picture once, added as the list
// gains them; only a cleared or resized image list makes it again.
void ListWindow::RebuildImages() {
    if (!hwnd_) return;
    const ImageList* icons = list_.SmallIcons();
    if (!icons) {
        SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        if (images_) ImageList_Destroy(images_);
        images_ = nullptr;
        images_made_ = 0;
        images_for_ = nullptr;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
    }
    const int width = MulDiv(icons->ImageWidth(), static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
    const int height = MulDiv(icons->ImageHeight(), static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
    int have_w = 0;
    int have_h = 0;
    if (images_) ImageList_GetIconSize(images_, &have_w, &have_h);
    if (!images_ || icons != images_for_ || have_w != width || have_h != height) {
        if (images_) ImageList_Destroy(images_);
        images_ = ImageList_Create(width, height, ILC_COLOR32, icons->DistinctCount(), 64);
        images_made_ = 0;
        images_for_ = icons;
        images_generation_ = icons->Generation();
        SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    }
    if (icons->Generation() != images_generation_) {
        ImageList_RemoveAll(images_);
        images_made_ = 0;
        images_generation_ = icons->Generation();
    }
    for (; images_made_ < icons->DistinctCount(); ++images_made_) {
        const auto& picture = icons->Distinct(images_made_);
        HICON icon = picture ? PictureToIcon(*picture, width) : nullptr;
        if (icon) {
            ImageList_AddIcon(images_, icon);
            DestroyIcon(icon);
        } else {
            // Keeps the numbering: a blank picture in its place.
            HICON blank = PictureToIcon(Picture{1, 1, {0}, {}}, width);
            ImageList_AddIcon(images_, blank);
            if (blank) DestroyIcon(blank);
        }
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ListWindow::ColumnsChanged() {
    ApplyColumns();
    selection_dirty_ = true;
    current_dirty_ = true;
    ScheduleFlush(0);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ListWindow::RowsAppended(std::int32_t, std::int32_t) { ScheduleFlush(static_cast<UINT>(kAppendBatch.count())); }

void ListWindow::RowAboutToBeRemoved(std::int32_t) {}

// The control's selection ranges do not move with the rows, so the whole
// selection is set again from the list's flags.
void ListWindow::RowRemoved(std::int32_t) {
    ++syncing_;
    reported_ = list_.Count();
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(reported_), 0);
    --syncing_;
    SyncSelection();
    current_dirty_ = true;
    SyncCurrent();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ListWindow::RowsReset() {
    ++syncing_;
    if (editing_) SendMessageW(hwnd_, LVM_CANCELEDITLABEL, 0, 0);
    editing_ = 0;
    reported_ = list_.Count();
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(reported_), 0);
    --syncing_;
    ++reset_count_;
    if (columns_reported_ != list_.ColumnCount()) ApplyColumns();
    SortChanged();
    SyncSelection();
    current_dirty_ = true;
    SyncCurrent();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListWindow::RowChanged(std::int32_t index1) {
    if (index1 < 1 || index1 > reported_) return;
    SendMessageW(hwnd_, LVM_REDRAWITEMS, static_cast<WPARAM>(index1 - 1), index1 - 1);
}

void ListWindow::SelectionChanged() {
    selection_dirty_ = true;
    ScheduleFlush(0);
}

void ListWindow::CurrentChanged() {
    current_dirty_ = true;
    ScheduleFlush(0);
}

void ListWindow::StartLabelEdit(std::int32_t index1) {
    if (!hwnd_) return;
    // Asked while an edit is being ended (a refused rename reopens it): the
    // control is still closing the old editor, so the new one opens after it.
    if (ending_edit_) {
        PostMessageW(hwnd_, kEditLater, static_cast<WPARAM>(index1), 0);
        return;
    }
    // The row is given as displayed: a deferred sort must not move it now.
    FlushAppends();
    if (index1 < 1 || index1 > reported_ || columns_reported_ == 0) return;
    editing_ = index1;
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index1 - 1), FALSE);
    if (!SendMessageW(hwnd_, LVM_EDITLABELW, static_cast<WPARAM>(index1 - 1), 0)) editing_ = 0;
}

std::int32_t ListWindow::HitTest(int x, int y) {
    if (!hwnd_) return 0;
    POINT point{TwipsToPixels(x, dpi_), TwipsToPixels(y, dpi_)};
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, point)) return 0;
    LVHITTESTINFO info{};
    info.pt = point;
    auto index = static_cast<int>(SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (index < 0 && (info.flags & LVHT_TORIGHT)) {
        // Right of the last column still counts as the row.
        info = {};
        info.pt = {1, point.y};
        index = static_cast<int>(SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    }
    return index >= 0 && index < reported_ ? index + 1 : 0;
}

bool ListWindow::SortBeforeUserPick() {
    if (!attached_ || !list_.SortPending()) return false;
    Flush();
    return true;
}

void ListWindow::GetDisplayInfo(LVITEMW& item) {
    const std::int32_t row1 = item.iItem + 1;
    if (row1 < 1 || row1 > reported_ || row1 > list_.Count()) return;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        item.pszText[0] = L'\0';
        if (item.iSubItem >= 0 && item.iSubItem <= kSubItemCount) {
            std::string scratch;
            std::string_view text = list_.DisplayText(row1, item.iSubItem, scratch);
            // Right alignment does what the leading blanks of a padded text are for.
            if (item.iSubItem > 0 && RightAligned(list_, item.iSubItem)) {
                const size_t first = text.find_first_not_of(' ');
                text.remove_prefix(first == std::string_view::npos ? text.size() : first);
            }
            cell_ = WideFromUtf8(text);
            const size_t n = std::min(cell_.size(), static_cast<size_t>(item.cchTextMax - 1));
            std::copy_n(cell_.data(), n, item.pszText);
            item.pszText[n] = L'\0';
        }
    }
    if (item.mask & LVIF_IMAGE) {
        const int icon = item.iSubItem == 0 ? list_.DisplayIcon(row1) : 0;
        const ImageList* icons = list_.SmallIcons();
        const int distinct = icon > 0 && icons && icon <= icons->Count() ? icons->DistinctOf(icon) : -1;
        item.iImage = distinct >= 0 && images_ && distinct < ImageList_GetImageCount(images_) ? distinct : I_IMAGENONE;
    }
}

void ListWindow::UserItemChanged(const NMLISTVIEW& change) {
    if (syncing_ || !attached_ || !(change.uChanged & LVIF_STATE)) return;
    // The control moves only after the list is in order (SortBeforeUserPick);
    // a change against rows shown unsorted goes back to what the list holds.
    if (list_.SortPending()) {
        selection_dirty_ = true;
        current_dirty_ = true;
        ScheduleFlush(0);
        return;
    }
    const UINT diff = change.uOldState ^ change.uNewState;
    if (diff & LVIS_SELECTED) {
        const bool on = (change.uNewState & LVIS_SELECTED) != 0;
        if (change.iItem < 0) {
            for (std::int32_t i = 1; i <= reported_; ++i) list_.BackendSelection(i, on);
        } else {
            list_.BackendSelection(change.iItem + 1, on);
        }
    }
    if (diff & LVIS_FOCUSED) {
        if ((change.uNewState & LVIS_FOCUSED) && change.iItem >= 0) list_.BackendCurrent(change.iItem + 1);
        else if (!(change.uNewState & LVIS_FOCUSED)) list_.BackendCurrent(0);
    }
}

void ListWindow::UserRangeChanged(const NMLVODSTATECHANGE& change) {
    if (syncing_ || !attached_ || !((change.uOldState ^ change.uNewState) & LVIS_SELECTED)) return;
    if (list_.SortPending()) {
        selection_dirty_ = true;
        ScheduleFlush(0);
        return;
    }
    const bool on = (change.uNewState & LVIS_SELECTED) != 0;
    for (int i = std::max(0, change.iFrom); i <= change.iTo && i < reported_; ++i) list_.BackendSelection(i + 1, on);
}

LRESULT ListWindow::Notify(const NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW:
            GetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header))->item);
            return 0;
        case LVN_ITEMCHANGED:
            UserItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
            return 0;
        case LVN_ODSTATECHANGED:
            UserRangeChanged(reinterpret_cast<const NMLVODSTATECHANGE&>(header));
            return 0;
        case LVN_COLUMNCLICK:
            if (!syncing_ && attached_) {
                UserColumnClick(list_, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem + 1);
                // The header shows the list's own sort state, whatever the click did.
                SortChanged();
            }
            return 0;
        case LVN_BEGINLABELEDITW: {
            // Only the program opens the editor; a slow click on a row does not.
            const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
            return editing_ == info.item.iItem + 1 ? FALSE : TRUE;
        }
        case LVN_ENDLABELEDITW: {
            const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
            const std::int32_t row1 = info.item.iItem + 1;
            editing_ = 0;
            if (!attached_) return FALSE;
            std::optional<std::string> text;
            if (info.item.pszText) text = Utf8FromWide(info.item.pszText);
            ending_edit_ = true;
            list_.BackendEndLabelEdit(row1, text);
            ending_edit_ = false;
            // The row's text is the list's: the control never keeps the typed one.
            return FALSE;
        }
        case NM_CLICK:
            if (attached_) UserClick(list_);
            return 0;
        case LVN_ODFINDITEMW:
            return -1;
        default:
            return 0;
    }
}

// The program's mouse handler sees the list as it was before the press:
// the control's own click handling runs after it (left button) or not at
// all (right and middle buttons, whose handlers select for themselves).
bool ListWindow::MouseDown(HWND hwnd, UINT message, WPARAM, LPARAM lparam) {
    if (GetFocus() != hwnd) SetFocus(hwnd);
    if (!attached_) return false;
    if (SortBeforeUserPick()) return true;  // the rows moved under the mouse
    const std::uint64_t resets = reset_count_;
    const int button = MouseButtonOf(message);
    UserMouseDown(list_, button, ModifierMask(), PixelsToTwips(GET_X_LPARAM(lparam), dpi_),
                  PixelsToTwips(GET_Y_LPARAM(lparam), dpi_));
    if (button != kLeftButton || !attached_ || reset_count_ != resets) return true;
    if (selection_dirty_) SyncSelection();
    if (current_dirty_) SyncCurrent();
    return false;
}

bool ListWindow::ControlMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SETFOCUS:
            if (attached_) UserFocus(list_);
            return false;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            return MouseDown(hwnd, message, wparam, lparam);
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            return true;
        case WM_LBUTTONDBLCLK:
            if (SortBeforeUserPick()) return true;
            DefSubclassProc(hwnd, message, wparam, lparam);
            if (attached_) UserDblClick(list_);
            return true;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            // Moving from a row as shown unsorted would land on a row that moved.
            if (SortBeforeUserPick()) return true;
            const std::uint64_t resets = reset_count_;
            if (attached_) UserKeyDown(list_, static_cast<int>(wparam), ModifierMask());
            // A handler that rebuilt the list leaves nothing for the key's own action.
            if (reset_count_ != resets) return true;
            return message == WM_SYSKEYDOWN && wparam != VK_F4;
        }
        case WM_SYSCHAR:
            return wparam != VK_SPACE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->hwndFrom == header_ && (header->code == HDN_ENDTRACKW || header->code == HDN_ITEMCHANGEDW ||
                                                header->code == HDN_ENDTRACKA || header->code == HDN_ITEMCHANGEDA)) {
                DefSubclassProc(hwnd, message, wparam, lparam);
                UserColumnWidths();
                return true;
            }
            return false;
        }
        case WM_TIMER:
            if (wparam != kFlushTimer) return false;
            KillTimer(hwnd, kFlushTimer);
            flush_scheduled_ = false;
            Update(shared_.pumping == 0, true);
            return true;
        case kEditLater:
            if (attached_) StartLabelEdit(static_cast<std::int32_t>(wparam));
            return true;
        default:
            return false;
    }
}

}  // namespace kestrova
