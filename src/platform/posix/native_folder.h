#pragma once
// An open folder on Linux: a descriptor, so walks can go on by name with openat.

namespace kestrova {

struct NativeFolder {
    int fd = -1;
    // Its entries were read: the reading position has moved on.
    mutable bool listed = false;
    bool is_open() const { return fd >= 0; }
};

}  // namespace kestrova
