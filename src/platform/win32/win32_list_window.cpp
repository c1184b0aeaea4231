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

constexpr UINT_PTR kFlushTimer = 0x4B31;
// Posted to open an in-place edit asked for while the previous one was ending.
constexpr UINT kEditLater = WM_APP + 0x31;

void SetState(HWND list, int index0, UINT state, UINT mask) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index0), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

// The control's selection ranges stay at their places when rows go or move.
ListWindow::ListWindow(ListView& list, HWND parent, UINT id, const LoopState& loop)
    : ListMirror(list, loop, SelectionKeeping::AtPlaces) {
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                                LVS_EDITLABELS,
                            0, 0, 1, 1, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ProgramInstance(),
                            nullptr);
    if (!hwnd_) return;
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    dpi_ = WindowDpi(hwnd_);
}

ListWindow::~ListWindow() {
    Detach();
    if (hwnd_) DestroyWindow(hwnd_);
    if (images_) ImageList_Destroy(images_);
}

void ListWindow::ShowAttached() {
    InsertColumns(0, ReportedColumns() - 1);
    ShowCount(0);
    RebuildImages();
}

void ListWindow::ShowCount(WPARAM flags) {
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(ReportedRows()), static_cast<LPARAM>(flags));
}

void ListWindow::ScheduleFlush(int ms) {
    if (!hwnd_) return;
    if (flush_scheduled_ && ms > 0) return;
    SetTimer(hwnd_, kFlushTimer, std::max<UINT>(static_cast<UINT>(ms), USER_TIMER_MINIMUM), nullptr);
    flush_scheduled_ = true;
}

void ListWindow::CancelFlush() {
    if (hwnd_) KillTimer(hwnd_, kFlushTimer);
    flush_scheduled_ = false;
}

void ListWindow::BeginRowsAdded(std::int32_t, std::int32_t) {}

void ListWindow::EndRowsAdded() {
    ShowCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ListWindow::BeginRowRemoved(std::int32_t) {}

void ListWindow::EndRowRemoved() {
    ShowCount(0);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ListWindow::BeginReset() {
    if (editing_) SendMessageW(hwnd_, LVM_CANCELEDITLABEL, 0, 0);
    editing_ = 0;
}

void ListWindow::EndReset() {
    ShowCount(0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// The columns come and go in ShowColumns, which follows.
void ListWindow::BeginColumnsAdded(int, int) {}

void ListWindow::EndColumnsAdded() {}

void ListWindow::InsertColumns(int first0, int last0) {
    for (int i = first0; i <= last0; ++i) {
        const ListColumn& column = List().Column(i + 1);
        std::wstring text = WideFromUtf8(column.text);
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        lvc.fmt = column.align == ColumnAlign::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        lvc.cx = TwipsToPixels(column.width, Dpi());
        lvc.pszText = text.data();
        lvc.iSubItem = i;
        if (SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lvc)) >= 0) {
            ++columns_shown_;
        }
    }
}

// The control's header may not exist yet (Wine makes it when the list first
// shows), so the count of columns is kept here rather than asked of it.
void ListWindow::ShowColumns() {
    const int count = ReportedColumns();
    while (columns_shown_ > count && SendMessageW(hwnd_, LVM_DELETECOLUMN, static_cast<WPARAM>(columns_shown_ - 1), 0)) {
        --columns_shown_;
    }
    if (columns_shown_ < count) InsertColumns(columns_shown_, count - 1);
    for (int i = 0; i < count; ++i) {
        std::wstring text = WideFromUtf8(List().Column(i + 1).text);
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT;
        lvc.pszText = text.data();
        SendMessageW(hwnd_, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lvc));
        const int width = List().Column(i + 1).width;
        SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), width <= 0 ? 0 : std::max(1, TwipsToPixels(width, Dpi())));
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ListWindow::UserColumnWidths() {
    for (int i = 0; i < ReportedColumns(); ++i) {
        UserColumnWidth(i, static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0)));
    }
}

void ListWindow::ShowSortIndicator() {
    HWND header = ListView_GetHeader(hwnd_);
    if (!header) return;
    const int count = Header_GetItemCount(header);
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (List().Sorted() && i == List().SortKey()) item.fmt |= List().SortOrder() == 1 ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header, i, &item);
    }
}

// The control keeps its selection as ranges: selecting or clearing every
// row is one message, whatever the number of rows.
void ListWindow::ShowSelection(const std::vector<RowRun>& runs, std::int32_t rows) {
    std::int32_t selected = 0;
    for (const RowRun& run : runs) selected += run.last - run.first + 1;
    const auto shown = static_cast<std::int32_t>(SendMessageW(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
    if (selected == rows && rows > 0) {
        if (shown != rows) SetState(hwnd_, -1, LVIS_SELECTED, LVIS_SELECTED);
        return;
    }
    if (shown > 0) SetState(hwnd_, -1, 0, LVIS_SELECTED);
    for (const RowRun& run : runs) {
        for (std::int32_t i = run.first; i <= run.last; ++i) SetState(hwnd_, i, LVIS_SELECTED, LVIS_SELECTED);
    }
}

void ListWindow::ShowCurrent(std::int32_t row0) {
    if (row0 >= 0) {
        SetState(hwnd_, row0, LVIS_FOCUSED, LVIS_FOCUSED);
        SendMessageW(hwnd_, LVM_SETSELECTIONMARK, 0, row0);
        return;
    }
    // Only the focused row is told: a change of every row is a loop over
    // all rows in some list controls.
    const auto focused = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0) SetState(hwnd_, focused, 0, LVIS_FOCUSED);
}

void ListWindow::ShowRowChanged(std::int32_t row0) {
    SendMessageW(hwnd_, LVM_REDRAWITEMS, static_cast<WPARAM>(row0), row0);
}

void ListWindow::ColorsChanged() {
    const auto back = List().BackColor();
    const COLORREF background = back ? ToColorRef(*back) : GetSysColor(COLOR_WINDOW);
    SendMessageW(hwnd_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(background));
    SendMessageW(hwnd_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(background));
    const auto fore = List().ForeColor();
    SendMessageW(hwnd_, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(fore ? ToColorRef(*fore) : GetSysColor(COLOR_WINDOWTEXT)));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListWindow::DpiChanged(UINT dpi) {
    dpi_ = dpi;
    ShowColumns();
    RebuildImages();  // at the new size, made again
}

void ListWindow::ImagesChanged() { RebuildImages(); }

void ListWindow::IconsChanged() { RebuildImages(); }

// The native image list holds each distinct picture once, added as the list
// gains them; only a cleared or resized image list makes it again.
void ListWindow::RebuildImages() {
    if (!hwnd_) return;
    const ImageList* icons = List().SmallIcons();
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

bool ListWindow::OpenEditor(std::int32_t row0) {
    editing_ = row0 + 1;
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row0), FALSE);
    if (SendMessageW(hwnd_, LVM_EDITLABELW, static_cast<WPARAM>(row0), 0)) return true;
    editing_ = 0;
    return false;
}

void ListWindow::OpenEditorLater(std::int32_t index1) { PostMessageW(hwnd_, kEditLater, static_cast<WPARAM>(index1), 0); }

std::int32_t ListWindow::HitTest(int x, int y) {
    if (!hwnd_) return 0;
    POINT point{TwipsToPixels(x, Dpi()), TwipsToPixels(y, Dpi())};
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
    return index >= 0 && index < ReportedRows() ? index + 1 : 0;
}

void ListWindow::GetDisplayInfo(LVITEMW& item) {
    const std::int32_t row1 = item.iItem + 1;
    if (row1 < 1 || row1 > ReportedRows() || row1 > List().Count()) return;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        item.pszText[0] = L'\0';
        if (item.iSubItem >= 0 && item.iSubItem <= kSubItemCount) {
            std::string scratch;
            cell_ = WideFromUtf8(ShownCellText(List(), row1, item.iSubItem, scratch));
            const size_t n = std::min(cell_.size(), static_cast<size_t>(item.cchTextMax - 1));
            std::copy_n(cell_.data(), n, item.pszText);
            item.pszText[n] = L'\0';
        }
    }
    if (item.mask & LVIF_IMAGE) {
        const int distinct = item.iSubItem == 0 ? ShownPicture(List(), row1) : -1;
        item.iImage = distinct >= 0 && images_ && distinct < ImageList_GetImageCount(images_) ? distinct : I_IMAGENONE;
    }
}

// What changed is taken from the notice, what the row is now from the
// control: Wine's owner-data list tells of a row it picks again as losing
// its focus and then gaining it with a stale old state, and by the notices
// alone the row would end without the focus it has.
void ListWindow::UserItemChanged(const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE) || !AcceptsUserPick()) return;
    const UINT diff = change.uOldState ^ change.uNewState;
    if (change.iItem < 0) {
        // Item -1 is every row.
        if (diff & LVIS_SELECTED) UserSelected(0, ReportedRows() - 1, (change.uNewState & LVIS_SELECTED) != 0);
    } else if (diff & (LVIS_SELECTED | LVIS_FOCUSED)) {
        const auto state = SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(change.iItem), LVIS_SELECTED);
        UserSelected(change.iItem, change.iItem, (state & LVIS_SELECTED) != 0);
    }
    if ((change.uOldState | change.uNewState) & LVIS_FOCUSED) {
        UserMovedCurrent(static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
    }
}

void ListWindow::UserRangeChanged(const NMLVODSTATECHANGE& change) {
    if (!((change.uOldState ^ change.uNewState) & LVIS_SELECTED) || !AcceptsUserPick()) return;
    UserSelected(change.iFrom, change.iTo, (change.uNewState & LVIS_SELECTED) != 0);
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
            UserHeaderClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return 0;
        case LVN_BEGINLABELEDITW: {
            // Only the program opens the editor; a slow click on a row does not.
            const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
            return editing_ == info.item.iItem + 1 ? FALSE : TRUE;
        }
        case LVN_ENDLABELEDITW: {
            const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
            editing_ = 0;
            if (!Mirroring()) return FALSE;
            std::optional<std::string> text;
            if (info.item.pszText) text = Utf8FromWide(info.item.pszText);
            UserEndedEdit(info.item.iItem, std::move(text));
            // The row's text is the list's: the control never keeps the typed one.
            return FALSE;
        }
        case NM_CLICK:
            if (Mirroring()) UserClick(List());
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
    if (!Mirroring()) return false;
    if (SortBeforeUserPick()) return true;  // the rows moved under the mouse
    const std::uint64_t resets = ResetCount();
    const int button = MouseButtonOf(message);
    UserMouseDown(List(), button, ModifierMask(), PixelsToTwips(GET_X_LPARAM(lparam), Dpi()),
                  PixelsToTwips(GET_Y_LPARAM(lparam), Dpi()));
    if (button != kLeftButton || !Mirroring() || ResetCount() != resets) return true;
    ShowPendingSelection();
    return false;
}

bool ListWindow::ControlMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SETFOCUS:
            if (Mirroring()) UserFocus(List());
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
            if (Mirroring()) UserDblClick(List());
            return true;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            // Moving from a row as shown unsorted would land on a row that moved.
            if (SortBeforeUserPick()) return true;
            const std::uint64_t resets = ResetCount();
            if (Mirroring()) UserKeyDown(List(), static_cast<int>(wparam), ModifierMask());
            // A handler that rebuilt the list leaves nothing for the key's own action.
            if (ResetCount() != resets) return true;
            return message == WM_SYSKEYDOWN && wparam != VK_F4;
        }
        case WM_SYSCHAR:
            return wparam != VK_SPACE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            const bool width_set = header->code == HDN_ENDTRACKW || header->code == HDN_ITEMCHANGEDW ||
                                   header->code == HDN_ENDTRACKA || header->code == HDN_ITEMCHANGEDA;
            if (width_set && header->hwndFrom == ListView_GetHeader(hwnd)) {
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
            ScheduledFlush();
            return true;
        case kEditLater:
            StartLabelEdit(static_cast<std::int32_t>(wparam));
            return true;
        default:
            return false;
    }
}

}  // namespace kestrova
