#include "system_error.h"

#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/system/files.h"
#include "wide_text.h"

namespace kestrova {

std::string WindowsErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n > 0 && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    // The system ends its sentences with a line break, which a message box
    // followed by the program's own sentence must not show.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    if (text.empty()) return "Error " + std::to_string(code);
    return Utf8FromWide(text);
}

std::string LastErrorText() { return WindowsErrorText(::GetLastError()); }

// The program names errors by their C numbers; Windows describes its own.
std::string ErrorText(int error_number) {
    switch (error_number) {
        case ENOENT: return WindowsErrorText(ERROR_FILE_NOT_FOUND);
        case EEXIST: return WindowsErrorText(ERROR_ALREADY_EXISTS);
        case EINVAL: return WindowsErrorText(ERROR_INVALID_NAME);
        case EACCES: return WindowsErrorText(ERROR_ACCESS_DENIED);
        case ENOTDIR: return WindowsErrorText(ERROR_DIRECTORY);
        case EISDIR: return WindowsErrorText(ERROR_ACCESS_DENIED);  // what opening a folder as a file gives
        case EFBIG: return WindowsErrorText(ERROR_FILE_TOO_LARGE);
        case ENOSPC: return WindowsErrorText(ERROR_DISK_FULL);
        case ENOTSUP: return WindowsErrorText(ERROR_NOT_SUPPORTED);
        default: return std::strerror(error_number);
    }
}

}  // namespace kestrova
