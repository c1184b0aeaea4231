// The form mirror against a toolkit that only writes down what it was asked
// to show: which hook each change reaches, the click rules, the toggles of
// check boxes and option groups, the menu tree, timers, the first show, and
// the sizes reported back in twips.
#include "platform/kit/form_mirror.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/kit/fake_list_view.h"

namespace kestrova {
namespace {

using K = ControlKind;

std::vector<ControlDesign> Table() {
    return {
        {"Label1", K::Label, "ラベル", "", {120, 120, 1200, 255}},
        {"Command1", K::CommandButton, "更新", "", {1200, 600, 900, 300}},
        {"Check1", K::CheckBox, "サイズ", "", {120, 1000, 1500, 255}},
        {"Frame1", K::Frame, "ソート項目", "", {2400, 900, 1500, 1200}},
        {"Option1", K::OptionButton, "名前", "", {120, 240, 1200, 255}, "Frame1"},
        {"Option2", K::OptionButton, "サイズ", "", {120, 540, 1200, 255}, "Frame1"},
        {"Image1", K::Image, "", "", {120, 2300, 480, 480}},
        {"ListView1", K::ListView, "", "", {0, 3000, 6000, 2000}},
        {"ImageList1", K::ImageList, "", "", {}, "", false},
        {"Timer1", K::Timer, "", "", {}, "", false},
        {"Menu1", K::Menu, "メニュー", "", {}, "", false},
        {"Item1", K::Menu, "開く", "", {}, "Menu1"},
        {"Sep", K::Menu, "-", "", {}, "Menu1"},
        {"Sub1", K::Menu, "その他", "", {}, "Menu1"},
        {"Item2", K::Menu, "削除", "", {}, "Sub1"},
    };
}

struct FakeBinding : ControlBinding {
    std::unique_ptr<testing::FakeListView> view;
};

// Writes "Hook Control" for every hook reached, and whether a program change
// was being applied then.
class FakeWindow final : public FormMirror<FakeBinding> {
public:
    FakeWindow(Form& form, const LoopState& loop) : FormMirror(form) {
        BindControls();
        for (auto& [control, binding] : bindings_) {
            if (control->Kind() != K::ListView) continue;
            binding.view = std::make_unique<testing::FakeListView>(*static_cast<ListView*>(binding.control), loop,
                                                                   SelectionKeeping::WithRows);
            binding.list = binding.view.get();
        }
        BuildMenuTree();
        built = log;
        for (const auto& control : form_.Controls()) ApplyAll(bindings_[control.get()]);
        log.clear();
    }
    ~FakeWindow() override { Detach(); }

    using FormMirror::Apply;
    using FormMirror::TimerFired;
    using FormMirror::UserToggled;
    using FormMirrorBase::ControlPressed;
    using FormMirrorBase::ControlReleased;
    using FormMirrorBase::FormPressed;
    using FormMirrorBase::FormReleased;
    using FormMirrorBase::ReportShown;

    FakeBinding& Of(const char* name) { return bindings_[form_.Find(name)]; }

    std::vector<std::string> log;
    std::vector<std::string> built;  // what building the window did
    int applying_outside = 0;  // hooks of a control change reached while not applying
    Menu* choice = nullptr;    // what the user picks in a pop-up menu
    int dpi = kDefaultDpi;

private:
    void Note(const char* hook, const FakeBinding& binding) {
        log.push_back(std::string(hook) + " " + binding.control->Name());
        if (applying_ == 0) ++applying_outside;
    }
    void Note(const char* hook) { log.emplace_back(hook); }

    int Dpi() const override { return dpi; }
    void ShowCaption(FakeBinding& b) override { Note("Caption", b); }
    void ShowText(FakeBinding& b) override { Note("Text", b); }
    void ShowValue(FakeBinding& b) override { Note("Value", b); }
    void ShowEnabled(FakeBinding& b) override { Note("Enabled", b); }
    void ShowVisible(FakeBinding& b) override { Note("Visible", b); }
    void ShowColors(FakeBinding& b) override { Note("Colors", b); }
    void ShowGeometry(FakeBinding& b) override { Note("Geometry", b); }
    void ShowToolTip(FakeBinding& b) override { Note("ToolTip", b); }
    void ShowItems(FakeBinding& b) override { Note("Items", b); }
    void ShowFocus(FakeBinding& b) override { Note(applying_focus_ ? "Focus" : "Focus unguarded", b); }
    void ShowPicture(FakeBinding& b) override { Note("Picture", b); }
    void ShowTimer(FakeBinding& b) override { Note("Timer", b); }
    void StopTimer(FakeBinding& b) override { Note("StopTimer", b); }
    void MakeMenu(FakeBinding& b) override { log.push_back("MakeMenu " + b.control->Name()); }
    void AddSubmenu(FakeBinding& m, FakeBinding& s) override { log.push_back(m.control->Name() + " > " + s.control->Name()); }
    void AddSeparator(FakeBinding& m, FakeBinding& s) override { log.push_back(m.control->Name() + " --- " + s.control->Name()); }
    void AddMenuItem(FakeBinding& m, FakeBinding& i) override { log.push_back(m.control->Name() + " : " + i.control->Name()); }
    Menu* ShowPopup(FakeBinding& b) override {
        Note("Popup", b);
        return choice;
    }
    void ShowFormCaption() override { Note("FormCaption"); }
    void ShowFormGeometry() override { Note("FormGeometry"); }
    void ShowWindowState() override { Note("WindowState"); }
    void ShowForm() override { Note("Show"); }
    void HideForm() override { Note("Hide"); }
    void CenterOnScreen() override { Note("Centre"); }
    void ShowFormColor() override { Note("FormColor"); }
    void ShowTopmost() override { Note("Topmost"); }
    void BringToFront() override { Note("Front"); }
    void ShowDrawing() override { Note("Drawing"); }
    void ReportGeometry() override { Note("Report"); }
};

// Hands a form's changes to its window, as a backend's services do.
class Forwarder final : public FormObserver {
public:
    Forwarder(Form& form, FormMirrorBase& window) : window_(window) { form.SetObserver(this); }
    void FormChanged(Form&, FormProperty what) override { window_.FormChanged(what); }
    void ControlChanged(Control& control, Property what) override { window_.ControlChanged(control, what); }
    void PopupMenu(Form&, Menu& menu) override { window_.Popup(menu); }

private:
    FormMirrorBase& window_;
};

class FormMirrorTest : public ::testing::Test {
protected:
    FormMirrorTest() : form({"FormT", "テスト", 4800, 3600}, Table()), window(form, loop), forwarder(form, window) {}
    Form form;
    LoopState loop;
    FakeWindow window;
    Forwarder forwarder;
};

TEST_F(FormMirrorTest, EachChangeReachesItsHookWhileApplying) {
    struct Case {
        const char* control;
        Property what;
        std::vector<std::string> hooks;
    };
    const Case cases[] = {
        {"Label1", Property::Caption, {"Caption Label1"}},
        {"Check1", Property::Value, {"Value Check1"}},
        {"Command1", Property::Enabled, {"Enabled Command1"}},
        {"Timer1", Property::Enabled, {"Enabled Timer1", "Timer Timer1"}},
        {"Timer1", Property::Timer, {"Timer Timer1"}},
        {"Label1", Property::Timer, {}},
        {"Label1", Property::BackColor, {"Colors Label1"}},
        {"Label1", Property::ForeColor, {"Colors Label1"}},
        {"Frame1", Property::Geometry, {"Geometry Frame1"}},
        {"Label1", Property::ToolTip, {"ToolTip Label1"}},
        {"Command1", Property::Focus, {"Focus Command1"}},
        {"Image1", Property::Picture, {"Picture Image1"}},
        {"Command1", Property::Visible, {"Visible Command1"}},
        // An image list shows nothing itself: the lists that show it do.
        {"ImageList1", Property::Items, {}},
        {"ListView1", Property::ListRows, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        window.log.clear();
        window.ControlChanged(*form.Find(c.control), c.what);
        EXPECT_EQ(window.log, c.hooks);
    }
    EXPECT_EQ(window.applying_outside, 0);
}

TEST_F(FormMirrorTest, EachWindowChangeReachesItsHooks) {
    struct Case {
        FormProperty what;
        std::vector<std::string> hooks;
    };
    const Case cases[] = {
        {FormProperty::Caption, {"FormCaption"}},
        {FormProperty::Geometry, {"FormGeometry", "Report"}},
        {FormProperty::WindowState, {"WindowState", "Report"}},
        {FormProperty::BackColor, {"FormColor"}},
        {FormProperty::Topmost, {"Topmost"}},
        {FormProperty::Focus, {"Front"}},
        {FormProperty::Drawing, {"Drawing"}},
    };
    for (const Case& c : cases) {
        window.log.clear();
        window.FormChanged(c.what);
        EXPECT_EQ(window.log, c.hooks);
    }
}

TEST_F(FormMirrorTest, TheFirstShowCentresTheWindowOnce) {
    form.Show();
    form.Hide();
    form.Show();
    EXPECT_EQ(window.log, (std::vector<std::string>{"Centre", "Show", "Hide", "Show"}));

    Form fixed({"FormV", "", 4800, 3600, FormBorder::None, false}, {});
    FakeWindow viewer(fixed, loop);
    Forwarder to_viewer(fixed, viewer);
    fixed.Show();
    EXPECT_EQ(viewer.log, std::vector<std::string>{"Show"}) << "placed by the program, not centred";
}

// Labels, pictures and frames click on a left press and release over them;
// buttons and boxes report their own clicks, the keyboard's too.
TEST_F(FormMirrorTest, ClicksComeFromAPressAndReleaseOverTheSameControl) {
    struct Case {
        const char* pressed;
        int button;
        const char* released;
        bool inside;
        bool watch_release;
        int clicks;
    };
    const Case cases[] = {
        {"Label1", kLeftButton, "Label1", true, true, 1},
        {"Image1", kLeftButton, "Image1", true, true, 1},
        {"Frame1", kLeftButton, "Frame1", true, true, 1},
        {"Label1", kLeftButton, "Label1", false, true, 0},  // let go outside
        {"Label1", kRightButton, "Label1", true, false, 0},
        {"Label1", kMiddleButton, "Label1", true, false, 0},
        {"Label1", kLeftButton, "Image1", true, true, 0},   // released over another
        {"Command1", kLeftButton, "Command1", true, false, 0},
        {"Check1", kLeftButton, "Check1", true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pressed) + " " + std::to_string(c.button) + " " + c.released);
        Control& pressed = *form.Find(c.pressed);
        Control& released = *form.Find(c.released);
        int clicks = 0;
        std::vector<int> downs;
        pressed.Click = [&] { ++clicks; };
        released.Click = [&] { ++clicks; };
        pressed.MouseDown = [&](int button, int shift, int x, int y) { downs.insert(downs.end(), {button, shift, x, y}); };
        EXPECT_EQ(window.ControlPressed(pressed, c.button, kShiftMask, 150, 75), c.watch_release);
        EXPECT_EQ(downs, (std::vector<int>{c.button, kShiftMask, 150, 75}));
        window.ControlReleased(released, c.button, c.inside);
        EXPECT_EQ(clicks, c.clicks);
        window.ControlReleased(released, c.button, c.inside);
        EXPECT_EQ(clicks, c.clicks) << "one press, one click";
    }
}

TEST_F(FormMirrorTest, TheWindowClicksOnALeftPressAndReleaseInsideIt) {
    struct Case {
        int pressed;
        int released;
        bool inside;
        int clicks;
    };
    const Case cases[] = {
        {kLeftButton, kLeftButton, true, 1},
        {kLeftButton, kLeftButton, false, 0},
        {kRightButton, kRightButton, true, 0},
        {kRightButton, kLeftButton, true, 0},
        {0, kLeftButton, true, 0},  // a button the handlers do not know
    };
    for (const Case& c : cases) {
        int clicks = 0;
        int downs = 0;
        form.Click = [&] { ++clicks; };
        form.MouseDown = [&](int, int, int, int) { ++downs; };
        window.FormPressed(c.pressed, 0, 0, 0);
        window.FormReleased(c.released, c.inside);
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_EQ(downs, c.pressed != 0 ? 1 : 0);
    }
}

// The state decides what a box shows after the user's click: a handler may
// set it back, and an option group shows its new choice on every member.
TEST_F(FormMirrorTest, TogglesShowTheStateAfterTheHandler) {
    auto& check = form.Get<CheckBox>("Check1");
    window.UserToggled(window.Of("Check1"));
    EXPECT_EQ(check.Value(), 1);
    check.Click = [&] { check.SetValue(0); };
    window.log.clear();
    window.UserToggled(window.Of("Check1"));
    EXPECT_EQ(check.Value(), 0);
    EXPECT_EQ(window.log.back(), "Value Check1");

    window.log.clear();
    window.UserToggled(window.Of("Option2"));
    EXPECT_TRUE(form.Get<OptionButton>("Option2").Value());
    ASSERT_GE(window.log.size(), 2u);
    const std::set<std::string> last_two(window.log.end() - 2, window.log.end());
    EXPECT_EQ(last_two, (std::set<std::string>{"Value Option1", "Value Option2"})) << "every member shows the choice";

    window.Detach();
    window.UserToggled(window.Of("Check1"));
    EXPECT_EQ(check.Value(), 0) << "a detached window reports nothing";
}

// A menu with items is a menu of its own; an item with items is its
// parent's submenu, and "-" a separator.
TEST_F(FormMirrorTest, MenusAreBuiltAsATree) {
    EXPECT_EQ(window.built, (std::vector<std::string>{"MakeMenu Menu1", "MakeMenu Sub1", "Menu1 : Item1", "Menu1 --- Sep",
                                                      "Menu1 > Sub1", "Sub1 : Item2"}));
}

TEST_F(FormMirrorTest, APopupClicksTheItemChosenUnlessTheWindowWentMeanwhile) {
    int opened = 0;
    auto& item = form.Get<Menu>("Item1");
    item.Click = [&] { ++opened; };
    window.Popup(form.Get<Menu>("Menu1"));
    EXPECT_EQ(opened, 0) << "closed without a choice";
    window.choice = &item;
    window.Popup(form.Get<Menu>("Menu1"));
    EXPECT_EQ(opened, 1);
    window.Detach();
    window.Popup(form.Get<Menu>("Menu1"));
    EXPECT_EQ(opened, 1);
}

// A tick whose handler is still waiting does not start a second one.
TEST_F(FormMirrorTest, ATimerNeverTicksInsideItself) {
    auto& timer = form.Get<Timer>("Timer1");
    timer.SetInterval(1000);
    timer.SetEnabled(true);
    int ticks = 0;
    timer.Tick = [&] {
        ++ticks;
        window.TimerFired(window.Of("Timer1"));
    };
    window.TimerFired(window.Of("Timer1"));
    EXPECT_EQ(ticks, 1);
    window.TimerFired(window.Of("Timer1"));
    EXPECT_EQ(ticks, 2);
}

TEST_F(FormMirrorTest, DetachingStopsTimersAndListsAndMirrorsNothingMore) {
    FakeBinding& list = window.Of("ListView1");
    list.view->Attach();
    window.Detach();
    EXPECT_EQ(window.log, std::vector<std::string>{"StopTimer Timer1"});
    EXPECT_FALSE(list.view->Mirroring());
    window.log.clear();
    form.SetCaption("x");
    window.ControlChanged(*form.Find("Label1"), Property::Caption);
    window.FormChanged(FormProperty::Caption);
    window.FlushLists(true);
    EXPECT_TRUE(window.log.empty());
}

TEST_F(FormMirrorTest, ImageListChangesReachTheListsThatShowIt) {
    auto& icons = form.Get<ImageList>("ImageList1");
    auto& list = form.Get<ListView>("ListView1");
    const testing::FakeListView& view = *window.Of("ListView1").view;
    icons.Add(std::make_shared<Picture>());
    EXPECT_EQ(view.images_changed, 0) << "the list shows no image list yet";
    list.SetSmallIcons(&icons);
    icons.Add(std::make_shared<Picture>());
    EXPECT_EQ(view.images_changed, 1);
}

// Sizes go back in twips: a value the program set that still rounds to the
// pixels shown stays as it was, so remembered sizes do not drift.
TEST_F(FormMirrorTest, ReportedSizesKeepTheProgramsTwipsWhileTheyRoundTheSame) {
    struct Case {
        const char* what;
        int dpi;
        int left_px, width_px;
        bool framed;
        WindowState state;
        int left, width;  // twips reported
    };
    const Case cases[] = {
        {"as set", 96, 67, 401, true, kNormal, 1000, 6008},  // 66.7 and 400.5 pixels
        {"moved and widened", 96, 68, 402, true, kNormal, 1020, 6030},
        {"as set at 150 %", 144, 100, 601, true, kNormal, 1000, 6008},
        {"widened at 150 %", 144, 101, 602, true, kNormal, 1010, 6020},
        {"without a frame", 96, 67, 0, false, kNormal, 1000, 0},
        {"minimised", 96, 67, 401, true, kMinimized, 1000, 6008},  // last: the program moves only a normal window
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form.Move(1000, 500, 6008, 4500);
        const int scale_w = form.ScaleWidth();
        const int scale_h = form.ScaleHeight();
        window.dpi = c.dpi;
        ShownWindow shown;
        shown.left = c.left_px;
        shown.top = TwipsToPixels(500, c.dpi);
        shown.outer_width = c.width_px;
        shown.outer_height = TwipsToPixels(4500, c.dpi);
        shown.inner_width = TwipsToPixels(scale_w, c.dpi);
        shown.inner_height = TwipsToPixels(scale_h, c.dpi);
        shown.framed = c.framed;
        shown.state = c.state;
        window.ReportShown(shown);
        EXPECT_EQ(form.Left(), c.left);
        EXPECT_EQ(form.Top(), 500);
        EXPECT_EQ(form.State(), c.state);
        if (c.state == kMinimized) {
            EXPECT_EQ(form.ScaleWidth(), 0) << "a minimised window has no inside";
        } else {
            EXPECT_EQ(form.ScaleWidth(), scale_w);
            EXPECT_EQ(form.ScaleHeight(), scale_h);
        }
        // Without a window manager the frame the program assumed stays.
        EXPECT_EQ(form.Width(), c.framed ? c.width : scale_w + form.FrameWidth());
    }
}

TEST(TwipsAndPixels, OneRoundingAtEveryDensity) {
    struct Case {
        int dpi;
        int twips;
        int pixels;
    };
    const Case to_pixels[] = {
        {96, 0, 0},      {96, 7, 0},      {96, 8, 1},     {96, 15, 1},    {96, 2208, 147}, {96, -7, 0},
        {96, -8, -1},    {120, 12, 1},    {120, 11, 1},   {120, 6, 1},    {120, 5, 0},     {144, 2208, 221},
        {144, 5, 1},     {144, -5, -1},   {192, 1440, 192}, {96, kMaxTwips, kMaxTwips / 15},
    };
    for (const Case& c : to_pixels) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
    }
    const Case to_twips[] = {{96, 15, 1}, {96, -15, -1}, {120, 12, 1}, {144, 10, 1}, {144, 3000, 300}, {72, 20, 1}};
    for (const Case& c : to_twips) {
        EXPECT_EQ(PixelsToTwips(c.pixels, c.dpi), c.twips) << c.pixels << " pixels at " << c.dpi;
    }
    static_assert(TwipsToPixels(1440) == 96 && PixelsToTwips(96) == 1440, "96 dpi by default");
    EXPECT_EQ(KeepTwips(2208, 147), 2208);
    EXPECT_EQ(KeepTwips(2208, 148), 2220);
}

}  // namespace
}  // namespace kestrova
