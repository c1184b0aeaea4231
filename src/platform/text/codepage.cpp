#include "codepage.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "cp932_table.h"

namespace kestrova {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Length of the well-formed UTF-8 sequence at s[pos], or, when it is not
// well formed, the length of its maximal valid prefix (at least 1) as a
// negative number, so callers can replace exactly that much with U+FFFD.
int Utf8Sequence(std::string_view s, std::size_t pos, char32_t* cp) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        *cp = b0;
        return 1;
    }
    int need;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t value;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        value = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        value = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        value = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        *cp = 0xFFFD;
        return -1;
    }
    for (int i = 1; i <= need; ++i) {
        if (pos + i >= s.size()) {
            *cp = 0xFFFD;
            return -i;
        }
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if (b < lo || b > hi) {
            *cp = 0xFFFD;
            return -i;
        }
        lo = 0x80;
        hi = 0xBF;
        value = (value << 6) | (b & 0x3F);
    }
    *cp = value;
    return need + 1;
}

// Well-formed runs are copied in one piece; only the bad spots cost extra.
std::string SanitizeUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t run = 0, pos = 0;
    while (pos < s.size()) {
        char32_t cp;
        const int n = Utf8Sequence(s, pos, &cp);
        if (n > 0) {
            pos += n;
            continue;
        }
        out.append(s.data() + run, pos - run);
        out.append(kReplacement);
        pos += -n;
        run = pos;
    }
    out.append(s.data() + run, s.size() - run);
    return out;
}

// Code-page-932 width of one code point. Besides ASCII and the half-width
// katakana, the yen sign and the overline map onto the single bytes 0x5C and
// 0x7E; everything else takes two bytes or is missing (counted as two).
int Cp932Width(char32_t cp) {
    if (cp < 0x80) return 1;
    if (cp >= 0xFF61 && cp <= 0xFF9F) return 1;
    if (cp == 0x00A5 || cp == 0x203E) return 1;
    return 2;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& bytes) {
    if (auto decoded = Cp932ToUtf8ByTable(bytes, true)) return *std::move(decoded);
    return SanitizeUtf8(bytes);  // the system has no code page 932 at all
}

std::string EncodeFileText(const std::string& utf8) {
    std::string out;
    out.reserve(kBom.size() + utf8.size());
    if (AppendUtf8AsCp932(utf8, out)) return out;
    out.append(kBom);
    out.append(utf8);
    return out;
}

std::string DecodeFileText(const std::string& bytes) {
    std::string_view view(bytes);
    // File names are bytes: a name that is not UTF-8 comes back as the same
    // bytes it was written with, so it still points at its file.
    if (view.substr(0, kBom.size()) == kBom) return std::string(view.substr(kBom.size()));
    return Cp932ToUtf8(bytes);
}

std::string LeftBytes(const std::string& utf8, int start1, int count) {
    if (count <= 0) return {};
    const std::int64_t first = start1;
    const std::int64_t end = first + count;  // one past the last byte wanted
    std::int64_t byte_pos = 1;
    std::size_t from = utf8.size(), to = utf8.size();
    bool started = false;
    std::size_t pos = 0;
    while (pos < utf8.size() && byte_pos < end) {
        char32_t cp;
        const int n = Utf8Sequence(utf8, pos, &cp);
        const std::size_t len = n > 0 ? n : -n;
        const std::int64_t next = byte_pos + Cp932Width(cp);
        if (byte_pos >= first && next <= end) {
            if (!started) {
                from = pos;
                started = true;
            }
            to = pos + len;
        } else if (started) {
            break;
        }
        byte_pos = next;
        pos += len;
    }
    if (!started) return {};
    return utf8.substr(from, to - from);
}

int Utf8CharLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    char32_t cp;
    const int n = Utf8Sequence(text, pos, &cp);
    return n > 0 ? n : 0;
}

int ByteLength(const std::string& utf8) {
    std::int64_t total = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp;
        const int n = Utf8Sequence(utf8, pos, &cp);
        total += Cp932Width(cp);
        pos += n > 0 ? n : -n;
    }
    return static_cast<int>(total);
}

namespace {

// Byte offset of character `index` (0-based), or the size when the text is
// shorter. Malformed bytes count as characters of their own, as they are
// shown as U+FFFD.
std::size_t CharOffset(const std::string& utf8, std::int64_t index) {
    std::size_t pos = 0;
    while (index > 0 && pos < utf8.size()) {
        char32_t cp;
        const int n = Utf8Sequence(utf8, pos, &cp);
        pos += n > 0 ? n : -n;
        --index;
    }
    return pos;
}

}  // namespace

int CharCount(const std::string& utf8) {
    int count = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp;
        const int n = Utf8Sequence(utf8, pos, &cp);
        pos += n > 0 ? n : -n;
        ++count;
    }
    return count;
}

std::string LeftChars(const std::string& utf8, int count) {
    if (count <= 0) return {};
    return utf8.substr(0, CharOffset(utf8, count));
}

std::string MidChars(const std::string& utf8, int start1, int count) {
    if (count <= 0) return {};
    if (start1 < 1) start1 = 1;
    const std::size_t from = CharOffset(utf8, start1 - 1);
    if (from >= utf8.size()) return {};
    const std::string rest = utf8.substr(from);
    return rest.substr(0, CharOffset(rest, count));
}

}  // namespace kestrova
