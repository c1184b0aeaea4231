#pragma once
// Which files the viewer shows, by the end of their name.
#include <string_view>

namespace kestrova {

enum class PictureKind { None, Platform, Png };

// Extensions count in all upper or all lower case only: "a.Png" is none.
PictureKind PictureKindOf(std::string_view path);

}  // namespace kestrova
