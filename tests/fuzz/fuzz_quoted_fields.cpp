// Any bytes as comma-separated quoted fields (the rule of the settings and
// list files): the fields read, written back and read again are the same
// fields, and writing them again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text/quoted_fields.h"
#include "fuzz/fuzz_check.h"

namespace {

std::vector<std::string> ReadAll(const std::string& text) {
    std::vector<std::string> fields;
    kestrova::FieldReader reader(text);
    while (auto field = reader.Next()) fields.push_back(std::move(*field));
    return fields;
}

// Records of `per_line` fields each, lines ended by CR LF, as the files are.
std::string WriteAll(const std::vector<std::string>& fields, std::size_t per_line) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        kestrova::AppendQuotedField(out, fields[i]);
        out += (i + 1) % per_line == 0 || i + 1 == fields.size() ? "\r\n" : ",";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t per_line = 1 + data[0] % 8;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> fields = ReadAll(input);
    const std::string written = WriteAll(fields, per_line);
    Check(ReadAll(written) == fields, "fields changed on the way back");
    Check(WriteAll(ReadAll(written), per_line) == written, "second write differs");
    return 0;
}
