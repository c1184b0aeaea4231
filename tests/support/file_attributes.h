#pragma once
// The Windows attributes a user gives a settings or list file (hidden,
// system, read-only), for the tests that check the program keeps to them.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef DeleteFile

#include <string>

#include "temp_dir.h"

namespace kestrova::testing {

inline bool SetAttributes(const std::string& utf8_path, DWORD attributes) {
    return ::SetFileAttributesW(NativePath(utf8_path).wstring().c_str(), attributes) != 0;
}

inline DWORD AttributesOf(const std::string& utf8_path) {
    return ::GetFileAttributesW(NativePath(utf8_path).wstring().c_str());
}

}  // namespace kestrova::testing
#endif
