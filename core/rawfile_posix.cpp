#include "pathwalk_posix.h"
#include "rawfile.h"
#include "rawfile_system.h"

#include "tav/stoprequest.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <utility>
#include <vector>

namespace tav {

namespace {

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

// Keeps reads and writes from waiting unseen where they may wait for
// another program; a plain file or a disk does not.
bool keep_nonblocking(const struct stat& st) {
    return S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode);
}

// Makes reads and writes of an open descriptor wait again.
bool clear_nonblocking(int fd) {
    const int status = ::fcntl(fd, F_GETFL);
    return status >= 0 && ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0;
}

// Opens with `flags`, or returns -1 with errno set and `why` the failure.
// Without O_NONBLOCK, opening a FIFO with nobody at the other end waits
// forever; it stays set where reads and writes may wait (see RawFile::read).
// O_NOCTTY: a terminal named as a source or piece must not become the
// program's controlling terminal, whose hang-up would end it.
int open_without_waiting(const std::string& path, int flags, Failure& why, mode_t mode = 0666) {
    if (path.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
    } else {
        PathWalk walk(path);
        int fd;
        do {
            fd = walk.open(flags | O_NOCTTY | O_NONBLOCK, mode);
        } while (fd < 0 && errno == EINTR);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && (keep_nonblocking(st) || clear_nonblocking(fd))) return fd;
        if (fd >= 0) ::close(fd);
        if (fd < 0 && walk.refused_on_the_way()) {
            why = Failure::FolderRefused;
            return -1;
        }
    }
    why = failure_of(errno);
    return -1;
}

// What `path` names, links followed as the walk allows.
bool stat_walking(const std::string& path, struct stat& st) {
    if (path.size() >= PATH_MAX) return false;
    PathWalk walk(path);
    const int fd = walk.open(kWalkFlags, 0);
    if (fd < 0) return false;
    const bool known = ::fstat(fd, &st) == 0;
    ::close(fd);
    return known;
}

}  // namespace

std::optional<FileId> identify(const std::string& path) {
    struct stat st {};
    if (!stat_walking(path, st)) return std::nullopt;
    return to_file_id(st);
}

std::optional<FileKind> kind_of(const std::string& path) {
    struct stat st {};
    if (!stat_walking(path, st)) return std::nullopt;
    return FileKind{S_ISREG(st.st_mode), static_cast<std::uint64_t>(st.st_nlink)};
}

std::optional<std::string> follow_links(const std::string& path) {
    if (path.empty() || path.size() >= PATH_MAX) return std::nullopt;
    return PathWalk(path).resolve();
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

std::chrono::nanoseconds processor_time() {
    timespec t{};
    if (::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t) != 0) return {};
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

std::chrono::nanoseconds processor_time_step() {
    timespec t{};
    if (::clock_getres(CLOCK_PROCESS_CPUTIME_ID, &t) != 0) return std::chrono::milliseconds(10);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

bool remove_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

void remove_leftovers(const std::string& prefix, std::size_t tail, std::string_view alphabet) {
    const std::size_t slash = prefix.rfind('/');
    const std::string start = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    DIR* const folder = ::opendir(folder_of(prefix).c_str());
    if (folder == nullptr) return;
    const int at = ::dirfd(folder);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() != start.size() + tail || name.compare(0, start.size(), start) != 0 ||
            name.find_first_not_of(alphabet, start.size()) != std::string::npos)
            continue;
        // Only a plain file of this user's, with one name and some age, that
        // no save holds locked; checked on the file opened, then removed.
        struct stat st {};
        if (::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || st.st_nlink != 1 || now - st.st_mtime <= kLeftoverAge)
            continue;
        int fd = ::openat(at, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        // A save gives its new file the old one's permissions, which may
        // leave even its owner unable to read it; the owner may change that.
        const bool unreadable = fd < 0 && errno == EACCES && ::fchmodat(at, name.c_str(), st.st_mode | S_IRUSR, 0) == 0;
        if (unreadable) fd = ::openat(at, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat opened {};
        if (::fstat(fd, &opened) == 0 && opened.st_ino == st.st_ino && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(at, name.c_str(), 0);
        else if (unreadable)
            (void)::fchmod(fd, st.st_mode & 07777);  // a save in progress after all
        ::close(fd);
    }
    ::closedir(folder);
}

RawFile::RawFile(Handle handle) : handle_(handle) {
    struct stat st {};
    if (::fstat(static_cast<int>(handle_), &st) == 0) {
        char_device_ = S_ISCHR(st.st_mode);
        regular_ = S_ISREG(st.st_mode);
        fifo_ = S_ISFIFO(st.st_mode);
        nonblocking_ = keep_nonblocking(st);
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
    Failure why = Failure::None;
    const int fd = open_without_waiting(path, O_RDONLY | (create_missing ? O_CREAT : 0), why);
    if (fd < 0) return failed(why);
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
    Failure why = Failure::None;
    const int fd = open_without_waiting(path, O_WRONLY | O_CREAT | (mode == WriteMode::AtEnd ? O_APPEND : 0), why);
    if (fd < 0) return failed(why);
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
    Failure why = Failure::None;
    const int fd = open_without_waiting(path, O_WRONLY | O_CREAT | O_EXCL, why);
    if (fd < 0) return failed(why);
    RawFile file(fd);
    // Held until closed: a save in progress is no leftover.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    struct stat old {};
    if (stat_walking(like, old)) {
        // Root may hand the file back to its owner; anyone else keeps it, as
        // when a program of theirs creates a file, but keeps the group where
        // they belong to it. Only the mode must match.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            const Failure failure = failure_of(errno);
            file = RawFile();
            ::unlink(path.c_str());
            return failed(failure);
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

std::uint64_t RawFile::length() const {
    struct stat st {};
    if (!is_open() || !regular_ || ::fstat(static_cast<int>(handle_), &st) != 0) return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

namespace {

// How long a wait for another program looks away from a stop request.
constexpr int kWaitSlice = 200;  // milliseconds

// Waits until `fd` is ready for `events`, or has hung up; false once `stop`
// is requested first. Signals that interrupt the wait do not end it.
bool wait_for(int fd, short events, const StopRequest* stop) {
    for (;;) {
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, kWaitSlice);
        if (ready > 0 || (ready < 0 && errno != EINTR)) return true;  // the read or write says what went wrong
        if (stop_requested(stop)) return false;
    }
}

}  // namespace

std::ptrdiff_t RawFile::read(char* data, std::size_t size, const StopRequest* stop) {
    if (!is_open()) return -1;
    const int fd = static_cast<int>(handle_);
    // A FIFO with no writer yet reads as ended; a reader of a pipe waits for one.
    if (fifo_ && !wait_for(fd, POLLIN, stop)) return kStopped;
    for (;;) {
        const ssize_t n = ::read(fd, data, size);
        if (n >= 0) return n;
        if (errno == EAGAIN && nonblocking_) {
            if (!wait_for(fd, POLLIN, stop)) return kStopped;
        } else if (errno == EINTR) {
            if (stop_requested(stop)) return kStopped;
        } else {
            return -1;
        }
    }
}

bool RawFile::write_all(const char* data, std::size_t size, const StopRequest* stop) {
    if (!is_open()) return false;
    const int fd = static_cast<int>(handle_);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EAGAIN && nonblocking_) {
                if (wait_for(fd, POLLOUT, stop)) continue;
            } else if (errno == EINTR) {
                if (!stop_requested(stop)) continue;
            } else {
                return fail_from_system();
            }
            failure_ = Failure::Stopped;
            return false;
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
    const int refused = set_aside(fd, size);
    if (refused == 0) return true;
    errno = refused;
    if (refused != EOPNOTSUPP && refused != ENOSYS) return fail_from_system();
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
