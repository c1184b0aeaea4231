// Any bytes as a list file: the rows read, written back and read again are
// the same rows with either reader (the standard one and the quote-counting
// ParseQuotedLine), and writing them again gives the same bytes. The
// quote-counting reader agrees with its plainest form, which walks the line
// one character at a time.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "listing/list_file_format.h"
#include "fuzz/fuzz_check.h"

namespace {

using kestrova::ListFields;
using kestrova::ListFileReader;

std::vector<ListFields> ReadRows(const std::string& text, bool quote_counting) {
    ListFileReader reader(text);
    std::vector<ListFields> rows;
    while (!reader.AtEnd()) rows.push_back(quote_counting ? reader.ReadQuotedRow() : reader.ReadRow());
    return rows;
}

// Field k is the text between the (2k-1)-th and the 2k-th quote; a doubled
// quote inside a field stands for one quote; a field is cut at the cap, at
// a character boundary.
ListFields CountQuotes(std::string_view line) {
    ListFields fields;
    int state = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const bool in_field = state % 2 == 1 && state < 11;
        if (line[i] == '"') {
            if (in_field && i + 1 < line.size() && line[i + 1] == '"') {
                fields[static_cast<size_t>(state / 2)] += '"';
                ++i;
            } else if (state < 11) {
                ++state;
            }
        } else if (in_field) {
            fields[static_cast<size_t>(state / 2)] += line[i];
        }
    }
    for (std::string& field : fields) {
        if (field.size() <= kestrova::kMaxListFieldBytes) continue;
        size_t end = kestrova::kMaxListFieldBytes;
        while (end > 0 && (static_cast<unsigned char>(field[end]) & 0xC0) == 0x80) --end;
        field.resize(end);
    }
    return fields;
}

std::string WriteRows(const std::vector<ListFields>& rows) {
    std::string out;
    for (const ListFields& f : rows) kestrova::AppendListLine(out, {f[0], f[1], f[2], f[3], f[4]});
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    Check(kestrova::ParseQuotedLine(input) == CountQuotes(input), "the quote-counting reader misread a line");
    for (bool quote_counting : {false, true}) {
        const std::string written = WriteRows(ReadRows(input, quote_counting));
        const std::vector<ListFields> rows = ReadRows(written, false);
        Check(ReadRows(written, true) == rows, "the two readers disagree on a written file");
        Check(WriteRows(rows) == written, "rows changed on the way back");
    }
    return 0;
}
