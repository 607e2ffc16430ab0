#include "rawfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace tav {

namespace {

FileId to_file_id(const struct stat& st) {
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Makes reads and writes of an open descriptor wait again.
bool clear_nonblocking(int fd) {
    const int status = ::fcntl(fd, F_GETFL);
    return status >= 0 && ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0;
}

// Opens with `flags`, or returns -1. Without O_NONBLOCK, opening a FIFO with
// nobody at the other end waits forever; reads and writes wait again once
// the file is open. O_NOCTTY: a terminal named as a source or piece must not
// become the program's controlling terminal, whose hang-up would end it.
int open_without_waiting(const std::string& path, int flags, mode_t mode = 0666) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 && !clear_nonblocking(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::optional<FileId> identify(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return to_file_id(st);
}

std::optional<FileFacts> facts_of(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileFacts{S_ISREG(st.st_mode), static_cast<std::uint64_t>(st.st_nlink)};
}

std::optional<std::string> follow_links(const std::string& path) {
    std::string at = path;
    // The same bound as the kernel's own, which also ends a loop.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
        target.resize(static_cast<std::size_t>(n));
        // A relative target is relative to the link's own folder.
        at = target.front() == '/' || at.find('/') == std::string::npos ? target : folder_of(at) + '/' + target;
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

RawFile::RawFile(Handle handle) : handle_(handle) {
    struct stat st {};
    if (::fstat(static_cast<int>(handle_), &st) == 0) {
        char_device_ = S_ISCHR(st.st_mode);
        regular_ = S_ISREG(st.st_mode);
    }
}

RawFile::RawFile(RawFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)), char_device_(other.char_device_), regular_(other.regular_) {}

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        if (is_open()) ::close(static_cast<int>(handle_));
        handle_ = std::exchange(other.handle_, kNoHandle);
        char_device_ = other.char_device_;
        regular_ = other.regular_;
    }
    return *this;
}

RawFile::~RawFile() {
    if (is_open()) ::close(static_cast<int>(handle_));
}

RawFile RawFile::open_read(const std::string& path, bool create_missing) {
    // With no writer on a FIFO there is nothing to wait for: it reads as empty.
    const int fd = open_without_waiting(path, O_RDONLY | (create_missing ? O_CREAT : 0));
    return fd < 0 ? RawFile() : RawFile(fd);
}

RawFile RawFile::open_write(const std::string& path, WriteMode mode, const WriteCheck& check) {
    // Never O_TRUNC: it would cut whatever the path names at the moment of the
    // open, before the check has seen it. A FIFO that nobody reads fails to
    // open (ENXIO).
    const int fd = open_without_waiting(path, O_WRONLY | O_CREAT | (mode == WriteMode::AtEnd ? O_APPEND : 0));
    if (fd < 0) return RawFile();
    RawFile file(fd);
    // The identity and length of the file actually opened, not of whatever
    // the path names by now.
    struct stat st {};
    if (::fstat(fd, &st) != 0) return RawFile();
    if (check && !check(to_file_id(st))) return RawFile();
    // FIFOs and devices have no length to cut, and nor has an empty file. Not
    // cutting that one matters: ext4 starts writing back every file cut to
    // zero length as soon as it is closed, which made a split into 10 MiB
    // pieces a third slower.
    if (mode == WriteMode::Truncate && S_ISREG(st.st_mode) && st.st_size != 0 && ::ftruncate(fd, 0) != 0)
        return RawFile();
    return file;
}

RawFile RawFile::create_new(const std::string& path, const std::string& like) {
    const int fd = open_without_waiting(path, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0) return RawFile();
    RawFile file(fd);
    struct stat old {};
    if (::stat(like.c_str(), &old) == 0) {
        // Root may hand the file back to its owner; anyone else keeps it, as
        // when a program of theirs creates a file. Only the mode must match.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) (void)::fchown(fd, old.st_uid, old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            file = RawFile();
            ::unlink(path.c_str());
        }
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
    ssize_t n;
    do {
        n = ::read(static_cast<int>(handle_), data, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool RawFile::write_all(const char* data, std::size_t size) {
    if (!is_open()) return false;
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(handle_), data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool RawFile::sync() { return is_open() && ::fsync(static_cast<int>(handle_)) == 0; }

bool RawFile::close() {
    if (!is_open()) return false;
    const int fd = static_cast<int>(std::exchange(handle_, kNoHandle));
    // POSIX leaves the descriptor closed even when close() reports EINTR.
    return ::close(fd) == 0;
}

}  // namespace tav
