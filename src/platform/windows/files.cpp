// Files and folders on Windows, every path through the wide-character API.
#include "platform/system/files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>

#include "long_path.h"
#include "system_error.h"
#include "wide_text.h"

// <windows.h> names its DeleteFileW DeleteFile; the program's own is meant.
#undef DeleteFile

namespace kestrova {
namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (ok()) ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    // Closes now so the caller sees the error that closing may report.
    bool Close() {
        const bool closed = ::CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE h_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// 100-nanosecond steps from 1601 to 1970.
constexpr std::int64_t kEpochDifference = 116444736000000000LL;

std::int64_t UnixSeconds(const FILETIME& t) {
    const std::int64_t ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    const std::int64_t since = ticks - kEpochDifference;
    // Rounded down, also before 1970.
    return since >= 0 ? since / 10000000 : -((-since + 9999999) / 10000000);
}

std::int64_t Size(DWORD high, DWORD low) { return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low); }

HANDLE OpenFolderHandle(const std::wstring& path) {
    // Backup semantics is what lets CreateFileW open a folder at all.
    return ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

FolderHandle OpenLongFolder(std::wstring path, std::string& error) {
    HANDLE h = OpenFolderHandle(path);
    if (h == INVALID_HANDLE_VALUE) {
        error = LastErrorText();
        return FolderHandle();
    }
    return FolderHandle(NativeFolder{h, std::move(path)});
}

std::optional<FileIdentity> IdentityOf(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The folder part of a long path; a root ("\\?\C:\", "\\?\UNC\host\share")
// has none.
std::optional<std::wstring> LongParent(const std::wstring& path) {
    const std::wstring shown = ShortForm(path);
    const std::size_t offset = path.size() - shown.size();
    const std::size_t slash = shown.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == shown.size()) return std::nullopt;
    if (shown.starts_with(L"\\\\")) {
        const std::size_t host_end = shown.find(L'\\', 2);
        if (host_end == std::wstring::npos || slash <= host_end) return std::nullopt;
    }
    if (slash == 2 && shown[1] == L':') return path.substr(0, offset + 3);
    return path.substr(0, offset + slash);
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
    return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

// Plain folders cannot be reached twice in a walk (folders have no hard
// links), so they get a number of their own instead of costing a system
// call each; only links and junctions are asked what they really are. The
// device part never equals a volume's 32-bit serial number.
std::atomic<std::uint64_t> next_plain_folder{1};
constexpr std::uint64_t kPlainFolderDevice = 1ULL << 40;

}  // namespace

void FolderHandle::Close() {
    if (native_.handle) ::CloseHandle(native_.handle);
    native_.handle = nullptr;
    native_.path.clear();
}

std::optional<FileIdentity> FolderHandle::Identity() const {
    if (!native_.handle) return std::nullopt;
    return IdentityOf(native_.handle);
}

bool FolderHandle::Removed() const {
    if (!native_.handle) return false;
    // Windows marks a folder deleted while open as pending; Wine deletes it
    // at once, so its name no longer leads anywhere.
    FILE_STANDARD_INFO info{};
    if (::GetFileInformationByHandleEx(native_.handle, FileStandardInfo, &info, sizeof info) && info.DeletePending) {
        return true;
    }
    return !native_.path.empty() && ::GetFileAttributesW(native_.path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

FolderHandle FolderHandle::Duplicate() const {
    HANDLE copy = nullptr;
    if (!native_.handle || !::DuplicateHandle(::GetCurrentProcess(), native_.handle, ::GetCurrentProcess(), &copy, 0,
                                              FALSE, DUPLICATE_SAME_ACCESS)) {
        return FolderHandle();
    }
    return FolderHandle(NativeFolder{copy, native_.path});
}

FolderHandle OpenFolder(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = ErrorText(ENOENT);
        return FolderHandle();
    }
    std::wstring wide = LongPath(path);
    // "C:\" keeps its separator; "C:\x\" does not need it.
    while (wide.size() > 1 && wide.back() == L'\\' && wide[wide.size() - 2] != L':') wide.pop_back();
    return OpenLongFolder(std::move(wide), error);
}

FolderHandle OpenSubfolder(const FolderHandle& parent, const std::string& name, std::string& error) {
    const std::wstring& from = parent.native().path;
    if (name == ".") return OpenLongFolder(from, error);
    if (name == "..") {
        const std::optional<std::wstring> up = LongParent(from);
        if (!up) {
            error = ErrorText(ENOENT);
            return FolderHandle();
        }
        return OpenLongFolder(*up, error);
    }
    return OpenLongFolder(Joined(from, WideFromUtf8(name)), error);
}

// The listing gives every entry's status with its name, so there is nothing
// to leave for later.
Listing ListFolder(const FolderHandle& folder, int attributes, const std::string& patterns, EntryStatus) {
    Listing listing;
    if (!folder.is_open()) {
        listing.error = ErrorText(ENOENT);
        return listing;
    }
    const std::wstring& path = folder.native().path;
    const std::uint64_t volume = folder.Identity().value_or(FileIdentity{}).device;
    const bool want_hidden = (attributes & kAttrHidden) != 0;
    const bool want_folders = (attributes & kAttrDirectory) != 0;

    // Size, time and attributes come with each name: no call per file.
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileExW(Joined(path, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) {
        // An empty drive root has not even "." in it.
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) listing.ok = true;
        else listing.error = LastErrorText();
        return listing;
    }
    do {
        const std::wstring_view wide_name = data.cFileName;
        if (wide_name == L"." || wide_name == L"..") continue;
        const DWORD attr = data.dwFileAttributes;
        const bool hidden = (attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
        const bool is_directory = (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (hidden && !want_hidden) continue;
        if (is_directory && !want_folders) continue;
        std::string name = Utf8FromWide(wide_name);
        if (!MatchesAnyPattern(name, patterns)) continue;

        DirEntry entry;
        entry.name = std::move(name);
        entry.is_directory = is_directory;
        entry.is_hidden = hidden;
        entry.is_symlink = (attr & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.size = is_directory ? 0 : Size(data.nFileSizeHigh, data.nFileSizeLow);
        entry.mtime_seconds = UnixSeconds(data.ftLastWriteTime);
        if (is_directory) {
            std::optional<FileIdentity> id;
            if (entry.is_symlink) {
                Handle h(OpenFolderHandle(Joined(path, std::wstring(wide_name))));
                if (h.ok()) id = IdentityOf(h.get());
            }
            if (!id) id = FileIdentity{kPlainFolderDevice | volume, next_plain_folder++};
            entry.device = id->device;
            entry.inode = id->inode;
        }
        listing.entries.push_back(std::move(entry));
    } while (::FindNextFileW(find.get(), &data));
    if (::GetLastError() != ERROR_NO_MORE_FILES) {
        listing.error = LastErrorText();
        listing.entries.clear();
        return listing;
    }
    SortByName(listing.entries);
    listing.ok = true;
    return listing;
}

namespace {

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return data;
}

}  // namespace

std::optional<FileStatus> LookUpFileStatus(const FolderHandle& folder, const char* name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!folder.is_open() ||
        !::GetFileAttributesExW(Joined(folder.native().path, WideFromUtf8(name)).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return FileStatus{Size(data.nFileSizeHigh, data.nFileSizeLow), UnixSeconds(data.ftLastWriteTime)};
}

bool NormalFileExists(const std::string& path) {
    const auto data = Attributes(path);
    return data && !(data->dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

bool FolderExists(const std::string& path) {
    const auto data = Attributes(path);
    return data && (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::int64_t> FileLength(const std::string& path) {
    const auto data = Attributes(path);
    if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return Size(data->nFileSizeHigh, data->nFileSizeLow);
}

std::optional<LocalTime> FileModified(const std::string& path) {
    const auto data = Attributes(path);
    if (!data) return std::nullopt;
    return ToLocalTime(UnixSeconds(data->ftLastWriteTime));
}

LocalTime ToLocalTime(std::int64_t seconds_since_epoch) {
    // The zone's rules of that date (summer time included), as Explorer shows it.
    const std::int64_t ticks = seconds_since_epoch * 10000000 + kEpochDifference;
    if (ticks < 0) return LocalTime{};
    FILETIME ft{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32)};
    SYSTEMTIME utc, local;
    if (!::FileTimeToSystemTime(&ft, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return LocalTime{};
    return LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

bool DeleteFile(const std::string& path, std::string& error) {
    if (!::DeleteFileW(LongPath(path).c_str())) {
        error = LastErrorText();
        return false;
    }
    return true;
}

bool RenameFile(const std::string& from, const std::string& to, std::string& error) {
    // Without MOVEFILE_REPLACE_EXISTING an existing target is refused.
    const std::wstring old_path = LongPath(from);
    const std::wstring new_path = LongPath(to);
    const bool case_only = old_path != new_path &&
                           ::CompareStringOrdinal(old_path.c_str(), -1, new_path.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (old_path == new_path) return true;  // the name as it is: nothing to do, as on Linux
    if (!case_only) {
        // Another hard link of the same file is another name: Wine's move
        // takes it for the file itself and reports success doing nothing.
        if (::GetFileAttributesW(new_path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            error = ErrorText(EEXIST);
            return false;
        }
        if (::MoveFileExW(old_path.c_str(), new_path.c_str(), 0)) return true;
        error = LastErrorText();
        return false;
    }
    // Another spelling of the same name is no other file. Not every file
    // system takes the change of case in one step, so it goes by a name of
    // its own in between.
    const std::wstring between = LongPath(TemporaryPath(from, static_cast<long>(::GetCurrentProcessId())));
    if (::MoveFileExW(old_path.c_str(), between.c_str(), 0)) {
        if (::MoveFileExW(between.c_str(), new_path.c_str(), 0)) return true;
        const DWORD code = ::GetLastError();
        ::MoveFileExW(between.c_str(), old_path.c_str(), 0);
        error = WindowsErrorText(code);
        return false;
    }
    error = LastErrorText();
    return false;
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::string& error, std::size_t max_bytes) {
    Handle file(::CreateFileW(LongPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.ok()) {
        error = FolderExists(path) ? ErrorText(EISDIR) : LastErrorText();
        return std::nullopt;
    }
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size)) {
        error = LastErrorText();
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > max_bytes) {
        error = ErrorText(EFBIG);
        return std::nullopt;
    }
    return ReadUpTo(static_cast<std::size_t>(size.QuadPart), max_bytes, error,
                    [&](char* into, std::size_t room) -> std::optional<std::size_t> {
                        DWORD got = 0;
                        if (::ReadFile(file.get(), into, static_cast<DWORD>(room), &got, nullptr)) return got;
                        error = LastErrorText();
                        return std::nullopt;
                    });
}

std::optional<std::string> FollowLinks(const std::string& path, std::string& error) {
    const DWORD attr = ::GetFileAttributesW(LongPath(path).c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    // The system follows the whole chain when it opens the file.
    Handle file(::CreateFileW(LongPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.ok()) {
        if (::GetLastError() == ERROR_CANT_RESOLVE_FILENAME) {
            error = LastErrorText();
            return std::nullopt;
        }
        return path;  // a link to nothing yet: the write makes it a file
    }
    std::wstring target(MAX_PATH, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(file.get(), target.data(), static_cast<DWORD>(target.size()), FILE_NAME_NORMALIZED);
    if (n >= target.size()) {
        target.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(file.get(), target.data(), static_cast<DWORD>(target.size()), FILE_NAME_NORMALIZED);
    }
    if (n == 0 || n >= target.size()) return path;
    target.resize(n);
    return Utf8FromWide(ShortForm(target));
}

bool AtomicFileWriter::Open(const std::string& requested, std::string& error) {
    Abandon();
    // The temporary file must lie beside the real file for the replacement
    // to be a rename, and replacing a link would turn a shared file into a
    // private copy.
    const std::optional<std::string> resolved = FollowLinks(requested, error);
    if (!resolved) return false;
    // A folder of that name is no file to replace, and not every
    // implementation of the replacing calls refuses it.
    const DWORD target = ::GetFileAttributesW(LongPath(*resolved).c_str());
    if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_DIRECTORY)) {
        error = WindowsErrorText(ERROR_ACCESS_DENIED);
        return false;
    }
    const std::string temp = TemporaryPath(*resolved, static_cast<long>(::GetCurrentProcessId()));
    const std::wstring wide_temp = LongPath(temp);
    // Opened without sharing until it is complete, so a start running
    // meanwhile cannot take it for one a killed save left behind.
    auto create = [&] {
        return ::CreateFileW(wide_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE raw = create();
    if (raw == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS) {
        ::DeleteFileW(wide_temp.c_str());  // left over from a run with the same process id
        raw = create();
    }
    if (raw == INVALID_HANDLE_VALUE) {
        error = LastErrorText();
        return false;
    }
    path_ = *resolved;
    temporary_ = temp;
    handle_ = reinterpret_cast<std::intptr_t>(raw);
    return true;
}

namespace {

bool Failed(AtomicFileWriter& writer, DWORD code, std::string& error) {
    writer.Abandon();
    error = WindowsErrorText(code);
    return false;
}

}  // namespace

bool AtomicFileWriter::Write(std::string_view bytes, std::string& error) {
    if (handle_ == -1) return Failed(*this, ERROR_INVALID_HANDLE, error);
    for (std::size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), bytes.data() + done, chunk, &written, nullptr)) {
            return Failed(*this, ::GetLastError(), error);
        }
        done += written;
    }
    return true;
}

bool AtomicFileWriter::Rewind(std::string& error) {
    if (handle_ == -1) return Failed(*this, ERROR_INVALID_HANDLE, error);
    const HANDLE file = reinterpret_cast<HANDLE>(handle_);
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)) {
        return Failed(*this, ::GetLastError(), error);
    }
    return true;
}

bool AtomicFileWriter::Commit(std::string& error) {
    if (handle_ == -1) return Failed(*this, ERROR_INVALID_HANDLE, error);
    const HANDLE file = reinterpret_cast<HANDLE>(handle_);
    if (!::FlushFileBuffers(file)) return Failed(*this, ::GetLastError(), error);
    handle_ = -1;
    if (!::CloseHandle(file)) return Failed(*this, ::GetLastError(), error);

    // ReplaceFileW keeps the old file's permissions and attributes, as the
    // user set them; with no old file there is nothing to keep. The hidden
    // and system attributes are set again in any case, since not every
    // implementation of ReplaceFileW carries them over.
    const std::wstring path = LongPath(path_);
    const std::wstring temp = LongPath(temporary_);
    const DWORD old_attributes = ::GetFileAttributesW(path.c_str());
    bool replaced = ::ReplaceFileW(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    if (!replaced) {
        const DWORD replace_error = ::GetLastError();
        if (!::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return Failed(*this, replace_error == ERROR_FILE_NOT_FOUND ? ::GetLastError() : replace_error, error);
        }
    }
    temporary_.clear();
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (old_attributes != INVALID_FILE_ATTRIBUTES && (old_attributes & kKept)) {
        const DWORD now = ::GetFileAttributesW(path.c_str());
        if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (old_attributes & kKept)) ::SetFileAttributesW(path.c_str(), now | (old_attributes & kKept));
    }
    return true;
}

void AtomicFileWriter::Abandon() {
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
    if (!temporary_.empty()) ::DeleteFileW(LongPath(temporary_).c_str());
    temporary_.clear();
}

namespace {

bool ProcessIsGone(long pid) {
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    const bool gone = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return gone;
}

}  // namespace

int RemoveStaleTemporaries(const std::string& requested) {
    std::string error;
    const std::string path = FollowLinks(requested, error).value_or(requested);
    const std::wstring folder = LongPath(ParentFolder(path));
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileExW(Joined(folder, WideFromUtf8(BaseName(path)) + L".tmp-*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, 0));
    if (find.get() == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    const long self = static_cast<long>(::GetCurrentProcessId());
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::optional<long> owner = TemporaryOwner(Utf8FromWide(data.cFileName), path);
        if (!owner) continue;
        // A process of that number may be a save under way (or an unrelated
        // process that got the number again): leave its file to a later start.
        if (*owner != self && !ProcessIsGone(*owner)) continue;
        // A save still writing holds the file unshared, and the delete fails.
        if (::DeleteFileW(Joined(folder, data.cFileName).c_str())) ++removed;
    } while (::FindNextFileW(find.get(), &data));
    return removed;
}

// ---- FileReadStream ----

bool FileReadStream::Open(const std::string& path, std::string& error) {
    Close();
    HANDLE file = ::CreateFileW(LongPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = FolderExists(path) ? ErrorText(EISDIR) : LastErrorText();
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

std::int64_t FileReadStream::Read(char* buffer, std::size_t size, std::string& error) {
    DWORD got = 0;
    const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, asked, &got, nullptr)) {
        error = LastErrorText();
        return -1;
    }
    return got;
}

void FileReadStream::Close() {
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

std::string ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return ".";
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return ParentFolder(Utf8FromWide(ShortForm(buffer)));
}

}  // namespace kestrova
