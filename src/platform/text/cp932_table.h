#pragma once
// Code page 932 to UTF-8 and back by tables built once from the system's own
// conversion: long texts that are mostly ASCII (the list file, the settings
// file) convert at memory speed instead of one system call per character.
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
// The same, appended to utf8; false (with utf8 as it was) where the above
// gives nullopt.
bool AppendCp932AsUtf8(std::string_view bytes, std::string& utf8, bool replace);

// The text appended to cp932 in code page 932, when every character has a
// form there that reads back as that same character; otherwise (also for
// text that is not UTF-8, or without code page 932 on the system) false,
// with cp932 as it was. Characters convert one by one, so a text cut
// between characters converts piece by piece to the same bytes.
bool AppendUtf8AsCp932(std::string_view utf8, std::string& cp932);

// Implemented per system: one character of code page 932 (one byte, or a
// lead and a trail byte) as UTF-8 by the system's conversion, appended to
// utf8; false when the system does not assign it.
bool SystemCp932CharToUtf8(const char* bytes, std::size_t count, std::string& utf8);
// Whether the system converts code page 932 at all.
bool SystemHasCp932();

}  // namespace kestrova
