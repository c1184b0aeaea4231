#pragma once
// An open folder on Windows: a handle, which keeps the folder from being
// removed and tells its identity, and the folder's path in the long ("\\?\")
// form, since listing goes by path there.
#include <string>

namespace kestrova {

struct NativeFolder {
    void* handle = nullptr;  // a HANDLE; null while closed
    std::wstring path;       // without a trailing separator, except at a root
    bool is_open() const { return handle != nullptr; }
};

}  // namespace kestrova
