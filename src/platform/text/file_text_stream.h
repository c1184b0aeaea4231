#pragma once
// The text of a settings or list file, read and decoded a piece at a time:
// code page 932, or UTF-8 after a byte-order mark (see DecodeFileText). A
// piece always ends at a line end, where a character never continues, so
// the pieces together are exactly the decoded text of the whole file.
#include <cstddef>
#include <string>

#include "platform/system/files.h"

namespace kestrova {

class FileTextStream {
public:
    static constexpr std::size_t kDefaultChunkBytes = std::size_t{1} << 20;
    explicit FileTextStream(std::size_t chunk_bytes = kDefaultChunkBytes) : chunk_bytes_(chunk_bytes ? chunk_bytes : 1) {}

    // False, with Error() set, when the file cannot be opened.
    bool Open(const std::string& path);
    // Appends the next piece: whole lines, or the rest of the file. False
    // when nothing is left or reading failed (then Failed() tells).
    bool ReadMore(std::string& out);

    bool Failed() const { return failed_; }
    // The system's text of the failure.
    const std::string& Error() const { return error_; }

private:
    bool ReadChunk();
    void Decode(std::size_t bytes, std::string& out);

    FileReadStream file_;
    std::size_t chunk_bytes_;
    std::string pending_;    // raw bytes read but not yet handed out
    std::size_t searched_ = 0;  // bytes of pending_ known to hold no line end
    bool utf8_ = false;
    bool mark_checked_ = false;
    bool at_end_ = false;
    bool failed_ = false;
    std::string error_;
};

// The whole decoded text of a file; false with the system's text when it
// could not be read, also when it does not fit in memory.
bool ReadFileText(const std::string& path, std::string& text, std::string& error);

}  // namespace kestrova
