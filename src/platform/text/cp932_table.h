#pragma once
// Code page 932 to UTF-8 by a table built once from the system's own
// conversion: long texts that are mostly ASCII (the list file, the settings
// file) decode at memory speed instead of one system call per character.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// The text as UTF-8. A byte or pair that is not an assigned character gives
// nullopt, or with `replace` becomes U+FFFD: an unassigned pair (a lead byte
// with a proper trail byte) as one, any other bad byte alone, so that the
// character after it (a line break, say) survives. nullopt also when the
// system has no code page 932.
std::optional<std::string> Cp932ToUtf8ByTable(std::string_view bytes, bool replace = false);

// Implemented per system: one character of code page 932 (one byte, or a
// lead and a trail byte) as UTF-8 by the system's conversion, appended to
// utf8; false when the system does not assign it.
bool SystemCp932CharToUtf8(const char* bytes, std::size_t count, std::string& utf8);
// Whether the system converts code page 932 at all.
bool SystemHasCp932();

}  // namespace kestrova
