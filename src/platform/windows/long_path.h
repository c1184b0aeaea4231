#pragma once
// Paths as the wide-character API takes them, in the "\\?\" form that has no
// length limit of 260 characters and keeps every name as it is (a trailing
// dot or blank included).
#include <string>

namespace kestrova {

// "/" becomes "\"; a relative path, or one with "." or ".." in it, is first
// made absolute against the current folder, as the system would.
std::wstring LongPath(const std::string& path);

// The path without its "\\?\" (or "\\?\UNC\") prefix, as the user writes it.
std::wstring ShortForm(const std::wstring& long_path);

}  // namespace kestrova
