// Any bytes as a settings file: read, write, read, write. The two writes
// must be equal, so whatever a damaged file holds settles after one save
// and nothing the program wrote changes on the next start.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "platform/text/codepage.h"
#include "settings/settings_file.h"

namespace {

std::string ReadAndWrite(const std::string& bytes) {
    kestrova::SharedState state;  // zero-filled, as at start-up
    kestrova::ParseSettingsText(kestrova::DecodeFileText(bytes), state);
    return kestrova::EncodeFileText(kestrova::FormatSettingsText(state));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string first = ReadAndWrite(std::string(reinterpret_cast<const char*>(data), size));
    const std::string second = ReadAndWrite(first);
    if (first != second) {
        std::fprintf(stderr, "second save differs from the first\n");
        std::abort();
    }
    return 0;
}
