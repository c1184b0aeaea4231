// Code page 932 through iconv (glibc's "CP932", the Microsoft variant).
#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <string_view>
#include <utility>

#include "platform/text/codepage.h"
#include "platform/text/cp932_table.h"

namespace kestrova {
namespace {

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
    std::string Finish() {
        out_.resize(used_);
        return std::move(out_);
    }

private:
    std::string out_;
    std::size_t used_ = 0;
};

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

bool SystemHasCp932() { return FromCp932().ok(); }

bool SystemCp932CharToUtf8(const char* bytes, std::size_t count, std::string& utf8) {
    Converter& conv = FromCp932();
    if (!conv.ok() || count == 0 || count > 2) return false;
    char in_buffer[2] = {bytes[0], count > 1 ? bytes[1] : '\0'};
    char out_buffer[8];
    char* in = in_buffer;
    char* out = out_buffer;
    std::size_t in_left = count;
    std::size_t out_left = sizeof out_buffer;
    if (iconv(conv.get(), &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1) || in_left != 0) return false;
    utf8.append(out_buffer, sizeof out_buffer - out_left);
    return true;
}

}  // namespace kestrova
