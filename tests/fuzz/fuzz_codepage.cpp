// Any text through the file encoding and back: what the program writes it
// reads back byte for byte (also bytes that are not UTF-8), what it decodes
// from a code-page-932 file is always well-formed UTF-8, and the tables
// encode a text exactly when the system's conversion of the whole text
// reads back as the text, to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/text/codepage.h"
#include "platform/text/cp932_table.h"
#include "fuzz/fuzz_check.h"

namespace {

bool WellFormedUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        int need;
        unsigned char lo = 0x80, hi = 0xBF;
        if (b0 < 0x80) {
            ++i;
            continue;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            need = 1;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            need = 2;
            if (b0 == 0xE0) lo = 0xA0;
            if (b0 == 0xED) hi = 0x9F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            need = 3;
            if (b0 == 0xF0) lo = 0x90;
            if (b0 == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        for (int k = 1; k <= need; ++k) {
            if (i + k >= s.size()) return false;
            const auto b = static_cast<unsigned char>(s[i + k]);
            if (b < lo || b > hi) return false;
            lo = 0x80;
            hi = 0xBF;
        }
        i += need + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Check(kestrova::DecodeFileText(kestrova::EncodeFileText(text)) == text, "a written text came back changed");

    const std::optional<std::string> system = kestrova::Utf8ToCp932(text);
    const bool system_fits = system && kestrova::Cp932ToUtf8(*system) == text;
    std::string by_table = "x";
    const bool table_fits = kestrova::AppendUtf8AsCp932(text, by_table);
    Check(table_fits == system_fits, "the tables and the system disagree on whether a text fits");
    Check(by_table == (table_fits ? "x" + *system : "x"), "the tables encode a text differently");

    const std::string decoded = kestrova::Cp932ToUtf8(text);
    Check(WellFormedUtf8(decoded), "decoding gave malformed UTF-8");
    if (auto cp932 = kestrova::Utf8ToCp932(decoded)) {
        Check(kestrova::Cp932ToUtf8(*cp932).size() > 0 || decoded.empty(), "a decoded text vanished");
    }

    if (WellFormedUtf8(text)) {
        const int bytes = kestrova::ByteLength(text);
        Check(kestrova::LeftBytes(text, 1, bytes) == text, "LeftBytes of the whole length must be the text");
        Check(kestrova::LeftChars(text, kestrova::CharCount(text)) == text, "LeftChars of every character");
        Check(kestrova::MidChars(text, 1, kestrova::CharCount(text)) == text, "MidChars from the first character");
    }
    return 0;
}
