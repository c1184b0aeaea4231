#pragma once
// The signals that end the user's session here: SIGTERM (a shutdown, a
// logout, a service manager), SIGHUP (the terminal or the session goes)
// and SIGINT (Ctrl+C in a terminal). Their handler only writes a byte into
// a pipe, which wakes the event loop; the close then runs at the loop's
// next turn, where anything may be done.

namespace kestrova {

// Catches the three signals; returns the pipe's end that becomes readable
// when one arrived, or -1 when no pipe could be made (the signals then keep
// their default action). Caught once per process; later calls return the
// same descriptor.
int CatchSessionEndSignals();
// Empties the pipe; true when a signal had arrived.
bool TakeSessionEndSignals(int fd);

}  // namespace kestrova
