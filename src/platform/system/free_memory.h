#pragma once
// Memory given back by the program stays with the allocator; after a large
// refresh or sort that is tens of megabytes the process keeps for nothing.

namespace kestrova {

// Returns the allocator's free pages to the system, where it can.
void ReleaseFreedMemory();
// From now on blocks of a megabyte or more go back to the system as soon as
// they are freed: the list's large arrays, grown and sorted, otherwise leave
// their old copies with the allocator.
void ReturnLargeBlocksWhenFreed();

}  // namespace kestrova
