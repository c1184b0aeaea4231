#pragma once
// Texts live as UTF-8 in memory and as code page 932 (the Microsoft variant of
// Shift_JIS) in the files beside the program.
#include <optional>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova {

// nullopt when the text holds a character that code page 932 cannot encode.
std::optional<std::string> Utf8ToCp932(const std::string& utf8);
// Bytes that are not valid code page 932 become U+FFFD.
std::string Cp932ToUtf8(const std::string& bytes);

// For a file written by the program: code page 932 when every character fits,
// otherwise UTF-8 with a byte-order mark so nothing is lost. Some characters
// have a one-way mapping (U+301C and U+FF5E share 0x8160, the yen sign
// becomes a backslash); those do not fit, or they would come back different.
std::string EncodeFileText(const std::string& utf8);
// Reverse of EncodeFileText: a leading UTF-8 byte-order mark selects UTF-8.
std::string DecodeFileText(const std::string& bytes);

// The text's code-page-932 bytes from start (1-based) for count bytes, back
// as UTF-8. A double-byte character cut in half is dropped; a character that
// code page 932 lacks counts as two bytes.
std::string LeftBytes(const std::string& utf8, int start1, int count);
// Length in code-page-932 bytes, by the same counting.
int ByteLength(const std::string& utf8);

// Length in bytes of the well-formed UTF-8 character at text[pos], or 0 when
// the byte there starts none (a byte of a name that is not UTF-8).
int Utf8CharLength(std::string_view text, std::size_t pos);

// Code points, for routines that count characters.
int CharCount(const std::string& utf8);
std::string LeftChars(const std::string& utf8, int count);
std::string MidChars(const std::string& utf8, int start1, int count);

}  // namespace kestrova
