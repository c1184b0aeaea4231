// Files and folders on Windows, every path through the wide-character API.
#include "platform/system/files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>

#include "long_path.h"
#include "platform/system/save_recovery.h"
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
    listing.identity = folder.Identity().value_or(FileIdentity{});
    const std::uint64_t volume = listing.identity.device;
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

std::optional<FileIdentity> IdentityOfFile(const std::string& path) {
    Handle file(::CreateFileW(LongPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.ok()) return std::nullopt;
    return IdentityOf(file.get());
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

std::optional<PathKind> KindOfPath(const std::string& path, std::string& error) {
    const std::wstring wide = LongPath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return PathKind::Missing;
        error = WindowsErrorText(code);
        return std::nullopt;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return PathKind::File;
    // A link: what it leads to decides.
    Handle target(::CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!target.ok()) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return PathKind::Missing;
        error = WindowsErrorText(code);
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(target.get(), &info)) return PathKind::Other;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    return ::GetFileType(target.get()) == FILE_TYPE_DISK ? PathKind::File : PathKind::Other;
}

namespace {

// The attributes a new version of a file takes over from the old one: the
// user's hidden or system file stays so from the moment it is in place.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Nothing is written where the name holds a folder (not every way of
// replacing refuses one), nor over a file the user made read-only.
bool RefusesReplacing(const std::wstring& path, DWORD attributes, std::string& error) {
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
        error = WindowsErrorText(ERROR_ACCESS_DENIED);
        return true;
    }
    std::string kind_error;
    const std::optional<PathKind> kind = KindOfPath(Utf8FromWide(ShortForm(path)), kind_error);
    if (kind == PathKind::File || kind == PathKind::Missing) return false;
    error = kind ? NotAFileText() : kind_error;
    return true;
}

bool Failed(AtomicFileWriter& writer, DWORD code, std::string& error) {
    writer.Abandon();
    error = WindowsErrorText(code);
    return false;
}

}  // namespace

bool AtomicFileWriter::Open(const std::string& requested, std::string& error) {
    Abandon();
    // The temporary file must lie beside the real file for the replacement
    // to be a rename, and replacing a link would turn a shared file into a
    // private copy.
    const std::optional<std::string> resolved = FollowLinks(requested, error);
    if (!resolved) return false;
    const DWORD old_attributes = ::GetFileAttributesW(LongPath(*resolved).c_str());
    if (RefusesReplacing(LongPath(*resolved), old_attributes, error)) return false;
    const std::string temp = TemporaryPath(*resolved, static_cast<long>(::GetCurrentProcessId()), SaveStage::Writing);
    const std::wstring wide_temp = LongPath(temp);
    const DWORD kept = old_attributes == INVALID_FILE_ATTRIBUTES ? 0 : old_attributes & kKeptAttributes;
    // Opened without sharing until it is complete, so a start running
    // meanwhile cannot take it for one a killed save left behind.
    auto create = [&] {
        return ::CreateFileW(wide_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
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

    // Whole on the disk: from now on its name says so. Then the one step
    // that replaces the file: a rename over it, which NTFS (and Wine) do at
    // once, where ReplaceFileW goes through a moment without the file.
    constexpr DWORD kMove = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    const std::string written = TemporaryPath(path_, static_cast<long>(::GetCurrentProcessId()), SaveStage::Written);
    if (!::MoveFileExW(LongPath(temporary_).c_str(), LongPath(written).c_str(), kMove)) {
        return Failed(*this, ::GetLastError(), error);
    }
    temporary_ = written;
    if (!::MoveFileExW(LongPath(written).c_str(), LongPath(path_).c_str(), kMove)) {
        return Failed(*this, ::GetLastError(), error);
    }
    temporary_.clear();
    return true;
}

void AtomicFileWriter::Abandon() {
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
    if (!temporary_.empty()) ::DeleteFileW(LongPath(temporary_).c_str());
    temporary_.clear();
}

long CurrentProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

bool ProcessHasEnded(long pid) {
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    const bool gone = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return gone;
}

// A save still writing holds its temporary unshared: deleting or renaming
// it then fails.
bool DeleteLeftover(const std::string& temp) { return ::DeleteFileW(LongPath(temp).c_str()) != 0; }

bool PutBackLeftover(const std::string& temp, const std::string& path) {
    return ::MoveFileExW(LongPath(temp).c_str(), LongPath(path).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
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

namespace {

// The names of devices that the system finds in every folder: the part of
// a name before its first dot, blanks after it not counted, in any case.
// Superscript digits count as digits to it.
bool IsDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper(base);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
        upper == "CONOUT$") {
        return true;
    }
    if (!upper.starts_with("COM") && !upper.starts_with("LPT")) return false;
    const std::string_view number = std::string_view(upper).substr(3);
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

bool SystemTakesName(std::string_view name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return !IsDeviceName(name);
}

// ---- FileWriteStream ----

bool FileWriteStream::Create(const std::string& path, std::string& error) {
    Close();
    HANDLE file = ::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastErrorText();
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    failed_ = false;
    return true;
}

bool FileWriteStream::WriteThrough(const char* bytes, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

void FileWriteStream::Close() {
    if (handle_ == -1) return;
    Flush();
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
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
