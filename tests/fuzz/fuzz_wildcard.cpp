// Any name against any pattern list: no crash, and for plain ASCII the
// answer agrees with a slow table-driven reference. A literal name always
// matches itself, and "*" and "*.*" match every name.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/system/files.h"
#include "fuzz/fuzz_check.h"

namespace {

bool PlainAscii(const std::string& s) {
    for (unsigned char c : s) {
        if (c < 0x21 || c > 0x7E || c == ';') return false;
    }
    return true;
}

// match[i][j]: name from i on matches pattern from j on.
bool ReferenceMatch(const std::string& name, const std::string& pat) {
    std::vector<std::vector<char>> match(name.size() + 1, std::vector<char>(pat.size() + 1, 0));
    match[name.size()][pat.size()] = 1;
    for (std::size_t i = name.size() + 1; i-- > 0;) {
        for (std::size_t j = pat.size(); j-- > 0;) {
            if (pat[j] == '*') {
                match[i][j] = match[i][j + 1] || (i < name.size() && match[i + 1][j]);
            } else if (i < name.size() &&
                       (pat[j] == '?' || std::tolower(static_cast<unsigned char>(pat[j])) ==
                                             std::tolower(static_cast<unsigned char>(name[i])))) {
                match[i][j] = match[i + 1][j + 1];
            }
        }
    }
    return match[0][0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string patterns = input.substr(0, split);
    const std::string name = split == std::string::npos ? "" : input.substr(split + 1);
    if (name.size() > 4096 || patterns.size() > 4096) return 0;

    const bool matches = kestrova::MatchesAnyPattern(name, patterns);
    Check(kestrova::MatchesAnyPattern(name, "*"), "\"*\" must match every name");
    Check(kestrova::MatchesAnyPattern(name, "*.*"), "\"*.*\" must match every name");
    if (!name.empty() && name.find_first_of("*?;") == std::string::npos && name.front() != ' ' &&
        name.front() != '\t' && name.back() != ' ' && name.back() != '\t') {
        Check(kestrova::MatchesAnyPattern(name, name), "a literal name must match itself");
    }
    // Patterns ending in "." or ".*" have rules of their own about dots.
    const bool special_end = !patterns.empty() && (patterns.back() == '.' ||
                                                   (patterns.size() >= 2 && patterns.ends_with(".*")));
    if (PlainAscii(name) && PlainAscii(patterns) && !patterns.empty() && !special_end) {
        Check(matches == ReferenceMatch(name, patterns), "differs from the reference matcher");
    }
    return 0;
}
