#include "field_reader.h"

#include "platform/textformat.h"

namespace kestrova {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

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
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return std::nullopt;
    std::string field;
    if (text_[pos_] == '"') {
        const size_t start = ++pos_;
        const size_t close = text_.find('"', start);
        const size_t end = close == std::string_view::npos ? text_.size() : close;
        field.assign(text_.substr(start, end - start));
        pos_ = close == std::string_view::npos ? text_.size() : close + 1;
        while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
    } else {
        const size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
        size_t end = pos_;
        while (end > start && IsBlank(text_[end - 1])) --end;
        field.assign(text_.substr(start, end - start));
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
