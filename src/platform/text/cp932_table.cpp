#include "cp932_table.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "codepage.h"

namespace kestrova {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

struct Utf8Char {
    unsigned char length = 0;  // 0: not an assigned character
    char bytes[3] = {};
};

struct DecodeTable {
    bool ok = false;
    std::array<Utf8Char, 256> single;
    std::array<Utf8Char, 65536> pair;  // lead byte << 8 | trail byte
};

// Code point (all of code page 932 lies in the BMP) to its bytes: 0 for
// none, below 0x100 one byte, otherwise lead byte << 8 | trail byte.
struct EncodeTable {
    bool ok = false;
    std::array<std::uint16_t, 65536> bytes{};
};

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// The first byte at or after pos that is not ASCII, eight bytes at a look:
// the files are mostly ASCII, which both directions copy as it is.
size_t EndOfAscii(std::string_view text, size_t pos) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    while (pos + 8 <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        if (word & kHighBits) break;
        pos += 8;
    }
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80) ++pos;
    return pos;
}

// What the system makes of the bytes, when that is one character of at most
// three UTF-8 bytes.
Utf8Char Convert(const char* bytes, size_t count) {
    Utf8Char c;
    std::string out;
    if (!SystemCp932CharToUtf8(bytes, count, out) || out.empty() || out.size() > 3) return c;
    c.length = static_cast<unsigned char>(out.size());
    for (size_t i = 0; i < out.size(); ++i) c.bytes[i] = out[i];
    return c;
}

std::unique_ptr<DecodeTable> BuildDecoding() {
    auto table = std::make_unique<DecodeTable>();
    if (!SystemHasCp932()) return table;
    for (int b = 0; b < 256; ++b) {
        if (IsLead(static_cast<unsigned char>(b))) continue;
        const char byte = static_cast<char>(b);
        table->single[static_cast<size_t>(b)] = Convert(&byte, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            table->pair[static_cast<size_t>(lead << 8 | trail)] = Convert(pair, 2);
        }
    }
    table->ok = true;
    return table;
}

const DecodeTable& Decoding() {
    static const std::unique_ptr<DecodeTable> table = BuildDecoding();
    return *table;
}

// The code point of the well-formed character of n bytes at s.
char32_t CodePoint(const char* s, int n) {
    const auto b = [s](int i) { return static_cast<char32_t>(static_cast<unsigned char>(s[i])); };
    if (n == 2) return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    if (n == 3) return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
}

// Only what decodes can encode so that it reads back, so the characters the
// decoding table yields are the ones to ask the system about. Where several
// byte forms read as one character (the NEC and IBM duplicates), the system
// chooses, as it does for a whole text.
std::unique_ptr<EncodeTable> BuildEncoding() {
    auto table = std::make_unique<EncodeTable>();
    const DecodeTable& decoding = Decoding();
    if (!decoding.ok) return table;
    std::vector<bool> asked(table->bytes.size());
    auto consider = [&](const Utf8Char& c) {
        if (c.length < 2) return;  // unassigned, or ASCII, which stays itself
        const char32_t cp = CodePoint(c.bytes, c.length);
        if (asked[cp]) return;
        asked[cp] = true;
        const std::string utf8(c.bytes, c.length);
        const std::optional<std::string> bytes = Utf8ToCp932(utf8);
        if (!bytes || bytes->empty() || bytes->size() > 2) return;
        std::string back;
        if (!AppendCp932AsUtf8(*bytes, back, false) || back != utf8) return;
        const auto byte = [&bytes](size_t i) { return static_cast<std::uint16_t>(static_cast<unsigned char>((*bytes)[i])); };
        table->bytes[cp] = bytes->size() == 1 ? byte(0) : static_cast<std::uint16_t>(byte(0) << 8 | byte(1));
    };
    for (const Utf8Char& c : decoding.single) consider(c);
    for (const Utf8Char& c : decoding.pair) consider(c);
    table->ok = true;
    return table;
}

const EncodeTable& Encoding() {
    static const std::unique_ptr<EncodeTable> table = BuildEncoding();
    return *table;
}

// Characters collected a few hundred bytes at a time: a text of short runs
// then costs the string an append per few hundred bytes, not per character.
// Until Undo, whatever was added reaches the string at the latest when this
// goes.
class Gathered {
public:
    explicit Gathered(std::string& out) : out_(out), old_size_(out.size()) {}
    ~Gathered() { Flush(); }
    Gathered(const Gathered&) = delete;
    Gathered& operator=(const Gathered&) = delete;

    void Add(const char* bytes, size_t n) {
        if (used_ + n > sizeof buffer_) {
            Flush();
            if (n > sizeof buffer_) {
                out_.append(bytes, n);
                return;
            }
        }
        std::memcpy(buffer_ + used_, bytes, n);
        used_ += n;
    }
    // Takes back all that was added; false, for the caller to return.
    bool Undo() {
        used_ = 0;
        out_.resize(old_size_);
        return false;
    }

private:
    void Flush() {
        out_.append(buffer_, used_);
        used_ = 0;
    }

    std::string& out_;
    size_t old_size_;
    char buffer_[512];
    size_t used_ = 0;
};

// Length of the well-formed two- or three-byte character at text[pos], or 0
// for anything else (malformed, or beyond the BMP).
int BmpCharLength(std::string_view text, size_t pos) {
    const auto b = [&text, pos](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const size_t left = text.size() - pos;
    const unsigned char b0 = b(0);
    if (b0 >= 0xC2 && b0 <= 0xDF) return left >= 2 && (b(1) & 0xC0) == 0x80 ? 2 : 0;
    if (b0 < 0xE0 || b0 > 0xEF || left < 3) return 0;
    const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
    const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;  // no surrogates
    return b(1) >= lo && b(1) <= hi && (b(2) & 0xC0) == 0x80 ? 3 : 0;
}

}  // namespace

bool AppendCp932AsUtf8(std::string_view bytes, std::string& out, bool replace) {
    const DecodeTable& table = Decoding();
    if (!table.ok) return false;
    Gathered gathered(out);
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t run = EndOfAscii(bytes, pos);
        gathered.Add(bytes.data() + pos, run - pos);
        pos = run;
        if (pos >= bytes.size()) break;
        const auto b = static_cast<unsigned char>(bytes[pos]);
        const Utf8Char* c = &table.single[b];
        size_t used = 1;
        if (IsLead(b) && pos + 1 < bytes.size()) {
            const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
            c = &table.pair[static_cast<size_t>(b << 8 | trail)];
            used = IsTrail(trail) ? 2 : 1;
        }  // a lead byte at the end stays alone, never assigned
        if (c->length == 0) {
            if (!replace) return gathered.Undo();
            gathered.Add(kReplacement.data(), kReplacement.size());
        } else {
            gathered.Add(c->bytes, c->length);
        }
        pos += used;
    }
    return true;
}

std::optional<std::string> Cp932ToUtf8ByTable(std::string_view bytes, bool replace) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    if (!AppendCp932AsUtf8(bytes, out, replace)) return std::nullopt;
    return out;
}

bool AppendUtf8AsCp932(std::string_view utf8, std::string& out) {
    const EncodeTable& table = Encoding();
    if (!table.ok) return false;
    Gathered gathered(out);
    size_t pos = 0;
    while (pos < utf8.size()) {
        const size_t run = EndOfAscii(utf8, pos);
        gathered.Add(utf8.data() + pos, run - pos);
        pos = run;
        if (pos >= utf8.size()) break;
        // Nothing beyond the BMP exists in code page 932.
        const int n = BmpCharLength(utf8, pos);
        const std::uint16_t bytes = n > 0 ? table.bytes[CodePoint(utf8.data() + pos, n)] : 0;
        if (bytes == 0) return gathered.Undo();
        const char pair[2] = {static_cast<char>(bytes >> 8), static_cast<char>(bytes & 0xFF)};
        if (bytes > 0xFF) gathered.Add(pair, 2);
        else gathered.Add(pair + 1, 1);
        pos += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace kestrova
