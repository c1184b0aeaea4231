#pragma once
// Memory given back by the program stays with the allocator; after a large
// refresh or sort that is tens of megabytes the process keeps for nothing.

namespace kestrova {

// Returns the allocator's free pages to the system, where it can.
void ReleaseFreedMemory();

}  // namespace kestrova
