#pragma once
// What a JPEG's header tells before any decoding: a progressive JPEG keeps
// the coefficients of the whole picture while it decodes, even when it is
// decoded reduced, so its memory follows its stored size.
#include <cstdint>
#include <optional>
#include <string>

namespace kestrova {

// The bytes of coefficients a decode of this JPEG holds at once: 0 for a
// sequential (baseline) JPEG, which decodes a band at a time. nullopt when
// the file is no JPEG or its header cannot be read.
std::optional<std::int64_t> JpegWholeCoefficientBytes(const std::string& path);

}  // namespace kestrova
