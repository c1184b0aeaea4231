#include "session_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace kestrova {
namespace {

int wake_read = -1;
volatile sig_atomic_t wake_write = -1;

// Only what is safe in a signal handler: one write, errno kept. A full
// pipe already holds a wake-up, so a failed write loses nothing.
void WakeEventLoop(int) {
    const int saved = errno;
    const char byte = 1;
    if (wake_write >= 0) {
        const ssize_t written = ::write(wake_write, &byte, 1);
        static_cast<void>(written);
    }
    errno = saved;
}

}  // namespace

int CatchSessionEndSignals() {
    if (wake_read >= 0) return wake_read;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    wake_read = fds[0];
    wake_write = fds[1];
    struct sigaction action {};
    action.sa_handler = WakeEventLoop;
    sigemptyset(&action.sa_mask);
    // Calls the signal interrupts start again: the program's own reads and
    // writes go on as if nothing happened.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
    return wake_read;
}

bool TakeSessionEndSignals(int fd) {
    bool any = false;
    char buffer[64];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            any = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return any;
    }
}

}  // namespace kestrova
