#pragma once
// Reads comma-separated fields the way the settings file was always read:
// field by field, ignoring line boundaries. Leading blanks are skipped; a
// quoted field runs to its closing quote and anything after it up to the
// next separator is dropped; an unquoted field runs to the next comma or line
// end, trailing blanks removed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    // The next raw field, or nullopt at the end of the text.
    std::optional<std::string> Next();

    // Reads the next field into a target; on a failed read (end of text, or a
    // value that is not a number within the target's range) the field is
    // consumed and the target keeps its value.
    void Read(std::string& target);
    void Read(std::int16_t& target);
    void Read(std::int32_t& target);
    void Read(double& target);

private:
    void ConsumeSeparator();
    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace kestrova
