#include "viewer/slideshow.h"

#include <gtest/gtest.h>

#include "mainwin/main_window.h"
#include "settings/settings_file.h"
#include "viewer/window_place.h"
#include "viewer_fixture.h"

namespace kestrova {
namespace {

class SlideshowTest : public testing::ViewerTest {};

TEST_F(SlideshowTest, EmptyListEndsAtOnceWithWindowsHiddenAndCursorShown) {
    StartProgram([](SharedState& s) { s.FullScreenView = 1; });
    ViewSelectedItems(p());
    EXPECT_FALSE(p().Form4.Visible());
    EXPECT_FALSE(p().Form5.Visible());
    EXPECT_GT(services.CursorCount(), 0);
    EXPECT_EQ(state().SelectedCount, 0);
}

TEST_F(SlideshowTest, EveryRowCountsButOnlyPicturesAreShownAndWaitedFor) {
    StartProgram([](SharedState& s) { s.FullScreenView = 1; s.ViewSeconds = 3; });
    const std::string a = AddFile("a.JPG", 40, 30);
    const std::string b = AddFile("b.txt");
    const std::string c = AddFile("c.Png", 40, 30);
    Watch(p().Form1.Label3);
    long shown_at = -1;
    long cursor_while_shown = 0;
    When([&] { return p().Form4.Drawing().has_value(); }, [&] {
        shown_at = services.ClockMilliseconds();
        cursor_while_shown = services.CursorCount();
        EXPECT_EQ(p().Form4.Label1.Caption(), "1/3 " + a);
    });
    ViewSelectedItems(p());
    EXPECT_EQ(seen, (std::vector<std::string>{"", "1/3 " + a, "2/3 " + b, "3/3 " + c}));
    ASSERT_GE(shown_at, 0) << "a.JPG was shown";
    EXPECT_LT(cursor_while_shown, 0) << "the cursor is hidden over the full-screen window";
    // One picture waited three ticks; the others passed without a wait.
    EXPECT_GE(services.ClockMilliseconds() - shown_at, 3000);
    EXPECT_LT(services.ClockMilliseconds() - shown_at, 4000);
    EXPECT_FALSE(p().Form4.Visible());
    EXPECT_FALSE(p().Form4.Drawing().has_value()) << "the window is cleared at the end";
    EXPECT_GT(services.CursorCount(), 0);
}

TEST_F(SlideshowTest, FullScreenPictureIsFittedIntoTheWholeScreen) {
    StartProgram([](SharedState& s) { s.FullScreenView = 1; s.ViewSeconds = 1; });
    AddFile("big.jpg", 4000, 3000);
    std::optional<SurfaceDrawing> drawn;
    int holder_width = 0;
    When([&] { return p().Form4.Drawing().has_value(); }, [&] {
        drawn = p().Form4.Drawing();
        holder_width = p().Form4.Picture1.Width();
    });
    ViewSelectedItems(p());
    ASSERT_TRUE(drawn);
    EXPECT_EQ(drawn->target, (Rect{240 * 15, 0, 1440 * 15, 1080 * 15}));
    EXPECT_EQ(holder_width, 4000 * 15) << "the holder takes the natural size";
    EXPECT_EQ(drawn->picture->width, 1440) << "decoded no larger than drawn";
    EXPECT_EQ(drawn->picture->height, 1080);
}

// Pictures are decoded and drawn in the screen's device pixels. At 150 %
// (144 dpi) a picture the size of the screen, or of the window's inner
// area, is decoded whole and drawn 1:1; a smaller one keeps its size in
// logical pixels, as at 100 %, and a larger one is reduced no further than
// the device pixels it is drawn in.
struct DensityCase {
    int dpi;
    bool full_screen;
    int width, height;           // the picture
    int drawn_w, drawn_h;        // in device pixels
    int decoded_w, decoded_h;
};

class ScreenDensityTest : public testing::ViewerTest, public ::testing::WithParamInterface<DensityCase> {};

TEST_P(ScreenDensityTest, PicturesAreDecodedAndDrawnInDevicePixels) {
    const DensityCase& c = GetParam();
    services.SetScreenDpi(c.dpi);
    StartProgram([&](SharedState& s) {
        s.FullScreenView = c.full_screen ? 1 : 0;
        s.ViewSeconds = 1;
        s.ZoomSetting = 0;
        // The window's inner area: 1200 x 900 device pixels at 144 dpi.
        s.ViewWindowLeft = s.ViewWindowTop = 0;
        s.ViewWindowWidth = 12000 + p().Form5.FrameWidth();
        s.ViewWindowHeight = 9000 + p().Form5.FrameHeight();
    });
    AddFile("picture.jpg", c.width, c.height);
    std::optional<SurfaceDrawing> drawn;
    Form& viewer = c.full_screen ? static_cast<Form&>(p().Form4) : static_cast<Form&>(p().Form5);
    When([&] { return viewer.Drawing().has_value(); }, [&] { drawn = viewer.Drawing(); });
    ViewSelectedItems(p());
    ASSERT_TRUE(drawn);
    EXPECT_EQ(TwipsToPixels(drawn->target.width, c.dpi), c.drawn_w);
    EXPECT_EQ(TwipsToPixels(drawn->target.height, c.dpi), c.drawn_h);
    EXPECT_EQ(drawn->picture->width, c.decoded_w);
    EXPECT_EQ(drawn->picture->height, c.decoded_h);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenDensityTest, ::testing::Values(
    DensityCase{96, true, 1920, 1080, 1920, 1080, 1920, 1080},
    DensityCase{144, true, 1920, 1080, 1920, 1080, 1920, 1080},  // the screen's size: 1:1
    DensityCase{144, true, 4000, 3000, 1440, 1080, 1440, 1080},
    DensityCase{96, true, 400, 300, 400, 300, 400, 300},
    DensityCase{144, true, 400, 300, 600, 450, 400, 300},        // its size in logical pixels
    DensityCase{144, false, 1200, 900, 1200, 900, 1200, 900},    // the window's size: 1:1
    DensityCase{144, false, 400, 300, 600, 450, 400, 300}),
    [](const ::testing::TestParamInfo<DensityCase>& info) {
        const DensityCase& c = info.param;
        return std::to_string(c.dpi) + "dpi" + (c.full_screen ? "FullScreen" : "Window") + std::to_string(c.width) + "x" +
               std::to_string(c.height);
    });

TEST_F(SlideshowTest, ZeroSecondsReplacesEachPictureAtTheFirstTurnOfTheWait) {
    StartProgram([](SharedState& s) { s.FullScreenView = 1; s.ViewSeconds = 0; });
    AddFile("a.jpg", 10, 10);
    AddFile("b.jpg", 10, 10);
    AddFile("c.jpg", 10, 10);
    ViewSelectedItems(p());
    EXPECT_LT(services.ClockMilliseconds(), 1000);
    EXPECT_EQ(state().SequencePosition, 3);
}

TEST_F(SlideshowTest, MissingAndUnreadableFilesArePassedOver) {
    StartProgram([](SharedState& s) { s.FullScreenView = 1; s.ViewSeconds = 2; });
    AddRow("gone.jpg");
    AddFile("broken.jpg");  // exists, but no reader understands it
    AddFile("ok.jpg", 10, 10);
    ViewSelectedItems(p());
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, "ﾌｧｲﾙが見つかりません。開く(実行)できませんでした。");
    EXPECT_EQ(services.MessageBoxes()[0].icon, kNoIcon);
    EXPECT_EQ(services.MessageBoxes()[0].title, "Kestrova");
    EXPECT_EQ(state().SequencePosition, 3);
    EXPECT_LT(services.ClockMilliseconds(), 3000) << "only ok.jpg waited";
}

TEST_F(SlideshowTest, RepeatRestartsThePositionUntilAnEndIsAsked) {
    StartProgram([](SharedState& s) { s.FullScreenView = 1; s.ViewSeconds = 1; s.LoopSetting = 1; });
    const std::string a = AddFile("a.jpg", 10, 10);
    const std::string b = AddFile("b.jpg", 10, 10);
    Watch(p().Form1.Label3);
    When([&] { return seen.size() >= 4; }, [&] { Image1_Click(p()); });
    ViewSelectedItems(p());
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(seen.begin() + 1, seen.begin() + 4),
              (std::vector<std::string>{"1/2 " + a, "2/2 " + b, "1/2 " + a}));
    EXPECT_EQ(p().Form4.Label1.ForeColor(), kViewerLoopCaptionColor);
}

TEST_F(SlideshowTest, WindowedViewerOpensAtItsRememberedPlaceAndRemembersWhereItWas) {
    StartProgram([](SharedState& s) {
        s.FullScreenView = 0;
        s.ViewSeconds = 2;
        s.ViewWindowTop = 1500;
        s.ViewWindowLeft = 3000;
        s.ViewWindowHeight = 4500;
        s.ViewWindowWidth = 6000;
    });
    const std::string a = AddFile("a.gif", 40, 30);
    When([&] { return p().Form5.Visible(); }, [&] {
        EXPECT_EQ(p().Form5.Left(), 3000);
        EXPECT_EQ(p().Form5.Top(), 1500);
        EXPECT_EQ(p().Form5.Width(), 6000);
        EXPECT_EQ(p().Form5.Label1.Caption(), "1/1 " + a);
        EXPECT_GE(services.CursorCount(), 0);
        p().Form5.Move(600, 700, 5000, 4000);  // the user moves and sizes it
    });
    ViewSelectedItems(p());
    EXPECT_FALSE(p().Form5.Visible());
    EXPECT_EQ(state().ViewWindowLeft, 600);
    EXPECT_EQ(state().ViewWindowTop, 700);
    EXPECT_EQ(state().ViewWindowWidth, 5000);
    EXPECT_EQ(state().ViewWindowHeight, 4000);
}

TEST_F(SlideshowTest, WindowedViewerPlacesPastSixteenBitsAreKeptAndReopenOnAScreen) {
    // A 1920-pixel screen with a 2560-pixel one to its right.
    const Rect left_screen{0, 0, 28800, 16200};
    services.SetScreenAreas({left_screen, {28800, 0, 38400, 21600}});
    StartProgram([](SharedState& s) {
        s.FullScreenView = 0;
        s.ViewSeconds = 2;
    });
    AddFile("a.gif", 40, 30);
    When([&] { return p().Form5.Visible(); }, [&] { p().Form5.Move(40000, 1500, 34000, 12000); });
    ViewSelectedItems(p());
    EXPECT_EQ(state().ViewWindowLeft, 40000);
    EXPECT_EQ(state().ViewWindowWidth, 34000);
    ASSERT_TRUE(SaveSettingsFile(state()));
    EXPECT_EQ(SettingsLines()[17], "2000,1,1,1,0,0,1500,40000,12000,34000,0");
    SharedState back;
    SetProgramPaths(back, dir.path());
    ASSERT_TRUE(ReadSettingsFile(back));
    EXPECT_EQ(back.ViewWindowLeft, 40000);
    EXPECT_EQ(back.ViewWindowWidth, 34000);

    // The right-hand screen is gone: the window comes back where its title
    // bar is on the one that is left.
    services.SetScreenAreas({left_screen});
    Rect reopened;
    When([&] { return p().Form5.Visible(); }, [&] {
        reopened = {p().Form5.Left(), p().Form5.Top(), p().Form5.Width(), p().Form5.Height()};
    });
    ViewSelectedItems(p());
    EXPECT_EQ(reopened, (Rect{0, 1500, 34000, 12000}));
}

TEST(ViewWindowPlace, TitleBarEndsUpOnAScreen) {
    const Rect a{0, 0, 28800, 16200};
    const Rect b{28800, -3000, 38400, 21600};
    const Rect below{0, 16200, 28800, 16200};  // a screen under the first one
    const int title = 600;
    const struct {
        const char* what;
        Rect window;
        std::vector<Rect> screens;
        Rect placed;
    } cases[] = {
        {"inside", {3000, 1500, 6000, 4500}, {a}, {3000, 1500, 6000, 4500}},
        {"on the second screen", {40000, -2000, 6000, 4500}, {a, b}, {40000, -2000, 6000, 4500}},
        {"second screen gone", {40000, 1500, 6000, 4500}, {a}, {22800, 1500, 6000, 4500}},
        {"wrapped to the left", {-25536, 1500, 6000, 4500}, {a}, {0, 1500, 6000, 4500}},
        {"title bar above the screen", {3000, -700, 6000, 4500}, {a, b}, {3000, 0, 6000, 4500}},
        {"below the bottom", {3000, 16000, 6000, 4500}, {a}, {3000, 15600, 6000, 4500}},
        {"wider than the screen", {-5000, 100, 40000, 4500}, {a}, {0, 100, 40000, 4500}},
        {"mostly on the second screen", {27000, 1500, 6000, 4500}, {a, b}, {28800, 1500, 6000, 4500}},
        {"no screen known", {-25536, 1500, 6000, 4500}, {}, {-25536, 1500, 6000, 4500}},
        // The edges of a screen, a twip inside and a twip out.
        {"at the top left corner", {0, 0, 6000, 4500}, {a}, {0, 0, 6000, 4500}},
        {"a twip left of the screen", {-1, 0, 6000, 4500}, {a}, {0, 0, 6000, 4500}},
        {"a twip above the screen", {0, -1, 6000, 4500}, {a}, {0, 0, 6000, 4500}},
        {"right edge on the screen's", {22800, 100, 6000, 4500}, {a}, {22800, 100, 6000, 4500}},
        {"a twip past the right edge", {22801, 100, 6000, 4500}, {a}, {22800, 100, 6000, 4500}},
        {"title bar just on the bottom", {100, 15600, 6000, 4500}, {a}, {100, 15600, 6000, 4500}},
        {"title bar a twip over the bottom", {100, 15601, 6000, 4500}, {a}, {100, 15600, 6000, 4500}},
        {"title bar just on the bottom, mostly on the screen below", {100, 15600, 6000, 4500}, {a, below},
         {100, 15600, 6000, 4500}},
        {"title bar a twip over the bottom, mostly on the screen below", {100, 15601, 6000, 4500}, {a, below},
         {100, 16200, 6000, 4500}},
        {"as wide as the screen", {0, 100, 28800, 4500}, {a}, {0, 100, 28800, 4500}},
        {"a twip wider, at its left edge", {0, 100, 28801, 4500}, {a}, {0, 100, 28801, 4500}},
        // Which screen it goes to: the one it overlaps most; on a tie, and
        // when it overlaps none, the first one listed.
        {"overlapping both alike", {25800, 1500, 6000, 4500}, {a, b}, {22800, 1500, 6000, 4500}},
        {"overlapping both alike, listed the other way", {25800, 1500, 6000, 4500}, {b, a}, {28800, 1500, 6000, 4500}},
        {"a twip more on the second", {25801, 1500, 6000, 4500}, {a, b}, {28800, 1500, 6000, 4500}},
        {"on no screen", {100000, 50000, 6000, 4500}, {a, b}, {22800, 15600, 6000, 4500}},
        {"on no screen, listed the other way", {100000, 50000, 6000, 4500}, {b, a}, {61200, 18000, 6000, 4500}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeepTitleBarOnScreen(c.window, c.screens, title), c.placed) << c.what;
    }
}

TEST_F(SlideshowTest, FinishedAutomaticRunEndsTheProgramUnlessSomethingSaysOtherwise) {
    struct Case {
        const char* what;
        Flag16 quit, interrupted, auto_run;
        bool ends;
    };
    const Case cases[] = {
        {"automatic, quit after it", 1, 0, 1, true},
        {"the user clicked in the list", 1, 1, 1, false},
        {"not asked to quit", 0, 0, 1, false},
        {"started by hand", 1, 0, 0, false},
    };
    StartProgram([](SharedState& s) { s.FullScreenView = 1; s.ViewSeconds = 1; });
    AddFile("a.jpg", 10, 10);
    for (const Case& c : cases) {
        state().QuitAfterAutoRun = c.quit;
        state().Interrupted = c.interrupted;
        state().AutoRunActive = c.auto_run;
        bool ended = false;
        try {
            ViewSelectedItems(p());
        } catch (const ProgramEnded&) {
            ended = true;
        }
        EXPECT_EQ(ended, c.ends) << c.what;
        if (ended) {
            EXPECT_GT(services.CursorCount(), 0) << "the cursor comes back first";
        }
    }
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

TEST_F(SlideshowTest, AutomaticStartShowsEveryPictureOfTheListOnceAndEndsTheProgram) {
    dir.Write("pics/a.jpg", "x");
    dir.Write("pics/b.png", "x");
    services.AddPicture(dir / "pics/a.jpg", Solid(10, 10));
    services.AddPicture(dir / "pics/b.png", Solid(10, 10));
    int shown = 0;
    services.When([&] { return shown == 0 && p().Form4.Drawing().has_value(); }, [&] { ++shown; });
    services.When([&] { return shown == 1 && p().Form1.Label3.Caption().starts_with("2/2 "); }, [&] { ++shown; });
    EXPECT_THROW(StartProgram([&](SharedState& s) {
                     s.StartMode = kStartRefresh;
                     s.AutoRunChoice = kAutoRunViewer;
                     s.QuitAfterAutoRun = 1;
                     s.FullScreenView = 1;
                     s.ViewSeconds = 1;
                     s.DisplayEntries[1] = {"pics", dir / "pics", 1, "*.*", 0};
                 }),
                 ProgramEnded);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(state().SelectedCount, 2) << "every row was selected";
}

}  // namespace
}  // namespace kestrova
