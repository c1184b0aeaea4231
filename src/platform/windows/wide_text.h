#pragma once
// Names live as UTF-8 in the program and as UTF-16 in the Windows API. A
// Windows name may hold a lone surrogate, which no UTF-8 text can; such a
// unit is kept as the three bytes of its code (WTF-8), so every name comes
// back to the same UTF-16 and still names its file.
#include <string>
#include <string_view>

namespace kestrova {

std::string Utf8FromWide(std::wstring_view wide);
// Bytes that are neither UTF-8 nor an encoded surrogate become U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8);

}  // namespace kestrova
