#pragma once
// File-system access in the terms the program uses: folders listed with
// attribute selection and wildcard patterns, normal-file existence, length,
// modification time, delete and rename. Failures carry the system's text.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/model/services.h"  // LocalTime

#ifdef _WIN32
#include "platform/windows/native_folder.h"
#else
#include "platform/posix/native_folder.h"
#endif

namespace kestrova {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// Windows takes "/" between names as well, so a new name may hold neither.
inline constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
#else
inline constexpr char kPathSeparator = '/';
inline constexpr bool IsPathSeparator(char c) { return c == '/'; }
#endif

// The folder the first folder row starts with: the system drive's root.
inline std::string DefaultRootFolder() { return kPathSeparator == '\\' ? "C:\\" : "/"; }

// A network folder: "\\server\share" on Windows, "//server/share" here.
inline bool IsNetworkPath(const std::string& path) {
    return path.size() >= 2 && path[0] == kPathSeparator && path[1] == kPathSeparator;
}
// The folder with exactly one separator at its end.
inline std::string WithTrailingSeparator(const std::string& folder) {
    return !folder.empty() && folder.back() == kPathSeparator ? folder : folder + kPathSeparator;
}

// Attribute selection, as the Windows attribute bits. Normal files are always
// included; these bits add more kinds of entry.
enum FileAttribute : int {
    kAttrNormal = 0,
    kAttrReadOnly = 1,
    kAttrHidden = 2,  // on Linux: the name begins with "."
    kAttrSystem = 4,  // never set on Linux
    kAttrDirectory = 16,
    kAttrArchive = 32,
};

struct DirEntry {
    std::string name;  // bytes as the system gave them
    bool is_directory = false;
    bool is_hidden = false;
    bool is_symlink = false;
    std::int64_t size = 0;          // bytes (of the target, for a link)
    std::int64_t mtime_seconds = 0;  // seconds since the epoch
    std::uint64_t device = 0;       // identity of the real file or folder,
    std::uint64_t inode = 0;        // so a walk can visit each folder once
    // False for a normal file listed with EntryStatus::Later whose size and
    // time are still to be looked up (LookUpFileStatus).
    bool status_known = true;
};

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct Listing {
    bool ok = false;
    std::string error;  // the system's error text when !ok
    std::vector<DirEntry> entries;  // ascending by name, "." and ".." left out
    // The real folder listed, when ok: the listing learns it on its way,
    // which spares a walk a request per folder.
    FileIdentity identity;
};

// An open folder. Walks go from an open folder to its subfolder by name, so
// neither the depth of a tree nor the length of its paths matters.
// What an open folder is to the system is the system's business
// (NativeFolder: a descriptor here, a handle and a path on Windows).
class FolderHandle {
public:
    FolderHandle() = default;
    explicit FolderHandle(NativeFolder native) : native_(std::move(native)) {}
    ~FolderHandle() { Close(); }
    FolderHandle(FolderHandle&& other) noexcept : native_(std::exchange(other.native_, NativeFolder{})) {}
    FolderHandle& operator=(FolderHandle&& other) noexcept {
        if (this != &other) {
            Close();
            native_ = std::exchange(other.native_, NativeFolder{});
        }
        return *this;
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    bool is_open() const { return native_.is_open(); }
    const NativeFolder& native() const { return native_; }
    void Close();
    // The real folder it is (nullopt when the system cannot tell).
    std::optional<FileIdentity> Identity() const;
    // True once the folder has been deleted while it was open.
    bool Removed() const;

private:
    NativeFolder native_;
};

// Opens a folder by its path, also one longer than the system's path limit.
FolderHandle OpenFolder(const std::string& path, std::string& error);
// Opens the entry `name` of an open folder as a folder, following a link.
FolderHandle OpenSubfolder(const FolderHandle& parent, const std::string& name, std::string& error);

// Lists one folder. Entries are normal files matching `patterns` (";"-separated
// wildcards, see MatchesAnyPattern), plus hidden files with kAttrHidden, plus
// folders (also matched against the patterns) with kAttrDirectory; hidden
// folders need both bits. Size and time come from one status call per entry.
// A folder that can be read but not searched fails: its entries cannot be
// looked at, so listing it as empty would hide them.
Listing ListFolder(const std::string& folder, int attributes, const std::string& patterns);

// When the status of the entries is looked up.
enum class EntryStatus {
    Now,
    // Entries the listing itself names as normal files are listed with their
    // name only (status_known false), so a reader can look them up on another
    // thread; folders, links and entries of unknown kind are still looked up
    // at once, as only their status tells a folder. A system whose listing
    // gives sizes and times with the names fills in every entry anyway.
    Later,
};
Listing ListFolder(const FolderHandle& folder, int attributes, const std::string& patterns,
                   EntryStatus status = EntryStatus::Now);

struct FileStatus {
    std::int64_t size = 0;
    std::int64_t mtime_seconds = 0;
};
// The size and time of the normal file `name` (NUL-terminated) in an open
// folder; nullopt when it has gone meanwhile or is a folder by now.
std::optional<FileStatus> LookUpFileStatus(const FolderHandle& folder, const char* name);

// Windows file-pattern matching: case-insensitive, "*" any run, "?" one
// character, "*.*" every name (also one without a dot). Blanks around each
// ";"-separated pattern are ignored; an empty pattern list matches nothing.
bool MatchesAnyPattern(std::string_view name, std::string_view patterns);

// True for an existing normal file: not a folder, not hidden.
bool NormalFileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The real file a path leads to; nullopt when it cannot be looked at.
std::optional<FileIdentity> IdentityOfFile(const std::string& path);
std::optional<std::int64_t> FileLength(const std::string& path);
std::optional<LocalTime> FileModified(const std::string& path);
LocalTime ToLocalTime(std::int64_t seconds_since_epoch);

// The system's description of an error, named by its C error number
// (ENOENT, EEXIST, ...): on Windows the matching Windows error's text.
std::string ErrorText(int error_number);

bool DeleteFile(const std::string& path, std::string& error);
// Never replaces another file: an existing target name is refused.
bool RenameFile(const std::string& from, const std::string& to, std::string& error);
// A new name for a file in its folder; a name that would lead to another
// folder, or one SystemTakesName refuses, is refused with the system's text
// for an invalid name.
bool CheckNewFileName(const std::string& name, std::string& error);
// Whether the system makes and finds a file of this name by its ordinary
// path. Windows does not for a name that ends in a dot or a blank, is a
// device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an
// extension) or holds < > : " | ? * or a control character; such files
// exist all the same, made by other programs, and are reached through
// their long paths.
bool SystemTakesName(std::string_view name);

// A file read from its start to its end in pieces of the caller's size, so
// no file has to fit in memory at once.
class FileReadStream {
public:
    FileReadStream() = default;
    ~FileReadStream() { Close(); }
    FileReadStream(const FileReadStream&) = delete;
    FileReadStream& operator=(const FileReadStream&) = delete;

    // False with the system's text when the file cannot be opened for
    // reading (a folder cannot either).
    bool Open(const std::string& path, std::string& error);
    // Bytes read into buffer: 0 at the end of the file, -1 with the
    // system's text when reading failed.
    std::int64_t Read(char* buffer, std::size_t size, std::string& error);
    void Close();

private:
    std::intptr_t handle_ = -1;
};

// A file written from its start, as the scratch files of a refresh are:
// what is written gathers in memory and goes to the file at Flush, at Close
// or when a good piece has gathered, so a record costs no system call.
class FileWriteStream {
public:
    FileWriteStream() = default;
    ~FileWriteStream() { Close(); }
    FileWriteStream(const FileWriteStream&) = delete;
    FileWriteStream& operator=(const FileWriteStream&) = delete;

    // Makes the file, or empties the one there; false with the system's text.
    bool Create(const std::string& path, std::string& error);
    bool IsOpen() const { return handle_ != -1; }
    void Write(const void* bytes, std::size_t size);
    // Hands what gathered to the system. False once any write has failed.
    bool Flush();
    void Close();

private:
    static constexpr std::size_t kGathered = 64 * 1024;
    // The system's write of the whole piece.
    bool WriteThrough(const char* bytes, std::size_t size);
    std::intptr_t handle_ = -1;
    std::string pending_;
    bool failed_ = false;
};

// The first `bytes` of a file, fewer when it is shorter, empty when it
// cannot be read: for telling what a file holds by how it begins.
std::string ReadFileHead(const std::string& path, std::size_t bytes);
// Reads at most max_bytes of a file; nullopt with the error text on failure.
std::optional<std::string> ReadFileBytes(const std::string& path, std::string& error,
                                         std::size_t max_bytes = 256u * 1024u * 1024u);
// The reading loop of ReadFileBytes that both systems share. size_hint is
// what the system says the file holds, which it may outgrow; read fills at
// most `room` bytes and gives how many (0 at the end), or nullopt with the
// error text set.
std::optional<std::string> ReadUpTo(std::size_t size_hint, std::size_t max_bytes, std::string& error,
                                    const std::function<std::optional<std::size_t>(char* into, std::size_t room)>& read);
// The path a chain of symbolic links ends at (which need not exist yet), or
// the path itself when it is no link; nullopt with the error text on a loop.
std::optional<std::string> FollowLinks(const std::string& path, std::string& error);
// A file replaced atomically, written a piece at a time. The pieces go to a
// temporary file in the same folder under a name that says it is being
// written; Commit puts it on the disk, renames it to a name that says it is
// whole, and renames that one over the file in one step. So the file is
// always there, old or new, and a save killed at any moment leaves at worst
// a temporary whose name tells the next start what it holds (see
// RecoverInterruptedSaves). Through a symbolic link the file it points at is
// replaced, so a shared file stays shared. Open writes nothing, and gives
// the system's text why, when the name holds a folder or anything else that
// is no file, or a file that may not be written (read-only). Given up
// without Commit (or when a step fails), the temporary goes and the old file
// stays as it was.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter() { Abandon(); }
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Each step is false with the system's text once one has failed.
    bool Open(const std::string& path, std::string& error);
    bool Write(std::string_view bytes, std::string& error);
    // Empties what was written, to write the file again from its start.
    bool Rewind(std::string& error);
    bool Commit(std::string& error);
    void Abandon();

private:
    std::string path_;       // the file replaced, links followed
    std::string temporary_;  // the temporary's name now; empty when nothing is under way
    std::intptr_t handle_ = -1;
    // Bytes written whose way to the disk has not been started yet.
    std::uint64_t unsent_ = 0;
};

// Writes a whole file with an AtomicFileWriter.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

// The temporary file a save by process `pid` uses for `path` in each stage,
// and back: which save's temporary of `path` the name `name` is, if any.
enum class SaveStage { Writing, Written };
std::string TemporaryPath(const std::string& path, long pid, SaveStage stage = SaveStage::Writing);
struct TemporaryName {
    long pid = 0;
    SaveStage stage = SaveStage::Writing;
};
std::optional<TemporaryName> TemporaryOwner(const std::string& name, const std::string& path);

// What is under a path, links followed.
enum class PathKind {
    Missing,
    File,
    Folder,
    Other,  // a pipe, a device, a socket: nothing to read or replace as a file
};
// nullopt, with the system's text, when the system cannot tell (a loop of
// links, no right to look).
std::optional<PathKind> KindOfPath(const std::string& path, std::string& error);
// The system's text for a name that holds something other than a file.
std::string NotAFileText();

// The folder as list rows show it: without trailing separators, and a drive
// root ("C:\") as its drive ("C:"); the root "/" stays as it is.
std::string ShownFolder(const std::string& folder);

// The last name of a path and the folder before it ("." for a bare name).
std::string BaseName(const std::string& path);
std::string ParentFolder(const std::string& path);
// Ascending by name as a Windows listing orders it: case-insensitive, with
// the bytes deciding between names that differ only in case.
void SortByName(std::vector<DirEntry>& entries);

// A folder's names gathered one after another in one buffer and put in that
// order without moving them: a listing then builds each entry once, in its
// place, where sorting finished entries moved each of them twice.
class NameList {
public:
    void Add(std::string_view name);
    std::size_t size() const { return spans_.size(); }
    std::string_view operator[](std::size_t i) const { return {bytes_.data() + spans_[i].offset, spans_[i].size}; }
    // The same name ended by a NUL, for the system's calls.
    const char* CString(std::size_t i) const { return bytes_.data() + spans_[i].offset; }
    // The indexes of the names, ascending as SortByName orders.
    std::vector<std::uint32_t> Order() const;

private:
    struct Span {
        std::uint32_t offset;
        std::uint32_t size;
    };
    std::string bytes_;
    std::string folded_;  // the same names with A-Z made small
    std::vector<Span> spans_;
};

// The folder holding the running executable, without a trailing separator.
std::string ExecutableFolder();

}  // namespace kestrova
