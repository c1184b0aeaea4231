#include "file_text_writer.h"

#include <string_view>

#include "cp932_table.h"

namespace kestrova {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

bool FileTextWriter::Flush() {
    if (restart_as_utf8_ || !error_.empty()) return false;
    std::string_view bytes = text_;
    if (!utf8_) {
        encoded_.clear();
        if (!AppendUtf8AsCp932(text_, encoded_)) {
            restart_as_utf8_ = true;
            text_.clear();
            return false;
        }
        bytes = encoded_;
    }
    const bool written = file_.Write(bytes, error_);
    text_.clear();
    return written;
}

bool WriteFileTextAtomically(const std::string& path, const std::function<bool(FileTextWriter&)>& produce,
                             std::string& error, std::size_t piece_bytes) {
    AtomicFileWriter file;
    if (!file.Open(path, error)) return false;
    FileTextWriter writer(file, piece_bytes == 0 ? 1 : piece_bytes);
    bool complete = produce(writer) && writer.Flush();
    if (!complete && writer.restart_as_utf8_) {
        if (!file.Rewind(error)) return false;
        writer.restart_as_utf8_ = false;
        writer.utf8_ = true;
        writer.text_.assign(kByteOrderMark);
        complete = produce(writer) && writer.Flush();
    }
    if (!complete) {
        error = writer.error_;
        file.Abandon();
        return false;
    }
    return file.Commit(error);
}

}  // namespace kestrova
