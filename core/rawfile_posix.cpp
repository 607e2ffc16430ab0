#include "rawfile.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <ctime>
#include <utility>
#include <vector>

namespace tav {

namespace {

// The kernel's own bound on a chain of links, which also ends a loop.
constexpr int kMaxHops = 40;
// A file a save is still writing is seconds old at most.
constexpr std::time_t kLeftoverAge = 60;

FileId to_file_id(const struct stat& st) {
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

Failure failure_of(int error) {
    switch (error) {
        case EEXIST: return Failure::Exists;
        case EACCES:
        case EPERM:
        case EROFS: return Failure::Refused;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return Failure::NoSpace;
        default: return Failure::Other;
    }
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Where the link at `link` leads, if it may be followed: in a sticky,
// world-writable folder only a link of this user's or of the folder's
// owner's is, which is the rule the kernel applies when fs.protected_symlinks
// is set. Nothing for a link that may not be followed or cannot be read.
std::optional<std::string> link_target(const std::string& link, const struct stat& st) {
    struct stat folder {};
    if (::stat(folder_of(link).c_str(), &folder) != 0) return std::nullopt;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (shared && st.st_uid != ::geteuid() && st.st_uid != folder.st_uid) return std::nullopt;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    // A relative target is relative to the link's own folder.
    if (target.front() == '/' || link.find('/') == std::string::npos) return target;
    return folder_of(link) + '/' + target;
}

// Makes reads and writes of an open descriptor wait again.
bool clear_nonblocking(int fd) {
    const int status = ::fcntl(fd, F_GETFL);
    return status >= 0 && ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0;
}

// Opens with `flags`, or returns -1 with errno set. Links are followed one
// at a time, each only as link_target() allows. Without O_NONBLOCK, opening a
// FIFO with nobody at the other end waits forever; reads and writes wait
// again once the file is open. O_NOCTTY: a terminal named as a source or
// piece must not become the program's controlling terminal, whose hang-up
// would end it.
int open_without_waiting(const std::string& path, int flags, mode_t mode = 0666) {
    std::string at = path;
    for (int hops = 0; hops <= kMaxHops; ++hops) {
        int fd;
        do {
            fd = ::open(at.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW, mode);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            if (clear_nonblocking(fd)) return fd;
            ::close(fd);
            return -1;
        }
        struct stat st {};
        if (errno != ELOOP || ::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return -1;
        const std::optional<std::string> next = link_target(at, st);
        if (!next) {
            errno = EACCES;
            return -1;
        }
        at = *next;
    }
    errno = ELOOP;
    return -1;
}

// Gives the new file at `fd` the extended attributes (an ACL among them) of
// the file at `like`, as far as this user may set them.
void copy_attributes(const std::string& like, int fd) {
    const ssize_t size = ::listxattr(like.c_str(), nullptr, 0);
    if (size <= 0) return;
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::listxattr(like.c_str(), names.data(), names.size());
    for (std::size_t at = 0; got > 0 && at < static_cast<std::size_t>(got);) {
        const char* name = names.data() + at;
        at += std::char_traits<char>::length(name) + 1;
        const ssize_t length = ::getxattr(like.c_str(), name, nullptr, 0);
        if (length < 0) continue;
        std::vector<char> value(static_cast<std::size_t>(length));
        const ssize_t n = ::getxattr(like.c_str(), name, value.data(), value.size());
        if (n >= 0) (void)::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(n), 0);
    }
}

}  // namespace

std::optional<FileId> identify(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return to_file_id(st);
}

std::optional<FileKind> kind_of(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileKind{S_ISREG(st.st_mode), static_cast<std::uint64_t>(st.st_nlink)};
}

std::optional<std::string> follow_links(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < kMaxHops; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        const std::optional<std::string> next = link_target(at, st);
        if (!next) return std::nullopt;
        at = *next;
    }
    return std::nullopt;
}

bool replace_file(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    // The new name is only durable once the folder itself is on disk; the
    // rename has happened either way, so a failure here is not an error.
    const int folder = ::open(folder_of(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool remove_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

void remove_leftovers(const std::string& prefix, std::size_t tail) {
    const std::size_t slash = prefix.rfind('/');
    const std::string start = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    DIR* const folder = ::opendir(folder_of(prefix).c_str());
    if (folder == nullptr) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() != start.size() + tail || name.compare(0, start.size(), start) != 0) continue;
        // Only a plain file of this user's, with one name and some age, that
        // no save holds locked; checked on the file opened, then removed.
        const int fd = ::openat(::dirfd(folder), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1 &&
            now - st.st_mtime > kLeftoverAge && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(folder), name.c_str(), 0);
        ::close(fd);
    }
    ::closedir(folder);
}

RawFile::RawFile(Handle handle) : handle_(handle) {
    struct stat st {};
    if (::fstat(static_cast<int>(handle_), &st) == 0) {
        char_device_ = S_ISCHR(st.st_mode);
        regular_ = S_ISREG(st.st_mode);
    }
}

void RawFile::close_handle() noexcept {
    if (is_open()) ::close(static_cast<int>(std::exchange(handle_, kNoHandle)));
}

bool RawFile::fail_from_system() {
    failure_ = failure_of(errno);
    return false;
}

RawFile RawFile::open_read(const std::string& path, bool create_missing) {
    // With no writer on a FIFO there is nothing to wait for: it reads as empty.
    const int fd = open_without_waiting(path, O_RDONLY | (create_missing ? O_CREAT : 0));
    if (fd < 0) return failed(failure_of(errno));
    RawFile file(fd);
    // A folder opens for reading here, but every read of it fails; elsewhere
    // it does not open at all.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) return failed(Failure::Other);
    return file;
}

RawFile RawFile::open_write(const std::string& path, WriteMode mode, const WriteCheck& check) {
    // Never O_TRUNC: it would cut whatever the path names at the moment of the
    // open, before the check has seen it. A FIFO that nobody reads fails to
    // open (ENXIO).
    const int fd = open_without_waiting(path, O_WRONLY | O_CREAT | (mode == WriteMode::AtEnd ? O_APPEND : 0));
    if (fd < 0) return failed(failure_of(errno));
    RawFile file(fd);
    // The identity and length of the file actually opened, not of whatever
    // the path names by now.
    struct stat st {};
    if (::fstat(fd, &st) != 0) return failed(failure_of(errno));
    if (check && !check(to_file_id(st))) return failed(Failure::Other);
    // FIFOs and devices have no length to cut, and nor has an empty file. Not
    // cutting that one matters: ext4 starts writing back every file cut to
    // zero length as soon as it is closed, which made a split into 10 MiB
    // pieces a third slower.
    if (mode == WriteMode::Truncate && S_ISREG(st.st_mode) && st.st_size != 0 && ::ftruncate(fd, 0) != 0)
        return failed(failure_of(errno));
    return file;
}

RawFile RawFile::create_new(const std::string& path, const std::string& like) {
    const int fd = open_without_waiting(path, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0) return failed(failure_of(errno));
    RawFile file(fd);
    // Held until closed: a save in progress is no leftover.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    struct stat old {};
    if (::stat(like.c_str(), &old) == 0) {
        // Root may hand the file back to its owner; anyone else keeps it, as
        // when a program of theirs creates a file. Only the mode must match.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) (void)::fchown(fd, old.st_uid, old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            const Failure why = failure_of(errno);
            file = RawFile();
            ::unlink(path.c_str());
            return failed(why);
        }
        copy_attributes(like, fd);
    }
    return file;
}

std::optional<FileId> RawFile::id() const {
    struct stat st {};
    if (!is_open() || ::fstat(static_cast<int>(handle_), &st) != 0) return std::nullopt;
    return to_file_id(st);
}

std::ptrdiff_t RawFile::read(char* data, std::size_t size) {
    if (!is_open()) return -1;
    const ssize_t n = ::read(static_cast<int>(handle_), data, size);
    // The caller decides whether to try again: a signal may have come to stop it.
    return n < 0 && errno == EINTR ? kInterrupted : n;
}

bool RawFile::write_all(const char* data, std::size_t size) {
    if (!is_open()) return false;
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(handle_), data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail_from_system();
        }
        if (n == 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool RawFile::reserve(std::uint64_t size) {
    if (!is_open()) return false;
    const int fd = static_cast<int>(handle_);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail_from_system();
    // Blocks are set aside without changing the length, so a failure leaves
    // the file exactly as it was.
    int done;
    do {
        done = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
    } while (done != 0 && errno == EINTR);
    if (done == 0) return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS) return fail_from_system();
    // Where the file system cannot set blocks aside, writing the room out does.
    const auto old_size = static_cast<std::uint64_t>(st.st_size);
    if (old_size >= size) return true;
    const std::vector<char> zeros(static_cast<std::size_t>(size - old_size), '\0');
    if (::pwrite(fd, zeros.data(), zeros.size(), st.st_size) == static_cast<ssize_t>(zeros.size())) return true;
    fail_from_system();
    (void)::ftruncate(fd, st.st_size);
    return false;
}

bool RawFile::cut(std::uint64_t size) {
    return is_open() && (::ftruncate(static_cast<int>(handle_), static_cast<off_t>(size)) == 0 || fail_from_system());
}

bool RawFile::sync() { return is_open() && ::fsync(static_cast<int>(handle_)) == 0; }

bool RawFile::close() {
    if (!is_open()) return false;
    const int fd = static_cast<int>(std::exchange(handle_, kNoHandle));
    // POSIX leaves the descriptor closed even when close() reports EINTR.
    return ::close(fd) == 0 || fail_from_system();
}

}  // namespace tav
