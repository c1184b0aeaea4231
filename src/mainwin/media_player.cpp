#include "media_player.h"

#include "platform/system/files.h"
#include "core/selected_rows.h"
#include "viewer/slideshow.h"
#include "viewer/viewer_actions.h"

namespace kestrova {
namespace {

// While a video plays the caption sits higher, clear of the player's own
// controls; the picture viewer keeps it on the bottom line.
constexpr int kPlayingCaptionAboveBottom = 740;

void StartPass(Program& p) {
    SharedState& s = p.state;
    FullScreenViewerForm& backdrop = p.Form4;
    s.OpenSequenceActive = 1;
    backdrop.SetWindowState(kMaximized);
    backdrop.Label1.SetCaption("");
    ColorViewerCaptions(p);
    backdrop.Show();
    backdrop.Label1.SetTop(backdrop.ScaleHeight() - kPlayingCaptionAboveBottom);
    CountSelected(p);
    s.SequencePosition = 0;
}

enum class PassEnd { Finish, Done };

// mplayerc.exe beside the program, whenever it lies there; else a player the
// system already has.
std::optional<VideoPlayer> FindPlayer(Program& p, const std::string& beside) {
    if (NormalFileExists(beside)) return VideoPlayer{PlayerKind::MediaPlayerClassic, beside};
    return p.services.InstalledVideoPlayer();
}

PassEnd PlayPass(Program& p) {
    SharedState& s = p.state;
    ListView& list = p.Form1.ListView1;
    const std::int32_t rows = list.Count();
    if (rows == 0) return PassEnd::Finish;
    const std::string beside = s.ProgramFolder + kPlayerFileName;
    for (std::int32_t i = 1; i <= rows; ++i) {
        // Rows removed meanwhile are simply not there any more.
        if (i > list.Count()) break;
        if (!list.Selected(i)) continue;
        ++s.SequencePosition;
        s.CurrentFilePath = RowFilePath(list, i);
        const std::optional<VideoPlayer> player = FindPlayer(p, beside);
        if (!player) {
            p.services.MsgBox(beside + kPlayerMissingText, kOkOnly, kNoIcon);
            return PassEnd::Finish;
        }
        if (ReportMissingFile(p)) return PassEnd::Finish;
        p.Form4.Label1.SetCaption(PositionText(s));
        std::string error;
        // A player that fails to start has nothing to wait for; the walk
        // goes on with the next row.
        if (auto id = p.services.StartProcess(PlayerArguments(*player, s.CurrentFilePath), error)) {
            WaitForProcessEnd(p, *id);
            // No row would play either: one message instead of a flash of
            // the backdrop for every row.
            if (kLauncherFoundNoPlayer && p.services.ProcessExitCode(*id) == kLauncherFoundNoPlayer) {
                p.services.MsgBox(kNoVideoPlayerText, kOkOnly, kNoIcon);
                return PassEnd::Finish;
            }
        }
        p.services.DoEvents();
        if (IsOn(s.EndRequested)) return PassEnd::Finish;
    }
    return PassEnd::Done;
}

}  // namespace

std::vector<std::string> PlayerArguments(const VideoPlayer& player, const std::string& file) {
    switch (player.kind) {
        case PlayerKind::Vlc:
            // One instance would take the file over and let this process end
            // at once: the program could not wait for the video.
            return {player.program, "--fullscreen", "--play-and-exit", "--no-one-instance", "--", file};
        case PlayerKind::Mpv:
            return {player.program, "--fullscreen", "--keep-open=no", "--", file};
        case PlayerKind::MediaPlayerClassic:
            break;
    }
    return {player.program, file, "/play", "/fullscreen", "/close"};
}

void MPC_Open_Click(Program& p) {
    SharedState& s = p.state;
    s.EndRequested = 0;
    for (;;) {
        StartPass(p);
        if (PlayPass(p) == PassEnd::Finish || !IsOn(s.LoopMode)) break;
        // Repeating a pass without a selected row would play nothing for
        // ever without looking at any request to end: it ends here instead.
        if (s.SelectedCount == 0) break;
    }
    if (QuitAfterAutoRunDue(s)) p.services.EndProgram();
    s.OpenSequenceActive = 0;
    ViewerForm_Resize(p.Form4, p.Form4.Label1);
    p.Form4.Hide();
}

void WaitForProcessEnd(Program& p, ProcessId id) {
    // Polls with a waiting turn in between: the windows stay live and the
    // program sleeps while the video plays.
    std::optional<int> exit_code;
    do {
        exit_code = p.services.ProcessExitCode(id);
        p.services.WaitTurn();
    } while (!exit_code);
}

}  // namespace kestrova
