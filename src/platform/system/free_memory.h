#pragma once
// Memory given back by the program stays with the allocator; after a large
// refresh or sort that is tens of megabytes the process keeps for nothing.

#include <cstddef>

namespace kestrova {

// Returns the allocator's free pages to the system, where it can.
void ReleaseFreedMemory();
// From now on blocks of a megabyte or more go back to the system as soon as
// they are freed: the list's large arrays, grown and sorted, otherwise leave
// their old copies with the allocator.
void ReturnLargeBlocksWhenFreed();
// The large pages of the systems that have them (x86-64, most ARM64).
inline constexpr std::size_t kLargePageBytes = std::size_t{2} << 20;

// Asks the system to back a large array with large pages where it can: the
// rows of a million-row list then cost a few dozen page faults instead of
// tens of thousands as they are filled.
void PreferLargePages(void* data, std::size_t bytes);

}  // namespace kestrova
