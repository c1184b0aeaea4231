#include "list_file_format.h"

#include <utility>

namespace kestrova {
namespace {

// The last quote-counting state; quotes beyond it change nothing.
constexpr int kLastQuoteState = 2 * kListFields + 1;

// Cuts an overlong field at a character boundary.
void Cap(std::string& field) {
    if (field.size() <= kMaxListFieldBytes) return;
    size_t end = kMaxListFieldBytes;
    while (end > 0 && (static_cast<unsigned char>(field[end]) & 0xC0) == 0x80) --end;
    field.resize(end);
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

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

ListFields ParseQuotedLine(std::string_view line) {
    ListFields fields;
    int state = 0;
    // Characters past the cap are dropped as they come, so a huge damaged
    // line costs no more memory than a capped field.
    auto append = [&fields, &state](char c) {
        std::string& field = fields[static_cast<size_t>(state / 2)];
        if (field.size() <= kMaxListFieldBytes) field += c;
    };
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool in_field = state % 2 == 1 && state < kLastQuoteState;
        if (c == '"') {
            if (in_field && i + 1 < line.size() && line[i + 1] == '"') {
                append('"');
                ++i;
            } else if (state < kLastQuoteState) {
                ++state;
            }
        } else if (in_field) {
            append(c);
        }
    }
    for (std::string& field : fields) Cap(field);
    return fields;
}

ListFields ListFileReader::ReadHeader() { return ReadRow(); }

bool ListFileReader::LoadMore() {
    if (!file_) return false;
    text_.erase(0, pos_);
    pos_ = 0;
    // Growing by at least what is held keeps a row that spans much of a
    // damaged file from being read again for every piece.
    const size_t wanted = text_.size() * 2;
    bool loaded = false;
    while (file_->ReadMore(text_)) {
        loaded = true;
        if (text_.size() >= wanted) break;
    }
    return loaded;
}

bool ListFileReader::AtEnd() {
    for (;;) {
        if (text_.find_first_not_of(" \t", pos_) != std::string::npos) return false;
        if (!LoadMore()) return true;
    }
}

template <typename Read>
ListFields ListFileReader::ReadWhole(Read read) {
    for (;;) {
        auto [fields, used] = read(std::string_view(text_).substr(pos_));
        if (pos_ + used < text_.size() || !LoadMore()) {
            pos_ += used;
            return std::move(fields);
        }
    }
}

ListFields ListFileReader::ReadRow() {
    return ReadWhole([](std::string_view rest) {
        ListFields fields;
        FieldReader reader(rest);
        for (std::string& field : fields) {
            reader.Read(field);
            Cap(field);
        }
        return std::pair{std::move(fields), reader.Position()};
    });
}

ListFields ListFileReader::ReadQuotedRow() {
    return ReadWhole([](std::string_view rest) {
        // Quotes toggle in and out of a field; a doubled quote toggles twice.
        bool quoted = false;
        size_t end = 0;
        while (end < rest.size() && (quoted || !IsLineEnd(rest[end]))) {
            if (rest[end] == '"') quoted = !quoted;
            ++end;
        }
        const std::string_view line = rest.substr(0, end);
        if (end < rest.size() && rest[end] == '\r') ++end;
        if (end < rest.size() && rest[end] == '\n') ++end;
        return std::pair{ParseQuotedLine(line), end};
    });
}

}  // namespace kestrova
