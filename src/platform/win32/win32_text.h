#pragma once
// Texts between the program's UTF-8 and the wide-character API. Names are
// kept as WTF-8, so a lone UTF-16 surrogate in a file name survives the
// round trip; bytes that are no UTF-8 at all become U+FFFD.
#include <string>
#include <string_view>

namespace kestrova {

std::wstring WidenText(std::string_view utf8);
std::string NarrowText(std::wstring_view wide);

}  // namespace kestrova
