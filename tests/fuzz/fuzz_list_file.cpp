// Any bytes as a list file: the rows read, written back and read again are
// the same rows with either reader (the standard one and the quote-counting
// ParseQuotedLine), and writing them again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
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

std::string WriteRows(const std::vector<ListFields>& rows) {
    std::string out;
    for (const ListFields& f : rows) kestrova::AppendListLine(out, {f[0], f[1], f[2], f[3], f[4]});
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (bool quote_counting : {false, true}) {
        const std::string written = WriteRows(ReadRows(input, quote_counting));
        const std::vector<ListFields> rows = ReadRows(written, false);
        Check(ReadRows(written, true) == rows, "the two readers disagree on a written file");
        Check(WriteRows(rows) == written, "rows changed on the way back");
    }
    return 0;
}
