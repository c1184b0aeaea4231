#include "platform/system/files.h"
#include "platform/system/save_recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace kestrova {

std::string ErrorText(int error_number) { return std::strerror(error_number); }

namespace {

constexpr int kFolderOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

class DirHandle {
public:
    explicit DirHandle(DIR* d) : d_(d) {}
    ~DirHandle() {
        if (d_) closedir(d_);
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;
    DIR* get() const { return d_; }

private:
    DIR* d_;
};

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now so the caller sees the error that close itself may report.
    int Close() {
        const int r = ::close(fd_);
        fd_ = -1;
        return r;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes, int& err) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const std::size_t chunk = std::min<std::size_t>(left, 1u << 30);
        const ssize_t n = ::write(fd, p, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void FolderHandle::Close() {
    if (native_.fd >= 0) ::close(native_.fd);
    native_.fd = -1;
}

std::optional<FileIdentity> FolderHandle::Identity() const {
    struct stat st;
    if (native_.fd < 0 || ::fstat(native_.fd, &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool FolderHandle::Removed() const {
    struct stat st;
    return native_.fd >= 0 && ::fstat(native_.fd, &st) == 0 && st.st_nlink == 0;
}

FolderHandle OpenSubfolder(const FolderHandle& parent, const std::string& name, std::string& error) {
    const int fd = ::openat(parent.native().fd, name.c_str(), kFolderOpenFlags);
    if (fd < 0) error = ErrorText(errno);
    return FolderHandle(NativeFolder{fd});
}

FolderHandle OpenFolder(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = ErrorText(ENOENT);
        return FolderHandle();
    }
    const int fd = ::open(path.c_str(), kFolderOpenFlags);
    if (fd >= 0) return FolderHandle(NativeFolder{fd});
    if (errno != ENAMETOOLONG) {
        error = ErrorText(errno);
        return FolderHandle();
    }
    // Too long for one call: go one name at a time from the root or from
    // the current folder.
    FolderHandle folder(NativeFolder{::open(path[0] == '/' ? "/" : ".", kFolderOpenFlags)});
    for (std::size_t pos = 0; pos < path.size() && folder.is_open();) {
        std::size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        if (next > pos) folder = OpenSubfolder(folder, path.substr(pos, next - pos), error);
        pos = next + 1;
    }
    return folder;
}

Listing ListFolder(const FolderHandle& folder, int attributes, const std::string& patterns, EntryStatus status) {
    Listing listing;
    auto fail = [&](int err) {
        listing.error = ErrorText(err);
        listing.entries.clear();
        return std::move(listing);
    };
    // Looking up any name, even ".", needs the right to search the folder.
    struct stat self;
    if (::fstatat(folder.native().fd, ".", &self, 0) != 0) return fail(errno);
    listing.identity = {static_cast<std::uint64_t>(self.st_dev), static_cast<std::uint64_t>(self.st_ino)};
    const int dfd = folder.native().fd;
    // The entries come straight from the system into a buffer on the stack:
    // a directory stream would cost a descriptor of its own, a buffer from
    // the heap and four more system calls per folder. A folder listed
    // before is read again from its beginning.
    if (folder.native().listed && ::lseek(dfd, 0, SEEK_SET) != 0) return fail(errno);
    folder.native().listed = true;
    const bool want_hidden = (attributes & kAttrHidden) != 0;
    const bool want_folders = (attributes & kAttrDirectory) != 0;

    // The wanted names first, then each looked up in name order.
    NameList names;
    std::vector<unsigned char> kinds;
    alignas(dirent64) char buffer[32768];
    while (true) {
        const ssize_t got = ::getdents64(dfd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        if (got == 0) break;
        for (ssize_t at = 0; at < got;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
            at += d->d_reclen;
            const std::string_view name = d->d_name;
            if (name == "." || name == "..") continue;
            if (name[0] == '.' && !want_hidden) continue;
            // Names that cannot be wanted are dropped before any status call.
            if (d->d_type == DT_DIR && !want_folders) continue;
            if (!MatchesAnyPattern(name, patterns)) continue;
            names.Add(name);
            kinds.push_back(d->d_type);
        }
    }
    listing.entries.reserve(names.size());
    for (const std::uint32_t i : names.Order()) {
        const std::string_view name = names[i];
        const bool hidden = name[0] == '.';
        if (kinds[i] == DT_REG && status == EntryStatus::Later) {
            DirEntry& entry = listing.entries.emplace_back();
            entry.name = name;
            entry.is_hidden = hidden;
            entry.status_known = false;
            continue;
        }
        const char* path = names.CString(i);
        struct stat st;
        bool is_symlink = kinds[i] == DT_LNK;
        if (::fstatat(dfd, path, &st, 0) != 0) {
            // A dangling link (or one that loops) is still listed, with the
            // data of the link itself.
            if (::fstatat(dfd, path, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == EACCES) return fail(errno);  // lost the right to search meanwhile
                continue;                                 // gone meanwhile
            }
            is_symlink = S_ISLNK(st.st_mode);
        } else if (kinds[i] == DT_UNKNOWN) {
            struct stat lst;
            is_symlink = ::fstatat(dfd, path, &lst, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(lst.st_mode);
        }
        const bool is_directory = S_ISDIR(st.st_mode);
        if (is_directory && !want_folders) continue;

        DirEntry& entry = listing.entries.emplace_back();
        entry.name = name;
        entry.is_directory = is_directory;
        entry.is_hidden = hidden;
        entry.is_symlink = is_symlink;
        entry.size = is_directory ? 0 : static_cast<std::int64_t>(st.st_size);
        entry.mtime_seconds = static_cast<std::int64_t>(st.st_mtime);
        entry.device = static_cast<std::uint64_t>(st.st_dev);
        entry.inode = static_cast<std::uint64_t>(st.st_ino);
    }
    listing.ok = true;
    return listing;
}

std::optional<FileStatus> LookUpFileStatus(const FolderHandle& folder, const char* name) {
    struct stat st;
    if (::fstatat(folder.native().fd, name, &st, 0) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    return FileStatus{static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtime)};
}

bool NormalFileExists(const std::string& path) {
    const std::string name = BaseName(path);
    if (name.empty() || name[0] == '.') return false;
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<FileIdentity> IdentityOfFile(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<std::int64_t> FileLength(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

std::optional<LocalTime> FileModified(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return ToLocalTime(static_cast<std::int64_t>(st.st_mtime));
}

LocalTime ToLocalTime(std::int64_t seconds_since_epoch) {
    const std::time_t t = static_cast<std::time_t>(seconds_since_epoch);
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return LocalTime{};
    LocalTime out;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return out;
}

bool DeleteFile(const std::string& path, std::string& error) {
    if (::unlink(path.c_str()) != 0) {
        error = ErrorText(errno);
        return false;
    }
    return true;
}

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa;
    struct stat sb;
    return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// True when the folder holds an entry of exactly this name. A file system
// that ignores case finds a file by any spelling of its name, but lists
// only the spelling it keeps.
bool FolderListsName(const std::string& path) {
    const std::string name = BaseName(path);
    DirHandle dir(::opendir(ParentFolder(path).c_str()));
    if (!dir.get()) return true;  // cannot tell: take the name as taken
    while (const dirent* d = ::readdir(dir.get())) {
        if (name == d->d_name) return true;
    }
    return false;
}

// The target name is taken. Only the same path, or another spelling of the
// same name on a file system that ignores case, is no other name: rename()
// then leaves the file alone or changes the spelling. Another hard link of
// the same file is another name, and rename() would silently do nothing.
bool RenameOntoExisting(const std::string& from, const std::string& to, std::string& error) {
    const bool same_name = from == to || !FolderListsName(to);
    if (same_name && SameFile(from, to) && ::rename(from.c_str(), to.c_str()) == 0) return true;
    error = ErrorText(EEXIST);
    return false;
}

bool NoReplaceUnsupported(int err) { return err == EINVAL || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP; }

}  // namespace

// rename() would silently replace an existing target, where the program
// expects the refusal a Windows rename gives. RENAME_NOREPLACE refuses
// atomically; on a file system without it a hard link refuses an existing
// name just as atomically before the old name goes. Only where neither
// exists is the target checked just before a plain rename.
bool RenameFile(const std::string& from, const std::string& to, std::string& error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    int err = errno;
    if (err == EEXIST) return RenameOntoExisting(from, to, error);
    if (!NoReplaceUnsupported(err)) {
        error = ErrorText(err);
        return false;
    }
    struct stat src;
    if (::lstat(from.c_str(), &src) != 0) {
        error = ErrorText(errno);
        return false;
    }
    if (S_ISREG(src.st_mode)) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) == 0) return true;
            err = errno;
            ::unlink(to.c_str());
            error = ErrorText(err);
            return false;
        }
        err = errno;
        if (err == EEXIST) return RenameOntoExisting(from, to, error);
        if (err != EPERM && !NoReplaceUnsupported(err) && err != EMLINK) {
            error = ErrorText(err);
            return false;
        }
    }
    struct stat dst;
    if (::lstat(to.c_str(), &dst) == 0) return RenameOntoExisting(from, to, error);
    if (errno != ENOENT) {
        error = ErrorText(errno);
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        error = ErrorText(errno);
        return false;
    }
    return true;
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::string& error, std::size_t max_bytes) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        error = ErrorText(errno);
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        error = ErrorText(errno);
        return std::nullopt;
    }
    if (S_ISDIR(st.st_mode)) {
        error = ErrorText(EISDIR);
        return std::nullopt;
    }
    if (st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) > max_bytes) {
        error = ErrorText(EFBIG);
        return std::nullopt;
    }
    return ReadUpTo(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0), max_bytes, error,
                    [&](char* into, std::size_t room) -> std::optional<std::size_t> {
                        while (true) {
                            const ssize_t n = ::read(fd.get(), into, room);
                            if (n >= 0) return static_cast<std::size_t>(n);
                            if (errno == EINTR) continue;
                            error = ErrorText(errno);
                            return std::nullopt;
                        }
                    });
}

std::optional<std::string> FollowLinks(const std::string& path, std::string& error) {
    // As many links as the system itself follows before it gives up.
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256), '\0');
        while (true) {
            const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
            if (n < 0) {
                error = ErrorText(errno);
                return std::nullopt;
            }
            if (static_cast<std::size_t>(n) < target.size()) {
                target.resize(static_cast<std::size_t>(n));
                break;
            }
            target.resize(target.size() * 2);
        }
        if (target.empty() || target[0] != '/') {
            const std::size_t slash = current.find_last_of('/');
            if (slash != std::string::npos) target = current.substr(0, slash + 1) + target;
        }
        current = std::move(target);
    }
    error = ErrorText(ELOOP);
    return std::nullopt;
}

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool ProcessHasEnded(long pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

std::optional<PathKind> KindOfPath(const std::string& path, std::string& error) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        // A dangling link is a file yet to be written, as a missing name is.
        if (errno == ENOENT || errno == ENOTDIR) return PathKind::Missing;
        error = ErrorText(errno);
        return std::nullopt;
    }
    if (S_ISREG(st.st_mode)) return PathKind::File;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::Other;
}

namespace {

// Nothing is written where the name holds no file: a rename would put a
// file in the place of a pipe or a device, or fail on a folder only after
// the whole file was written. A file its owner made read-only is left
// alone as well.
bool RefusesReplacing(const std::string& path, std::string& error) {
    std::string reason;
    const std::optional<PathKind> kind = KindOfPath(path, reason);
    if (kind == PathKind::Folder) reason = ErrorText(EISDIR);
    if (kind == PathKind::Other) reason = NotAFileText();
    if (kind == PathKind::File && ::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS)) {
        reason = ErrorText(errno);
    }
    if (reason.empty()) return false;
    error = reason;
    return true;
}

// Written data starts on its way to the disk after this much, so that the
// flush at the end finds little left to wait for: a large list is then on
// the disk about when its last piece is written.
constexpr std::uint64_t kSendToDiskEvery = std::uint64_t{8} << 20;

bool Failed(AtomicFileWriter& writer, int err, std::string& error) {
    writer.Abandon();
    error = ErrorText(err);
    return false;
}

}  // namespace

bool AtomicFileWriter::Open(const std::string& requested, std::string& error) {
    Abandon();
    // The temporary file must lie beside the real file for the rename to
    // replace it, and renaming over a link would turn a shared file into a
    // private copy.
    const std::optional<std::string> resolved = FollowLinks(requested, error);
    if (!resolved) return false;
    const std::string& path = *resolved;
    if (RefusesReplacing(path, error)) return false;
    const std::string temp = TemporaryPath(path, ::getpid(), SaveStage::Writing);
    int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::open(temp.c_str(), flags, 0644);
    if (fd < 0 && errno == EEXIST) {
        // Left over from an earlier run that had the same process id.
        ::unlink(temp.c_str());
        fd = ::open(temp.c_str(), flags, 0644);
    }
    if (fd < 0) {
        error = ErrorText(errno);
        return false;
    }
    path_ = path;
    temporary_ = temp;
    handle_ = fd;
    unsent_ = 0;
    // Held until the file is in place, under both names, so a start running
    // meanwhile can tell this temporary from one a killed save left behind.
    ::flock(fd, LOCK_EX);
    // Keep the permissions of the file being replaced, so a file the user
    // made private stays private.
    struct stat old;
    if (::stat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    return true;
}

bool AtomicFileWriter::Write(std::string_view bytes, std::string& error) {
    if (handle_ < 0) return Failed(*this, EBADF, error);
    const int fd = static_cast<int>(handle_);
    int err = 0;
    if (!WriteAll(fd, bytes, err)) return Failed(*this, err, error);
    unsent_ += bytes.size();
    if (unsent_ >= kSendToDiskEvery) {
        // Only starts the writing; 0 and 0 mean the whole file.
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        unsent_ = 0;
    }
    return true;
}

bool AtomicFileWriter::Rewind(std::string& error) {
    if (handle_ < 0) return Failed(*this, EBADF, error);
    const int fd = static_cast<int>(handle_);
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) return Failed(*this, errno, error);
    return true;
}

bool AtomicFileWriter::Commit(std::string& error) {
    if (handle_ < 0) return Failed(*this, EBADF, error);
    const int fd = static_cast<int>(handle_);
    if (::fsync(fd) != 0) return Failed(*this, errno, error);
    // Whole on the disk: from now on its name says so.
    const std::string written = TemporaryPath(path_, ::getpid(), SaveStage::Written);
    if (::rename(temporary_.c_str(), written.c_str()) != 0) return Failed(*this, errno, error);
    temporary_ = written;
    if (::rename(written.c_str(), path_.c_str()) != 0) return Failed(*this, errno, error);
    temporary_.clear();
    ::close(fd);  // the data is on disk already (fsync above)
    handle_ = -1;
    // Make the renames themselves durable; failing here loses nothing already done.
    Fd folder(::open(ParentFolder(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return true;
}

void AtomicFileWriter::Abandon() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

namespace {

// A temporary that a save under way still holds: its own process here, or
// a save on another machine sharing the folder, keeps it locked.
class Leftover {
public:
    explicit Leftover(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC)) {}
    bool Unheld() const {
        struct stat st;
        return fd_.get() >= 0 && ::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd_.get(), &st) == 0 &&
               S_ISREG(st.st_mode);
    }

private:
    Fd fd_;
};

}  // namespace

bool DeleteLeftover(const std::string& temp) {
    const Leftover leftover(temp);
    return leftover.Unheld() && ::unlink(temp.c_str()) == 0;
}

bool PutBackLeftover(const std::string& temp, const std::string& path) {
    const Leftover leftover(temp);
    std::string error;
    return leftover.Unheld() && RenameFile(temp, path, error);
}

// ---- FileReadStream ----

bool FileReadStream::Open(const std::string& path, std::string& error) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = ErrorText(errno);
        return false;
    }
    struct stat st;
    const int err = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (err != 0) {
        error = ErrorText(err);
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

std::int64_t FileReadStream::Read(char* buffer, std::size_t size, std::string& error) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        error = ErrorText(errno);
        return -1;
    }
}

void FileReadStream::Close() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

// Any byte but the separator and NUL may stand in a name.
bool SystemTakesName(std::string_view name) { return name.find('\0') == std::string_view::npos; }

// ---- FileWriteStream ----

bool FileWriteStream::Create(const std::string& path, std::string& error) {
    Close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = ErrorText(errno);
        return false;
    }
    handle_ = fd;
    failed_ = false;
    return true;
}

bool FileWriteStream::WriteThrough(const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(handle_), bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void FileWriteStream::Close() {
    if (handle_ < 0) return;
    Flush();
    ::close(static_cast<int>(handle_));
    handle_ = -1;
}

std::string ExecutableFolder() {
    std::string buffer(4096, '\0');
    while (true) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return ".";
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return ParentFolder(buffer);
}

}  // namespace kestrova
