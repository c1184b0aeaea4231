#pragma once
// What saves killed part-way leave beside a file, put right at the next
// start. A save writes a temporary that is renamed, once it is on the disk
// whole, to a name saying so, and that one over the file (see
// WriteFileAtomically). So a leftover still in its writing stage may be cut
// short and is deleted; a written one is the file's last save in full: when
// the file itself is missing (a system that replaced it in steps, killed
// between them) it is put back under the file's name, never deleted, so the
// only copy of the list or the settings is never lost.
#include <string>

namespace kestrova {

struct SaveRecovery {
    int removed = 0;        // leftovers deleted
    bool put_back = false;  // a written leftover became the file
};

// Puts right what killed saves of `path` left (links followed, as saving
// follows them). A leftover of a process that still runs may be a save
// under way and is left alone, and so is one a save still holds.
SaveRecovery RecoverInterruptedSaves(const std::string& path);

// The system's part, in its file layer.
long CurrentProcessId();
// True when no process of that id runs (any more).
bool ProcessHasEnded(long pid);
// Deletes a leftover unless a save under way (here or on another machine
// sharing the folder) still holds it.
bool DeleteLeftover(const std::string& temp);
// Renames a written leftover to the file's name unless a save holds it or
// the name is taken meanwhile.
bool PutBackLeftover(const std::string& temp, const std::string& path);

}  // namespace kestrova
