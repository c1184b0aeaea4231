#include "list_file_format.h"

#include <utility>

namespace kestrova {
namespace {

// Cuts an overlong field at a character boundary.
std::string_view Capped(std::string_view field) {
    if (field.size() <= kMaxListFieldBytes) return field;
    size_t end = kMaxListFieldBytes;
    while (end > 0 && (static_cast<unsigned char>(field[end]) & 0xC0) == 0x80) --end;
    return field.substr(0, end);
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Where the line ends: at the first CR or LF outside quotes. Quotes take
// turns opening and closing, so a doubled quote closes and opens again.
size_t QuotedLineEnd(std::string_view text) {
    size_t end = 0;
    for (;;) {
        while (end < text.size() && text[end] != '"' && !IsLineEnd(text[end])) ++end;
        if (end >= text.size() || text[end] != '"') return end;
        const size_t close = text.find('"', end + 1);
        if (close == std::string_view::npos) return text.size();
        end = close + 1;
    }
}

}  // namespace

void AppendListLine(std::string& out, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) out += ',';
        first = false;
        AppendQuotedField(out, field);
    }
    out += "\r\n";
}

// Field k is what lies between the (2k-1)-th and the 2k-th quote, where a
// doubled quote inside it counts as one quote of the text; the quotes after
// the fifth field change nothing.
void ParseQuotedLine(std::string_view line, ListFieldViews& fields, ListFields& scratch) {
    fields = {};
    size_t pos = 0;
    for (size_t k = 0; k < fields.size(); ++k) {
        const size_t open = line.find('"', pos);
        if (open == std::string_view::npos) return;
        pos = open + 1;
        size_t close = line.find('"', pos);
        const bool doubled = close != std::string_view::npos && close + 1 < line.size() && line[close + 1] == '"';
        if (!doubled) {
            fields[k] = Capped(line.substr(pos, close == std::string_view::npos ? std::string_view::npos : close - pos));
            if (close == std::string_view::npos) return;
            pos = close + 1;
            continue;
        }
        // Past the cap nothing more is kept, so a huge damaged line costs no
        // more memory than a capped field.
        std::string& field = scratch[k];
        field.clear();
        auto append = [&field](std::string_view part) {
            if (field.size() <= kMaxListFieldBytes) field.append(part.substr(0, kMaxListFieldBytes + 1 - field.size()));
        };
        for (;;) {
            append(line.substr(pos, close == std::string_view::npos ? std::string_view::npos : close - pos));
            if (close == std::string_view::npos) {
                pos = line.size();
                break;
            }
            pos = close + 1;
            if (pos >= line.size() || line[pos] != '"') break;
            append("\"");
            close = line.find('"', ++pos);
        }
        fields[k] = Capped(field);
    }
}

ListFields ParseQuotedLine(std::string_view line) {
    ListFieldViews views;
    ListFields scratch;
    ParseQuotedLine(line, views, scratch);
    ListFields fields;
    for (size_t k = 0; k < fields.size(); ++k) fields[k] = views[k];
    return fields;
}

ListFields ListFileReader::Copied(const ListFieldViews& views) {
    ListFields fields;
    for (size_t k = 0; k < fields.size(); ++k) fields[k] = views[k];
    return fields;
}

bool ListFileReader::LoadMore() {
    if (exhausted_) return false;
    exhausted_ = true;
    if (!file_) return false;
    text_.erase(0, pos_);
    pos_ = 0;
    // Growing by at least what is held keeps a row that spans much of a
    // damaged file from being read again for every piece.
    const size_t wanted = text_.size() * 2;
    while (file_->ReadMore(text_)) {
        exhausted_ = false;
        if (text_.size() >= wanted) break;
    }
    return !exhausted_;
}

bool ListFileReader::AtEnd() {
    for (;;) {
        if (text_.find_first_not_of(" \t", pos_) != std::string::npos) return false;
        if (!LoadMore()) return true;
    }
}

template <typename Read>
const ListFieldViews& ListFileReader::ReadWhole(Read read) {
    for (;;) {
        const size_t used = read(std::string_view(text_).substr(pos_));
        if (pos_ + used < text_.size() || exhausted_) {
            pos_ += used;
            return views_;
        }
        // Whether or not more came, the text moved, and the views with it.
        LoadMore();
    }
}

const ListFieldViews& ListFileReader::NextRow() {
    return ReadWhole([this](std::string_view rest) {
        FieldReader reader(rest);
        for (size_t k = 0; k < views_.size(); ++k) views_[k] = Capped(reader.NextView(scratch_[k]).value_or(std::string_view()));
        return reader.Position();
    });
}

const ListFieldViews& ListFileReader::NextQuotedRow() {
    return ReadWhole([this](std::string_view rest) {
        size_t end = QuotedLineEnd(rest);
        ParseQuotedLine(rest.substr(0, end), views_, scratch_);
        if (end < rest.size() && rest[end] == '\r') ++end;
        if (end < rest.size() && rest[end] == '\n') ++end;
        return end;
    });
}

}  // namespace kestrova
