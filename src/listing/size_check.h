#pragma once
// The size check of one refresh: every distinct size is written as an 8-byte
// little-endian double record to the scratch file "Kestrova.Ck1", which lives
// only while the refresh runs. Lookups go through an index in memory, so a
// refresh stays linear in the number of files.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/files.h"

namespace kestrova {

inline constexpr const char* kSizeScratchName = "Kestrova.Ck1";

class SizeCheckScratch {
public:
    // Deletes an old scratch file and starts an empty one. Without a
    // writable program folder the check still works, from memory alone.
    explicit SizeCheckScratch(std::string path);
    ~SizeCheckScratch();
    SizeCheckScratch(const SizeCheckScratch&) = delete;
    SizeCheckScratch& operator=(const SizeCheckScratch&) = delete;

    // True when the size was seen before; otherwise records it.
    bool SeenBefore(double size);
    std::int32_t RecordCount() const { return record_count_; }
    // Closes and deletes the file; the index is kept until destruction.
    void Finish();

private:
    std::string path_;
    FileWriteStream file_;
    // Open addressing over the sizes' bit patterns: one probe for most files
    // and no allocation per distinct size.
    bool Insert(std::uint64_t bits);
    std::vector<std::uint64_t> slots_;
    size_t used_ = 0;
    std::int32_t record_count_ = 0;
};

}  // namespace kestrova
