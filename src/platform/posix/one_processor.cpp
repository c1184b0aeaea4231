#include "one_processor.h"

#include <sched.h>

namespace kestrova {

int ProcessorsAllowed() {
    cpu_set_t processors;
    if (sched_getaffinity(0, sizeof processors, &processors) != 0) return 1;
    return CPU_COUNT(&processors) > 1 ? CPU_COUNT(&processors) : 1;
}

struct OneProcessorScope::Saved {
    cpu_set_t processors;
};

OneProcessorScope::OneProcessorScope() {
    auto saved = std::make_unique<Saved>();
    if (sched_getaffinity(0, sizeof saved->processors, &saved->processors) != 0) return;
    if (CPU_COUNT(&saved->processors) <= 1) return;
    const int current = sched_getcpu();
    if (current < 0 || current >= CPU_SETSIZE) return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(current, &one);
    if (sched_setaffinity(0, sizeof one, &one) != 0) return;
    saved_ = std::move(saved);
}

OneProcessorScope::~OneProcessorScope() {
    if (saved_) sched_setaffinity(0, sizeof saved_->processors, &saved_->processors);
}

}  // namespace kestrova
