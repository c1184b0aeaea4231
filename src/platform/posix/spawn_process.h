#pragma once
// Starting programs the POSIX way: the argument vector goes to the program
// exactly as given, with no shell in between to split or expand it.
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kestrova {

// Starts argv[0] (searched on PATH) with argv; -1 with the system's error
// text when it could not be started. The caller waits for or reaps it.
pid_t SpawnProgram(const std::vector<std::string>& argv, std::string& error);

// nullopt while the child runs. Once it has ended it is reaped: its exit
// code, 128 + the number of the signal that ended it, or -1 when it is no
// child of ours (a second poll after the end gives -1).
std::optional<int> PollChild(pid_t pid);

// Started programs nobody waits for: each one that has ended is reaped, so
// no finished child stays behind as a zombie.
class DetachedChildren {
public:
    void Add(pid_t pid) { running_.push_back(pid); }
    void ReapFinished();
    std::size_t Running() const { return running_.size(); }

private:
    std::vector<pid_t> running_;
};

}  // namespace kestrova
