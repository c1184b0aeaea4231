#include "file_text_stream.h"

#include <cerrno>
#include <new>
#include <string_view>

#include "codepage.h"
#include "cp932_table.h"

namespace kestrova {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

bool FileTextStream::Open(const std::string& path) {
    pending_.clear();
    searched_ = 0;
    utf8_ = mark_checked_ = at_end_ = failed_ = false;
    if (file_.Open(path, error_)) return true;
    failed_ = true;
    return false;
}

bool FileTextStream::ReadChunk() {
    const std::size_t old = pending_.size();
    pending_.resize(old + chunk_bytes_);
    const std::int64_t n = file_.Read(pending_.data() + old, chunk_bytes_, error_);
    pending_.resize(old + static_cast<std::size_t>(n > 0 ? n : 0));
    if (n < 0) failed_ = true;
    if (n <= 0) at_end_ = true;
    return n > 0;
}

void FileTextStream::Decode(std::size_t bytes, std::string& out) {
    const std::string_view piece(pending_.data(), bytes);
    // Straight into what the caller holds: a piece is a megabyte, and a
    // copy of it each time would cost the allocator's fresh pages.
    if (utf8_) {
        out.append(piece);
    } else if (!AppendCp932AsUtf8(piece, out, true)) {
        out += Cp932ToUtf8(std::string(piece));  // the system has no code page 932
    }
    pending_.erase(0, bytes);
    searched_ = 0;
}

bool FileTextStream::ReadMore(std::string& out) {
    while (!failed_) {
        if (!mark_checked_ && (pending_.size() >= kByteOrderMark.size() || at_end_)) {
            mark_checked_ = true;
            utf8_ = std::string_view(pending_).substr(0, kByteOrderMark.size()) == kByteOrderMark;
            if (utf8_) pending_.erase(0, kByteOrderMark.size());
        }
        if (mark_checked_) {
            // Only the bytes read since the last look can hold a line end.
            const std::size_t line_end = std::string_view(pending_).substr(searched_).rfind('\n');
            if (line_end != std::string_view::npos) {
                Decode(searched_ + line_end + 1, out);
                return true;
            }
            searched_ = pending_.size();
        }
        if (at_end_) {
            if (pending_.empty()) return false;
            Decode(pending_.size(), out);
            return true;
        }
        ReadChunk();
    }
    pending_.clear();
    return false;
}

bool ReadFileText(const std::string& path, std::string& text, std::string& error) {
    text.clear();
    try {
        FileTextStream stream;
        if (stream.Open(path)) {
            while (stream.ReadMore(text)) {
            }
        }
        error = stream.Error();
        return !stream.Failed();
    } catch (const std::bad_alloc&) {
        text.clear();
        text.shrink_to_fit();
        error = ErrorText(ENOMEM);
        return false;
    }
}

}  // namespace kestrova
