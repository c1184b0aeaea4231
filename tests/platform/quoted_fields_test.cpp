#include "platform/text/quoted_fields.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrova {
namespace {

std::vector<std::string> ReadAll(std::string_view text) {
    FieldReader reader(text);
    std::vector<std::string> fields;
    while (auto field = reader.Next()) fields.push_back(*field);
    return fields;
}

TEST(QuotedFields, EveryTextRoundTripsAndKeepsTheFieldsAfterIt) {
    const std::vector<std::string> texts = {
        "", "plain", "写真, 2004", "a\",0,\"b", "\"", "\"\"", "say \"hi\"", "line\r\nbreak", "lone\rcr",
        "\xE9t\xE9 \xFF", " leading and trailing ", "end\"",
    };
    for (const std::string& text : texts) {
        std::string line;
        AppendQuotedField(line, text);
        line += ",\"after\",7\r\n";
        EXPECT_EQ(ReadAll(line), (std::vector<std::string>{text, "after", "7"})) << line;
    }
}

TEST(QuotedFields, TextsWithoutAQuoteAreWrittenAsTheyAlwaysWere) {
    std::string out;
    AppendQuotedField(out, "C:\\a, b\r\n");
    EXPECT_EQ(out, "\"C:\\a, b\r\n\"");
    out.clear();
    AppendQuotedField(out, "a\"b");
    EXPECT_EQ(out, "\"a\"\"b\"");
}

TEST(QuotedFields, ReadsFilesOfTheOlderWriterAsBefore) {
    // An unescaped quote used to end the field; what followed up to the
    // separator was dropped. That reading stays for every such line.
    EXPECT_EQ(ReadAll("\"a\"b\",1"), (std::vector<std::string>{"a", "1"}));
    EXPECT_EQ(ReadAll("  \"x\" ,  12  ,\r\n\"y"), (std::vector<std::string>{"x", "12", "", "y"}));
    EXPECT_EQ(ReadAll("\"unterminated"), (std::vector<std::string>{"unterminated"}));
}

}  // namespace
}  // namespace kestrova
