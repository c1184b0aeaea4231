#include "mainwin/media_player.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "mainwin/main_window.h"
#include "platform/model/user_input.h"
#include "support/program_fixture.h"

namespace kestrova {
namespace {

class MediaPlayerTest : public testing::ProgramTest {
protected:
    void SetUp() override {
        StartProgram();
        dir.Write("mplayerc.exe", "#!/bin/sh\n");
    }
    std::string AddVideo(const std::string& name, bool selected = true, bool on_disk = true) {
        if (on_disk) dir.Write("videos/" + name, "v");
        ListRow row;
        row.text = name;
        row.sub[0] = dir / "videos";
        row.selected = selected;
        p().Form1.ListView1.AddRow(std::move(row));
        return dir / ("videos/" + name);
    }
    std::string Player() const { return dir / "mplayerc.exe"; }
    const std::vector<std::vector<std::string>>& Starts() const { return services.ProcessStarts(); }
};

TEST_F(MediaPlayerTest, PlaysEachSelectedRowInTurnWaitingForThePlayer) {
    const std::string a = AddVideo("a b.avi");
    AddVideo("skipped.avi", false);
    const std::string c = AddVideo("c.mp4");
    services.SetProcessTurns(5);
    std::vector<std::string> captions;
    bool first_had_ended = false;
    services.When([&] { return Starts().size() == 1; }, [&] {
        captions.push_back(p().Form4.Label1.Caption());
        EXPECT_TRUE(p().Form4.Visible());
        EXPECT_EQ(state().OpenSequenceActive, 1);
        EXPECT_EQ(p().Form4.Label1.Top(), p().Form4.ScaleHeight() - 740);
    });
    services.When([&] { return Starts().size() == 2; }, [&] {
        captions.push_back(p().Form4.Label1.Caption());
        first_had_ended = services.ProcessExitCode(ProcessId{1000}).has_value();
    });
    MPC_Open_Click(p());
    ASSERT_EQ(Starts().size(), 2u);
    EXPECT_EQ(Starts()[0], (std::vector<std::string>{Player(), a, "/play", "/fullscreen", "/close"}));
    EXPECT_EQ(Starts()[1][1], c);
    EXPECT_TRUE(first_had_ended) << "the second player starts only after the first exited";
    EXPECT_EQ(captions, (std::vector<std::string>{"1/2 " + a, "2/2 " + c}));
    EXPECT_FALSE(p().Form4.Visible());
    EXPECT_EQ(state().OpenSequenceActive, 0);
    EXPECT_EQ(p().Form4.Label1.Top(), p().Form4.ScaleHeight() - 340);
    EXPECT_TRUE(services.MessageBoxes().empty());
}

TEST_F(MediaPlayerTest, MissingPlayerEndsTheSequenceWithItsFullPath) {
    std::filesystem::remove(Player());
    AddVideo("a.avi");
    AddVideo("b.avi");
    MPC_Open_Click(p());
    EXPECT_TRUE(Starts().empty());
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, Player() + " が見つかりません。開く(実行)できませんでした。");
    EXPECT_EQ(services.MessageBoxes()[0].icon, kNoIcon);
    EXPECT_FALSE(p().Form4.Visible());
}

TEST_F(MediaPlayerTest, InstalledPlayerPlaysWhenNoneLiesBesideTheProgram) {
    std::filesystem::remove(Player());
    const std::string a = AddVideo("a b.avi");
    // Each player's own switches for full screen and for ending with the video.
    const struct {
        PlayerKind kind;
        std::vector<std::string> arguments;  // after the program
    } cases[] = {
        {PlayerKind::MediaPlayerClassic, {a, "/play", "/fullscreen", "/close"}},
        {PlayerKind::Vlc, {"--fullscreen", "--play-and-exit", "--no-one-instance", "--", a}},
        {PlayerKind::Mpv, {"--fullscreen", "--keep-open=no", "--", a}},
    };
    for (const auto& c : cases) {
        services.SetInstalledVideoPlayer(VideoPlayer{c.kind, "/opt/player/bin"});
        MPC_Open_Click(p());
        std::vector<std::string> expected = {"/opt/player/bin"};
        expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(Starts().back(), expected);
    }
    EXPECT_EQ(Starts().size(), 3u);
    EXPECT_TRUE(services.MessageBoxes().empty());

    // mplayerc.exe beside the program goes first whenever it lies there.
    dir.Write("mplayerc.exe", "stand-in");
    MPC_Open_Click(p());
    EXPECT_EQ(Starts().back(), (std::vector<std::string>{Player(), a, "/play", "/fullscreen", "/close"}));
}

TEST_F(MediaPlayerTest, PlayersExitCodeNeverStopsTheSequenceWhereNoLauncherIsShipped) {
    if (kLauncherFoundNoPlayer) GTEST_SKIP() << "this build ships the launcher beside the program";
    // The real player's exit code: no message about other players, the walk goes on.
    services.SetProcessExitCode(127);
    AddVideo("a.avi");
    AddVideo("b.avi");
    MPC_Open_Click(p());
    EXPECT_EQ(Starts().size(), 2u);
    EXPECT_TRUE(services.MessageBoxes().empty());
}

TEST_F(MediaPlayerTest, LauncherWithoutAnyPlayerGivesOneMessageAndTheFinishRuns) {
    if (!kLauncherFoundNoPlayer) GTEST_SKIP() << "no launcher is shipped beside this build";
    // The launcher beside the program exits with 127 when it finds no player.
    services.SetProcessExitCode(127);
    AddVideo("a.avi");
    AddVideo("b.avi");
    state().LoopMode = 1;
    // Bounds the repeat for a build where nothing ends it.
    services.When([&] { return Starts().size() == 4; }, [&] { state().EndRequested = 1; });
    MPC_Open_Click(p());
    EXPECT_EQ(Starts().size(), 1u) << "the sequence ends after the first try";
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, kNoVideoPlayerText);
    EXPECT_EQ(services.MessageBoxes()[0].buttons, kOkOnly);
    for (const char* player : {"mpv", "VLC", "ffplay"}) {
        EXPECT_NE(services.MessageBoxes()[0].text.find(player), std::string::npos) << player;
    }
    EXPECT_FALSE(p().Form4.Visible());
    EXPECT_EQ(state().OpenSequenceActive, 0);
    EXPECT_EQ(p().Form4.Label1.Top(), p().Form4.ScaleHeight() - 340);

    // Any other end of the player is no reason to stop.
    services.SetProcessExitCode(1);
    state().LoopMode = 0;
    MPC_Open_Click(p());
    EXPECT_EQ(Starts().size(), 3u);
    EXPECT_EQ(services.MessageBoxes().size(), 1u);
}

TEST_F(MediaPlayerTest, MissingFileEndsTheWholeSequence) {
    AddVideo("gone.avi", true, false);
    AddVideo("b.avi");
    MPC_Open_Click(p());
    EXPECT_TRUE(Starts().empty()) << "the row after the missing one is not played";
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].text, "ﾌｧｲﾙが見つかりません。開く(実行)できませんでした。");
}

TEST_F(MediaPlayerTest, RepeatPlaysAgainUntilAnEndIsAskedWhileAFilePlays) {
    const std::string a = AddVideo("a.avi");
    state().LoopMode = 1;
    // Image1 while the third player runs; that player still plays to its end.
    services.When([&] { return Starts().size() == 3; }, [&] { Image1_Click(p()); });
    MPC_Open_Click(p());
    ASSERT_EQ(Starts().size(), 3u);
    EXPECT_EQ(Starts()[2][1], a);
    EXPECT_EQ(state().SequencePosition, 1) << "each pass starts counting anew";
}

TEST_F(MediaPlayerTest, KeyInTheBackdropEndsTheRepeatOrTheAutomaticRun) {
    AddVideo("a.avi");
    state().LoopMode = 1;
    services.When([&] { return Starts().size() == 2; }, [&] { UserFormKeyDown(p().Form4, kKeyEscape, 0); });
    MPC_Open_Click(p());
    EXPECT_EQ(Starts().size(), 2u);
    EXPECT_EQ(state().EndRequested, 1);

    state().AutoRunActive = 1;
    services.When([&] { return Starts().size() == 3; }, [&] { UserFormKeyDown(p().Form4, kKeyEscape, 0); });
    EXPECT_THROW(MPC_Open_Click(p()), ProgramEnded);
}

TEST_F(MediaPlayerTest, FinishedAutomaticRunEndsTheProgramUnlessTheListWasClicked) {
    AddVideo("a.avi");
    state().AutoRunActive = 1;
    state().QuitAfterAutoRun = 1;
    EXPECT_THROW(MPC_Open_Click(p()), ProgramEnded);
    state().Interrupted = 1;
    MPC_Open_Click(p());
    EXPECT_EQ(Starts().size(), 2u);
    EXPECT_FALSE(p().Form4.Visible());
}

TEST_F(MediaPlayerTest, RepeatWithoutASelectedRowEnds) {
    AddVideo("a.avi", false);
    state().LoopMode = 1;
    // Bounds the repeat for a build where nothing ends it.
    services.When([&] { return Starts().size() == 4; }, [&] { state().EndRequested = 1; });
    MPC_Open_Click(p());
    EXPECT_TRUE(Starts().empty());
    EXPECT_FALSE(p().Form4.Visible());
}

}  // namespace
}  // namespace kestrova
