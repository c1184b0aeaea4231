// Code page 932 through the system's own tables.
#include <windows.h>

#include "platform/text/codepage.h"
#include "platform/text/cp932_table.h"
#include "wide_text.h"

namespace kestrova {
namespace {

constexpr UINT kCp932 = 932;

// Windows gives code page 932 five single bytes more than its published
// table (0x80, 0xA0 and 0xFD to 0xFF, read as U+0080 and the private
// U+F8F0 to U+F8F3). They are left out, so a text is written as the same
// bytes on every system and such bytes read as a replacement everywhere.
bool IsWindowsOnlyByte(unsigned char b) { return b == 0x80 || b == 0xA0 || b >= 0xFD; }
bool IsWindowsOnlyChar(wchar_t c) { return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3); }

}  // namespace

std::optional<std::string> Utf8ToCp932(const std::string& utf8) {
    // Nothing outside the BMP exists in code page 932, and a malformed text
    // has no code page 932 form either.
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[pos]);
        if (b >= 0xF0) return std::nullopt;
        const int n = Utf8CharLength(utf8, pos);
        if (n == 0) return std::nullopt;
        pos += static_cast<std::size_t>(n);
    }
    if (utf8.empty()) return std::string();
    const std::wstring wide = WideFromUtf8(utf8);
    for (wchar_t c : wide) {
        if (IsWindowsOnlyChar(c)) return std::nullopt;
    }
    // No best fit: a character the code page lacks must fail, not turn
    // into a look-alike that reads back as something else.
    BOOL used_default = FALSE;
    const int size = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, &used_default);
    if (size <= 0 || used_default) return std::nullopt;
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr,
                          &used_default);
    if (used_default) return std::nullopt;
    return out;
}

bool SystemHasCp932() { return ::IsValidCodePage(kCp932) != 0; }

bool SystemCp932CharToUtf8(const char* bytes, std::size_t count, std::string& utf8) {
    if (count == 1 && IsWindowsOnlyByte(static_cast<unsigned char>(bytes[0]))) return false;
    wchar_t wide[4];
    const int n = ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), wide, 4);
    if (n <= 0) return false;
    utf8 += Utf8FromWide(std::wstring_view(wide, static_cast<std::size_t>(n)));
    return true;
}

}  // namespace kestrova
