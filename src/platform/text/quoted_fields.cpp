#include "quoted_fields.h"

#include "textformat.h"

namespace kestrova {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

void AppendQuotedField(std::string& out, std::string_view text) {
    out += '"';
    for (size_t start = 0;;) {
        const size_t quote = text.find('"', start);
        if (quote == std::string_view::npos) {
            out.append(text.substr(start));
            break;
        }
        out.append(text.substr(start, quote + 1 - start));
        out += '"';
        start = quote + 1;
    }
    out += '"';
}

void FieldReader::ConsumeSeparator() {
    if (pos_ >= text_.size()) return;
    if (text_[pos_] == ',') {
        ++pos_;
        return;
    }
    if (text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

std::optional<std::string> FieldReader::Next() {
    std::string scratch;
    const std::optional<std::string_view> field = NextView(scratch);
    if (!field) return std::nullopt;
    return std::string(*field);
}

std::optional<std::string_view> FieldReader::NextView(std::string& scratch) {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return std::nullopt;
    std::string_view field;
    if (text_[pos_] == '"') {
        ++pos_;
        const size_t close = text_.find('"', pos_);
        if (close == std::string_view::npos) {
            field = text_.substr(pos_);
            pos_ = text_.size();
        } else if (close + 1 >= text_.size() || text_[close + 1] != '"') {
            field = text_.substr(pos_, close - pos_);
            pos_ = close + 1;
        } else {
            scratch.clear();
            for (;;) {
                const size_t next = text_.find('"', pos_);
                if (next == std::string_view::npos) {
                    scratch.append(text_.substr(pos_));
                    pos_ = text_.size();
                    break;
                }
                scratch.append(text_.substr(pos_, next - pos_));
                pos_ = next + 1;
                if (pos_ >= text_.size() || text_[pos_] != '"') break;
                scratch += '"';  // a doubled quote inside the field
                ++pos_;
            }
            field = scratch;
        }
        while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
    } else {
        const size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
        size_t end = pos_;
        while (end > start && IsBlank(text_[end - 1])) --end;
        field = text_.substr(start, end - start);
    }
    ConsumeSeparator();
    return field;
}

void FieldReader::Read(std::string& target) {
    if (auto field = Next()) target = std::move(*field);
}

// An empty numeric field reads as 0, as it always has.
template <typename Int, typename Convert>
static void ReadNumber(FieldReader& reader, Int& target, Convert convert) {
    auto field = reader.Next();
    if (!field) return;
    if (field->empty()) {
        target = 0;
        return;
    }
    if (auto value = convert(*field)) target = *value;
}

void FieldReader::Read(std::int16_t& target) { ReadNumber(*this, target, TextToInt16); }
void FieldReader::Read(std::int32_t& target) { ReadNumber(*this, target, TextToInt32); }
void FieldReader::Read(double& target) { ReadNumber(*this, target, TextToDouble); }

}  // namespace kestrova
