#pragma once
// The text of a settings or list file written a piece at a time, to the
// bytes EncodeFileText gives the whole text: code page 932 when every
// character has its form there, otherwise UTF-8 after a byte-order mark. A
// file of millions of lines thus never has its text in memory at once.
//
// Which form it is shows only at the first character code page 932 lacks,
// which may come after pieces have been written: the file then starts again
// as UTF-8, and the text is asked for once more.
#include <cstddef>
#include <functional>
#include <string>

#include "platform/system/files.h"

namespace kestrova {

class FileTextWriter {
public:
    static constexpr std::size_t kDefaultPieceBytes = std::size_t{256} << 10;

    FileTextWriter(AtomicFileWriter& file, std::size_t piece_bytes) : file_(file), piece_bytes_(piece_bytes) {}

    // Where the next lines go, as UTF-8.
    std::string& Text() { return text_; }
    // Converts and writes what was appended once it makes a piece. False
    // when the text is to stop: the file starts again as UTF-8, or writing
    // failed.
    bool PieceDone() { return text_.size() < piece_bytes_ || Flush(); }

private:
    friend bool WriteFileTextAtomically(const std::string&, const std::function<bool(FileTextWriter&)>&, std::string&,
                                        std::size_t);
    bool Flush();

    AtomicFileWriter& file_;
    std::size_t piece_bytes_;
    std::string text_;
    std::string encoded_;
    bool utf8_ = false;
    bool restart_as_utf8_ = false;
    std::string error_;
};

// Writes the text that produce appends to the writer (asking PieceDone
// between lines, and returning false as soon as that is false) atomically,
// as AtomicFileWriter does. produce is called a second time when the file
// has to start again as UTF-8. False with the system's text when the file
// could not be written; the old file then stays as it was.
bool WriteFileTextAtomically(const std::string& path, const std::function<bool(FileTextWriter&)>& produce,
                             std::string& error, std::size_t piece_bytes = FileTextWriter::kDefaultPieceBytes);

}  // namespace kestrova
