#pragma once
// What the program needs from the desktop besides its windows: the event
// loop, message boxes, the shell, processes, pictures, the clock.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geometry.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/picture_load.h"
#include "platform/system/video_player.h"

namespace kestrova {

class Form;
class WorkSignal;

enum MsgBoxButtons : int { kOkOnly = 0, kOkCancel = 1, kYesNoCancel = 3, kYesNo = 4 };
enum MsgBoxIcon : int { kNoIcon = 0, kCritical = 16, kQuestion = 32, kExclamation = 48, kInformation = 64 };
enum MsgBoxResult : int { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

// The title every message box gets unless it names its own.
inline constexpr const char* kApplicationTitle = "Kestrova";

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const LocalTime&) const = default;
};

struct ScreenSize {
    int width = 0;  // twips
    int height = 0;
};

// Thrown by the headless backend where the real program would end at once.
// Deliberately not a std::exception, so code that skips failing steps never
// swallows it.
struct ProgramEnded {};

struct ProcessId {
    std::int64_t value = 0;
};

class Services {
public:
    virtual ~Services() = default;

    // Makes a window known to the backend; every window is attached once,
    // before it is first shown.
    virtual void AttachForm(Form& form) = 0;

    // Lets pending window events run. May return at once when the previous
    // turn was very recent, so tight loops stay cheap.
    virtual void DoEvents() = 0;
    // One turn of a loop that only waits: may sleep until an event arrives or
    // a few milliseconds pass.
    virtual void WaitTurn() = 0;
    // One turn of a loop that waits for work done on other threads (the
    // folders a refresh reads ahead): as WaitTurn, it lets the windows
    // repaint and handlers run, and sleeps until an event arrives, `work` is
    // notified or a few milliseconds pass. The caller checks its flags and
    // its work afterwards. The headless backend takes no turn here: its
    // turns are the ones a test scripts, and their number must not depend on
    // how fast another thread is.
    virtual void WaitForWork(WorkSignal& work) = 0;

    virtual MsgBoxResult MsgBox(const std::string& text, int buttons, int icon, const std::string& title = kApplicationTitle) = 0;

    // The desktop's default action on a file. False with the system's error
    // text when it could not be started.
    virtual bool ShellOpen(const std::string& path, std::string& error) = 0;
    // The icon the desktop shows for this file's type, 16 x 16 or larger.
    virtual Picture AssociatedIcon(const std::string& path) = 0;
    // A folder chosen by the user, or nullopt when cancelled. With network,
    // the browser starts at the network places.
    virtual std::optional<std::string> BrowseFolder(const std::string& title, bool network) = 0;

    // Starts a program with its arguments (no shell), in front, with the focus.
    virtual std::optional<ProcessId> StartProcess(const std::vector<std::string>& argv, std::string& error) = 0;
    // nullopt while the process still runs.
    virtual std::optional<int> ProcessExitCode(ProcessId id) = 0;
    // A video player the system has installed, for when none lies beside the
    // program. None by default: the Linux program ships its own launcher as
    // mplayerc.exe, which looks for a player itself.
    virtual std::optional<VideoPlayer> InstalledVideoPlayer() { return std::nullopt; }

    // The display counter of the mouse cursor: shown while >= 0. Returns the new count.
    virtual int ShowCursor(bool show) = 0;
    virtual ScreenSize Screen() = 0;
    // The part of every screen that windows may use, in desktop twips, the
    // primary screen first. A backend that knows only one screen gives that.
    virtual std::vector<Rect> ScreenAreas() {
        const ScreenSize screen = Screen();
        return {Rect{0, 0, screen.width, screen.height}};
    }
    virtual LocalTime Now() = 0;
    // The picture in a file (JPEG, BMP, GIF, ICO, PNG), upright by its
    // orientation tag, decoded at FitInside(natural size, fit) (fit in
    // pixels; empty: the natural size), JPEGs by the decoder's own reduced
    // decode. nullopt when the file cannot be read or the decode would need
    // more than kPictureDecodeBudgetBytes. Touches no window: safe on any
    // thread.
    virtual std::optional<LoadedPicture> LoadPicture(const std::string& path, PixelSize fit) = 0;
    // The same decode on a worker thread; returns at once. Decodes run in
    // the order asked for; the user-interface thread takes each result, or
    // drops it by destroying the handle.
    virtual std::unique_ptr<PendingPicture> LoadPictureAhead(const std::string& path, PixelSize fit) = 0;

    // Ends the process immediately: no handler runs, nothing is saved.
    [[noreturn]] virtual void EndProgram() = 0;
};

}  // namespace kestrova
