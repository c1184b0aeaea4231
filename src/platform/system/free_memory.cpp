#include "free_memory.h"

#include <cstdlib>  // tells which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kestrova {

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void ReturnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    // A fixed threshold also stops the allocator from raising it after the
    // first large block is freed, which is what keeps later ones.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

}  // namespace kestrova
