#pragma once
// The one text rule of the settings file and the list file: comma-separated
// fields, texts in double quotes.
//
// A text is written between double quotes as it is. Only a double quote
// inside it is doubled, so a name such as a",0,"b cannot shift the fields
// after it; every text without one is written exactly as it always was.
// Line ends inside the quotes are part of the text.
//
// Fields are read one after another, ignoring line boundaries. Leading
// blanks are skipped; a quoted field runs to its closing quote (a doubled
// quote inside stands for one quote) and anything after it up to the next
// separator is dropped; an unquoted field runs to the next comma or line
// end, trailing blanks removed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// Appends the text as one quoted field.
void AppendQuotedField(std::string& out, std::string_view text);

class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    // The next field's text, or nullopt at the end of the text.
    std::optional<std::string> Next();
    // The same without a copy: a view into the text, or into scratch for a
    // field that holds a doubled quote. Valid while both are.
    std::optional<std::string_view> NextView(std::string& scratch);

    // Reads the next field into a target; on a failed read (end of text, or a
    // value that is not a number within the target's range) the field is
    // consumed and the target keeps its value.
    void Read(std::string& target);
    void Read(std::int16_t& target);
    void Read(std::int32_t& target);
    void Read(double& target);

    // Bytes consumed so far, for a reader that goes on from here itself.
    size_t Position() const { return pos_; }

private:
    void ConsumeSeparator();
    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace kestrova
