#include "list_file_format.h"

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

bool ListFileReader::AtEnd() const { return text_.find_first_not_of(" \t", pos_) == std::string_view::npos; }

ListFields ListFileReader::ReadRow() {
    ListFields fields;
    FieldReader reader(text_.substr(pos_));
    for (std::string& field : fields) {
        reader.Read(field);
        Cap(field);
    }
    pos_ += reader.Position();
    return fields;
}

ListFields ListFileReader::ReadQuotedRow() {
    // Quotes toggle in and out of a field; a doubled quote toggles twice.
    bool quoted = false;
    size_t end = pos_;
    while (end < text_.size() && (quoted || !IsLineEnd(text_[end]))) {
        if (text_[end] == '"') quoted = !quoted;
        ++end;
    }
    const std::string_view line = text_.substr(pos_, end - pos_);
    if (end < text_.size() && text_[end] == '\r') ++end;
    if (end < text_.size() && text_[end] == '\n') ++end;
    pos_ = end;
    return ParseQuotedLine(line);
}

}  // namespace kestrova
