#pragma once
// Holds the calling thread to the processor it runs on, and gives it back
// the processors it had when the scope ends. Threads it starts meanwhile
// inherit that one processor, and a library that sizes its thread pool by
// the processors it may use then starts one.
#include <memory>

namespace kestrova {

// How many processors the calling thread may run on (its affinity, which a
// user's taskset or a container narrows), at least one.
int ProcessorsAllowed();

class OneProcessorScope {
public:
    OneProcessorScope();
    ~OneProcessorScope();
    OneProcessorScope(const OneProcessorScope&) = delete;
    OneProcessorScope& operator=(const OneProcessorScope&) = delete;

    // Whether the thread was held to one processor (it may not be allowed to
    // change that, or may have had only one).
    bool Holding() const { return saved_ != nullptr; }

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

}  // namespace kestrova
