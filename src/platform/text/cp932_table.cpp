#include "cp932_table.h"

#include <array>
#include <memory>

namespace kestrova {
namespace {

struct Utf8Char {
    unsigned char length = 0;  // 0: not an assigned character
    char bytes[3] = {};
};

struct Table {
    bool ok = false;
    std::array<Utf8Char, 256> single;
    std::array<Utf8Char, 65536> pair;  // lead byte << 8 | trail byte
};

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

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

std::unique_ptr<Table> Build() {
    auto table = std::make_unique<Table>();
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

}  // namespace

std::optional<std::string> Cp932ToUtf8ByTable(std::string_view bytes, bool replace) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
    static const std::unique_ptr<Table> table = Build();
    if (!table->ok) return std::nullopt;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t run = pos;
        while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80) ++run;
        out.append(bytes.data() + pos, run - pos);
        pos = run;
        if (pos >= bytes.size()) break;
        const auto b = static_cast<unsigned char>(bytes[pos]);
        const Utf8Char* c = &table->single[b];
        size_t used = 1;
        if (IsLead(b)) {
            if (pos + 1 < bytes.size()) {
                const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
                c = &table->pair[static_cast<size_t>(b << 8 | trail)];
                used = IsTrail(trail) ? 2 : 1;
            } else {
                c = &table->single[b];  // never assigned: a lead byte alone
            }
        }
        if (c->length == 0) {
            if (!replace) return std::nullopt;
            out.append(kReplacement);
            pos += used;
            continue;
        }
        out.append(c->bytes, c->length);
        pos += used;
    }
    return out;
}

}  // namespace kestrova
