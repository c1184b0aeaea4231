#pragma once
#include <string>
#include <vector>

namespace kestrova::testing {

// Every piece between separators, so a text ending in one ends with "".
inline std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size()) {
        pieces.push_back(text.substr(start, at - start));
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace kestrova::testing
