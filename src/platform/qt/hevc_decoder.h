#pragma once

namespace kestrova {

// The name libheif knows the decoder below by, for a caller that asks for it.
inline constexpr const char* kHevcDecoderId = "kestrova-libde265";

// libheif's own HEVC decoder runs libde265 on one thread, so a 24-megapixel
// HEIC takes seconds on one processor while the others idle. This registers,
// once, a decoder that drives the same libde265 with a worker thread for
// each processor, and that libheif prefers to its own. Call after heif_init.
void RegisterHevcDecoder();

}  // namespace kestrova
