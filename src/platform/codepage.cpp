#include "codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "cp932_table.h"

namespace kestrova {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// iconv descriptors are costly to open and not safe to share between threads,
// so each thread keeps one per direction and resets it before every use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

private:
    iconv_t cd_;
};

Converter& ToCp932() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

Converter& FromCp932() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

// iconv writes straight into the result, which grows when iconv asks for
// more room, so even a file of many megabytes converts in a few calls.
class Sink {
public:
    explicit Sink(std::size_t estimate) { out_.resize(estimate < 64 ? 64 : estimate); }

    // True when all input was consumed; false with errno from iconv.
    bool Convert(iconv_t cd, char** in, std::size_t* in_left) {
        char* dst = out_.data() + used_;
        std::size_t dst_left = out_.size() - used_;
        const std::size_t r = iconv(cd, in, in_left, &dst, &dst_left);
        const int saved = errno;
        used_ = dst - out_.data();
        if (r != static_cast<std::size_t>(-1)) return true;
        if (saved == E2BIG) out_.resize(out_.size() * 2);
        errno = saved;
        return false;
    }
    void Append(std::string_view text) {
        if (out_.size() - used_ < text.size()) out_.resize(out_.size() * 2 + text.size());
        out_.replace(used_, text.size(), text);
        used_ += text.size();
    }
    std::string Finish() {
        out_.resize(used_);
        return std::move(out_);
    }

private:
    std::string out_;
    std::size_t used_ = 0;
};

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

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

std::optional<std::string> Utf8ToCp932(const std::string& utf8) {
    // glibc skips the Unicode tag characters silently instead of failing, and
    // nothing outside the BMP exists in code page 932 anyway, so any four-byte
    // sequence settles the answer before iconv sees it.
    for (unsigned char b : utf8) {
        if (b >= 0xF0) return std::nullopt;
    }
    Converter& conv = ToCp932();
    if (!conv.ok()) return std::nullopt;
    Sink sink(utf8.size());  // never longer than the UTF-8 form
    char* in = const_cast<char*>(utf8.data());
    std::size_t in_left = utf8.size();
    iconv_t cd = conv.get();
    while (in_left > 0) {
        if (sink.Convert(cd, &in, &in_left)) break;
        if (errno == E2BIG) continue;
        return std::nullopt;  // EILSEQ: unencodable or malformed; EINVAL: cut sequence
    }
    return sink.Finish();
}

std::string Cp932ToUtf8(const std::string& bytes) {
    if (auto decoded = Cp932ToUtf8ByTable(bytes)) return *std::move(decoded);
    Converter& conv = FromCp932();
    if (!conv.ok()) return SanitizeUtf8(bytes);
    Sink sink(bytes.size() + bytes.size() / 2);
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    iconv_t cd = conv.get();
    while (in_left > 0) {
        if (sink.Convert(cd, &in, &in_left)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: replace the bad spot and carry on. A lead byte
        // with a proper trail byte is an unassigned pair and goes as one; a
        // lead byte before anything else goes alone so that the next
        // character (a line break, say) survives.
        std::size_t skip = 1;
        const auto b = static_cast<unsigned char>(in[0]);
        if (IsLeadByte(b) && in_left >= 2 && IsTrailByte(static_cast<unsigned char>(in[1]))) skip = 2;
        sink.Append(kReplacement);
        in += skip;
        in_left -= skip;
        cd = conv.get();
    }
    return sink.Finish();
}

std::string EncodeFileText(const std::string& utf8) {
    // Some characters have a one-way mapping (U+301C and U+FF5E share 0x8160,
    // the yen sign becomes a backslash); those must not be written as code
    // page 932 or they would come back different.
    if (auto cp932 = Utf8ToCp932(utf8)) {
        if (Cp932ToUtf8(*cp932) == utf8) return *std::move(cp932);
    }
    std::string out;
    out.reserve(kBom.size() + utf8.size());
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
