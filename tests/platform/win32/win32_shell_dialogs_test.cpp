// The shell's own dialogs as the program asks for them: the folder browser's
// root, style and answer, and the question a file without a program raises.
// Each dialog is answered from a timer that fires inside its modal loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "platform/win32/win32_shell.h"
#include "platform/windows/wide_text.h"

namespace kestrova {
namespace {

// A visible top-level window for the dialogs to belong to.
class OwnerWindow {
public:
    OwnerWindow() {
        hwnd_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~OwnerWindow() { DestroyWindow(hwnd_); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// The dialog being waited for, and what to do with it once it shows.
struct Watch {
    HWND owner = nullptr;
    std::function<void(HWND)> act;
    bool seen = false;
};
Watch* g_watch = nullptr;

HWND OwnedWindow(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER) != s->owner) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK LookForDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_watch || g_watch->seen) return;
    HWND dialog = OwnedWindow(g_watch->owner);
    if (!dialog) return;
    g_watch->seen = true;
    KillTimer(nullptr, timer);
    g_watch->act(dialog);
}

// Runs show(), which is to bring up a modal dialog owned by owner, and hands
// that dialog to act; seen tells whether one came.
template <class Show>
auto WithOwnedDialog(HWND owner, std::function<void(HWND)> act, bool& seen, Show show) {
    Watch watch{owner, std::move(act)};
    g_watch = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, LookForDialog);
    auto result = show();
    KillTimer(nullptr, timer);
    g_watch = nullptr;
    seen = watch.seen;
    return result;
}

std::wstring DisplayNameOf(int special_folder) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, special_folder, &pidl))) return {};
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
    CoTaskMemFree(pidl);
    return info.szDisplayName;
}

std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = MAX_PATH;
    TreeView_GetItem(tree, &data);
    return text;
}

// What the browser showed, and the item chosen in it.
struct BrowserSeen {
    std::wstring root;
    bool resizable = false;
};

// Chooses the root's child whose name holds pick, or the root itself when
// pick is empty, and confirms. The browser greys its OK button for an item
// without a path; confirming it anyway stands for a shell that lets such an
// item (a computer on the network) be chosen.
std::function<void(HWND)> ChooseInBrowser(BrowserSeen& seen, const std::wstring& pick) {
    return [&seen, pick](HWND dialog) {
        seen.resizable = (GetWindowLongW(dialog, GWL_STYLE) & WS_THICKFRAME) != 0;
        HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        HTREEITEM root = TreeView_GetRoot(tree);
        seen.root = ItemText(tree, root);
        HTREEITEM choice = root;
        if (!pick.empty()) {
            TreeView_Expand(tree, root, TVE_EXPAND);
            choice = nullptr;
            for (HTREEITEM child = TreeView_GetChild(tree, root); child; child = TreeView_GetNextSibling(tree, child)) {
                if (ItemText(tree, child).find(pick) != std::wstring::npos) choice = child;
            }
        }
        if (!choice) {
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        TreeView_SelectItem(tree, choice);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

TEST(FolderBrowser, OffersTheComputersDrivesInTheClassicDialog) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    OwnerWindow owner;
    BrowserSeen seen;
    bool shown = false;
    const auto chosen = WithOwnedDialog(owner.get(), ChooseInBrowser(seen, L"C:"), shown,
                                        [&] { return BrowseForFolder(owner.get(), "", false); });
    ASSERT_TRUE(shown) << "no browser owned by the window";
    EXPECT_EQ(Utf8FromWide(seen.root), Utf8FromWide(DisplayNameOf(CSIDL_DRIVES)));
    EXPECT_FALSE(seen.resizable) << "the classic browser has a fixed size";
    EXPECT_EQ(chosen, std::optional<std::string>("C:\\"));

    const auto cancelled = WithOwnedDialog(owner.get(), ChooseInBrowser(seen, L"no such drive"), shown,
                                           [&] { return BrowseForFolder(owner.get(), "", false); });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(cancelled.has_value());
    CoUninitialize();
}

TEST(FolderBrowser, NetworkItemWithoutAPathComesBackAsBackslashesAndItsName) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    OwnerWindow owner;
    BrowserSeen seen;
    bool shown = false;
    const auto chosen = WithOwnedDialog(owner.get(), ChooseInBrowser(seen, L""), shown,
                                        [&] { return BrowseForFolder(owner.get(), "", true); });
    ASSERT_TRUE(shown) << "no browser owned by the window";
    const std::wstring network = DisplayNameOf(CSIDL_NETWORK);
    ASSERT_FALSE(network.empty());
    EXPECT_EQ(Utf8FromWide(seen.root), Utf8FromWide(network));
    EXPECT_EQ(chosen, std::optional<std::string>("\\\\" + Utf8FromWide(network)));
    CoUninitialize();
}

TEST(ShellOpen, FileWithoutAProgramAsksOverTheOwnersWindow) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kestrova-shell-open-test";
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / L"名前.kestrova-no-program";
    std::ofstream(file) << "no program opens this";
    OwnerWindow owner;
    bool asked = false;
    std::string error;
    WithOwnedDialog(owner.get(), [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }, asked,
                    [&] { return ShellOpenFile(owner.get(), Utf8FromWide(file.wstring()), error); });
    EXPECT_TRUE(asked) << "the shell asked nothing, over no window";
    std::filesystem::remove_all(folder);
    CoUninitialize();
}

}  // namespace
}  // namespace kestrova
