#include "free_memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kestrova {

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

}  // namespace kestrova
