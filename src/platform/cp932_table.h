#pragma once
// Code page 932 to UTF-8 by a table built once from iconv: long texts that
// are mostly ASCII (the list file, the settings file) decode at memory speed
// instead of through one iconv pass.
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// The UTF-8 text, or nullopt when a byte or pair is not an assigned
// character (the caller then takes the slower road that replaces it).
std::optional<std::string> Cp932ToUtf8ByTable(std::string_view bytes);

}  // namespace kestrova
