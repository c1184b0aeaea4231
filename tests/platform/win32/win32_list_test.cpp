// The owner-data list against a real list control: a million rows, the
// selection both ways, cell texts, and mouse presses that reach the program
// before the control changes its selection.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "platform/model/form.h"
#include "platform/model/listview.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_services.h"

namespace kestrova {
namespace {

// A window with a list and no columns yet.
class BareListForm : public Form {
public:
    BareListForm()
        : Form({"T", "list", 9000, 6000, FormBorder::Sizable, true, false},
               {{"ListView1", ControlKind::ListView, "", "", {0, 0, 8000, 5000}}}),
          list(Get<ListView>("ListView1")) {}
    ListView& list;
};

class ListForm : public BareListForm {
public:
    ListForm() {
        list.AddColumn("名前", 2000);
        list.AddColumn("フォルダ名", 1500);
        list.AddColumn("サイズ(Byte)", 1653, ColumnAlign::Right);
        list.AddColumn("更新日時", 1753);
        list.AddColumn("No", 526);
    }
};

ListRow Row(int i) {
    ListRow row;
    row.text = "写真" + std::to_string(i) + ".jpg";
    row.sub[0] = "C:\\pics";
    row.sub[1] = std::string(12, ' ') + std::to_string(i) + " ";
    row.sub[2] = "2024/01/02 03:04:05";
    row.sub[3] = "01";
    return row;
}

std::wstring CellText(HWND list, int row0, int column) {
    wchar_t buffer[260] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row0), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

LPARAM PointOfRow(HWND list, int row0) {
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row0), reinterpret_cast<LPARAM>(&rect));
    return MAKELPARAM(rect.left + 20, (rect.top + rect.bottom) / 2);
}

class Win32ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        services.AttachForm(form);
        form.Show();
        hwnd = services.WindowOf(form)->ControlHandle(form.list);
        ASSERT_NE(hwnd, nullptr);
    }
    void Fill(int n) {
        for (int i = 1; i <= n; ++i) form.list.AddRow(Row(i));
        services.FlushViews();
    }
    int ControlSelectedCount() const { return static_cast<int>(SendMessageW(hwnd, LVM_GETSELECTEDCOUNT, 0, 0)); }

    Win32Services services;
    ListForm form;
    HWND hwnd = nullptr;
};

TEST_F(Win32ListTest, MillionRowsShowWithTheirTextsAndSelection) {
    Fill(1000000);
    EXPECT_EQ(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0), 1000000);
    EXPECT_EQ(CellText(hwnd, 999999, 0), L"写真1000000.jpg");
    // Right-aligned padded numbers are shown without their blanks.
    EXPECT_EQ(CellText(hwnd, 41, 2), L"42 ");
    form.list.SetSelected(500000, true);
    form.list.SetSelected(999999, true);
    services.FlushViews();
    EXPECT_EQ(ControlSelectedCount(), 2);
    EXPECT_EQ(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 499999);
    form.list.SetSelected(500000, false);
    services.FlushViews();
    EXPECT_EQ(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 999998);
}

// Selecting every row is one message to the control, whatever the count.
TEST_F(Win32ListTest, SelectAllAndNoneReachTheControl) {
    Fill(2000);
    form.list.SetAllSelected(true);
    services.FlushViews();
    EXPECT_EQ(ControlSelectedCount(), 2000);
    form.list.SetAllSelected(false);
    form.list.SetSelected(7, true);
    services.FlushViews();
    EXPECT_EQ(ControlSelectedCount(), 1);
    EXPECT_EQ(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 6);
}

// What each button's handler sees, and what is selected once the press is
// over: the control's own left-click selection comes after the handler, the
// middle button leaves the selection alone, and the right button picks the
// unselected row under the pointer before its handler shows the menu.
TEST_F(Win32ListTest, MousePressReachesTheProgramBeforeTheSelectionMoves) {
    struct Case {
        UINT down;
        UINT up;
        int button;
        bool row2_seen, row5_seen;
        bool row5_selected_after;
    };
    const Case cases[] = {
        {WM_LBUTTONDOWN, WM_LBUTTONUP, kLeftButton, true, false, true},
        {WM_MBUTTONDOWN, WM_MBUTTONUP, kMiddleButton, true, false, false},
        {WM_RBUTTONDOWN, WM_RBUTTONUP, kRightButton, false, true, true},
    };
    Fill(20);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        form.list.SetAllSelected(false);
        form.list.SetSelected(2, true);
        services.FlushViews();
        int seen_button = 0;
        bool row2_seen = !c.row2_seen;
        bool row5_seen = !c.row5_seen;
        std::int32_t hit = 0;
        form.list.MouseDown = [&](int button, int, int x, int y) {
            seen_button = button;
            row2_seen = form.list.Selected(2);
            row5_seen = form.list.Selected(5);
            hit = form.list.HitTest(x, y);
        };
        const LPARAM at = PointOfRow(hwnd, 4);
        // A posted press reaches the control as the user's would; the left
        // button's own handling waits for the release, posted first.
        PostMessageW(hwnd, c.up, 0, at);
        SendMessageW(hwnd, c.down, c.button == kLeftButton ? MK_LBUTTON : 0, at);
        services.DoEvents();
        Sleep(10);
        services.DoEvents();
        EXPECT_EQ(seen_button, c.button);
        EXPECT_EQ(row2_seen, c.row2_seen);
        EXPECT_EQ(row5_seen, c.row5_seen);
        EXPECT_EQ(hit, 5);
        EXPECT_EQ(form.list.Selected(5), c.row5_selected_after);
        EXPECT_EQ(ControlSelectedCount() == 1 && form.list.Selected(5), c.row5_selected_after);
    }
}

// The main window's handler picks the row under a left press itself, and
// the control's own handling of the press then picks it again: the row must
// stay the current one, so a double click opens it. Wine tells of that
// second pick as the row losing its focus and then gaining it with a stale
// old state.
TEST_F(Win32ListTest, RowPickedByTheHandlerStaysCurrentThroughTheControlsClick) {
    Fill(20);
    form.list.MouseDown = [&](int button, int, int x, int y) {
        if (button != kLeftButton) return;
        form.list.SetAllSelected(false);
        const std::int32_t row = form.list.HitTest(x, y);
        form.list.SetSelected(row, true);
        form.list.SetSelectedItem(row);
    };
    std::int32_t opened = -1;
    form.list.DblClick = [&] { opened = form.list.SelectedItem(); };
    const LPARAM at = PointOfRow(hwnd, 4);
    for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        PostMessageW(hwnd, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }
    for (int i = 0; i < 5; ++i) {
        services.DoEvents();
        Sleep(10);
    }
    EXPECT_EQ(form.list.SelectedItem(), 5);
    EXPECT_EQ(opened, 5);
    EXPECT_TRUE(form.list.Selected(5));
    EXPECT_EQ(ControlSelectedCount(), 1);
}

// The control's notices of a row's state may disagree with what the control
// shows (Wine tells of a row picked again as losing its pick or its focus,
// with a stale old state): whatever a notice says, the program ends with the
// rows picked and the current row the control shows.
TEST_F(Win32ListTest, NoticesThatDisagreeWithTheControlLeaveWhatItShows) {
    Fill(10);
    const struct {
        const char* what;
        int row0;
        UINT old_state, new_state;
    } cases[] = {
        {"the picked row told as losing its pick", 4, LVIS_SELECTED | LVIS_FOCUSED, LVIS_FOCUSED},
        {"the picked row told as losing its focus", 4, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED},
        {"the picked row told as losing both", 4, LVIS_SELECTED | LVIS_FOCUSED, 0},
        {"the picked row told as gaining both", 4, 0, LVIS_SELECTED | LVIS_FOCUSED},
        {"another row told as gaining its pick", 2, 0, LVIS_SELECTED},
        {"another row told as gaining both", 7, 0, LVIS_SELECTED | LVIS_FOCUSED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form.list.SetAllSelected(false);
        form.list.SetSelected(5, true);
        form.list.SetSelectedItem(5);
        services.FlushViews();
        ASSERT_EQ(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 4);
        NMLISTVIEW change{};
        change.hdr.hwndFrom = hwnd;
        change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = c.row0;
        change.uChanged = LVIF_STATE;
        change.uOldState = c.old_state;
        change.uNewState = c.new_state;
        SendMessageW(GetParent(hwnd), WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
        for (std::int32_t row = 1; row <= 10; ++row) EXPECT_EQ(form.list.Selected(row), row == 5) << "row " << row;
        EXPECT_EQ(form.list.SelectedItem(), 5);
        EXPECT_EQ(ControlSelectedCount(), 1);
    }
}

TEST_F(Win32ListTest, HeaderClickSortsAndTheControlShowsTheNewOrder) {
    Fill(3);
    form.list.SetSelected(1, true);  // 写真1.jpg
    int clicked = 0;
    form.list.ColumnClick = [&](int column) {
        clicked = column;
        form.list.SetSortKey(0);
        form.list.SetSortOrder(1);
        form.list.SetSorted(true);
    };
    NMLISTVIEW click{};
    click.hdr.hwndFrom = hwnd;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 0;
    SendMessageW(GetParent(hwnd), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    services.FlushViews();
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(CellText(hwnd, 0, 0), L"写真3.jpg");
    // The selected row moved with its row, and the control shows it there.
    EXPECT_EQ(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
}

// The program adds its columns after its windows are made and before they
// first show, as the main window's list does at the start: the control must
// get them even where it makes its header only when it first shows (Wine
// does), or it draws no row and no click lands on one.
TEST(Win32ListColumnsTest, ColumnsAddedBeforeTheFirstShowAreShownAndHit) {
    Win32Services services;
    BareListForm form;
    services.AttachForm(form);
    form.list.AddColumn("名前", 2000);
    form.list.AddColumn("サイズ(Byte)", 1500, ColumnAlign::Right);
    form.list.AddColumn("No", 0);
    for (int i = 1; i <= 3; ++i) form.list.AddRow(Row(i));
    form.Show();
    services.FlushViews();
    HWND hwnd = services.WindowOf(form)->ControlHandle(form.list);
    ASSERT_NE(hwnd, nullptr);
    HWND header = ListView_GetHeader(hwnd);
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(Header_GetItemCount(header), 3);
    const int dpi = static_cast<int>(WindowDpi(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, 0, 0), MulDiv(2000, dpi, 1440));
    EXPECT_EQ(SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, 2, 0), 0);

    // A point on the second row is that row, for the control and the program.
    LVHITTESTINFO info{};
    const LPARAM at = PointOfRow(hwnd, 1);
    info.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    EXPECT_EQ(SendMessageW(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), 1);
    EXPECT_EQ(form.list.HitTest(MulDiv(info.pt.x, 1440, dpi), MulDiv(info.pt.y, 1440, dpi)), 2);

    // The sort shows on the header the control made.
    form.list.SetSortKey(1);
    form.list.SetSortOrder(0);
    form.list.SetSorted(true);
    services.FlushViews();
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    ASSERT_TRUE(Header_GetItem(header, 1, &item));
    EXPECT_TRUE(item.fmt & HDF_SORTUP);
}

}  // namespace
}  // namespace kestrova
