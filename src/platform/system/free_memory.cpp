#include "free_memory.h"

#include <cstdlib>  // tells which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace kestrova {

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void PreferLargePages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only whole pages can be advised: the ones the array covers entirely.
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t end = (begin + bytes) / page * page;
    if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
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
