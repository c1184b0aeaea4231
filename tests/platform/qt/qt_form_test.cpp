// Windows built from control tables, and the two directions of keeping
// them in step: program changes shown on the widgets, user actions written
// into the control state before the events are raised.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/model/form.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_test_support.h"

namespace kestrova {
namespace {

using K = ControlKind;

std::vector<ControlDesign> Table() {
    return {
        {"Label1", K::Label, "ラベル", "ヒント", {120, 120, 1200, 255}, ""},
        {"Command1", K::CommandButton, "更新", "", {1200, 600, 900, 300}, ""},
        {"Check1", K::CheckBox, "サイズ", "", {120, 1000, 1500, 255}, ""},
        {"Text1", K::TextBox, "abc", "", {120, 1400, 1500, 300}, ""},
        {"Combo1", K::ComboBox, "", "", {120, 1800, 1500, 300}, ""},
        {"Frame1", K::Frame, "ソート項目", "", {2400, 900, 1500, 1200}, ""},
        {"Option1", K::OptionButton, "名前", "", {120, 240, 1200, 255}, "Frame1"},
        {"Option2", K::OptionButton, "サイズ", "", {120, 540, 1200, 255}, "Frame1"},
        {"Label2", K::Label, "枠の中", "", {120, 840, 1200, 255}, "Frame1"},
        {"Frame2", K::Frame, "ソート順", "", {2400, 2200, 1500, 900}, ""},
        {"Option3", K::OptionButton, "昇順", "", {120, 240, 1200, 255}, "Frame2"},
        {"Option4", K::OptionButton, "降順", "", {120, 540, 1200, 255}, "Frame2"},
        {"Image1", K::Image, "", "", {120, 2300, 480, 480}, ""},
        {"Line1", K::Line, "", "", {120, 3300, 3000, 0}, ""},
        {"Hidden1", K::Label, "隠れ", "", {120, 3000, 600, 255}, "", false},
        {"Timer1", K::Timer, "", "", {}, "", false},
        {"Menu1", K::Menu, "メニュー", "", {}, "", false},
        {"Item1", K::Menu, "開く", "", {}, "Menu1"},
        {"Sep", K::Menu, "-", "", {}, "Menu1"},
        {"Item2", K::Menu, "削除", "", {}, "Menu1"},
    };
}

class QtFormTest : public ::testing::Test {
protected:
    QtFormTest() {
        qt_test::EnsureApplication();
        form = std::make_unique<Form>(FormDesign{"FormT", "テスト", 4800, 3600, FormBorder::Sizable, true, false}, Table());
        services = std::make_unique<QtServices>();
    }

    template <typename W>
    W* Widget(const char* name) const {
        return qobject_cast<W*>(services->WidgetOf(*form->Find(name)));
    }
    QWidget* Window() const { return services->WindowOf(*form); }

    void AttachAndShow() {
        services->AttachForm(*form);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    }

    // The form outlives the backend, whose widgets point into it.
    std::unique_ptr<Form> form;
    std::unique_ptr<QtServices> services;
};

QColor PixelAt(QWidget* widget, QPoint at) { return widget->grab().toImage().pixelColor(at); }

TEST_F(QtFormTest, BuildsEveryControlAtItsTwipsRectangle) {
    services->AttachForm(*form);
    auto* button = Widget<QPushButton>("Command1");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), QRect(80, 40, 60, 20));
    EXPECT_EQ(button->text(), QString::fromUtf8("更新"));
    EXPECT_EQ(button->parentWidget(), Window());

    EXPECT_EQ(Window()->size(), QSize(4800 / 15, 3600 / 15));
    EXPECT_EQ(Window()->windowTitle(), QString::fromUtf8("テスト"));

    auto* label = Widget<QLabel>("Label1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("ラベル"));
    EXPECT_EQ(label->toolTip(), QString::fromUtf8("ヒント"));

    auto* frame = Widget<QGroupBox>("Frame1");
    auto* option = Widget<QRadioButton>("Option2");
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(frame->title(), QString::fromUtf8("ソート項目"));
    EXPECT_EQ(option->parentWidget(), frame);
    EXPECT_EQ(option->geometry(), QRect(8, 36, 80, 17));

    EXPECT_NE(Widget<QLineEdit>("Text1"), nullptr);
    EXPECT_EQ(Widget<QLineEdit>("Text1")->text(), QString("abc"));
    ASSERT_NE(Widget<QComboBox>("Combo1"), nullptr);
    EXPECT_TRUE(Widget<QComboBox>("Combo1")->isEditable());

    // Timers, menus and image lists are not widgets on the window.
    EXPECT_EQ(services->WidgetOf(*form->Find("Timer1")), nullptr);
    EXPECT_EQ(services->WidgetOf(*form->Find("Item1")), nullptr);
    EXPECT_NE(services->TimerOf(form->Get<Timer>("Timer1")), nullptr);
    QMenu* menu = services->MenuOf(form->Get<Menu>("Menu1"));
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QString::fromUtf8("開く"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QString::fromUtf8("削除"));
}

TEST_F(QtFormTest, ShowsDesignVisibilityAndCentresOnFirstShow) {
    AttachAndShow();
    EXPECT_FALSE(Widget<QLabel>("Hidden1")->isVisible());
    EXPECT_TRUE(Widget<QLabel>("Label1")->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = Window()->frameGeometry();
    EXPECT_NEAR(frame.center().x(), screen.center().x(), 8);
    EXPECT_NEAR(frame.center().y(), screen.center().y(), 30);
    // The real window reports back: the inner size is its client area.
    EXPECT_EQ(form->ScaleWidth(), Window()->width() * 15);
    EXPECT_EQ(form->ScaleHeight(), Window()->height() * 15);
}

TEST_F(QtFormTest, ProgramChangesShowOnTheWidgets) {
    AttachAndShow();
    int clicks = 0;
    int changes = 0;
    auto& button = form->Get<CommandButton>("Command1");
    auto& check = form->Get<CheckBox>("Check1");
    auto& text = form->Get<TextBox>("Text1");
    button.Click = [&] { ++clicks; };
    check.Click = [&] { ++clicks; };
    text.Change = [&] { ++changes; };

    button.SetCaption("中断");
    EXPECT_EQ(Widget<QPushButton>("Command1")->text(), QString::fromUtf8("中断"));
    form->SetCaption("新しい題");
    EXPECT_EQ(Window()->windowTitle(), QString::fromUtf8("新しい題"));

    button.SetBackColor(Rgb(0, 255, 255));
    QApplication::processEvents();
    EXPECT_EQ(PixelAt(Widget<QPushButton>("Command1"), QPoint(4, 4)), QColor(0, 255, 255));
    button.SetBackColor(std::nullopt);
    QApplication::processEvents();
    EXPECT_NE(PixelAt(Widget<QPushButton>("Command1"), QPoint(4, 4)), QColor(0, 255, 255));

    auto& label = form->Get<Label>("Label1");
    label.SetBackColor(Rgb(0, 0, 0));
    label.SetForeColor(Rgb(0, 192, 0));
    EXPECT_EQ(PixelAt(Widget<QLabel>("Label1"), QPoint(Widget<QLabel>("Label1")->width() - 2, 2)), QColor(0, 0, 0));
    EXPECT_EQ(Widget<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(0, 192, 0));

    label.SetCaption("一行目\r\n二行目\r三行目");
    EXPECT_EQ(Widget<QLabel>("Label1")->text(), QString::fromUtf8("一行目\n二行目\n三行目"));

    button.SetBounds({1500, 900, 1200, 450});
    EXPECT_EQ(Widget<QPushButton>("Command1")->geometry(), QRect(100, 60, 80, 30));
    button.SetEnabled(false);
    EXPECT_FALSE(Widget<QPushButton>("Command1")->isEnabled());
    form->Get<Label>("Hidden1").SetVisible(true);
    EXPECT_TRUE(Widget<QLabel>("Hidden1")->isVisible());

    // Program changes of values never come back as user events.
    check.SetValue(1);
    text.SetText("新しい文字");
    QApplication::processEvents();
    EXPECT_TRUE(Widget<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(Widget<QLineEdit>("Text1")->text(), QString::fromUtf8("新しい文字"));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(QtFormTest, CheckBoxClickStoresValueBeforeClickAndStateWins) {
    AttachAndShow();
    auto& check = form->Get<CheckBox>("Check1");
    auto* box = Widget<QCheckBox>("Check1");
    std::vector<int> seen;
    check.Click = [&] { seen.push_back(check.Value()); };
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    ASSERT_EQ(seen, std::vector<int>{1});
    EXPECT_TRUE(box->isChecked());

    // A handler that puts the value back is what the box shows.
    check.Click = [&] { check.SetValue(0); };
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_EQ(check.Value(), 0);
    EXPECT_FALSE(box->isChecked());

    // A disabled box ignores the click.
    check.SetEnabled(false);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_EQ(check.Value(), 0);
}

TEST_F(QtFormTest, OptionButtonsOfTwoFramesAreTwoGroups) {
    AttachAndShow();
    auto& o1 = form->Get<OptionButton>("Option1");
    auto& o2 = form->Get<OptionButton>("Option2");
    auto& o3 = form->Get<OptionButton>("Option3");
    o1.SetValue(true);
    o3.SetValue(true);
    EXPECT_TRUE(Widget<QRadioButton>("Option1")->isChecked());
    EXPECT_NE(Widget<QRadioButton>("Option1")->group(), Widget<QRadioButton>("Option3")->group());

    int clicks = 0;
    o2.Click = [&] {
        ++clicks;
        EXPECT_TRUE(o2.Value());
        EXPECT_FALSE(o1.Value());
    };
    auto* radio2 = Widget<QRadioButton>("Option2");
    QTest::mouseClick(radio2, Qt::LeftButton, {}, QPoint(6, radio2->height() / 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(o2.Value());
    EXPECT_FALSE(o1.Value());
    EXPECT_FALSE(Widget<QRadioButton>("Option1")->isChecked());
    // The other frame's choice is untouched.
    EXPECT_TRUE(o3.Value());
    EXPECT_TRUE(Widget<QRadioButton>("Option3")->isChecked());

    // Clicking the selected one again raises nothing.
    QTest::mouseClick(radio2, Qt::LeftButton, {}, QPoint(6, radio2->height() / 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(radio2->isChecked());

    // The program may clear a whole group, which an exclusive group alone would refuse.
    o2.SetValue(false);
    EXPECT_FALSE(radio2->isChecked());
    EXPECT_FALSE(Widget<QRadioButton>("Option1")->isChecked());
}

TEST_F(QtFormTest, TypingAndPickingReachTheTextState) {
    AttachAndShow();
    auto& combo = form->Get<ComboBox>("Combo1");
    combo.AddItem("*.jpg");
    combo.AddItem("*.mp4");
    combo.SetText("*.*");
    auto* widget = Widget<QComboBox>("Combo1");
    ASSERT_EQ(widget->count(), 2);
    EXPECT_EQ(widget->currentText(), QString("*.*"));

    std::vector<std::string> changes;
    int clicks = 0;
    combo.Change = [&] { changes.push_back(combo.Text()); };
    combo.Click = [&] { ++clicks; };
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    widget->setFocus();
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return widget->hasFocus(); }));
    widget->lineEdit()->clear();
    QTest::keyClicks(widget->lineEdit(), "*.j");
    EXPECT_EQ(combo.Text(), "*.j");
    EXPECT_EQ(widget->currentText(), QString("*.j"));  // typed, not completed to an item
    EXPECT_EQ(changes, (std::vector<std::string>{"*", "*.", "*.j"}));

    emit widget->activated(1);
    EXPECT_EQ(combo.Text(), "*.mp4");
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_EQ(clicks, 1);

    auto& text = form->Get<TextBox>("Text1");
    int text_changes = 0;
    text.Change = [&] { ++text_changes; };
    auto* edit = Widget<QLineEdit>("Text1");
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, "12");
    EXPECT_EQ(text.Text(), "abc12");
    EXPECT_EQ(text_changes, 2);
}

TEST_F(QtFormTest, MouseAndKeysReachTheControlUnderThem) {
    AttachAndShow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    struct Down {
        std::string who;
        int button, shift, x, y;
    };
    std::vector<Down> downs;
    int label_clicks = 0;
    for (const char* name : {"Label2", "Frame1", "Image1"}) {
        Control& c = *form->Find(name);
        c.MouseDown = [&downs, name](int b, int s, int x, int y) { downs.push_back({name, b, s, x, y}); };
    }
    form->MouseDown = [&](int b, int s, int x, int y) { downs.push_back({"form", b, s, x, y}); };
    form->Get<Label>("Label2").Click = [&] { ++label_clicks; };

    // A label inside a frame: only the label hears it, in its own twips.
    QTest::mousePress(Widget<QLabel>("Label2"), Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 5));
    QTest::mouseRelease(Widget<QLabel>("Label2"), Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 5));
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].who, "Label2");
    EXPECT_EQ(downs[0].button, kRightButton);
    EXPECT_EQ(downs[0].shift, kShiftMask | kCtrlMask);
    EXPECT_EQ(downs[0].x, 150);
    EXPECT_EQ(downs[0].y, 75);
    EXPECT_EQ(label_clicks, 0);  // only the left button clicks

    QTest::mouseClick(Widget<QLabel>("Label2"), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(label_clicks, 1);

    downs.clear();
    QTest::mousePress(Window(), Qt::MiddleButton, Qt::AltModifier, QPoint(300, 10));
    QTest::mouseRelease(Window(), Qt::MiddleButton, Qt::AltModifier, QPoint(300, 10));
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].who, "form");
    EXPECT_EQ(downs[0].button, kMiddleButton);
    EXPECT_EQ(downs[0].shift, kAltMask);
    EXPECT_EQ(downs[0].x, 4500);

    std::vector<std::pair<int, int>> text_keys;
    std::vector<std::pair<int, int>> form_keys;
    form->Get<TextBox>("Text1").KeyDown = [&](int key, int shift) { text_keys.emplace_back(key, shift); };
    form->KeyDown = [&](int key, int shift) { form_keys.emplace_back(key, shift); };
    form->Get<TextBox>("Text1").SetFocus();
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return Widget<QLineEdit>("Text1")->hasFocus(); }));
    EXPECT_EQ(form->ActiveControl(), form->Find("Text1"));
    QTest::keyClick(Widget<QLineEdit>("Text1"), Qt::Key_F5, Qt::ShiftModifier);
    QTest::keyClick(Widget<QLineEdit>("Text1"), Qt::Key_Delete);
    // The modifier is a key of its own, pressed first.
    EXPECT_EQ(text_keys, (std::vector<std::pair<int, int>>{{kKeyShift, kShiftMask}, {116, kShiftMask}, {kKeyDelete, 0}}));
    // Without key preview the form does not see its controls' keys.
    EXPECT_TRUE(form_keys.empty());
}

TEST_F(QtFormTest, FocusChangesRaiseLostAndGotFocus) {
    AttachAndShow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    std::vector<std::string> log;
    form->Get<TextBox>("Text1").GotFocus = [&] { log.push_back("text got"); };
    form->Get<TextBox>("Text1").LostFocus = [&] { log.push_back("text lost"); };
    form->Get<CommandButton>("Command1").GotFocus = [&] { log.push_back("button got"); };
    form->Get<TextBox>("Text1").SetFocus();
    log.clear();
    Widget<QPushButton>("Command1")->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return log.size() >= 2; }));
    EXPECT_EQ(log, (std::vector<std::string>{"text lost", "button got"}));
    EXPECT_EQ(form->ActiveControl(), form->Find("Command1"));
}

TEST_F(QtFormTest, CloseBoxOnlyAsksTheProgram) {
    AttachAndShow();
    int asked = 0;
    form->QueryUnload = [&] { ++asked; };
    EXPECT_FALSE(Window()->close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_TRUE(form->Visible());

    form->QueryUnload = [&] {
        ++asked;
        form->Hide();
    };
    Window()->close();
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(Window()->isVisible());
}

TEST_F(QtFormTest, WindowGeometryIsKeptInStepBothWays) {
    AttachAndShow();
    int resizes = 0;
    form->Resize = [&] { ++resizes; };
    Window()->resize(400, 300);
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return form->ScaleWidth() == 6000; }));
    EXPECT_EQ(form->ScaleHeight(), 4500);
    EXPECT_GE(resizes, 1);

    // The program sets the outer size; the client area is that less the frame.
    form->Move(form->Left(), form->Top(), 7500 + form->FrameWidth(), 3000 + form->FrameHeight());
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return Window()->size() == QSize(500, 200); }));
    EXPECT_EQ(form->ScaleWidth(), 7500);

    form->SetWindowState(kMaximized);
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return Window()->isMaximized(); }));
    EXPECT_EQ(form->State(), kMaximized);

    form->SetTopmost(true);
    EXPECT_TRUE(Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(Window()->isVisible());
}

TEST(QtFormKinds, ToolWindowHasAFixedClientSize) {
    qt_test::EnsureApplication();
    Form form({"FormP", "進行", 3840, 1140, FormBorder::FixedToolWindow, true, true},
              {{"Label1", K::Label, "x", "", {120, 120, 3600, 255}, ""}});
    QtServices services;
    services.AttachForm(form);
    QWidget* window = services.WindowOf(form);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window->minimumSize(), QSize(256, 76));
    EXPECT_EQ(window->maximumSize(), QSize(256, 76));
    services.DetachForm(form);
}

TEST(QtFormKinds, KeysWithoutAFocusedControlGoToTheForm) {
    qt_test::EnsureApplication();
    Form form({"FormV", "", 4800, 3600, FormBorder::None, false, true}, {{"Label1", K::Label, "", "", {0, 0, 600, 255}, ""}});
    QtServices services;
    services.AttachForm(form);
    EXPECT_TRUE(services.WindowOf(form)->windowFlags().testFlag(Qt::FramelessWindowHint));
    std::vector<std::pair<int, int>> keys;
    form.KeyDown = [&](int key, int shift) { keys.emplace_back(key, shift); };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(services.WindowOf(form)));
    QTest::keyClick(services.WindowOf(form), Qt::Key_Escape);
    QTest::keyClick(services.WindowOf(form), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{kKeyEscape, 0}, {kKeyControl, kCtrlMask}, {kKeyRight, kCtrlMask}}));
    services.DetachForm(form);
}

TEST_F(QtFormTest, PictureIsStretchedOrDrawnAtNaturalSize) {
    AttachAndShow();
    auto picture = std::make_shared<Picture>();
    picture->width = 2;
    picture->height = 2;
    picture->pixels.assign(4, 0xffff0000u);
    auto& image = form->Get<ImageControl>("Image1");
    image.SetPicture(picture);
    QWidget* widget = services->WidgetOf(image);
    EXPECT_EQ(PixelAt(widget, QPoint(1, 1)), QColor(255, 0, 0));
    EXPECT_NE(PixelAt(widget, QPoint(20, 20)), QColor(255, 0, 0));
    image.SetStretch(true);
    EXPECT_EQ(PixelAt(widget, QPoint(20, 20)), QColor(255, 0, 0));
}

TEST_F(QtFormTest, TimerTicksWhileEnabledAndNeverInsideItself) {
    services->AttachForm(*form);
    auto& timer = form->Get<Timer>("Timer1");
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    timer.Tick = [&] {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        // A handler that waits: its own timer falls due meanwhile.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
        while (std::chrono::steady_clock::now() < until) services->WaitTurn();
        --depth;
    };
    timer.SetInterval(15);
    timer.SetEnabled(true);
    ASSERT_TRUE(qt_test::ProcessUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(deepest, 1);

    timer.SetEnabled(false);
    const int stopped_at = ticks;
    qt_test::ProcessFor(100);
    EXPECT_EQ(ticks, stopped_at);
}

TEST_F(QtFormTest, PopupMenuRaisesTheChosenItemsClick) {
    AttachAndShow();
    int opened = 0;
    int deleted = 0;
    form->Get<Menu>("Item1").Click = [&] { ++opened; };
    form->Get<Menu>("Item2").Click = [&] { ++deleted; };
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!popup) return;
        chooser.stop();
        popup->setActiveAction(popup->actions().at(2));
        QTest::keyClick(popup, Qt::Key_Return);
    });
    chooser.start(20);
    form->PopupMenu(form->Get<Menu>("Menu1"));
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(opened, 0);
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

// A double click on the window reaches the handlers as one mouse down and
// then the double click, as the viewer's pause toggling expects.
TEST_F(QtFormTest, DoubleClickOnTheWindowIsAPressThenADoubleClick) {
    AttachAndShow();
    std::vector<std::string> events;
    form->MouseDown = [&](int button, int, int, int) { events.push_back("down" + std::to_string(button)); };
    form->DblClick = [&] { events.push_back("dblclick"); };
    const QPoint empty_spot(Window()->width() - 5, Window()->height() - 5);
    // What a window receives for a double click: press, release, then the
    // second press as a double click, then its release.
    QTest::mouseClick(Window(), Qt::LeftButton, {}, empty_spot);
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, empty_spot);
    EXPECT_EQ(events, (std::vector<std::string>{"down1", "dblclick"}));
}

}  // namespace
}  // namespace kestrova
