#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "files.h"

namespace kestrova {
namespace {

// Case folding as the Windows file system does it for the scripts a user is
// likely to type; other letters compare exactly.
char32_t Fold(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;                 // full-width Latin
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return c + 0x20;  // Latin-1
    if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) return c + 0x20;  // Greek
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;                 // Cyrillic
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
    return c;
}

// Bytes that are not UTF-8 (possible in Linux file names) become values past
// the Unicode range, so they still match "?" and themselves.
constexpr char32_t kRawByte = 0x110000;

std::vector<char32_t> Decode(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        int need = 0;
        char32_t value = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            out.push_back(Fold(b0));
            ++i;
            continue;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            need = 1, value = b0 & 0x1F, min = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            need = 2, value = b0 & 0x0F, min = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            need = 3, value = b0 & 0x07, min = 0x10000;
        }
        bool ok = need > 0 && i + need < s.size();
        for (int k = 1; ok && k <= need; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) ok = false;
            value = (value << 6) | (b & 0x3F);
        }
        if (ok && (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))) ok = false;
        if (ok) {
            out.push_back(Fold(value));
            i += need + 1;
        } else {
            out.push_back(kRawByte + b0);
            ++i;
        }
    }
    return out;
}

// Greedy matching with a single backtrack point: on a mismatch only the last
// "*" is stretched by one, which keeps the cost at O(name * pattern) where
// the naive recursion explodes on patterns like "*a*a*a*b".
bool Match(const std::vector<char32_t>& name, const std::vector<char32_t>& pat) {
    std::size_t n = 0, p = 0;
    std::size_t star = std::string::npos, star_n = 0;
    while (n < name.size()) {
        if (p < pat.size() && (pat[p] == '?' || (pat[p] != '*' && pat[p] == name[n]))) {
            ++n, ++p;
        } else if (p < pat.size() && pat[p] == '*') {
            star = p++;
            star_n = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++star_n;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*') ++p;
    return p == pat.size();
}

bool Contains(const std::vector<char32_t>& v, char32_t c) {
    for (char32_t x : v) {
        if (x == c) return true;
    }
    return false;
}

bool MatchesPattern(const std::vector<char32_t>& name, std::vector<char32_t> pat) {
    if (Match(name, pat)) return true;
    const bool name_has_dot = Contains(name, '.');
    const std::size_t size = pat.size();
    // "x.*" also takes "x" with no extension at all, which is what makes "*.*"
    // match every name.
    if (size >= 2 && pat[size - 2] == '.' && pat[size - 1] == '*' && !name_has_dot) {
        return Match(name, std::vector<char32_t>(pat.begin(), pat.end() - 2));
    }
    // A trailing "." stands for "no extension": "*." lists the names without
    // a dot, while "*.txt." still means "*.txt".
    if (size >= 1 && pat[size - 1] == '.') {
        while (!pat.empty() && pat.back() == '.') pat.pop_back();
        if (!Contains(pat, '.') && name_has_dot) return false;
        return Match(name, pat);
    }
    return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool MatchesAnyPattern(std::string_view name, std::string_view patterns) {
    std::vector<char32_t> decoded_name;
    bool decoded = false;
    std::string_view rest(patterns);
    while (true) {
        const std::size_t semi = rest.find(';');
        std::string_view one = rest.substr(0, semi);
        while (!one.empty() && IsBlank(one.front())) one.remove_prefix(1);
        while (!one.empty() && IsBlank(one.back())) one.remove_suffix(1);
        // Every name matches these; most lists asked for are one of them.
        if (one == "*" || one == "*.*") return true;
        if (!one.empty()) {
            if (!decoded) {
                decoded_name = Decode(name);
                decoded = true;
            }
            if (MatchesPattern(decoded_name, Decode(one))) return true;
        }
        if (semi == std::string_view::npos) break;
        rest.remove_prefix(semi + 1);
    }
    return false;
}

}  // namespace kestrova
