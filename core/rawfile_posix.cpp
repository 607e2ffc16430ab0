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
// the file is open.
int open_without_waiting(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 && !clear_nonblocking(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<FileId> identify(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return to_file_id(st);
}

RawFile::RawFile(Handle handle) : handle_(handle) {
    struct stat st {};
    if (::fstat(static_cast<int>(handle_), &st) == 0) char_device_ = S_ISCHR(st.st_mode);
}

RawFile::RawFile(RawFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)), char_device_(other.char_device_) {}

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        if (is_open()) ::close(static_cast<int>(handle_));
        handle_ = std::exchange(other.handle_, kNoHandle);
        char_device_ = other.char_device_;
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

RawFile RawFile::open_write(const std::string& path, WriteMode mode) {
    // A FIFO that nobody reads fails to open (ENXIO).
    const int fd = open_without_waiting(path, O_WRONLY | O_CREAT | (mode == WriteMode::Truncate ? O_TRUNC : O_APPEND));
    return fd < 0 ? RawFile() : RawFile(fd);
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

bool RawFile::close() {
    if (!is_open()) return false;
    const int fd = static_cast<int>(std::exchange(handle_, kNoHandle));
    // POSIX leaves the descriptor closed even when close() reports EINTR.
    return ::close(fd) == 0;
}

}  // namespace tav
