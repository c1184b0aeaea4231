#include "long_path.h"

#include <windows.h>

#include "wide_text.h"

namespace kestrova {
namespace {

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";

bool IsDriveAbsolute(const std::wstring& p) {
    return p.size() >= 3 && p[1] == L':' && p[2] == L'\\' && ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z'));
}

bool IsUnc(const std::wstring& p) { return p.size() > 2 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'?' && p[2] != L'.'; }

// "." and ".." are names to the file system behind "\\?\", not steps.
bool HasDotSteps(const std::wstring& p) {
    for (std::size_t start = 0; start <= p.size();) {
        std::size_t end = p.find(L'\\', start);
        if (end == std::wstring::npos) end = p.size();
        const std::wstring_view part(p.data() + start, end - start);
        if (part == L"." || part == L"..") return true;
        start = end + 1;
    }
    return false;
}

std::wstring FullPath(const std::wstring& p) {
    DWORD size = ::GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
    if (size == 0) return p;
    std::wstring out(size, L'\0');
    size = ::GetFullPathNameW(p.c_str(), size, out.data(), nullptr);
    out.resize(size);
    return out;
}

}  // namespace

std::wstring LongPath(const std::string& path) {
    std::wstring p = WideFromUtf8(path);
    if (p.starts_with(kLongPrefix)) return p;
    for (wchar_t& c : p) {
        if (c == L'/') c = L'\\';
    }
    if (p.starts_with(L"\\\\.\\")) return p;  // a device, left alone
    if ((!IsDriveAbsolute(p) && !IsUnc(p)) || HasDotSteps(p)) p = FullPath(p);
    if (IsUnc(p)) return std::wstring(kLongUncPrefix) + p.substr(2);
    if (IsDriveAbsolute(p)) return std::wstring(kLongPrefix) + p;
    return p;
}

std::wstring ShortForm(const std::wstring& long_path) {
    if (long_path.starts_with(kLongUncPrefix)) return L"\\\\" + long_path.substr(kLongUncPrefix.size());
    if (long_path.starts_with(kLongPrefix)) return long_path.substr(kLongPrefix.size());
    return long_path;
}

}  // namespace kestrova
