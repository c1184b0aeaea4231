#include "cp932_table.h"

#include <iconv.h>

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

// What iconv makes of the bytes, when that is one character of at most
// three UTF-8 bytes.
Utf8Char Convert(iconv_t cd, const char* bytes, size_t count) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in_buffer[2] = {bytes[0], count > 1 ? bytes[1] : '\0'};
    char out_buffer[8];
    char* in = in_buffer;
    char* out = out_buffer;
    size_t in_left = count;
    size_t out_left = sizeof out_buffer;
    Utf8Char c;
    if (iconv(cd, &in, &in_left, &out, &out_left) == static_cast<size_t>(-1) || in_left != 0) return c;
    const size_t length = sizeof out_buffer - out_left;
    if (length == 0 || length > 3) return c;
    c.length = static_cast<unsigned char>(length);
    for (size_t i = 0; i < length; ++i) c.bytes[i] = out_buffer[i];
    return c;
}

std::unique_ptr<Table> Build() {
    auto table = std::make_unique<Table>();
    const iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return table;
    for (int b = 0; b < 256; ++b) {
        if (IsLead(static_cast<unsigned char>(b))) continue;
        const char byte = static_cast<char>(b);
        table->single[static_cast<size_t>(b)] = Convert(cd, &byte, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            table->pair[static_cast<size_t>(lead << 8 | trail)] = Convert(cd, pair, 2);
        }
    }
    iconv_close(cd);
    table->ok = true;
    return table;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8ByTable(std::string_view bytes) {
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
            if (pos + 1 >= bytes.size()) return std::nullopt;
            c = &table->pair[static_cast<size_t>(b << 8 | static_cast<unsigned char>(bytes[pos + 1]))];
            used = 2;
        }
        if (c->length == 0) return std::nullopt;
        out.append(c->bytes, c->length);
        pos += used;
    }
    return out;
}

}  // namespace kestrova
