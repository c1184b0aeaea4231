// Windows made from the tables on a real Windows (Wine in the test run):
// option buttons grouped by their frame for the arrow keys, windows the
// table gives no icon, and the DPI look-ups that stand in for the
// functions older systems lack.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "platform/model/form.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_services.h"

namespace kestrova {
namespace {

using K = ControlKind;

class OptionsForm : public Form {
public:
    OptionsForm()
        : Form({"T", "options", 6000, 4000, FormBorder::FixedDialog, true, false},
               {{"Frame1", K::Frame, "frame", "", {120, 120, 2400, 1500}},
                {"Option1", K::OptionButton, "one", "", {120, 240, 1500, 255}, "Frame1"},
                {"Option2", K::OptionButton, "two", "", {120, 600, 1500, 255}, "Frame1"},
                {"Option3", K::OptionButton, "three", "", {120, 960, 1500, 255}, "Frame1"},
                {"Check1", K::CheckBox, "box", "", {120, 1800, 1500, 255}},
                {"Option4", K::OptionButton, "four", "", {3000, 240, 1500, 255}},
                {"Option5", K::OptionButton, "five", "", {3000, 600, 1500, 255}}}) {}
};

class OptionGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        services.AttachForm(form);
        form.Show();
        form.Get<OptionButton>("Option1").SetValue(true);
        form.Get<OptionButton>("Option4").SetValue(true);
    }
    HWND Handle(const char* name) { return services.WindowOf(form)->ControlHandle(*form.Find(name)); }
    // The key as the program's own message loop hands it on.
    void Press(WPARAM key) {
        MSG message{GetFocus(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        services.Dispatch(message);
        MSG up{GetFocus(), WM_KEYUP, key, 0, 0, {0, 0}};
        services.Dispatch(up);
    }
    bool Chosen(const char* name) { return form.Get<OptionButton>(name).Value(); }

    Win32Services services;
    OptionsForm form;
};

TEST_F(OptionGroupTest, ArrowKeysMoveWithinTheOptionsOfOneContainer) {
    SetFocus(Handle("Option1"));
    const struct {
        WPARAM key;
        const char* focus;
    } steps[] = {
        {VK_DOWN, "Option2"}, {VK_DOWN, "Option3"}, {VK_DOWN, "Option1"},  // round within the frame
        {VK_UP, "Option3"},   {VK_RIGHT, "Option1"}, {VK_LEFT, "Option3"},
    };
    for (const auto& step : steps) {
        Press(step.key);
        EXPECT_EQ(GetFocus(), Handle(step.focus)) << step.focus;
        EXPECT_TRUE(Chosen(step.focus)) << "the option moved to is chosen: " << step.focus;
    }
    EXPECT_TRUE(Chosen("Option4")) << "the options on the window are a group of their own";
    SetFocus(Handle("Option4"));
    Press(VK_DOWN);
    EXPECT_EQ(GetFocus(), Handle("Option5"));
    Press(VK_DOWN);
    EXPECT_EQ(GetFocus(), Handle("Option4")) << "not on to the check box or the frame's options";
    EXPECT_TRUE(Chosen("Option3"));
}

class PlainForm : public Form {
public:
    explicit PlainForm(FormBorder border)
        : Form({"P", "Pem View", 4680, 3195, border, false, true, false}, {{"Label1", K::Label, "", "", {120, 120, 2000, 255}}}) {}
};

// The system draws its own icon into a caption that has none, unless the
// window has a modal frame.
TEST(WindowIcon, AWindowTheTableGivesNoIconShowsNone) {
    for (FormBorder border : {FormBorder::Sizable, FormBorder::None}) {
        Win32Services services;
        PlainForm form(border);
        services.AttachForm(form);
        form.Show();
        HWND hwnd = services.WindowOf(form)->Handle();
        EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HICON), 0);
        EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
        const LONG_PTR ex_style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
        EXPECT_EQ((ex_style & WS_EX_DLGMODALFRAME) != 0, border == FormBorder::Sizable)
            << "a frameless window keeps its whole area: no frame is added";
        RECT client{};
        GetClientRect(hwnd, &client);
        if (border == FormBorder::None) {
            RECT outer{};
            GetWindowRect(hwnd, &outer);
            EXPECT_EQ(client.right, outer.right - outer.left);
        }
    }
}

// Windows 7 has none of the per-monitor functions, Windows 8.1 only the
// monitor's: their stand-ins give the same as the real functions wherever
// the system's DPI is the window's.
TEST(DpiLookUps, StandInsOfOlderSystemsAgreeWithTheFunctions) {
    Win32Services services;
    PlainForm form(FormBorder::Sizable);
    services.AttachForm(form);
    HWND hwnd = services.WindowOf(form)->Handle();
    const DpiApi& running = DpiApi::Running();
    ASSERT_NE(running.dpi_for_window, nullptr) << "the system under test has the newer functions to compare with";
    DpiApi windows81;
    windows81.dpi_for_monitor = reinterpret_cast<decltype(windows81.dpi_for_monitor)>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor")));
    const DpiApi windows7;
    const UINT dpi = WindowDpi(hwnd, running);
    EXPECT_EQ(dpi, SystemDpi());
    EXPECT_EQ(WindowDpi(hwnd, windows7), dpi);
    if (windows81.dpi_for_monitor) {
        EXPECT_EQ(WindowDpi(hwnd, windows81), dpi);
    }
    EXPECT_EQ(WindowDpi(nullptr, running), SystemDpi()) << "no window: the system's";

    const DWORD style = WS_OVERLAPPEDWINDOW;
    const DWORD ex_style = WS_EX_APPWINDOW;
    RECT real{0, 0, 400, 300};
    RECT stand_in = real;
    AdjustWindowRectForDpi(real, style, ex_style, dpi, running);
    AdjustWindowRectForDpi(stand_in, style, ex_style, dpi, windows7);
    EXPECT_EQ(stand_in.left, real.left);
    EXPECT_EQ(stand_in.top, real.top);
    EXPECT_EQ(stand_in.right, real.right);
    EXPECT_EQ(stand_in.bottom, real.bottom);
    EXPECT_LT(real.top, -10) << "a caption and a frame were added";
    // At twice the system's DPI the frame doubles.
    RECT doubled{0, 0, 400, 300};
    AdjustWindowRectForDpi(doubled, style, ex_style, 2 * dpi, windows7);
    EXPECT_EQ(doubled.top, 2 * real.top);
    EXPECT_EQ(doubled.right - 400, 2 * (real.right - 400));
}

}  // namespace
}  // namespace kestrova
